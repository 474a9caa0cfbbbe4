#include "commandline.h"
#include "imageopendialog.h"
#include "mainwindow.h"
#include "psnrrun.h"

#include <QApplication>
#include <QIcon>
#include <QLoggingCategory>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

QtMessageHandler qtMessageHandler = nullptr;

// Qt aborts after a fatal message, such as the one for a display that cannot be opened;
// ending with status 1 instead, as a lost display does, leaves no signal and no core dump.
// Like abort, it tears nothing down: Qt may be half-way through making the application.
void endOnFatalMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    qtMessageHandler(type, context, message);
    if (type == QtFatalMsg) {
        std::fflush(stdout);
        std::_Exit(1);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationVersion(QStringLiteral(ZENTAVO_VERSION));
    // Read before Qt looks for a display, which --help, --version, --psnr and a wrong
    // option do not need.
    const CommandLine command(std::vector<std::string>(argv, argv + argc));
    switch (command.action()) {
    case CommandLine::Action::Help:
    case CommandLine::Action::Version:
        std::fputs(command.message().c_str(), stdout);
        return 0;
    case CommandLine::Action::Error:
        std::fputs(command.message().c_str(), stderr);
        return 2;
    case CommandLine::Action::Psnr: {
        // A report on standard output: no display, no application object.
        const auto [first, second] = command.compared();
        return runPsnrReport(
            { command.program(), first, second, command.asked() }, std::cout, std::cerr);
    }
    case CommandLine::Action::Run:
        break;
    }

    // With no session bus named, libdbus would start one through dbus-launch, which writes
    // under ~/.dbus and outlives the program. Nothing here needs a bus; one the user names
    // is left alone.
    if (!qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
        qputenv("DBUS_SESSION_BUS_ADDRESS", QByteArrayLiteral("disabled:"));
    qtMessageHandler = qInstallMessageHandler(endOnFatalMessage);

    QApplication app(argc, argv);
    Q_INIT_RESOURCE(icons);
    // Three slots have no widget to connect to by name; that is by design.
    QLoggingCategory::setFilterRules(
        QStringLiteral("qt.core.qmetaobject.connectslotsbyname.warning=false"));

    if (!command.styleChosen())
        QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/ico/Dozud.ico")));

    MainWindow::instance().show();
    if (command.startFrame() && !command.files().empty())
        MainWindow::instance().startAtFrame(*command.startFrame());
    if (command.differenced()) {
        const auto [first, second] = command.compared();
        MainWindow::instance().openComparison(first, second, command.asked());
    } else {
        MainWindow::instance().openFiles(command.files(), command.asked());
    }
    const int exitCode = QApplication::exec();

    // The dialog was made after the main window, so it goes first.
    ImageOpenDialog::releaseInstance();
    MainWindow::releaseInstance();
    return exitCode;
}
