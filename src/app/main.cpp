#include "commandline.h"
#include "imageopendialog.h"
#include "mainwindow.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLoggingCategory>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

// Answers --help and --version, or an option that is none of ours; nullopt to go on.
std::optional<int> answerOptions(const CommandLine &command)
{
    switch (command.action) {
    case CommandLine::Action::Help:
        std::printf("%s\n", usageLine);
        return 0;
    case CommandLine::Action::Version:
        std::printf("Zentavo %s\n", ZENTAVO_VERSION);
        return 0;
    case CommandLine::Action::Error:
        std::fprintf(
            stderr, "zentavo: unknown option %s\n%s\n", command.unknownOption.c_str(), usageLine);
        return 2;
    case CommandLine::Action::Run:
        break;
    }
    return std::nullopt;
}

// The files as the Open flow turns the chooser's answer into a path: absolute, then the
// local 8-bit encoding.
std::vector<std::string> eightBitPaths(const std::vector<std::string> &files)
{
    std::vector<std::string> paths;
    for (const std::string &file : files) {
        const QString name = QFile::decodeName(QByteArray::fromStdString(file));
        paths.push_back(QFile::encodeName(QFileInfo(name).absoluteFilePath()).toStdString());
    }
    return paths;
}

// Whether the user chose a style with Qt's own -style option, which QApplication reads.
bool styleChosen(const std::vector<std::string> &raw)
{
    for (const std::string &argument : raw) {
        const std::string name = argument.substr(0, argument.find('='));
        if (name == "-style" || name == "--style")
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    // --help and --version need no display, so they are answered before Qt looks for one.
    const std::vector<std::string> raw(argv + 1, argv + argc);
    if (const CommandLine early = parseCommandLine(raw);
        early.action == CommandLine::Action::Help || early.action == CommandLine::Action::Version)
        return *answerOptions(early);

    QApplication app(argc, argv);
    Q_INIT_RESOURCE(icons);
    // Three slots have no widget to connect to by name; that is by design.
    QLoggingCategory::setFilterRules(
        QStringLiteral("qt.core.qmetaobject.connectslotsbyname.warning=false"));

    // Qt has taken its own options (-style, -platform, ...) out of the arguments by now.
    std::vector<std::string> ours;
    for (const QString &argument : QApplication::arguments().mid(1))
        ours.push_back(QFile::encodeName(argument).toStdString());
    const CommandLine command = parseCommandLine(ours);
    if (const std::optional<int> exitCode = answerOptions(command))
        return *exitCode;

    if (!styleChosen(raw))
        QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/ico/Dozud.ico")));

    MainWindow::instance().show();
    MainWindow::instance().openFiles(eightBitPaths(command.files));
    const int exitCode = QApplication::exec();

    // The dialog was made after the main window, so it goes first.
    ImageOpenDialog::releaseInstance();
    MainWindow::releaseInstance();
    return exitCode;
}
