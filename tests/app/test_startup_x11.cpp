#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace {

struct DisplayCloser
{
    void operator()(Display *display) const { XCloseDisplay(display); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

QString windowTitle(Display *display, Window window)
{
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char *data = nullptr;
    QString title;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                           &remaining, &data) == Success && data) {
        title = QString::fromUtf8(reinterpret_cast<const char *>(data), int(count));
    }
    if (data)
        XFree(data);
    return title;
}

struct FoundWindow
{
    Window id = 0;
    int width = 0;
    int height = 0;
};

// Top-level windows are children of the root here: Xvfb runs without a window manager.
std::optional<FoundWindow> findViewableWindow(Display *display, const QString &title)
{
    Window root = 0;
    Window parent = 0;
    Window *children = nullptr;
    unsigned int count = 0;
    std::optional<FoundWindow> found;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return found;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, children[i], &attributes)
            || attributes.map_state != IsViewable)
            continue;
        if (windowTitle(display, children[i]) == title)
            found = FoundWindow{children[i], attributes.width, attributes.height};
    }
    if (children)
        XFree(children);
    return found;
}

std::optional<FoundWindow> waitForWindow(Display *display, const QString &title, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (auto found = findViewableWindow(display, title))
            return found;
        QThread::msleep(50);
    }
    return std::nullopt;
}

// Makes and enters, one step at a time, a chain of folders under `top` whose innermost one
// has a name at least `depth` bytes long: past PATH_MAX no call takes the whole name. The
// steps made, outermost first, go into `steps`, whether or not all could be made.
bool enterDeepFolder(const QByteArray &top, int depth, QByteArrayList &steps)
{
    if (::chdir(top.constData()) != 0)
        return false;
    for (qsizetype length = top.size(); length < depth;) {
        // Under NAME_MAX, and the last step no longer than needed.
        const QByteArray step(std::clamp(depth - int(length) - 1, 1, 200), 'd');
        if (::mkdir(step.constData(), 0700) != 0)
            return false;
        steps << step;
        if (::chdir(step.constData()) != 0)
            return false;
        length += 1 + step.size();
    }
    return true;
}

// Removes the folders that enterDeepFolder made, and `file` in the innermost one.
void removeDeepFolder(const QByteArray &top, const QByteArrayList &steps, const QByteArray &file)
{
    if (::chdir(top.constData()) != 0)
        return;
    for (const QByteArray &step : steps) {
        if (::chdir(step.constData()) != 0)
            return;
    }
    ::unlink(file.constData());
    for (auto step = steps.crbegin(); step != steps.crend(); ++step) {
        if (::chdir("..") != 0 || ::rmdir(step->constData()) != 0)
            return;
    }
}

// What a window manager sends when the user clicks the title bar's close button.
void requestClose(Display *display, Window window)
{
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

} // namespace

class TestStartupX11 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void showsTheWindowAndExitsCleanlyOnClose_data();
    void showsTheWindowAndExitsCleanlyOnClose();
    void endsWithoutAWindow_data();
    void endsWithoutAWindow();

private:
    void start(QProcess &program, const QStringList &arguments);

    DisplayPtr display;
    // Holds a named pipe for -stylesheet.
    QTemporaryDir scratch;
};

// One connection for the whole run: an X server without -noreset regenerates when its
// last client leaves and refuses connections meanwhile.
void TestStartupX11::initTestCase()
{
    display.reset(XOpenDisplay(nullptr));
    QVERIFY2(display, "no X display: run under xvfb-run");
    QVERIFY(scratch.isValid());
    QCOMPARE(::mkfifo(QFile::encodeName(scratch.filePath(QStringLiteral("style.fifo"))).constData(),
                 0600),
        0);
}

void TestStartupX11::showsTheWindowAndExitsCleanlyOnClose_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("errors");
    // The program starts in a folder this many bytes deep, where `video` is a clip of three
    // 16 x 8 yuv420p frames; 0 for the test's own folder and no clip.
    QTest::addColumn<int>("folderDepth");
    QTest::addColumn<QString>("video");
    // The frame the video window's title shows.
    QTest::addColumn<int>("shown");
    QTest::newRow("no arguments") << QStringList() << QString() << 0 << QString() << 0;
    QTest::newRow("Qt's own options") << QStringList { "-style", "windows", "-name", "viewer" }
                                      << QString() << 0 << QString() << 0;
    // Files of a known size that cannot be opened are named on standard error, in turn.
    QTest::newRow("files that cannot be opened as asked")
        << QStringList { "-f", "nv12", "/nonexistent/gone_16x8.yuv", "--",
               "/nonexistent/-odd_15x8.yuv" }
        << "zentavo: /nonexistent/gone_16x8.yuv cannot be found.\n"
           "zentavo: /nonexistent/-odd_15x8.yuv: Width must be even.\n"
        << 0 << QString() << 0;
    QTest::newRow("a folder with -s")
        << QStringList { "-s", "16x8", "/" } << "zentavo: / is not a regular file.\n"
        << 0 << QString() << 0;
    // Joined to the folder, the name would pass PATH_MAX (4096); alone, it opens.
    QTest::newRow("a relative name in a folder 4,100 bytes deep")
        << QStringList { "clip_16x8_yuv420p.yuv" } << QString() << 4100 << "clip_16x8_yuv420p.yuv"
        << 0;
    QTest::newRow("--frame 1") << QStringList { "--frame", "1", "clip_16x8_yuv420p.yuv" }
                               << QString() << 1 << "clip_16x8_yuv420p.yuv" << 1;
    QTest::newRow("--frame past the end: the last frame")
        << QStringList { "clip_16x8_yuv420p.yuv", "--frame=70000" } << QString() << 1
        << "clip_16x8_yuv420p.yuv" << 2;
}

void TestStartupX11::showsTheWindowAndExitsCleanlyOnClose()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, errors);
    QFETCH(int, folderDepth);
    QFETCH(QString, video);
    QFETCH(int, shown);

    // Made before the program, so that they are removed once it has ended.
    QTemporaryDir top;
    QVERIFY(top.isValid());
    const QByteArray topName = QFile::encodeName(top.path());
    const QString ownFolder = QDir::currentPath();
    QByteArrayList steps;
    const auto removeSteps = qScopeGuard([&] {
        removeDeepFolder(topName, steps, QFile::encodeName(video));
        QDir::setCurrent(ownFolder);
    });

    QProcess program;
    if (folderDepth > 0) {
        QVERIFY2(enterDeepFolder(topName, folderDepth, steps), "the deep folder could not be made");
        QFile clip(video);
        QVERIFY(clip.open(QIODevice::WriteOnly));
        QCOMPARE(clip.write(QByteArray(3 * 16 * 8 * 3 / 2, '\x80')), 3 * 16 * 8 * 3 / 2);
        clip.close();
    }
    // The program inherits the working folder: no call could name the deep one in full.
    start(program, arguments);
    QVERIFY(program.waitForStarted());
    QDir::setCurrent(ownFolder);

    auto window = waitForWindow(display.get(), QStringLiteral("Zentavo v1.1"), 30000);
    QVERIFY2(window, "no window titled \"Zentavo v1.1\" appeared");
    const QString videoTitle = video + QStringLiteral(" - %1/3").arg(shown);
    if (!video.isEmpty() && !waitForWindow(display.get(), videoTitle, 30000)) {
        // Its standard error, read in full, says why.
        program.kill();
        program.waitForFinished();
        QFAIL(qPrintable(
            QStringLiteral("no window titled \"%1\" appeared; %2")
                .arg(videoTitle, QString::fromLocal8Bit(program.readAllStandardError()))));
    }
    QCOMPARE(window->width, 630);
    QCOMPARE(window->height, 280);

    requestClose(display.get(), window->id);
    QVERIFY2(program.waitForFinished(30000), "the program did not end after its window closed");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(QString::fromLocal8Bit(program.readAllStandardError()), errors);
    QVERIFY(!findViewableWindow(display.get(), QStringLiteral("Zentavo v1.1")));
}

void TestStartupX11::endsWithoutAWindow_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("withDisplay");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("errors");
    // Lines of Qt's that standard error holds once each, in place of `errors`: Qt's message
    // goes on to list the platform plugins it found, which differ between machines.
    QTest::addColumn<QStringList>("qtLines");

    const QString usage = QStringLiteral("Usage: zentavo [options] [FILE...]\n");
    const QString help = usage
        + QStringLiteral(
            "Shows raw, headerless YUV video files frame by frame.\n"
            "\n"
            "Options:\n"
            "  -h, --help           Displays help on commandline options.\n"
            "  --help-all           Displays help including Qt specific options.\n"
            "  -v, --version        Displays version information.\n"
            "  -s, --size <WxH>     Frame size of every file, such as 1920x1080 or cif.\n"
            "  -f, --format <NAME>  Sample layout of every file, such as yuv420p or nv12.\n"
            "  -m, --matrix <NAME>  Colour matrix of every file: bt601, bt709 or bt2020.\n"
            "  -r, --range <NAME>   Sample range of every file: limited or full.\n"
            "  --psnr               Compares two FILEs as ffmpeg's psnr filter does.\n"
            "  --diff               Opens two FILEs and a window of their difference.\n"
            "  --frame <N>          Frame every FILE starts at, counted from 0.\n"
            "\n"
            "Arguments:\n"
            "  FILE                 Files to open, straight away when the frame size is\n"
            "                       known, else asked about in turn. Put -- before a name\n"
            "                       that begins with -.\n");
    const QString unknown = QStringLiteral("zentavo: Unknown option 'width'.\n") + usage;
    QTest::newRow("--help") << QStringList { "--help" } << true << 0 << help << QString()
                            << QStringList();
    QTest::newRow("--help without a display")
        << QStringList { "--help" } << false << 0 << help << QString() << QStringList();
    QTest::newRow("--version") << QStringList { "--version" } << true << 0 << "Zentavo 1.1\n"
                               << QString() << QStringList();
    QTest::newRow("--help after a file and Qt's -platform")
        << QStringList { "-platform", "offscreen", "clip.yuv", "--help" } << true << 0 << help
        << QString() << QStringList();
    QTest::newRow("an option of nobody's") << QStringList { "clip.yuv", "--width" } << true << 2
                                           << QString() << unknown << QStringList();
    QTest::newRow("an option of nobody's without a display")
        << QStringList { "-style=windows", "--width", "clip.yuv" } << false << 2 << QString()
        << unknown << QStringList();
    QTest::newRow("ambiguous yv12")
        << QStringList { "-s", "352x288", "-f", "yv12", "clip.yuv" } << false << 2 << QString()
        << "zentavo: 'yv12' is ambiguous: yuv420p (U before V, the "
           "dialog's YV12) or yvu420p (V before U)\n"
        << QStringList();
    QTest::newRow("ambiguous UYVY") << QStringList { "-f", "UYVY" } << false << 2 << QString()
                                    << "zentavo: 'UYVY' is ambiguous: yuv422p (planes, the "
                                       "dialog's UYVY) or uyvy422 (packed U Y0 V Y1)\n"
                                    << QStringList();
    QTest::newRow("a layout nobody knows")
        << QStringList { "-f", "yuv420p10be", "clip.yuv" } << false << 2 << QString()
        << "zentavo: 'yuv420p10be' is no sample layout: give one of yuv420p, i420, iyuv, "
           "yuv422p, i422, yvu420p, nv12, nv21, yuyv422, yuy2, yuyv, uyvy422, yvyu422, yvyu, "
           "nv16, yuv444p, i444, gray, y800, grey, yuv420p10le, yuv422p10le, yuv444p10le, "
           "yuv420p12le, yuv422p12le, yuv444p12le, gray10le, y10, gray12le, y12, p010le\n"
        << QStringList();
    QTest::newRow("a matrix nobody knows")
        << QStringList { "-s", "cif", "-m", "bt470", "clip.yuv" } << false << 2 << QString()
        << "zentavo: 'bt470' is no colour matrix: give one of bt601, 601, bt709, 709, bt2020, "
           "2020\n"
        << QStringList();
    QTest::newRow("an empty range")
        << QStringList { "--range=", "clip.yuv" } << false << 2 << QString()
        << "zentavo: '' is no sample range: give one of limited, tv, "
           "videorange, full, pc, fullrange\n"
        << QStringList();
    QTest::newRow("a size with no height")
        << QStringList { "-s", "352x", "clip.yuv" } << false << 2 << QString()
        << "zentavo: '352x' is no frame size: give WxH, such as 1920x1080, or one of sqcif, "
           "qcif, cif, 4cif, 720p, 1080p, 2160p\n"
        << QStringList();
    QTest::newRow("a size of 0 x 288") << QStringList { "--size=0x288" } << false << 2 << QString()
                                       << "zentavo: '0x288' is no frame size: give WxH, such as "
                                          "1920x1080, or one of sqcif, qcif, cif, 4cif, 720p, "
                                          "1080p, 2160p\n"
                                       << QStringList();
    QTest::newRow("--frame with text")
        << QStringList { "--frame", "ten", "clip.yuv" } << false << 2 << QString()
        << "zentavo: 'ten' is no frame number: give a whole "
           "number, 0 or more\n"
        << QStringList();
    QTest::newRow("-s without its value")
        << QStringList { "clip.yuv", "-s" } << false << 2 << QString()
        << QStringLiteral("zentavo: Missing value after '-s'.\n") + usage << QStringList();
    // Read by Qt, a pipe would hold the program before any window until the wait gives up.
    const QString pipe = scratch.filePath(QStringLiteral("style.fifo"));
    QTest::newRow("-stylesheet a pipe")
        << QStringList { "-stylesheet", pipe, "clip.yuv" } << true << 2 << QString()
        << QStringLiteral("zentavo: -stylesheet '%1' is not a regular file: give a style sheet "
                          "file\n")
               .arg(pipe)
        << QStringList();
    QTest::newRow("nv12 with no size for the second file")
        << QStringList { "-f", "nv12", "a_352x288.yuv", "b.yuv" } << false << 2 << QString()
        << "zentavo: nv12 needs a frame size: give -s WxH or put the size in the file's name\n"
        << QStringList();

    // A display that cannot be had ends the program as a lost one does, after Qt's message.
    const QString noPlugin
        = QStringLiteral("This application failed to start because no Qt platform plugin could be "
                         "initialized. Reinstalling the application may fix this problem.");
    QTest::newRow("a file without a display")
        << QStringList { "clip_16x8_yuv420p.yuv" } << false << 1 << QString() << QString()
        << QStringList { "qt.qpa.xcb: could not connect to display ", noPlugin };
    QTest::newRow("-display naming no server")
        << QStringList { "-display", ":999", "clip_16x8_yuv420p.yuv" } << true << 1 << QString()
        << QString() << QStringList { "qt.qpa.xcb: could not connect to display :999", noPlugin };
    QTest::newRow("-platform naming no plugin")
        << QStringList { "-platform", "bogus", "clip_16x8_yuv420p.yuv" } << true << 1 << QString()
        << QString()
        << QStringList { "qt.qpa.plugin: Could not find the Qt platform plugin \"bogus\" in \"\"",
               noPlugin };
}

// None shows a window: the program answers, or finds no display, and ends by itself.
void TestStartupX11::endsWithoutAWindow()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, withDisplay);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QFETCH(QString, errors);
    QFETCH(QStringList, qtLines);

    QProcess program;
    if (!withDisplay) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        program.setProcessEnvironment(environment);
    }
    start(program, arguments);
    QVERIFY2(program.waitForFinished(30000), "the program did not end by itself");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitCode);
    QCOMPARE(QString::fromLocal8Bit(program.readAllStandardOutput()), output);
    const QString written = QString::fromLocal8Bit(program.readAllStandardError());
    if (qtLines.isEmpty()) {
        QCOMPARE(written, errors);
    } else {
        const QStringList lines = written.split(QLatin1Char('\n'));
        for (const QString &line : qtLines)
            QVERIFY2(lines.count(line) == 1,
                qPrintable(line + QStringLiteral("\nis not once in\n") + written));
    }
}

void TestStartupX11::start(QProcess &program, const QStringList &arguments)
{
    QProcessEnvironment environment = program.processEnvironment();
    if (environment.isEmpty())
        environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    program.setProcessEnvironment(environment);
    // ZENTAVO_EXECUTABLE names another copy to start, such as the installed /usr/bin/zentavo.
    program.start(
        qEnvironmentVariable("ZENTAVO_EXECUTABLE", QStringLiteral(ZENTAVO_EXECUTABLE)), arguments);
}

QTEST_GUILESS_MAIN(TestStartupX11)
#include "test_startup_x11.moc"
