#include "referencepicture.h"
#include "tempdir.h"
#include "testclips.h"
#include "videoparameters.h"
#include "xdriver.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QThread>
#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fstream>
#include <iterator>
#include <utility>

#include <signal.h>
#include <sys/stat.h>

using namespace xdriver;

namespace {

const QString mainTitle = QStringLiteral("Zentavo v1\\.1");
const QString chooserTitle = QStringLiteral("Choose a file to open");
const QString dialogTitle = QStringLiteral("Video parameters");
constexpr int windowTimeoutMs = 20000;
constexpr int pictureTimeoutMs = 10000;

// Centres of the main window's controls, from the geometry in its form; the main window
// has no menu or status bar, so form coordinates are window coordinates.
QPoint centreOf(int x, int y, int width, int height)
{
    return QPoint(x + width / 2, y + height / 2);
}
const QPoint openButton = centreOf(14, 11, 40, 40);
const QPoint closeButton = centreOf(14, 188, 40, 40);
const QPoint videoList = centreOf(69, 10, 211, 231);
const QPoint goToStartButton = centreOf(286, 10, 41, 21);
const QPoint playButton = centreOf(414, 10, 40, 21);
const QPoint stopButton = centreOf(458, 10, 41, 21);
const QPoint stepForwardButton = centreOf(501, 10, 40, 21);
const QPoint goToEndButton = centreOf(586, 10, 41, 21);
// Check boxes and radio buttons answer on their indicator, at the left of their geometry.
const QPoint colourButton(554 + 3 + 7, 88 + 20 + 8);
const QPoint yButton(554 + 3 + 7, 88 + 41 + 8);
const QPoint uButton(554 + 3 + 7, 88 + 57 + 8);
const QPoint gridBox(555 + 7, 211 + 8);
const QPoint gridCombo = centreOf(554, 227, 69, 16);
const QPoint tooltipBox(555 + 7, 190 + 8);
const QPoint normalLoopBox(554 + 3 + 7, 35 + 18 + 8);
// The zoom slider's handle at 100 %: 40 % along the groove that its 15 pixels leave.
const QPoint zoomHandle(286 + 12 + 7 + (241 - 15) * 40 / 100, 88 + 29 + 12);

// In the parameters dialog the fields sit in a group box on the tab widget's first page,
// which starts below the tab bar: 2 pixels in and 26 down with the Fusion style.
const QPoint tabPage(10 + 2, 10 + 26);
const QPoint widthField = tabPage + QPoint(12, 20) + centreOf(60, 64, 81, 20);

// The graphics view's frame: picture pixel (0, 0) lands on window pixel (1, 1).
const QPoint pictureOrigin(1, 1);

// Compares the picture inside a grabbed window, from `origin` on, with the reference;
// empty when equal.
QString pictureMismatch(
    const QImage &window, const QImage &reference, QPoint origin = pictureOrigin)
{
    if (window.isNull())
        return QStringLiteral("no picture of the window could be taken");
    const QRect wanted(origin, reference.size());
    if (!window.rect().contains(wanted))
        return QStringLiteral("window of %1x%2 is too small")
            .arg(window.width())
            .arg(window.height());
    int wrong = 0;
    QString first;
    for (int y = 0; y < reference.height(); ++y) {
        for (int x = 0; x < reference.width(); ++x) {
            const QRgb shown = window.pixel(origin + QPoint(x, y));
            const QRgb expected = reference.pixel(x, y);
            if (qRed(shown) == qRed(expected) && qGreen(shown) == qGreen(expected)
                && qBlue(shown) == qBlue(expected))
                continue;
            if (wrong++ == 0) {
                first = QStringLiteral("(%1, %2) shows %3 %4 %5, expected %6 %7 %8")
                            .arg(x)
                            .arg(y)
                            .arg(qRed(shown))
                            .arg(qGreen(shown))
                            .arg(qBlue(shown))
                            .arg(qRed(expected))
                            .arg(qGreen(expected))
                            .arg(qBlue(expected));
            }
        }
    }
    return wrong == 0 ? QString()
                      : QStringLiteral("%1 pixels differ, first %2").arg(wrong).arg(first);
}

// The window repaints after its title changes, so the picture is polled, not grabbed once.
QString awaitPicture(const WindowId &window, const QImage &reference)
{
    QElapsedTimer clock;
    clock.start();
    QString mismatch;
    do {
        mismatch = pictureMismatch(grab(window), reference);
        if (mismatch.isEmpty())
            return mismatch;
        QThread::msleep(50);
    } while (clock.elapsed() < pictureTimeoutMs);
    return mismatch;
}

// The image on the clipboard, as another program reads it, compared with the reference;
// polled, as the program takes the key when it gets to it.
QString clipboardMismatch(const QImage &reference)
{
    QElapsedTimer clock;
    clock.start();
    QString mismatch;
    do {
        QProcess xclip;
        xclip.start(QStringLiteral(XCLIP_EXECUTABLE),
            { "-selection", "clipboard", "-t", "image/png", "-o" });
        QImage image;
        if (xclip.waitForFinished(windowTimeoutMs) && xclip.exitCode() == 0)
            image.loadFromData(xclip.readAllStandardOutput(), "PNG");
        if (image.isNull())
            mismatch = QStringLiteral("the clipboard holds no PNG image");
        else if (image.size() != reference.size())
            mismatch = QStringLiteral("the clipboard's image is %1x%2")
                           .arg(image.width())
                           .arg(image.height());
        else
            mismatch = pictureMismatch(image, reference, QPoint(0, 0));
        if (mismatch.isEmpty())
            return mismatch;
        QThread::msleep(50);
    } while (clock.elapsed() < pictureTimeoutMs);
    return mismatch;
}

// Checks a grabbed window at `scale` times the reference with values written over it: in
// each cell of `cell` screen pixels, some pixels in black or white, whichever contrasts
// with the reference pixel by its luma, none on the cell's edges, and the rest the
// picture. Empty when so.
QString valuesMismatch(const QImage &window, const QImage &reference, int scale, QSize cell)
{
    if (window.isNull())
        return QStringLiteral("no picture of the window could be taken");
    if (!window.rect().contains(QRect(pictureOrigin, reference.size() * scale)))
        return QStringLiteral("window of %1x%2 is too small")
            .arg(window.width())
            .arg(window.height());
    for (int top = 0; top < reference.height() * scale; top += cell.height()) {
        for (int left = 0; left < reference.width() * scale; left += cell.width()) {
            const QRgb under = reference.pixel(left / scale, top / scale) & 0xffffffu;
            const bool dark
                = 299 * qRed(under) + 587 * qGreen(under) + 114 * qBlue(under) >= 1000 * 128;
            const QRgb text = dark ? 0x000000u : 0xffffffu;
            int written = 0;
            for (int y = top; y < top + cell.height(); ++y) {
                for (int x = left; x < left + cell.width(); ++x) {
                    const QRgb shown = window.pixel(pictureOrigin + QPoint(x, y)) & 0xffffffu;
                    if (shown == under)
                        continue;
                    const bool edge = x == left || y == top || x == left + cell.width() - 1
                        || y == top + cell.height() - 1;
                    if (edge || shown != text)
                        return QStringLiteral("(%1, %2) of the cell at (%3, %4) shows %5")
                            .arg(x - left)
                            .arg(y - top)
                            .arg(left)
                            .arg(top)
                            .arg(shown, 6, 16, QLatin1Char('0'));
                    ++written;
                }
            }
            if (written < 8)
                return QStringLiteral("the cell at (%1, %2) has %3 pixels written")
                    .arg(left)
                    .arg(top)
                    .arg(written);
        }
    }
    return QString();
}

// What the screen shows, for a failure's message.
QString visibleTitles()
{
    QStringList titles;
    for (const WindowId &window : visibleWindows(QStringLiteral(".*")))
        titles << QLatin1Char('"') + windowTitle(window) + QLatin1Char('"');
    return titles.join(QStringLiteral(", "));
}

int frameInTitle(const QString &title)
{
    static const QRegularExpression pattern(QStringLiteral(" - (\\d+)/\\d+$"));
    const QRegularExpressionMatch match = pattern.match(title);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// Polls the title until it names a frame above `frame`; returns the frame it names then.
int awaitFrameAbove(const WindowId &window, int frame)
{
    QElapsedTimer clock;
    clock.start();
    int shown = -1;
    do {
        shown = frameInTitle(windowTitle(window));
        if (shown > frame)
            break;
        QThread::msleep(10);
    } while (clock.elapsed() < windowTimeoutMs);
    return shown;
}

QString awaitTitleOtherThan(const WindowId &window, const QString &title)
{
    QElapsedTimer clock;
    clock.start();
    QString now = windowTitle(window);
    while (now == title && clock.elapsed() < windowTimeoutMs) {
        QThread::msleep(10);
        now = windowTitle(window);
    }
    return now;
}

// Polls the title until the whole of it matches `pattern`; no match after the timeout.
QRegularExpressionMatch awaitTitleMatching(const WindowId &window, const QString &pattern)
{
    const QRegularExpression whole(QRegularExpression::anchoredPattern(pattern));
    QElapsedTimer clock;
    clock.start();
    QRegularExpressionMatch match;
    do {
        match = whole.match(windowTitle(window));
        if (match.hasMatch())
            break;
        QThread::msleep(10);
    } while (clock.elapsed() < windowTimeoutMs);
    return match;
}

// Polls the title until it has not changed for a second (25 play ticks); returns it.
QString awaitSteadyTitle(const WindowId &window)
{
    QElapsedTimer clock;
    clock.start();
    QElapsedTimer steady;
    steady.start();
    QString title = windowTitle(window);
    while (steady.elapsed() < 1000 && clock.elapsed() < windowTimeoutMs) {
        QThread::msleep(20);
        const QString now = windowTitle(window);
        if (now != title) {
            title = now;
            steady.restart();
        }
    }
    return title;
}

// Whether a path lies where the program may write: devices, its own /proc files and the
// runtime folder. The X socket and pipes are not paths in the trace.
bool writableForTheProgram(const QString &path, const QString &runtimeFolder)
{
    for (const QString &place :
        { QStringLiteral("/dev"), QStringLiteral("/proc"), runtimeFolder }) {
        if (!place.isEmpty() && (path == place || path.startsWith(place + QLatin1Char('/'))))
            return true;
    }
    return false;
}

// The lines of an `strace -f -y` trace that create, write, rename or remove anything on
// disk outside the places above; relative paths are taken from `workingFolder`.
QStringList writesOnDisk(
    const QString &tracePath, const QString &workingFolder, const QString &runtimeFolder)
{
    QFile trace(tracePath);
    if (!trace.open(QIODevice::ReadOnly))
        return { QStringLiteral("no trace at ") + tracePath };
    static const QRegularExpression call(QStringLiteral("^\\d+\\s+(\\w+)\\((.*)$"));
    static const QRegularExpression quoted(QStringLiteral("\"((?:[^\"\\\\]|\\\\.)*)\""));
    static const QRegularExpression descriptor(QStringLiteral("^\\d+<([^>]*)>"));
    static const QRegularExpression changing(QStringLiteral(
        "^(creat|mkdir|mkdirat|rename|renameat|renameat2|unlink|unlinkat|rmdir|link|linkat|"
        "symlink|symlinkat|truncate|chmod|fchmodat|chown|lchown|fchownat|mknod|mknodat)$"));
    const QDir working(workingFolder);
    QStringList found;
    while (!trace.atEnd()) {
        const QString line = QString::fromUtf8(trace.readLine()).trimmed();
        const QRegularExpressionMatch match = call.match(line);
        if (!match.hasMatch())
            continue;
        const QString name = match.captured(1);
        const QString arguments = match.captured(2);
        QStringList paths;
        if (name == QLatin1String("write")) {
            const QString target = descriptor.match(arguments).captured(1);
            if (target.startsWith(QLatin1Char('/')))
                paths << target;
        } else if (name.startsWith(QLatin1String("open"))) {
            static const QRegularExpression writing(
                QStringLiteral("O_WRONLY|O_RDWR|O_CREAT|O_TRUNC"));
            if (writing.match(arguments).hasMatch()) {
                // openat names its folder by a descriptor, which -y prints as a path.
                const QString folder = descriptor.match(arguments).captured(1);
                const QString file = quoted.match(arguments).captured(1);
                paths << (folder.isEmpty() || file.startsWith(QLatin1Char('/'))
                        ? file
                        : folder + QLatin1Char('/') + file);
            }
        } else if (changing.match(name).hasMatch()) {
            for (auto it = quoted.globalMatch(arguments); it.hasNext();)
                paths << it.next().captured(1);
            if (paths.isEmpty())
                paths << arguments;
        }
        const bool elsewhere = std::any_of(paths.cbegin(), paths.cend(), [&](const QString &path) {
            return !writableForTheProgram(working.absoluteFilePath(path), runtimeFolder);
        });
        if (elsewhere)
            found << line;
    }
    return found;
}

// Every program an `strace -f` trace shows being started, whether it could be or not.
QStringList programsStarted(const QString &tracePath)
{
    QFile trace(tracePath);
    if (!trace.open(QIODevice::ReadOnly))
        return { QStringLiteral("no trace at ") + tracePath };
    static const QRegularExpression start(QStringLiteral("^\\d+\\s+execve\\(\"([^\"]*)\""));
    QStringList started;
    while (!trace.atEnd()) {
        const QRegularExpressionMatch match = start.match(QString::fromUtf8(trace.readLine()));
        if (match.hasMatch())
            started << match.captured(1);
    }
    return started;
}

// The local sockets that the traced calls to connect name.
QStringList socketsConnectedTo(const QString &tracePath)
{
    QFile trace(tracePath);
    if (!trace.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression connect(
        QStringLiteral("^\\d+\\s+connect\\(.*sun_path=@?\"([^\"]*)\""));
    QStringList sockets;
    while (!trace.atEnd()) {
        const QRegularExpressionMatch match = connect.match(QString::fromUtf8(trace.readLine()));
        if (match.hasMatch())
            sockets << match.captured(1);
    }
    return sockets;
}

// The processes still running with `home` as $HOME: whatever a program given that home
// started and left behind, such as a session bus.
QStringList processesWithHome(const QString &home)
{
    const QByteArray entry = "HOME=" + QFile::encodeName(home);
    QStringList found;
    const QDir processes(QStringLiteral("/proc"));
    for (const QString &pid : processes.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile environment(processes.filePath(pid + QStringLiteral("/environ")));
        if (!environment.open(QIODevice::ReadOnly)
            || !environment.readAll().split('\0').contains(entry))
            continue;
        QFile name(processes.filePath(pid + QStringLiteral("/comm")));
        found << pid + QLatin1Char(' ')
                + (name.open(QIODevice::ReadOnly) ? QString::fromUtf8(name.readAll()).trimmed()
                                                  : QString());
    }
    return found;
}

struct Clip
{
    QString name;
    QString path;
    std::int32_t format = YV12;
    int width = 0;
    int height = 0;
    int frames = 0;
    // ColourMatrix and ColourRange values.
    int matrix = 0;
    int range = 0;
    QByteArray bytes;

    QString title(int frame) const
    {
        return name + QStringLiteral(" - %1/%2").arg(frame).arg(frames);
    }
    QImage picture(int frame, int gridStep = 0) const
    {
        return referencepicture::colour(
            bytes, format, width, height, frame, gridStep, matrix, range);
    }
};

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void filesOnTheCommandLineSteppedByKeys();
    void openStepPlayViewAndQuit_data();
    void openStepPlayViewAndQuit();
    void writesNothingInAnyFlow_data();
    void writesNothingInAnyFlow();
    void endsWithoutASignalWhenTheDisplayGoes_data();
    void endsWithoutASignalWhenTheDisplayGoes();
    void namesThatAreNotUtf8Open_data();
    void namesThatAreNotUtf8Open();
    void refusedFilesAreShownInTheWindow();
    void differenceWindowShowsWhereTwoVideosDiffer();
    void y4mShowsThePictureOfFfmpegsRawFile_data();
    void y4mShowsThePictureOfFfmpegsRawFile();
    void goesToAFrameReloadsCopiesAndShowsValues_data();
    void goesToAFrameReloadsCopiesAndShowsValues();

private:
    // `home` stands in for $HOME, with no XDG folder pointing elsewhere; a `tracePath`
    // runs the program under strace, which writes the trace there.
    bool startProgram(const QStringList &arguments = QStringList(), const QString &home = QString(),
        const QString &tracePath = QString());
    // Arguments as bytes, such as names that are not UTF-8.
    bool startProgramWithBytes(const QList<QByteArray> &arguments);
    void setUpProgram(const QString &home, const QString &tracePath);
    bool openThroughTheDialogs(const Clip &clip, const QString &formatKey);
    bool answerTheDialog(const Clip &clip, const QString &formatKey);
    void checkStepping(const WindowId &main, const WindowId &video, const Clip &clip);
    void checkPlayAndStop(const WindowId &main, const WindowId &video, const Clip &clip);
    void checkUViewAndGrid(const WindowId &main, const WindowId &video, const Clip &clip);
    bool startWindowManager();
    Clip makeClip(const QString &name, int width, int height, int frames);
    // A clip whose name is the file system's bytes, shown as they read as text.
    Clip makeClip(const QByteArray &name, int width, int height, int frames);
    void checkZoomedWindowStaysOnScreen(const WindowId &main, const WindowId &video);
    // Ctrl+C and the clipboard read back by another program, then "Show values" ticked in
    // the right-click menu at 1600 %, where `shown` must be written over each pixel, and
    // unticked again; the window is at 100 % with the keyboard focus.
    void checkCopyAndValues(const WindowId &video, const QImage &shown, QSize size);
    // `errors` is what standard error must hold by then.
    void quitAndCheckExit(const WindowId &main, const QString &errors = QString());

    TempDir dir;
    // Held for the whole test: a server left without clients resets, and refuses
    // connections while it does.
    DisplayConnection display;
    QProcess windowManager;
    QProcess program;
};

void TestEndToEnd::initTestCase()
{
    QVERIFY(dir.isValid());
    display = connectToDisplay();
    QVERIFY2(display, "no X display: run under xvfb-run");
}

// A failed check leaves the program running; the next row needs a fresh one.
void TestEndToEnd::cleanup()
{
    if (program.state() != QProcess::NotRunning) {
        program.kill();
        program.waitForFinished();
    }
    if (windowManager.state() != QProcess::NotRunning) {
        windowManager.terminate();
        windowManager.waitForFinished();
        // The next program must not ask a window manager that is gone to focus its windows.
        forgetWindowManager(display.get());
    }
}

void TestEndToEnd::openStepPlayViewAndQuit_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("formatKey");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("frames");
    QTest::addColumn<bool>("underOpenbox");
    // Empty: opened through Open and the dialog; else the command line, "%f" the file.
    QTest::addColumn<QStringList>("arguments");
    // The matrix and range the picture is drawn in, as ColourMatrix * 10 + ColourRange.
    QTest::addColumn<int>("colour");

    const QStringList byName { "%f" };
    QTest::newRow("YV12 64x48, 150 frames")
        << "e2e 420.yuv" << int(YV12) << "Y" << 64 << 48 << 150 << false << QStringList() << 0;
    QTest::newRow("UYVY 96x32, 150 frames")
        << "e2e 422.yuv" << int(UYVY) << "U" << 96 << 32 << 150 << false << QStringList() << 0;
    // At 200 % this one is larger than the 1920 x 1200 screen both ways.
    QTest::newRow("YV12 960x600 under openbox, 100 frames")
        << "e2e framed.yuv" << int(YV12) << "Y" << 960 << 600 << 100 << true << QStringList() << 0;
    // Every other layout from the command line; any bytes are a picture in every layout.
    // Without a window manager the video window opens over the main window's top left
    // corner: these stay clear of the transport buttons.
    QTest::newRow("yuv420p by name")
        << "e2e_64x48_yuv420p.yuv" << int(YV12) << "" << 64 << 48 << 60 << false << byName << 0;
    QTest::newRow("yuv422p with -s and -f")
        << "e2e yuv422p.yuv" << int(Planar422) << "" << 96 << 32 << 60 << false
        << QStringList { "-s", "96x32", "-f", "yuv422p", "%f" } << 0;
    QTest::newRow("yvu420p by name")
        << "e2e-64x48-yvu420p.yuv" << int(Yvu420p) << "" << 64 << 48 << 60 << false << byName << 0;
    QTest::newRow("nv12 by name") << "e2e_96x32_nv12.yuv" << int(Nv12) << "" << 96 << 32 << 60
                                  << false << byName << 0;
    QTest::newRow("nv21 with -f, the size by name")
        << "e2e_64x48.yuv" << int(Nv21) << "" << 64 << 48 << 60 << false
        << QStringList { "-f", "nv21", "%f" } << 0;
    QTest::newRow("yuyv422 by its alias")
        << "e2e.64x48.yuy2" << int(Yuyv422) << "" << 64 << 48 << 60 << false << byName << 0;
    QTest::newRow("uyvy422 with --size and --format")
        << "e2e uyvy422.yuv" << int(Uyvy422) << "" << 96 << 32 << 60 << false
        << QStringList { "--size", "96x32", "--format", "uyvy422", "--", "%f" } << 0;
    QTest::newRow("yvyu422 by name")
        << "e2e_64x48_yvyu422.yuv" << int(Yvyu422) << "" << 64 << 48 << 60 << false << byName << 0;
    QTest::newRow("nv16 by name") << "e2e_96x32_nv16.yuv" << int(Nv16) << "" << 96 << 32 << 60
                                  << false << byName << 0;
    QTest::newRow("yuv444p by name")
        << "e2e_64x48_yuv444p.yuv" << int(Yuv444p) << "" << 64 << 48 << 60 << false << byName << 0;
    QTest::newRow("yuv444p by its chroma alone")
        << "e2e_64x48_444.yuv" << int(Yuv444p) << "" << 64 << 48 << 60 << false << byName << 0;
    QTest::newRow("gray with -s sqcif") << "e2e_y800.raw" << int(Gray) << "" << 128 << 96 << 60
                                        << false << QStringList { "-s", "sqcif", "%f" } << 0;
    // Deeper layouts: any bytes again, as bits above the depth are ignored.
    QTest::newRow("yuv420p10le by its depth alone")
        << "Kimono1_64x48_24_10bit.yuv" << int(Yuv420p10le) << "" << 64 << 48 << 30 << false
        << byName << 0;
    QTest::newRow("yuv422p12le with -f")
        << "e2e 12.yuv" << int(Yuv422p12le) << "" << 96 << 32 << 30 << false
        << QStringList { "-s", "96x32", "-f", "yuv422p12le", "%f" } << 0;
    QTest::newRow("p010le by name")
        << "e2e_64x48_p010.yuv" << int(P010le) << "" << 64 << 48 << 30 << false << byName << 0;
    QTest::newRow("gray12le with -f") << "e2e_96x32_gray12.raw" << int(Gray12le) << "" << 96 << 32
                                      << 30 << false << QStringList { "-f", "gray12le", "%f" } << 0;
    // Each matrix and range, from the options, the name's words and a y4m header.
    QTest::newRow("BT.601 limited with -m and -r")
        << "e2e colour.yuv" << int(YV12) << "" << 64 << 48 << 30 << false
        << QStringList { "-s", "64x48", "-m", "bt601", "-r", "limited", "%f" } << 0;
    QTest::newRow("BT.709 by name")
        << "e2e_64x48_bt709.yuv" << int(YV12) << "" << 64 << 48 << 30 << false << byName << 10;
    QTest::newRow("BT.2020 with --matrix")
        << "e2e 2020.yuv" << int(Yuv444p) << "" << 64 << 48 << 30 << false
        << QStringList { "-s", "64x48", "-f", "yuv444p", "--matrix", "bt2020", "%f" } << 20;
    QTest::newRow("BT.601 full with -r, the matrix by name")
        << "e2e_64x48_601.yuv" << int(YV12) << "" << 64 << 48 << 30 << false
        << QStringList { "-r", "full", "%f" } << 1;
    QTest::newRow("BT.709 full by name, 10 bits")
        << "e2e_64x48_709_pc_10bit.yuv" << int(Yuv420p10le) << "" << 64 << 48 << 30 << false
        << byName << 11;
    QTest::newRow("BT.2020 full from a y4m header and -m")
        << "e2e colour.y4m" << int(YV12) << "" << 64 << 48 << 30 << false
        << QStringList { "-m", "2020", "%f" } << 21;
}

void TestEndToEnd::openStepPlayViewAndQuit()
{
    QFETCH(QString, name);
    QFETCH(int, format);
    QFETCH(QString, formatKey);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, frames);
    QFETCH(bool, underOpenbox);
    QFETCH(QStringList, arguments);
    QFETCH(int, colour);

    Clip clip;
    clip.name = name;
    clip.matrix = colour / 10;
    clip.range = colour % 10;
    clip.path = QString::fromStdString(dir.filePath(name.toStdString()));
    clip.format = format;
    clip.width = width;
    clip.height = height;
    clip.frames = frames;
    if (arguments.isEmpty()) {
        QVERIFY(testclips::writeClip(clip.path.toStdString(), format, width, height, frames));
    } else {
        // Bytes that differ from their neighbours, so that a sample read from the wrong
        // place shows.
        QByteArray bytes(referencepicture::frameBytes(format, width, height) * frames, '\0');
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = char((i * 2654435761u) >> 13);
        QFile out(clip.path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        if (name.endsWith(QLatin1String(".y4m"))) {
            const qsizetype frameBytes = referencepicture::frameBytes(format, width, height);
            QVERIFY(out.write(QStringLiteral("YUV4MPEG2 W%1 H%2 F25:1 C420jpeg XCOLORRANGE=FULL\n")
                                  .arg(width)
                                  .arg(height)
                                  .toLatin1())
                > 0);
            for (int frame = 0; frame < frames; ++frame)
                QVERIFY(out.write("FRAME\n") == 6
                    && out.write(bytes.mid(frame * frameBytes, frameBytes)) == frameBytes);
        } else {
            QVERIFY(out.write(bytes) == bytes.size());
        }
        clip.bytes = bytes;
    }
    if (clip.bytes.isEmpty()) {
        QFile file(clip.path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        clip.bytes = file.readAll();
    }

    if (underOpenbox)
        QVERIFY2(startWindowManager(), "openbox did not take the screen");
    arguments.replaceInStrings(QStringLiteral("%f"), clip.name);
    QVERIFY(startProgram(arguments));
    const auto main = waitForWindow(mainTitle, windowTimeoutMs);
    QVERIFY2(main,
        qPrintable(QStringLiteral("the main window did not appear; visible: %1; program %2, "
                                  "standard error: %3")
                       .arg(visibleTitles(),
                           program.state() == QProcess::Running
                               ? QStringLiteral("running")
                               : QStringLiteral("ended with %1").arg(program.exitCode()),
                           QString::fromLocal8Bit(program.readAllStandardError()))));
    if (arguments.isEmpty())
        QVERIFY(openThroughTheDialogs(clip, formatKey));

    const auto video = waitForWindow(escapedForPattern(clip.title(0)), windowTimeoutMs);
    QVERIFY2(video, qPrintable(QStringLiteral("no window titled \"%1\"").arg(clip.title(0))));
    QCOMPARE(windowGeometry(*video).size(), QSize(width + 5, height + 5));
    // A window manager may place the video over the controls; the user moves them apart.
    if (underOpenbox) {
        moveWindow(*main, QPoint(0, 0));
        moveWindow(*video, QPoint(700, 0));
    }
    QCOMPARE(awaitPicture(*video, clip.picture(0)), QString());

    checkStepping(*main, *video, clip);
    if (QTest::currentTestFailed())
        return;
    checkPlayAndStop(*main, *video, clip);
    if (QTest::currentTestFailed())
        return;
    if (format == YV12 && arguments.isEmpty())
        checkUViewAndGrid(*main, *video, clip);
    if (QTest::currentTestFailed())
        return;
    if (underOpenbox)
        checkZoomedWindowStaysOnScreen(*main, *video);
    if (QTest::currentTestFailed())
        return;
    quitAndCheckExit(*main);
}

void TestEndToEnd::writesNothingInAnyFlow_data()
{
    // The session bus the user names, as DBUS_SESSION_BUS_ADDRESS; none when empty.
    QTest::addColumn<QString>("busSocket");
    // Asked for a bus with none named, libdbus would start one through dbus-launch, which
    // writes its address under $HOME and leaves the bus running.
    QTest::newRow("no session bus named, dbus-launch at hand") << QString();
    // A socket nobody listens on: the program asks there, finds no bus and carries on.
    QTest::newRow("a session bus named by the user")
        << QString::fromStdString(dir.filePath("session-bus"));
}

// The program only reads. With $HOME an empty folder, a file named on the command line,
// the chooser cancelled and then answered, playback, Close and closing the main window
// leave that folder empty, and the trace shows nothing made, written, renamed or removed
// on disk but in /dev, in /proc and in the runtime folder, and no other program started.
// Nothing it started is left running.
void TestEndToEnd::writesNothingInAnyFlow()
{
    QFETCH(QString, busSocket);

    TempDir home;
    QVERIFY(home.isValid());
    const QString homePath = QString::fromStdString(home.path());
    // Whatever the program left running is ended, so that a failure leaves no bus behind.
    const auto endLeftovers = qScopeGuard([&homePath] {
        for (const QString &process : processesWithHome(homePath))
            ::kill(process.section(QLatin1Char(' '), 0, 0).toInt(), SIGKILL);
    });
    const QString tracePath = QString::fromStdString(dir.filePath("writes.trace"));
    Clip first = makeClip(QStringLiteral("named.yuv"), 64, 48, 20);
    Clip second = makeClip(QStringLiteral("chosen.yuv"), 32, 16, 30);
    QVERIFY(!first.bytes.isEmpty() && !second.bytes.isEmpty());

    const char *const busVariable = "DBUS_SESSION_BUS_ADDRESS";
    const QByteArray ownBus = qgetenv(busVariable);
    const bool ownBusSet = qEnvironmentVariableIsSet(busVariable);
    const auto restoreBus = qScopeGuard([&] {
        if (ownBusSet)
            qputenv(busVariable, ownBus);
        else
            qunsetenv(busVariable);
    });
    if (busSocket.isEmpty()) {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("dbus-launch")).isEmpty(),
            "dbus-launch is missing: install dbus-x11");
        qunsetenv(busVariable);
    } else {
        qputenv(busVariable, "unix:path=" + QFile::encodeName(busSocket));
    }

    QVERIFY(startProgram({ first.name }, homePath, tracePath));
    const auto main = waitForWindow(mainTitle, windowTimeoutMs);
    QVERIFY2(main, "the main window did not appear");
    QVERIFY(answerTheDialog(first, QStringLiteral("Y")));
    const auto named = waitForWindow(escapedForPattern(first.title(0)), windowTimeoutMs);
    QVERIFY2(named, "the named file's window did not appear");
    // Without a window manager a new window opens over the controls; the user moves it.
    moveWindow(*named, QPoint(700, 0));
    // A copy goes to the clipboard, not to a file.
    click(*named, QPoint(5, 5));
    QVERIFY2(waitForFocus(*named, windowTimeoutMs), "the video window took no keys");
    pressKey(QStringLiteral("ctrl+c"));
    QCOMPARE(clipboardMismatch(first.picture(0)), QString());

    click(*main, openButton);
    const auto chooser = waitForWindow(escapedForPattern(chooserTitle), windowTimeoutMs);
    QVERIFY2(chooser && waitForFocus(*chooser, windowTimeoutMs), "the file chooser did not open");
    pressKey(QStringLiteral("Escape"));
    QVERIFY2(waitForNoWindow(escapedForPattern(chooserTitle), windowTimeoutMs),
        "the file chooser did not cancel");

    QVERIFY(openThroughTheDialogs(second, QStringLiteral("Y")));
    const auto video = waitForWindow(escapedForPattern(second.title(0)), windowTimeoutMs);
    QVERIFY2(video, "the chosen file's window did not appear");
    moveWindow(*video, QPoint(700, 300));
    click(*main, playButton);
    QVERIFY2(awaitFrameAbove(*video, 0) > 0, qPrintable(windowTitle(*video)));
    click(*main, stopButton);
    awaitSteadyTitle(*video);
    // Close takes the list's current video, the one opened last.
    click(*main, closeButton);
    QVERIFY2(
        waitForNoWindow(escapedForPattern(second.name) + QStringLiteral(" - .*"), windowTimeoutMs),
        "Close left the chosen file's window");
    quitAndCheckExit(*main);
    // A program started and left running keeps the tracer going, and so the run.
    const QStringList leftovers = processesWithHome(homePath);
    if (QTest::currentTestFailed()) {
        if (!leftovers.isEmpty())
            qInfo("still running with the run's $HOME: %s", qPrintable(leftovers.join(", ")));
        return;
    }

    QCOMPARE(leftovers, QStringList());
    QCOMPARE(QDir(homePath).entryList(
                 QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
        QStringList());
    QCOMPARE(writesOnDisk(tracePath, QString::fromStdString(dir.path()),
                 qEnvironmentVariable("XDG_RUNTIME_DIR")),
        QStringList());
    QCOMPARE(programsStarted(tracePath), QStringList { QStringLiteral(ZENTAVO_EXECUTABLE) });
    if (!busSocket.isEmpty())
        QVERIFY2(socketsConnectedTo(tracePath).contains(busSocket),
            "the program did not ask the session bus named for it");
}

void TestEndToEnd::endsWithoutASignalWhenTheDisplayGoes_data()
{
    QTest::addColumn<QString>("state");
    for (const char *state :
        { "idle", "file chooser up", "parameters dialog up", "video shown", "UHD video playing" })
        QTest::newRow(state) << QString::fromLatin1(state);
}

// Losing the X server ends the program at once with a failure status, not by a signal, in
// whatever state it was.
void TestEndToEnd::endsWithoutASignalWhenTheDisplayGoes()
{
    QFETCH(QString, state);

    // A server of its own, to be killed; it writes its display number when it is ready.
    // Without -noreset it would regenerate, refusing connections, each time xdotool leaves
    // it without clients before the program has connected.
    QProcess server;
    server.start(QStringLiteral(XVFB_EXECUTABLE),
        { "-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0", "1920x1200x24" });
    QVERIFY(server.waitForStarted());
    const auto endServer = qScopeGuard([&server] {
        server.kill();
        server.waitForFinished();
    });
    QVERIFY2(server.waitForReadyRead(windowTimeoutMs), "Xvfb gave no display number");
    const QByteArray number = server.readAllStandardOutput().trimmed();
    const QByteArray ownDisplay = qgetenv("DISPLAY");
    qputenv("DISPLAY", ':' + number);
    const auto restoreDisplay = qScopeGuard([&] { qputenv("DISPLAY", ownDisplay); });

    const bool named = state == QLatin1String("parameters dialog up");
    const bool shown = state.contains(QLatin1String("video"));
    const bool uhd = state.startsWith(QLatin1String("UHD"));
    Clip clip = makeClip(QStringLiteral("display.yuv"), uhd ? 3840 : 64, uhd ? 2160 : 48, 3);
    QVERIFY(!clip.bytes.isEmpty());
    QVERIFY(startProgram(named || shown ? QStringList { clip.name } : QStringList()));
    const auto main = waitForWindow(mainTitle, windowTimeoutMs);
    QVERIFY2(main,
        qPrintable(QStringLiteral("the main window did not appear on display :%1; %2")
                       .arg(QString::fromLatin1(number),
                           QString::fromLocal8Bit(program.readAllStandardError()))));
    if (state == QLatin1String("file chooser up")) {
        click(*main, openButton);
        QVERIFY2(waitForWindow(escapedForPattern(chooserTitle), windowTimeoutMs),
            "the file chooser did not open");
    }
    if (named)
        QVERIFY(waitForWindow(escapedForPattern(dialogTitle), windowTimeoutMs));
    if (shown) {
        QVERIFY(answerTheDialog(clip, QStringLiteral("Y")));
        const auto video = waitForWindow(escapedForPattern(clip.title(0)), windowTimeoutMs);
        QVERIFY2(video, "the video's window did not appear");
        moveWindow(*video, QPoint(700, 0));
        if (uhd) {
            click(*main, normalLoopBox);
            click(*main, playButton);
            QVERIFY2(awaitFrameAbove(*video, 0) > 0, "the video did not play");
        }
    }

    QElapsedTimer clock;
    clock.start();
    server.kill();
    QVERIFY2(program.waitForFinished(windowTimeoutMs), "the program outlived its display");
    qInfo("ended %lld ms after the server", static_cast<long long>(clock.elapsed()));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY2(program.exitCode() != 0, "a lost display ended the program as a success");
}

void TestEndToEnd::namesThatAreNotUtf8Open_data()
{
    // The name's bytes; shown with U+FFFD for each byte that is not UTF-8.
    QTest::addColumn<QByteArray>("name");
    // Dropped on the main window, else named on the command line.
    QTest::addColumn<bool>("dropped");
    // Without size and layout in its name, the file is asked about in the dialog.
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("underOpenbox");
    QTest::newRow("size and layout in the name, on the command line")
        << QByteArray("a_\xff\xfe_64x48_yuv420p.yuv") << false << false << false;
    QTest::newRow("no size in the name, on the command line, through the dialog")
        << QByteArray("b_\xff\xfe.yuv") << false << true << false;
    QTest::newRow("dropped from another program")
        << QByteArray("c_\xff\xfe_64x48_yuv420p.yuv") << true << false << false;
    // The window manager's frames lie between the root window and the windows that take
    // drops.
    QTest::newRow("dropped from another program under openbox, through the dialog")
        << QByteArray("d_\xff\xfe.yuv") << true << true << true;
}

// A file is opened by its name's own bytes, whatever they read as: named on the command
// line, with or without the dialog, or dragged from another program onto the main window.
void TestEndToEnd::namesThatAreNotUtf8Open()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, dropped);
    QFETCH(bool, asked);
    QFETCH(bool, underOpenbox);

    const Clip clip = makeClip(name, 64, 48, 12);
    QVERIFY(!clip.bytes.isEmpty());
    if (underOpenbox)
        QVERIFY2(startWindowManager(), "openbox did not take the screen");
    QVERIFY(startProgramWithBytes(dropped ? QList<QByteArray>() : QList<QByteArray> { name }));
    const auto main = waitForWindow(mainTitle, windowTimeoutMs);
    QVERIFY2(main, "the main window did not appear");
    if (underOpenbox)
        moveWindow(*main, QPoint(0, 0));

    QProcess source;
    const auto endSource = qScopeGuard([&source] {
        source.kill();
        source.waitForFinished();
    });
    if (dropped) {
        // Clear of the main window, at the screen's top left.
        const QByteArray url = "file://"
            + QByteArray::fromStdString(dir.filePath(name.toStdString())).toPercentEncoding("/");
        source.setProcessEnvironment(program.processEnvironment());
        source.start(QStringLiteral(DRAGSOURCE_EXECUTABLE),
            { QString::fromLatin1(url), QStringLiteral("900"), QStringLiteral("400") });
        QVERIFY(source.waitForStarted());
        const auto from = waitForWindow(QStringLiteral("Drag source"), windowTimeoutMs);
        QVERIFY2(from,
            qPrintable(QStringLiteral("the drag source did not appear: ")
                + QString::fromLocal8Bit(source.readAllStandardError())));
        pressButton(*from, QPoint(40, 30));
        movePointerInSteps(display.get(), *main, videoList, 10);
        // Let go only once the main window has said it takes the file: a drop before that
        // answer arrives is no drop.
        QByteArray said;
        QElapsedTimer clock;
        clock.start();
        while (!said.contains("taken\n") && clock.elapsed() < windowTimeoutMs) {
            source.waitForReadyRead(100);
            said += source.readAllStandardOutput();
        }
        releaseButton();
        while (!said.contains("copied\n") && !said.contains("ignored\n")
            && clock.elapsed() < 2 * windowTimeoutMs) {
            source.waitForReadyRead(100);
            said += source.readAllStandardOutput();
        }
        QVERIFY2(said.endsWith("copied\n"), said.constData());
    }
    if (asked)
        QVERIFY(answerTheDialog(clip, QStringLiteral("Y")));

    const auto video = waitForWindow(escapedForPattern(clip.title(0)), windowTimeoutMs);
    QVERIFY2(video,
        qPrintable(QStringLiteral("no window titled \"%1\"; visible: %2; standard error: %3")
                       .arg(clip.title(0), visibleTitles(),
                           QString::fromLocal8Bit(program.readAllStandardError()))));
    // The drop's target asks the source for the file while it takes the drop, as it would a
    // file manager that stays open; by now it has its answer.
    source.kill();
    QVERIFY(waitForNoWindow(QStringLiteral("Drag source"), windowTimeoutMs));
    moveWindow(*video, QPoint(700, 0));
    QCOMPARE(awaitPicture(*video, clip.picture(0)), QString());
    click(*main, stepForwardButton);
    QVERIFY2(waitForTitle(*video, clip.title(1), windowTimeoutMs), qPrintable(windowTitle(*video)));
    QCOMPARE(awaitPicture(*video, clip.picture(1)), QString());
    quitAndCheckExit(*main);
}

// Files named with their size that cannot be opened are refused in a message in the window
// as well as on standard error; the one that can be opened opens, and can be stepped while
// the message is up.
void TestEndToEnd::refusedFilesAreShownInTheWindow()
{
    const Clip clip = makeClip(QByteArray("good_64x48_yuv420p.yuv"), 64, 48, 12);
    QVERIFY(!clip.bytes.isEmpty());
    QVERIFY(QDir().mkpath(QString::fromStdString(dir.filePath("folder_64x48_yuv420p.yuv"))));
    const std::string pipe = dir.filePath("pipe_64x48_yuv420p.yuv");
    QVERIFY(::mkfifo(pipe.c_str(), 0600) == 0 || errno == EEXIST);

    QVERIFY(startProgram({ "missing_64x48_yuv420p.yuv", "folder_64x48_yuv420p.yuv",
        "pipe_64x48_yuv420p.yuv", clip.name }));
    const auto main = waitForWindow(mainTitle, windowTimeoutMs);
    QVERIFY2(main, "the main window did not appear");
    const auto message = waitForWindow(QStringLiteral("Files not opened"), windowTimeoutMs);
    QVERIFY2(
        message, qPrintable(QStringLiteral("no message of refusals; visible: ") + visibleTitles()));
    const auto video = waitForWindow(escapedForPattern(clip.title(0)), windowTimeoutMs);
    QVERIFY2(video, "the good file's window did not appear");
    moveWindow(*video, QPoint(700, 0));
    QCOMPARE(awaitPicture(*video, clip.picture(0)), QString());

    click(*main, stepForwardButton);
    QVERIFY2(waitForTitle(*video, clip.title(1), windowTimeoutMs), qPrintable(windowTitle(*video)));
    QCOMPARE(awaitPicture(*video, clip.picture(1)), QString());

    // Return answers the message's one button.
    click(*message, QPoint(20, 20));
    QVERIFY2(waitForFocus(*message, windowTimeoutMs), "the message took no keys");
    pressKey(QStringLiteral("Return"));
    QVERIFY2(waitForNoWindow(QStringLiteral("Files not opened"), windowTimeoutMs),
        "the message did not close");
    quitAndCheckExit(*main,
        QStringLiteral("zentavo: missing_64x48_yuv420p.yuv cannot be found.\n"
                       "zentavo: folder_64x48_yuv420p.yuv is not a regular file.\n"
                       "zentavo: pipe_64x48_yuv420p.yuv is not a regular file.\n"));
}

// `--diff` opens both videos and their difference: its title gives PSNR as ffmpeg prints
// it, its Colour view marks the differing plane, its Y view the signed difference, and N
// and Shift+N move every video to the next and previous frames that differ. Nothing is
// written on the way.
void TestEndToEnd::differenceWindowShowsWhereTwoVideosDiffer()
{
    // yuv444p at an odd width: a difference in the last column has a pixel of its own.
    constexpr int width = 33;
    constexpr int height = 17;
    constexpr int plane = width * height;
    QByteArray a(plane * 3 * 4, '\0');
    for (int i = 0; i < a.size(); ++i)
        a[i] = char(16 + (i * 7) % 200);
    // Frame 1 differs in one Y sample of the last column, frame 3 in every U sample; B
    // has a fifth frame, which is not compared.
    QByteArray b = a + QByteArray(plane * 3, '\x80');
    const int lastColumn = 1 * plane * 3 + 5 * width + (width - 1);
    b[lastColumn] = char(uchar(a[lastColumn]) - 3);
    for (int i = 0; i < plane; ++i)
        b[3 * plane * 3 + plane + i] = char(uchar(a[3 * plane * 3 + plane + i]) ^ 1);
    for (const auto &[name, bytes] : { std::pair { "a.yuv", a }, std::pair { "b.yuv", b } }) {
        QFile file(QString::fromStdString(dir.filePath(name)));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }

    TempDir home;
    QVERIFY(home.isValid());
    const QString tracePath = QString::fromStdString(dir.filePath("difference.trace"));
    QVERIFY(startProgram({ "-s", "33x17", "-f", "yuv444p", "--diff", "a.yuv", "b.yuv" },
        QString::fromStdString(home.path()), tracePath));
    const auto main = waitForWindow(mainTitle, windowTimeoutMs);
    QVERIFY2(main, "the main window did not appear");
    const QString base = QStringLiteral("a.yuv vs b.yuv - %1/4 - ");
    const auto video = waitForWindow(escapedForPattern(base.arg(0)) + ".*", windowTimeoutMs);
    QVERIFY2(video, qPrintable(QStringLiteral("no difference window among ") + visibleTitles()));
    QCOMPARE(windowTitle(*video), base.arg(0) + QStringLiteral("identical"));

    QImage colour(width, height, QImage::Format_RGB32);
    colour.fill(Qt::black);
    QCOMPARE(awaitPicture(*video, colour), QString());

    click(*video, QPoint(5, 5));
    QVERIFY2(waitForFocus(*video, windowTimeoutMs), "the difference window took no keys");
    pressKey(QStringLiteral("Right"));
    // One difference of 3 among 561 Y samples: 10 log10(255^2 / (9 / 561)).
    const QString psnr = QStringLiteral("PSNR Y (\\d+\\.\\d\\d) U inf V inf");
    const QRegularExpressionMatch match
        = awaitTitleMatching(*video, escapedForPattern(base.arg(1)) + psnr);
    QVERIFY2(match.hasMatch(), qPrintable(windowTitle(*video)));
    QVERIFY(qAbs(match.captured(1).toDouble() - 10 * std::log10(255.0 * 255 * plane / 9)) < 0.006);
    colour.setPixel(width - 1, 5, qRgb(255, 0, 0));
    QCOMPARE(awaitPicture(*video, colour), QString());

    click(*main, yButton);
    QImage grey(width, height, QImage::Format_RGB32);
    grey.fill(qRgb(128, 128, 128));
    grey.setPixel(width - 1, 5, qRgb(131, 131, 131));
    QCOMPARE(awaitPicture(*video, grey), QString());
    // A difference window copies its difference.
    click(*video, QPoint(5, 5));
    QVERIFY(waitForFocus(*video, windowTimeoutMs));
    pressKey(QStringLiteral("ctrl+c"));
    QCOMPARE(clipboardMismatch(grey), QString());

    // N from frame 1 finds frame 3 and takes both videos there; there is none after it.
    click(*video, QPoint(5, 5));
    QVERIFY(waitForFocus(*video, windowTimeoutMs));
    pressKey(QStringLiteral("n"));
    QVERIFY2(awaitTitleMatching(*video, escapedForPattern(base.arg(3)) + "PSNR Y inf U .* V inf")
                 .hasMatch(),
        qPrintable(windowTitle(*video)));
    const auto videoA = waitForWindow(QStringLiteral("a\\.yuv - 3/4"), windowTimeoutMs);
    QVERIFY2(videoA, qPrintable(visibleTitles()));
    pressKey(QStringLiteral("n"));
    pressKey(QStringLiteral("shift+n"));
    QVERIFY2(awaitTitleMatching(*video, escapedForPattern(base.arg(1)) + "PSNR Y .*").hasMatch(),
        qPrintable(windowTitle(*video)));
    QVERIFY(waitForTitle(*videoA, QStringLiteral("a.yuv - 1/4"), windowTimeoutMs));
    quitAndCheckExit(*main);
    // Comparing only reads, as viewing does.
    QCOMPARE(writesOnDisk(tracePath, QString::fromStdString(dir.path()),
                 qEnvironmentVariable("XDG_RUNTIME_DIR")),
        QStringList());
    QCOMPARE(programsStarted(tracePath), QStringList { QStringLiteral(ZENTAVO_EXECUTABLE) });
}

void TestEndToEnd::y4mShowsThePictureOfFfmpegsRawFile_data()
{
    QTest::addColumn<bool>("throughOpen");
    QTest::newRow("on the command line, beside a y4m file that is refused") << false;
    QTest::newRow("chosen with Open, no dialog asking") << true;
}

void TestEndToEnd::y4mShowsThePictureOfFfmpegsRawFile()
{
    QFETCH(bool, throughOpen);

    // ffmpeg writes the y4m file and, from the same frames, the raw file whose picture
    // the window must show.
    Clip clip;
    clip.name = QStringLiteral("e2e clip.y4m");
    clip.path = QString::fromStdString(dir.filePath(clip.name.toStdString()));
    clip.width = 64;
    clip.height = 48;
    clip.frames = 4;
    const QString raw = QString::fromStdString(dir.filePath("e2e clip raw.yuv"));
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral(FFMPEG_EXECUTABLE),
        { "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
            "testsrc2=size=64x48:rate=25", "-frames:v", "4", "-pix_fmt", "yuv420p", "-f",
            "yuv4mpegpipe", clip.path, "-frames:v", "4", "-pix_fmt", "yuv420p", "-f", "rawvideo",
            raw });
    QVERIFY(ffmpeg.waitForFinished(60000));
    QVERIFY2(ffmpeg.exitCode() == 0, ffmpeg.readAllStandardError().constData());
    QFile file(raw);
    QVERIFY(file.open(QIODevice::ReadOnly));
    clip.bytes = file.readAll();
    QCOMPARE(clip.bytes.size(), referencepicture::frameBytes(YV12, 64, 48) * 4);
    QFile bad(QString::fromStdString(dir.filePath("e2e bad.y4m")));
    QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write("YUV4MPEG2 W64 H48 C411\n") > 0);
    bad.close();

    QVERIFY(startProgram(throughOpen ? QStringList() : QStringList { "e2e bad.y4m", clip.name }));
    const auto main = waitForWindow(mainTitle, windowTimeoutMs);
    QVERIFY2(main, "the main window did not appear");
    if (throughOpen) {
        click(*main, openButton);
        const auto chooser = waitForWindow(escapedForPattern(chooserTitle), windowTimeoutMs);
        QVERIFY2(chooser && waitForFocus(*chooser, windowTimeoutMs), "no file chooser");
        typeText(clip.path);
        bool chosen = false;
        for (int attempt = 0; attempt < 3 && !chosen; ++attempt) {
            pressKey(QStringLiteral("Return"));
            chosen = waitForNoWindow(escapedForPattern(chooserTitle), 5000);
        }
        QVERIFY2(chosen, "the file chooser did not take the typed path");
    } else {
        const auto message = waitForWindow(QStringLiteral("Files not opened"), windowTimeoutMs);
        QVERIFY2(message, qPrintable(QStringLiteral("no refusal; visible: ") + visibleTitles()));
    }
    const auto video = waitForWindow(escapedForPattern(clip.title(0)), windowTimeoutMs);
    QVERIFY2(video, qPrintable(QStringLiteral("no video window; visible: ") + visibleTitles()));
    QVERIFY2(visibleWindows(escapedForPattern(dialogTitle)).empty(), "the dialog came up");
    moveWindow(*video, QPoint(700, 0));
    QCOMPARE(awaitPicture(*video, clip.picture(0)), QString());
    checkStepping(*main, *video, clip);
    if (QTest::currentTestFailed())
        return;
    quitAndCheckExit(*main,
        throughOpen ? QString()
                    : QStringLiteral("zentavo: e2e bad.y4m: The y4m header's colour space C411 "
                                     "is not one this program reads.\n"));
}

// G and the dialog, typed, reach frame 70,000 of a 100,000-frame file; F5 after the file
// grew by 3 frames and a half counts 3 more and reads the frame on show again. Under
// strace, going and reloading write nothing.
void TestEndToEnd::goesToAFrameReloadsCopiesAndShowsValues_data()
{
    QTest::addColumn<bool>("underOpenbox");
    QTest::newRow("bare X server") << false;
    QTest::newRow("under openbox") << true;
}

void TestEndToEnd::goesToAFrameReloadsCopiesAndShowsValues()
{
    QFETCH(bool, underOpenbox);
    TempDir home;
    QVERIFY(home.isValid());
    const QString tracePath = QString::fromStdString(dir.filePath("goto.trace"));
    const int frameBytes = int(referencepicture::frameBytes(YV12, 16, 16));
    // All but the frames written are a hole in the file: 38 MB that take no room.
    Clip clip;
    clip.name = QStringLiteral("sparse_16x16_yuv420p.yuv");
    clip.width = 16;
    clip.height = 16;
    clip.frames = 100000;
    const auto writeFrame = [&](qint64 at, int pattern, int bytes) {
        QFile file(QString::fromStdString(dir.filePath(clip.name.toStdString())));
        QByteArray frame(frameBytes, 0);
        testclips::fillClipBytes(
            reinterpret_cast<std::uint8_t *>(frame.data()), std::size_t(frameBytes), pattern, 0);
        return file.open(QIODevice::ReadWrite)
            && file.resize(std::max(file.size(), at * frameBytes)) && file.seek(at * frameBytes)
            && file.write(frame.constData(), bytes) == bytes;
    };
    // The picture of one frame of `pattern`, as the reference draws frame 0 of its bytes.
    const auto pictureOf = [&](int pattern) {
        QByteArray frame(frameBytes, 0);
        testclips::fillClipBytes(
            reinterpret_cast<std::uint8_t *>(frame.data()), std::size_t(frameBytes), pattern, 0);
        return referencepicture::colour(frame, YV12, 16, 16, 0, 0);
    };
    // Each row starts from the file as the first one found it.
    QFile::remove(QString::fromStdString(dir.filePath(clip.name.toStdString())));
    QVERIFY(writeFrame(100000, 0, 0) && writeFrame(70000, 70000, frameBytes));

    if (underOpenbox)
        QVERIFY2(startWindowManager(), "openbox did not take the screen");
    QVERIFY(startProgram({ clip.name }, QString::fromStdString(home.path()), tracePath));
    const auto main = waitForWindow(mainTitle, windowTimeoutMs);
    QVERIFY2(main, "the main window did not appear");
    const auto video = waitForWindow(escapedForPattern(clip.title(0)), windowTimeoutMs);
    QVERIFY2(video, qPrintable(QStringLiteral("no video window; visible: ") + visibleTitles()));
    moveWindow(*video, QPoint(700, 0));
    click(*video, QPoint(5, 5));
    QVERIFY2(waitForFocus(*video, windowTimeoutMs), "the video window took no keys");

    pressKey(QStringLiteral("g"));
    const auto dialog = waitForWindow(QStringLiteral("Go to frame"), windowTimeoutMs);
    QVERIFY2(dialog && waitForFocus(*dialog, windowTimeoutMs), "the dialog did not open");
    typeText(QStringLiteral("70000"));
    pressKey(QStringLiteral("Return"));
    QVERIFY2(
        waitForTitle(*video, clip.title(70000), windowTimeoutMs), qPrintable(windowTitle(*video)));
    QVERIFY(waitForNoWindow(QStringLiteral("Go to frame"), windowTimeoutMs));
    QCOMPARE(awaitPicture(*video, pictureOf(70000)), QString());

    // Frame 70,000 changes too, so that only a fresh read shows it.
    QVERIFY(writeFrame(70000, 4, frameBytes) && writeFrame(100000, 5, frameBytes)
        && writeFrame(100001, 6, frameBytes) && writeFrame(100002, 7, frameBytes)
        && writeFrame(100003, 8, frameBytes / 2));
    // Without a window manager the closed dialog hands the focus back to no one.
    click(*video, QPoint(5, 5));
    QVERIFY2(waitForFocus(*video, windowTimeoutMs), "the video window took no keys");
    pressKey(QStringLiteral("F5"));
    clip.frames = 100003;
    QVERIFY2(
        waitForTitle(*video, clip.title(70000), windowTimeoutMs), qPrintable(windowTitle(*video)));
    QCOMPARE(awaitPicture(*video, pictureOf(4)), QString());
    pressKey(QStringLiteral("End"));
    QVERIFY2(
        waitForTitle(*video, clip.title(100002), windowTimeoutMs), qPrintable(windowTitle(*video)));
    QCOMPARE(awaitPicture(*video, pictureOf(7)), QString());
    checkCopyAndValues(*video, pictureOf(7), QSize(16, 16));

    quitAndCheckExit(*main);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(writesOnDisk(tracePath, QString::fromStdString(dir.path()),
                 qEnvironmentVariable("XDG_RUNTIME_DIR")),
        QStringList());
}

void TestEndToEnd::setUpProgram(const QString &home, const QString &tracePath)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    // Qt's own file chooser, whatever desktop integration the machine has installed.
    environment.insert(QStringLiteral("QT_QPA_PLATFORMTHEME"), QStringLiteral("generic"));
    if (!home.isEmpty()) {
        environment.insert(QStringLiteral("HOME"), home);
        for (const char *folder :
            { "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME" })
            environment.remove(QString::fromLatin1(folder));
    }
    if (!tracePath.isEmpty()) {
        // The sanitizer build's leak check cannot run under a tracer and would end the
        // traced program with status 1; the untraced runs keep it.
        const QString options = environment.value(QStringLiteral("ASAN_OPTIONS"));
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
            (options.isEmpty() ? QString() : options + QLatin1Char(':'))
                + QStringLiteral("detect_leaks=0"));
    }
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(QString::fromStdString(dir.path()));
}

bool TestEndToEnd::startProgram(
    const QStringList &arguments, const QString &home, const QString &tracePath)
{
    setUpProgram(home, tracePath);
    if (tracePath.isEmpty()) {
        program.start(QStringLiteral(ZENTAVO_EXECUTABLE), arguments);
    } else {
        program.start(QStringLiteral(STRACE_EXECUTABLE),
            QStringList { "-f", "-y", "-e", "trace=%file,write,connect", "-o", tracePath,
                QStringLiteral(ZENTAVO_EXECUTABLE) }
                + arguments);
    }
    return program.waitForStarted();
}

bool TestEndToEnd::startProgramWithBytes(const QList<QByteArray> &arguments)
{
    // QProcess hands its arguments over as text, which has no spelling for bytes that are
    // not UTF-8. The shell's printf writes each argument back from octal escapes, and the
    // shell then becomes the program.
    QStringList escaped;
    for (const QByteArray &argument : arguments) {
        QString text;
        for (const char byte : argument)
            text += QStringLiteral("\\%1").arg(uint(uchar(byte)), 3, 8, QLatin1Char('0'));
        escaped << text;
    }
    setUpProgram(QString(), QString());
    program.start(QStringLiteral("/bin/sh"),
        QStringList { "-c",
            "for a; do set -- \"$@\" \"$(printf \"$a\")\"; shift; done; exec \"$0\" \"$@\"",
            QStringLiteral(ZENTAVO_EXECUTABLE) }
            + escaped);
    return program.waitForStarted();
}

// Clips named on the command line are asked about in turn; keys typed in a video window
// then drive both videos, as the transport buttons would.
void TestEndToEnd::filesOnTheCommandLineSteppedByKeys()
{
    Clip first = makeClip(QStringLiteral("first.yuv"), 64, 48, 20);
    Clip second = makeClip(QStringLiteral("second.yuv"), 32, 16, 30);
    QVERIFY(!first.bytes.isEmpty() && !second.bytes.isEmpty());

    QVERIFY(startProgram({ first.name, second.name }));
    const auto main = waitForWindow(mainTitle, windowTimeoutMs);
    QVERIFY2(main, "the main window did not appear");
    QVERIFY(answerTheDialog(first, QStringLiteral("Y")));
    const auto firstVideo = waitForWindow(escapedForPattern(first.title(0)), windowTimeoutMs);
    QVERIFY2(firstVideo, "the first file's window did not appear");
    QVERIFY(answerTheDialog(second, QStringLiteral("Y")));
    const auto secondVideo = waitForWindow(escapedForPattern(second.title(0)), windowTimeoutMs);
    QVERIFY2(secondVideo, "the second file's window did not appear");
    QCOMPARE(windowTitle(*firstVideo), first.title(0));

    click(*main, normalLoopBox);
    click(*secondVideo, QPoint(5, 5));
    QVERIFY2(waitForFocus(*secondVideo, windowTimeoutMs), "the video window took no keys");
    const struct
    {
        const char *key;
        int firstFrame;
        int secondFrame;
    } steps[] = { { "Right", 1, 1 }, { "End", 19, 29 }, { "Home", 0, 0 }, { "Left", 19, 29 } };
    for (const auto &step : steps) {
        pressKey(QString::fromLatin1(step.key));
        QVERIFY2(waitForTitle(*firstVideo, first.title(step.firstFrame), windowTimeoutMs),
            qPrintable(step.key + QStringLiteral(": ") + windowTitle(*firstVideo)));
        QVERIFY2(waitForTitle(*secondVideo, second.title(step.secondFrame), windowTimeoutMs),
            qPrintable(step.key + QStringLiteral(": ") + windowTitle(*secondVideo)));
    }

    // Space plays both from their last frames round to the first ones, and stops them.
    pressKey(QStringLiteral("space"));
    QVERIFY2(awaitTitleOtherThan(*firstVideo, first.title(19)) != first.title(19),
        "the first video did not play");
    QVERIFY2(awaitTitleOtherThan(*secondVideo, second.title(29)) != second.title(29),
        "the second video did not play");
    pressKey(QStringLiteral("space"));
    const QString stopped = awaitSteadyTitle(*firstVideo);
    QThread::msleep(200);
    QCOMPARE(windowTitle(*firstVideo), stopped);

    const int frame = frameInTitle(awaitSteadyTitle(*secondVideo));
    checkCopyAndValues(*secondVideo, second.picture(frame), QSize(second.width, second.height));
    quitAndCheckExit(*main);
}

Clip TestEndToEnd::makeClip(const QString &name, int width, int height, int frames)
{
    Clip clip;
    clip.name = name;
    clip.path = QString::fromStdString(dir.filePath(name.toStdString()));
    clip.width = width;
    clip.height = height;
    clip.frames = frames;
    if (testclips::writeClip(clip.path.toStdString(), YV12, width, height, frames)) {
        QFile file(clip.path);
        if (file.open(QIODevice::ReadOnly))
            clip.bytes = file.readAll();
    }
    return clip;
}

Clip TestEndToEnd::makeClip(const QByteArray &name, int width, int height, int frames)
{
    Clip clip;
    clip.name = QFile::decodeName(name);
    clip.width = width;
    clip.height = height;
    clip.frames = frames;
    const std::string path = dir.filePath(name.toStdString());
    if (testclips::writeClip(path, YV12, width, height, frames)) {
        std::ifstream file(path, std::ios::binary);
        clip.bytes = QByteArray::fromStdString(
            std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
    }
    return clip;
}

bool TestEndToEnd::startWindowManager()
{
    // Openbox runs its --startup command once it has finished starting: a window mapped
    // while it still sets itself up may never be shown.
    const QString ready = QString::fromStdString(dir.filePath("openbox-ready"));
    QFile::remove(ready);
    windowManager.start(QStringLiteral("openbox"),
        { QStringLiteral("--sm-disable"), QStringLiteral("--startup"),
            QStringLiteral("touch '%1'").arg(ready) });
    if (!windowManager.waitForStarted())
        return false;
    QElapsedTimer clock;
    clock.start();
    while (!(windowManagerRuns(display.get()) && QFile::exists(ready))
        && clock.elapsed() < windowTimeoutMs)
        QThread::msleep(25);
    return windowManagerRuns(display.get()) && QFile::exists(ready);
}

bool TestEndToEnd::openThroughTheDialogs(const Clip &clip, const QString &formatKey)
{
    const auto main = waitForWindow(mainTitle, windowTimeoutMs);
    click(*main, openButton);
    const auto chooser = waitForWindow(escapedForPattern(chooserTitle), windowTimeoutMs);
    if (!chooser || !waitForFocus(*chooser, windowTimeoutMs)) {
        qWarning("the file chooser did not open");
        return false;
    }
    typeText(clip.path);
    // The completer's popup may take the first Return; the chooser then needs another.
    bool chosen = false;
    for (int attempt = 0; attempt < 3 && !chosen; ++attempt) {
        pressKey(QStringLiteral("Return"));
        chosen = waitForNoWindow(escapedForPattern(chooserTitle), 5000);
    }
    if (!chosen) {
        qWarning("the file chooser did not take the typed path");
        return false;
    }

    if (!answerTheDialog(clip, formatKey))
        return false;
    if (!waitForNoWindow(escapedForPattern(dialogTitle), windowTimeoutMs)) {
        qWarning("the parameters dialog did not accept the answer");
        return false;
    }
    return true;
}

// Fills in the dialog and presses Return; the dialog may come straight back for a file
// still to be asked about.
bool TestEndToEnd::answerTheDialog(const Clip &clip, const QString &formatKey)
{
    const auto dialog = waitForWindow(escapedForPattern(dialogTitle), windowTimeoutMs);
    if (!dialog || !waitForFocus(*dialog, windowTimeoutMs)) {
        qWarning("the parameters dialog did not open");
        return false;
    }
    // Width, height, speed, scan and format follow one another in the focus chain.
    click(*dialog, widthField);
    pressKey(QStringLiteral("ctrl+a"));
    typeText(QString::number(clip.width));
    pressKey(QStringLiteral("Tab"));
    typeText(QString::number(clip.height));
    pressKey(QStringLiteral("Tab"));
    typeText(QStringLiteral("25"));
    pressKey(QStringLiteral("Tab"));
    pressKey(QStringLiteral("Tab"));
    typeText(formatKey);
    pressKey(QStringLiteral("Return"));
    return true;
}

void TestEndToEnd::checkStepping(const WindowId &main, const WindowId &video, const Clip &clip)
{
    click(main, stepForwardButton);
    QVERIFY2(waitForTitle(video, clip.title(1), windowTimeoutMs), qPrintable(windowTitle(video)));
    QCOMPARE(awaitPicture(video, clip.picture(1)), QString());

    click(main, goToEndButton);
    const int last = clip.frames - 1;
    QVERIFY2(
        waitForTitle(video, clip.title(last), windowTimeoutMs), qPrintable(windowTitle(video)));
    QCOMPARE(awaitPicture(video, clip.picture(last)), QString());
}

void TestEndToEnd::checkPlayAndStop(const WindowId &main, const WindowId &video, const Clip &clip)
{
    click(main, goToStartButton);
    QVERIFY(waitForTitle(video, clip.title(0), windowTimeoutMs));

    // Neither loop box is ticked: playback would run up to the last frame and stop there.
    click(main, playButton);
    const int early = awaitFrameAbove(video, 0);
    QVERIFY2(early > 0, qPrintable(windowTitle(video)));
    QVERIFY2(awaitFrameAbove(video, early) > early, qPrintable(windowTitle(video)));
    click(main, stopButton);
    // The click lands whenever the program reads it; from then on the title stands still,
    // well before playback could have reached the last frame on its own.
    const QString stopped = awaitSteadyTitle(video);
    const int frame = frameInTitle(stopped);
    QVERIFY2(frame > early && frame < clip.frames - 1, qPrintable(stopped));
    QCOMPARE(awaitPicture(video, clip.picture(frame)), QString());
}

void TestEndToEnd::checkUViewAndGrid(const WindowId &main, const WindowId &video, const Clip &clip)
{
    const int frame = frameInTitle(windowTitle(video));
    click(main, uButton);
    QCOMPARE(awaitPicture(
                 video, referencepicture::uPlane420(clip.bytes, clip.width, clip.height, frame)),
        QString());
    click(main, colourButton);
    QCOMPARE(awaitPicture(video, clip.picture(frame)), QString());

    // The box alone gives no grid while the combo reads "none"; "8x8" then draws lines
    // every 8 pixels.
    click(main, gridBox);
    QCOMPARE(awaitPicture(video, clip.picture(frame)), QString());
    const QStringList before = visibleWindows(QStringLiteral(".*"));
    click(main, gridCombo);
    QVERIFY2(waitForNewWindow(before, windowTimeoutMs), "the grid combo's list did not open");
    // Typing picks the entry by its first letters, wherever the list's highlight starts.
    typeText(QStringLiteral("8x8"));
    pressKey(QStringLiteral("Return"));
    QCOMPARE(awaitPicture(video, clip.picture(frame, 8)), QString());
    QCOMPARE(windowTitle(video), clip.title(frame));
}

// Zoomed past the screen, the window with its frame fills the screen and no more, and the
// readout at the screen's corner turns to the pointer's other side.
void TestEndToEnd::checkCopyAndValues(const WindowId &video, const QImage &shown, QSize size)
{
    // Ctrl+C copies the picture on show, which another program reads while this one runs.
    pressKey(QStringLiteral("ctrl+c"));
    QCOMPARE(clipboardMismatch(shown), QString());

    // Five presets up is 1600 %, where "Show values" in the right-click menu writes each
    // pixel's Y in a cell of 16 x 16; unticked again, the picture is as before.
    for (int step = 0; step < 5; ++step)
        pressKey(QStringLiteral("plus"));
    const QImage zoomed = shown.scaled(size * 16);
    QCOMPARE(awaitPicture(video, zoomed), QString());
    const auto toggleValues = [&video] {
        const QStringList before = visibleWindows(QStringLiteral(".*"));
        click(video, QPoint(40, 40), 3);
        const auto menu = waitForNewWindow(before, windowTimeoutMs);
        pressKey(QStringLiteral("v"));
        return menu.has_value();
    };
    QVERIFY2(toggleValues(), "the right-click menu did not open");
    QElapsedTimer clock;
    clock.start();
    QImage grabbed;
    QString mismatch;
    do {
        QThread::msleep(50);
        grabbed = grab(video);
        mismatch = valuesMismatch(grabbed, shown, 16, QSize(16, 16));
    } while (!mismatch.isEmpty() && clock.elapsed() < pictureTimeoutMs);
    // One screenshot a row, named after it, to look at.
    QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('-'));
    const QString screenshot = QDir::temp().filePath(
        QStringLiteral("zentavo-e2e-values%1.png").arg(tag.isEmpty() ? tag : QLatin1Char('-') + tag));
    if (grabbed.save(screenshot))
        qInfo("values at 1600 %%: %s", qPrintable(screenshot));
    QCOMPARE(mismatch, QString());
    QVERIFY2(toggleValues(), "the right-click menu did not open");
    QCOMPARE(awaitPicture(video, zoomed), QString());
}

void TestEndToEnd::checkZoomedWindowStaysOnScreen(const WindowId &main, const WindowId &video)
{
    click(main, tooltipBox);
    // A click on the handle gives the slider the keys; two steps up are 150 % and 200 %.
    click(main, zoomHandle);
    pressKey(QStringLiteral("Right"));
    pressKey(QStringLiteral("Right"));

    const QRect screen = screenGeometry(display.get());
    QElapsedTimer clock;
    clock.start();
    std::optional<QMargins> extents;
    QRect client;
    do {
        QThread::msleep(25);
        extents = frameExtents(display.get(), video);
        client = placeOnScreen(display.get(), video);
        // The window manager may carry out the resize and the move back on screen apart.
    } while ((!extents || client.size() != screen.marginsRemoved(*extents).size()
                 || !screen.contains(client.marginsAdded(*extents)))
        && clock.elapsed() < windowTimeoutMs);
    QVERIFY2(extents, "openbox reports no frame for the video window");
    const QRect framed = client.marginsAdded(*extents);
    qInfo("frame (%d,%d)-(%d,%d) around the %dx%d window", framed.left(), framed.top(),
        framed.right() + 1, framed.bottom() + 1, client.width(), client.height());
    QCOMPARE(client.size(), screen.marginsRemoved(*extents).size());
    QVERIFY(screen.contains(framed));

    const QStringList before = visibleWindows(QStringLiteral(".*"));
    const QPoint at(client.width() - 10, client.height() - 10);
    movePointer(video, at);
    const auto readout = waitForNewWindow(before, windowTimeoutMs);
    QVERIFY2(readout, "no readout appeared at the screen's corner");
    const QRect box = placeOnScreen(display.get(), *readout);
    const QPoint pointer = pointerPosition(display.get());
    qInfo("pointer at (%d,%d), readout (%d,%d)-(%d,%d)", pointer.x(), pointer.y(), box.left(),
        box.top(), box.right() + 1, box.bottom() + 1);
    QCOMPARE(box.size(), QSize(100, 80));
    QVERIFY(screen.contains(box));
    QVERIFY(box.right() < pointer.x() && box.bottom() < pointer.y());
}

void TestEndToEnd::quitAndCheckExit(const WindowId &main, const QString &errors)
{
    requestClose(display.get(), main);
    QVERIFY2(program.waitForFinished(windowTimeoutMs),
        "the program did not end after its window closed");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(QString::fromLocal8Bit(program.readAllStandardError()), errors);
    QCOMPARE(visibleWindows(QStringLiteral(".+")), QStringList());
}

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "test_e2e.moc"
