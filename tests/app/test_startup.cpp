#include "mainwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPointer>
#include <QTimer>
#include <QtTest>

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Q_INIT_RESOURCE(icons); }
    void firstInstanceShowsTheEmptyControlWindow();
    void instanceIsTheSameWindowEveryTime();
    void closingTheWindowEndsTheEventLoop();
    void releaseDestroysTheWindowOnce();
};

void TestStartup::firstInstanceShowsTheEmptyControlWindow()
{
    MainWindow &window = MainWindow::instance();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle(), QStringLiteral("Zentavo v1.1"));
    QCOMPARE(window.size(), QSize(630, 280));
    // A path that does not resolve still gives a non-null QIcon, so ask for its images.
    QVERIFY(!window.windowIcon().availableSizes().isEmpty());
    QVERIFY(window.hasMouseTracking());

    auto *list = window.findChild<QListWidget *>(QStringLiteral("lwImageItems"));
    QVERIFY(list);
    QCOMPARE(list->count(), 0);
    auto *grid = window.findChild<QComboBox *>(QStringLiteral("comboBoxGrid"));
    QVERIFY(grid);
    QCOMPARE(grid->currentText(), QStringLiteral("none"));
    QCOMPARE(window.loopMode(), MainWindow::NoLoop);
}

void TestStartup::instanceIsTheSameWindowEveryTime()
{
    QCOMPARE(&MainWindow::instance(), &MainWindow::instance());
}

void TestStartup::closingTheWindowEndsTheEventLoop()
{
    MainWindow &window = MainWindow::instance();
    window.show();
    QTimer::singleShot(0, &window, [&window] { window.close(); });
    // A safety net so a regression fails instead of hanging the suite.
    QTimer::singleShot(10000, qApp, [] { QApplication::exit(99); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!window.isVisible());
}

void TestStartup::releaseDestroysTheWindowOnce()
{
    QPointer<MainWindow> first = &MainWindow::instance();
    int destroyedSignals = 0;
    connect(first.data(), &QObject::destroyed, this, [&destroyedSignals] { ++destroyedSignals; });
    MainWindow::releaseInstance();
    QVERIFY(first.isNull());
    QCOMPARE(destroyedSignals, 1);
    MainWindow::releaseInstance();
    QCOMPARE(destroyedSignals, 1);

    MainWindow &second = MainWindow::instance();
    QCOMPARE(second.windowTitle(), QStringLiteral("Zentavo v1.1"));
    MainWindow::releaseInstance();
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
