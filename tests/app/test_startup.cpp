#include "commandline.h"
#include "mainwindow.h"
#include "samplelayout.h"

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <limits>

#include <sys/stat.h>

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void firstInstanceShowsTheEmptyControlWindow();
    void instanceIsTheSameWindowEveryTime();
    void closingTheWindowEndsTheEventLoop();
    void releaseDestroysTheWindowOnce();
    void commandLineNamesTheFilesAsGiven_data();
    void commandLineNamesTheFilesAsGiven();
    void frameOptionIsAWholeNumber_data();
    void frameOptionIsAWholeNumber();
    void commandLineAsksForTheColour_data();
    void commandLineAsksForTheColour();

private:
    // A style sheet file and a named pipe for -stylesheet.
    QTemporaryDir scratch;
};

void TestStartup::initTestCase()
{
    Q_INIT_RESOURCE(icons);
    QVERIFY(scratch.isValid());
    QFile sheet(scratch.filePath(QStringLiteral("style.qss")));
    QVERIFY(sheet.open(QIODevice::WriteOnly));
    sheet.write("QWidget { }\n");
    sheet.close();
    QCOMPARE(::mkfifo(QFile::encodeName(scratch.filePath(QStringLiteral("style.fifo"))).constData(),
                 0600),
        0);
}

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

void TestStartup::commandLineNamesTheFilesAsGiven_data()
{
    using Bytes = std::vector<std::string>;
    QTest::addColumn<Bytes>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<Bytes>("files");
    QTest::addColumn<bool>("styleChosen");
    // What -s and -f asked: "WxH" or empty, a layout name or empty.
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("format");
    // For a refusal: the line on standard error; empty where the message is not looked at.
    QTest::addColumn<QString>("says");

    const int run = int(CommandLine::Action::Run);
    const std::string sheet = scratch.filePath(QStringLiteral("style.qss")).toStdString();
    const std::string pipe = scratch.filePath(QStringLiteral("style.fifo")).toStdString();
    QTest::newRow("relative and absolute names")
        << Bytes { "zentavo", "a.yuv", "/data/b.yuv" } << run << Bytes { "a.yuv", "/data/b.yuv" }
        << false << ""
        << ""
        << "";
    QTest::newRow("a name that is no UTF-8 keeps its bytes")
        << Bytes { "zentavo", "caf\xe9 \xff.yuv" } << run << Bytes { "caf\xe9 \xff.yuv" } << false
        << ""
        << ""
        << "";
    // Opened from the working folder as they are, however deep that folder is.
    QTest::newRow("dots, folders and doubled slashes are kept")
        << Bytes { "zentavo", "./a.yuv", "../up/b.yuv", "sub//c.yuv", "d/" } << run
        << Bytes { "./a.yuv", "../up/b.yuv", "sub//c.yuv", "d/" } << false << ""
        << ""
        << "";
    QTest::newRow("-- before a name that begins with -")
        << Bytes { "zentavo", "--", "-x.yuv", "--help" } << run << Bytes { "-x.yuv", "--help" }
        << false << ""
        << ""
        << "";
    QTest::newRow("Qt's options and their values are no files")
        << Bytes { "zentavo", "-platform", "xcb", "clip.yuv", "-reverse", "-name", "viewer" } << run
        << Bytes { "clip.yuv" } << false << ""
        << ""
        << "";
    QTest::newRow("-style with its value apart")
        << Bytes { "zentavo", "-style", "windows", "c.yuv" } << run << Bytes { "c.yuv" } << true
        << ""
        << ""
        << "";
    QTest::newRow("-style=windows")
        << Bytes { "zentavo", "-style=windows" } << run << Bytes {} << true << ""
        << ""
        << "";
    QTest::newRow("--style windows")
        << Bytes { "zentavo", "--style", "windows" } << run << Bytes {} << true << ""
        << ""
        << "";
    QTest::newRow("--help wins over an unknown option")
        << Bytes { "zentavo", "--width", "--help" } << int(CommandLine::Action::Help) << Bytes {}
        << false << ""
        << ""
        << "";
    QTest::newRow("-v") << Bytes { "zentavo", "-v" } << int(CommandLine::Action::Version)
                        << Bytes {} << false << ""
                        << ""
                        << "";
    QTest::newRow("an option of nobody's")
        << Bytes { "zentavo", "clip.yuv", "-width" } << int(CommandLine::Action::Error)
        << Bytes { "clip.yuv" } << false << ""
        << ""
        << "";
    QTest::newRow("-s and -f before and after the files")
        << Bytes { "zentavo", "-s", "352x288", "a.yuv", "--format", "nv12", "b.yuv" } << run
        << Bytes { "a.yuv", "b.yuv" } << false << "352x288"
        << "nv12"
        << "";
    QTest::newRow("--size=cif, capital X, an alias")
        << Bytes { "zentavo", "--size=cif", "-f", "YUY2", "a.yuv" } << run << Bytes { "a.yuv" }
        << false << "352x288"
        << "yuyv422"
        << "";
    QTest::newRow("-s 1920X1080 beside Qt's -style")
        << Bytes { "zentavo", "-style", "windows", "-s", "1920X1080" } << run << Bytes {} << true
        << "1920x1080"
        << ""
        << "";
    QTest::newRow("-f the dialog lacks with the size in the name")
        << Bytes { "zentavo", "-f", "gray", "depth_640x480.raw" } << run
        << Bytes { "depth_640x480.raw" } << false << ""
        << "gray"
        << "";
    QTest::newRow("-f a deep layout in capitals")
        << Bytes { "zentavo", "-f", "P010LE", "-s", "cif", "a.yuv" } << run << Bytes { "a.yuv" }
        << false << "352x288"
        << "p010le"
        << "";
    QTest::newRow("--psnr and two files, -f the dialog lacks without a size")
        << Bytes { "zentavo", "--psnr", "-f", "gray", "a.yuv", "b.yuv" }
        << int(CommandLine::Action::Psnr) << Bytes { "a.yuv", "b.yuv" } << false << ""
        << "gray"
        << "";
    QTest::newRow("--psnr and three files")
        << Bytes { "zentavo", "a.yuv", "b.yuv", "--psnr", "c.yuv" }
        << int(CommandLine::Action::Error) << Bytes { "a.yuv", "b.yuv", "c.yuv" } << false << ""
        << ""
        << "";
    QTest::newRow("--diff and two files opens them")
        << Bytes { "zentavo", "--diff", "-s", "cif", "a.yuv", "b.yuv" } << run
        << Bytes { "a.yuv", "b.yuv" } << false << "352x288"
        << ""
        << "";
    QTest::newRow("--diff and one file")
        << Bytes { "zentavo", "--diff", "a.yuv" } << int(CommandLine::Action::Error)
        << Bytes { "a.yuv" } << false << ""
        << ""
        << "";
    QTest::newRow("--diff with --psnr")
        << Bytes { "zentavo", "--diff", "--psnr", "a.yuv", "b.yuv" }
        << int(CommandLine::Action::Error) << Bytes { "a.yuv", "b.yuv" } << false << ""
        << ""
        << "";
    QTest::newRow("-f the dialog offers, no size")
        << Bytes { "zentavo", "-f", "yuv422p", "a.yuv" } << run << Bytes { "a.yuv" } << false << ""
        << "yuv422p"
        << "";
    QTest::newRow("-f a FourCC in capitals")
        << Bytes { "zentavo", "-f", "YUYV", "-s", "cif", "a.yuv" } << run << Bytes { "a.yuv" }
        << false << "352x288"
        << "yuyv422"
        << "";
    QTest::newRow("-f a deep name without its le, the size in the name")
        << Bytes { "zentavo", "-f", "yuv420p10", "a_1920x1080.yuv" } << run
        << Bytes { "a_1920x1080.yuv" } << false << ""
        << "yuv420p10le"
        << "";
    QTest::newRow("-f p010") << Bytes { "zentavo", "-f", "p010", "-s", "cif", "a.yuv" } << run
                             << Bytes { "a.yuv" } << false << "352x288"
                             << "p010le"
                             << "";
    QTest::newRow("-s with an empty value")
        << Bytes { "zentavo", "-s", "", "a_352x288.yuv" } << int(CommandLine::Action::Error)
        << Bytes { "a_352x288.yuv" } << false << ""
        << ""
        << "zentavo: '' is no frame size: give WxH, such as 1920x1080, or one of sqcif, qcif, "
           "cif, 4cif, 720p, 1080p, 2160p\n";
    QTest::newRow("--format= with an empty value")
        << Bytes { "zentavo", "--format=", "a_352x288_nv12.yuv" } << int(CommandLine::Action::Error)
        << Bytes { "a_352x288_nv12.yuv" } << false << ""
        << ""
        << "zentavo: '' is no sample layout: give one of yuv420p, i420, iyuv, yuv422p, i422, "
           "yvu420p, nv12, nv21, yuyv422, yuy2, yuyv, uyvy422, yvyu422, yvyu, nv16, yuv444p, "
           "i444, gray, y800, grey, yuv420p10le, yuv422p10le, yuv444p10le, yuv420p12le, "
           "yuv422p12le, yuv444p12le, gray10le, y10, gray12le, y12, p010le\n";
    // Qt reads the style sheet while it makes the application; none of these is read here.
    QTest::newRow("-stylesheet a regular file")
        << Bytes { "zentavo", "-stylesheet", sheet, "a.yuv" } << run << Bytes { "a.yuv" } << false
        << ""
        << ""
        << "";
    QTest::newRow("-stylesheet a pipe")
        << Bytes { "zentavo", "-stylesheet", pipe, "a.yuv" } << int(CommandLine::Action::Error)
        << Bytes { "a.yuv" } << false << ""
        << ""
        << QString::fromStdString("zentavo: -stylesheet '" + pipe
               + "' is not a regular file: give a style sheet file\n");
    QTest::newRow("--stylesheet=/dev/zero")
        << Bytes { "zentavo", "--stylesheet=/dev/zero" } << int(CommandLine::Action::Error)
        << Bytes {} << false << ""
        << ""
        << "zentavo: -stylesheet '/dev/zero' is not a regular file: give a style sheet file\n";
    QTest::newRow("-stylesheet a regular file, then a missing one")
        << Bytes { "zentavo", "-stylesheet=" + sheet, "-stylesheet", sheet + ".gone" }
        << int(CommandLine::Action::Error) << Bytes {} << false << ""
        << ""
        << QString::fromStdString("zentavo: -stylesheet '" + sheet
               + ".gone' cannot be found: give a style sheet file\n");
}

void TestStartup::commandLineAsksForTheColour_data()
{
    using Bytes = std::vector<std::string>;
    QTest::addColumn<Bytes>("arguments");
    // As Video Info shows it, each part "-" where no option gives it.
    QTest::addColumn<QString>("colour");

    QTest::newRow("neither") << Bytes { "zentavo", "-s", "cif", "a.yuv" } << "- -";
    QTest::newRow("-m bt709 -r full")
        << Bytes { "zentavo", "-m", "bt709", "-r", "full", "a.yuv" } << "BT.709 full";
    QTest::newRow("--matrix=2020 after the file")
        << Bytes { "zentavo", "a.yuv", "--matrix=2020" } << "BT.2020 -";
    QTest::newRow("--range TV in capitals")
        << Bytes { "zentavo", "--range", "TV", "a.yuv" } << "- limited";
}

void TestStartup::commandLineAsksForTheColour()
{
    using Bytes = std::vector<std::string>;
    QFETCH(Bytes, arguments);
    QFETCH(QString, colour);

    const CommandLine command(arguments);
    QCOMPARE(command.action(), CommandLine::Action::Run);
    const AskedParameters &asked = command.asked();
    const QStringList parts
        = QString::fromStdString(colourText(asked.matrix.value_or(ColourMatrix::Bt601),
                                     asked.range.value_or(ColourRange::Limited)))
              .split(QLatin1Char(' '));
    QCOMPARE((asked.matrix ? parts[0] : QStringLiteral("-")) + QLatin1Char(' ')
            + (asked.range ? parts[1] : QStringLiteral("-")),
        colour);
}

void TestStartup::commandLineNamesTheFilesAsGiven()
{
    using Bytes = std::vector<std::string>;
    QFETCH(Bytes, arguments);
    QFETCH(int, action);
    QFETCH(Bytes, files);
    QFETCH(bool, styleChosen);
    QFETCH(QString, size);
    QFETCH(QString, format);
    QFETCH(QString, says);

    const CommandLine command(arguments);
    if (!says.isEmpty())
        QCOMPARE(QString::fromStdString(command.message()), says);

    QCOMPARE(int(command.action()), action);
    QCOMPARE(command.files(), files);
    const bool diffAsked
        = std::find(arguments.begin(), arguments.end(), "--diff") != arguments.end();
    QCOMPARE(command.differenced(), diffAsked && action == int(CommandLine::Action::Run));
    if (command.action() == CommandLine::Action::Psnr || command.differenced())
        QCOMPARE(command.compared(), (std::array<std::string, 2> { files[0], files[1] }));
    QCOMPARE(command.styleChosen(), styleChosen);
    const AskedParameters &asked = command.asked();
    QCOMPARE(asked.size ? QStringLiteral("%1x%2").arg(asked.size->width).arg(asked.size->height)
                        : QString(),
        size);
    QCOMPARE(asked.format ? QString::fromLatin1(layoutOf(*asked.format)->name) : QString(), format);
}

void TestStartup::frameOptionIsAWholeNumber_data()
{
    using Bytes = std::vector<std::string>;
    QTest::addColumn<Bytes>("arguments");
    // The frame asked for; -1 for none.
    QTest::addColumn<qint64>("frame");
    // For a refusal, the line on standard error.
    QTest::addColumn<QString>("says");

    QTest::newRow("not given") << Bytes { "zentavo", "a.yuv" } << qint64(-1) << "";
    QTest::newRow("--frame 0") << Bytes { "zentavo", "--frame", "0", "a.yuv" } << qint64(0) << "";
    QTest::newRow("--frame=70000 after the files, beside -s") << Bytes { "zentavo", "-s", "cif",
        "a.yuv", "b.yuv", "--frame=70000" } << qint64(70000) << "";
    QTest::newRow("past 64 bits: past every video's end")
        << Bytes { "zentavo", "--frame", "99999999999999999999", "a.yuv" }
        << qint64(std::numeric_limits<qint64>::max()) << "";
    QTest::newRow("negative") << Bytes { "zentavo", "--frame", "-3", "a.yuv" } << qint64(-1)
                              << "zentavo: '-3' is no frame number: give a whole number, 0 or "
                                 "more\n";
    QTest::newRow("text") << Bytes { "zentavo", "--frame", "last", "a.yuv" } << qint64(-1)
                          << "zentavo: 'last' is no frame number: give a whole number, 0 or "
                             "more\n";
    QTest::newRow("a sign") << Bytes { "zentavo", "--frame=+5", "a.yuv" } << qint64(-1)
                            << "zentavo: '+5' is no frame number: give a whole number, 0 or "
                               "more\n";
    QTest::newRow("empty") << Bytes { "zentavo", "--frame=", "a.yuv" } << qint64(-1)
                           << "zentavo: '' is no frame number: give a whole number, 0 or more\n";
}

void TestStartup::frameOptionIsAWholeNumber()
{
    using Bytes = std::vector<std::string>;
    QFETCH(Bytes, arguments);
    QFETCH(qint64, frame);
    QFETCH(QString, says);

    const CommandLine command(arguments);
    QCOMPARE(int(command.action()),
        int(says.isEmpty() ? CommandLine::Action::Run : CommandLine::Action::Error));
    QCOMPARE(QString::fromStdString(command.message()), says);
    QCOMPARE(command.startFrame().value_or(-1), frame);
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
