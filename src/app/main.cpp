#include "imageopendialog.h"
#include "mainwindow.h"

#include <QApplication>
#include <QIcon>
#include <QLoggingCategory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(icons);
    // Three slots have no widget to connect to by name; that is by design.
    QLoggingCategory::setFilterRules(
        QStringLiteral("qt.core.qmetaobject.connectslotsbyname.warning=false"));
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/ico/Dozud.ico")));

    MainWindow::instance().show();
    const int exitCode = QApplication::exec();

    // The dialog was made after the main window, so it goes first.
    ImageOpenDialog::releaseInstance();
    MainWindow::releaseInstance();
    return exitCode;
}
