#include "apptesting.h"
#include "imageview.h"
#include "imageviewtesting.h"
#include "soaktesting.h"
#include "tempdir.h"

#include <QComboBox>
#include <QGraphicsView>
#include <QLabel>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <set>
#include <vector>

using namespace apptesting;

namespace {

// Four sizes in both layouts, each turning at its own ends.
const soaktesting::ClipShape shapes[] = {
    { "qcif.yuv", YV12, 176, 144, 7 },
    { "cif.yuv", UYVY, 352, 288, 5 },
    { "wide.yuv", YV12, 640, 360, 4 },
    { "hd.yuv", UYVY, 1280, 720, 3 },
};

constexpr int soakSeconds = ZENTAVO_SOAK_SECONDS;
// Caches of the toolkit and the allocator settle first; memory is measured after.
constexpr int warmUpSeconds = soakSeconds / 6;
constexpr int controlInterval = 100;

const char *const componentButtons[]
    = { "rbCompColor", "rbCompY", "rbCompU", "rbCompV", "rbCompR", "rbCompG", "rbCompB" };

int warningsSeen = 0;
QtMessageHandler passOn = nullptr;

// Counts what the toolkit reports as a warning or worse, and prints it as before.
void countWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg)
        ++warningsSeen;
    if (passOn)
        passOn(type, context, message);
}

// What the ticks of one video did: Bounce moves exactly one frame per tick.
struct Playback
{
    int ticks = 0;
    int lastFrame = -1;
    int jumps = 0;
    std::set<int> framesShown;
};

} // namespace

class TestSoak : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void fourVideosBounceWhileControlsAreUsed();

private:
    void useControls(int round);
    void forgetLastFrames();

    TempDir dir;
    std::vector<Playback> playback;
};

void TestSoak::initTestCase()
{
    QVERIFY(dir.isValid());
    startApplication();
    for (const soaktesting::ClipShape &shape : shapes) {
        QVERIFY(soaktesting::openThroughDialog(
            writeClip(dir, shape.name, shape.format, shape.width, shape.height, shape.frames)));
    }
    QCOMPARE(videoCount(), int(std::size(shapes)));
}

void TestSoak::cleanupTestCase()
{
    closeAllVideos();
    stopApplication();
}

// A step of the transport moves the frame outside a tick.
void TestSoak::forgetLastFrames()
{
    for (Playback &video : playback)
        video.lastFrame = -1;
}

// One user action per round, going round the controls of the panel. Eight turns of
// eight rounds bring every video back to the same zoom, view, grid and readout.
void TestSoak::useControls(int round)
{
    const int turn = round / 8;
    switch (round % 8) {
    case 0:
        selectRow(turn % videoCount());
        break;
    case 1:
        click(componentButtons[turn % 8 % int(std::size(componentButtons))]);
        break;
    case 2: {
        // Each video in turn: to 3200 % and down, to 12 % and back up.
        static const Qt::Key keys[] = { Qt::Key_End, Qt::Key_Left, Qt::Key_Left, Qt::Key_Home,
            Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right };
        QTest::keyClick(mainWidget<QSlider>("sliderImageZoom"), keys[turn % 8]);
        break;
    }
    case 3:
        if (turn % 2 == 0)
            click("checkBoxGrid");
        else
            QTest::keyClick(
                mainWidget<QComboBox>("comboBoxGrid"), turn % 4 == 1 ? Qt::Key_Down : Qt::Key_Up);
        break;
    case 4: {
        if (turn % 4 == 0)
            click("checkBoxToolTip");
        ImageView *view = MainWindow::instance().currentVideoWindow();
        imageviewtesting::moveMouse(*view, QPoint(3 + turn % 40, 2 + turn % 30));
        break;
    }
    case 5: {
        static const char *const steps[] = { "pb1stepFF", "pb1stepRew", "pb5stepFF", "pbGoToStart",
            "pbGoToEnd", "pb5stepRew", "pb1stepFF", "pb1stepRew" };
        click(steps[turn % 8]);
        forgetLastFrames();
        break;
    }
    case 6:
        click("pbStopPlay");
        click("pbStartPlay");
        break;
    default:
        if (turn % 2 == 0)
            QMetaObject::invokeMethod(&MainWindow::instance(), "on_pbHideImageWnd_clicked");
        else
            videoAt(turn % videoCount())->close();
        break;
    }
}

// Four videos of different sizes play in Bounce for the soak's length while the
// controls are used ten times a second: every video keeps turning at its ends,
// the resident memory does not grow after the warm-up, and nothing is warned of.
void TestSoak::fourVideosBounceWhileControlsAreUsed()
{
    setChecked("cbLoopNormal", false);
    setChecked("cbLoopBouncing", true);
    playback.assign(std::size(shapes), Playback {});
    for (int row = 0; row < videoCount(); ++row) {
        ImageView *view = videoAt(row);
        connect(&MainWindow::instance().player(), &Player::ticked, this,
            [this, row, view](VideoDocument *ticked) {
                if (ticked != &view->document())
                    return;
                Playback &video = playback[static_cast<std::size_t>(row)];
                const int frame = view->currentFrame();
                if (video.lastFrame >= 0 && qAbs(frame - video.lastFrame) != 1)
                    ++video.jumps;
                video.lastFrame = frame;
                video.framesShown.insert(frame);
                ++video.ticks;
            });
    }

    warningsSeen = 0;
    passOn = qInstallMessageHandler(countWarnings);
    QTimer controls;
    int round = 0;
    connect(&controls, &QTimer::timeout, this, [this, &round] { useControls(round++); });
    click("pbStartPlay");
    controls.start(controlInterval);

    std::vector<std::int64_t> resident;
    for (int second = 1; second <= soakSeconds; ++second) {
        QTest::qWait(1000);
        resident.push_back(soaktesting::residentBytes());
    }
    controls.stop();
    click("pbStopPlay");
    qInstallMessageHandler(passOn);

    // Memory follows the windows' sizes, so the highest use over one stretch of
    // full control cycles is compared with that over the next.
    const auto middle = resident.begin() + (warmUpSeconds + soakSeconds) / 2;
    const std::int64_t early = *std::max_element(resident.begin() + warmUpSeconds, middle);
    const std::int64_t late = *std::max_element(middle, resident.end());
    qInfo("%d control actions; highest resident memory from %d s: %.1f MiB, in the second "
          "half: %.1f MiB",
        round, warmUpSeconds, early / 1048576.0, late / 1048576.0);
    for (std::size_t row = 0; row < playback.size(); ++row) {
        const Playback &video = playback[row];
        qInfo("%s: %d ticks in %d s", shapes[row].name, video.ticks, soakSeconds);
        QVERIFY2(video.ticks >= soakSeconds, shapes[row].name);
        QCOMPARE(video.jumps, 0);
        QCOMPARE(int(video.framesShown.size()), shapes[row].frames);
        QVERIFY(!videoAt(int(row))->isPlaying());
    }
    QCOMPARE(warningsSeen, 0);
#if ZENTAVO_CHECK_RESIDENT_MEMORY
    QVERIFY2(late * 100 <= early * 105,
        qPrintable(
            QStringLiteral("resident memory grew from %1 to %2 bytes").arg(early).arg(late)));
#endif
}

QTEST_MAIN(TestSoak)
#include "test_soak.moc"
