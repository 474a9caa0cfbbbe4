#include "apptesting.h"
#include "imageview.h"
#include "imageviewtesting.h"
#include "tempdir.h"
#include "testclips.h"

#include <QCheckBox>
#include <QFile>
#include <QGraphicsView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace apptesting;
using imageviewtesting::tick;

namespace {

// Long enough that only the ticks a test calls ever happen.
constexpr int manualTicksOnly = 3600 * 1000;

const char *const transportButtons[] = { "pbGoToStart", "pb5stepRew", "pb1stepRew", "pbStartPlay",
    "pbStopPlay", "pb1stepFF", "pb5stepFF", "pbGoToEnd" };

void setLoopBoxes(bool normal, bool bounce)
{
    setChecked("cbLoopNormal", normal);
    setChecked("cbLoopBouncing", bounce);
}

// The loaded luma matches frame `frame` of a 16x8 YV12 clip.
bool showsClipFrame(const ImageView *view, int frame)
{
    for (int x : { 0, 7, 15 }) {
        if (view->document().frame().y()[x]
            != testclips::clipSample(YV12, 16, 8, frame, testclips::Plane::Y, x, 0))
            return false;
    }
    return true;
}

// Types a key such as "PageDown" or "ctrl Right" into the video window's picture, which
// has the window's keyboard focus.
void typeInVideoWindow(ImageView *view, const QString &key)
{
    const QStringList parts = key.split(QLatin1Char(' '));
    const Qt::KeyboardModifiers modifiers
        = parts.size() > 1 ? Qt::ControlModifier : Qt::KeyboardModifiers(Qt::NoModifier);
    const QString name = parts.last();
    const Qt::Key code = name == "Right" ? Qt::Key_Right
        : name == "Left"                 ? Qt::Key_Left
        : name == "PageDown"             ? Qt::Key_PageDown
        : name == "PageUp"               ? Qt::Key_PageUp
        : name == "End"                  ? Qt::Key_End
        : name == "Home"                 ? Qt::Key_Home
        : name == "G"                    ? Qt::Key_G
        : name == "F5"                   ? Qt::Key_F5
                                         : Qt::Key_Space;
    QTest::keyClick(view->findChild<QGraphicsView *>(), code, modifiers);
}

// Triggers the entry of the video window's right-click menu that reads `text`.
void chooseFromMenu(ImageView *view, const QString &text)
{
    const std::unique_ptr<QMenu> menu = view->makeContextMenu();
    for (QAction *action : menu->actions()) {
        if (action->text() == text) {
            action->trigger();
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no menu entry ") + text));
}

// Writes `frames` whole frames of 16x8 YV12 whose frame k holds the clip's frame k + first,
// then `extraBytes` of the frame after; a y4m file has a header, and a FRAME line before each.
void writeFrames(const std::string &path, int first, int frames, int extraBytes, bool y4m)
{
    constexpr int frameBytes = 16 * 8 * 3 / 2;
    QFile file(QString::fromStdString(path));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    if (y4m)
        file.write("YUV4MPEG2 W16 H8 F25:1 C420jpeg\n");
    QByteArray bytes(frameBytes, 0);
    for (int k = 0; k <= frames; ++k) {
        testclips::fillClipBytes(
            reinterpret_cast<std::uint8_t *>(bytes.data()), frameBytes, first + k, 0);
        if (y4m)
            file.write("FRAME\n");
        file.write(bytes.constData(), k < frames ? frameBytes : extraBytes);
    }
}

} // namespace

class TestTransport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void emptyListIgnoresEveryButton_data();
    void emptyListIgnoresEveryButton();
    void stepsOfATenFrameVideo_data();
    void stepsOfATenFrameVideo();
    void everyListedVideoStepsFromItsOwnFrame_data();
    void everyListedVideoStepsFromItsOwnFrame();
    void keysTypedTogetherStepOnceToWhereTheirButtonsLead_data();
    void keysTypedTogetherStepOnceToWhereTheirButtonsLead();
    void openingAThirdVideoRewindsTheOthers();
    void videoOfNoFramesNeverLeavesFrameZero_data();
    void videoOfNoFramesNeverLeavesFrameZero();
    void playStartsEveryTimerAtFortyMilliseconds();
    void playAgainRestartsTheInterval();
    void stopStopsEveryTimerAndKeepsTheFrames();
    void stopWithNoTimerRunningChangesNothing();
    void playedVideoAdvancesOnItsOwn();
    void spaceInAVideoWindowPlaysThenStops();
    void spacePausesWhileAnyVideoPlays();

    void twoVideosWrapAtTheirOwnEnds();
    void uncheckingBothBoxesStopsAtTheLastFrame();
    void normalTurnsABackwardBounceAround();
    void stepDuringPlaybackMovesTheNextTick();
    void nMovesEveryVideoToTheNextDifference_data();
    void nMovesEveryVideoToTheNextDifference();
    void gShowsTheFrameAskedForInEveryVideo_data();
    void gShowsTheFrameAskedForInEveryVideo();
    void f5ReadsTheVideoAgainAsItsFileNowIs_data();
    void f5ReadsTheVideoAgainAsItsFileNowIs();

private:
    TempDir dir;
};

void TestTransport::initTestCase()
{
    QVERIFY(dir.isValid());
    startApplication();
}

void TestTransport::cleanupTestCase()
{
    closeAllVideos();
    stopApplication();
}

void TestTransport::cleanup()
{
    closeAllVideos();
    setLoopBoxes(false, false);
}

void TestTransport::emptyListIgnoresEveryButton_data()
{
    QTest::addColumn<QString>("button");
    for (const char *name : transportButtons)
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestTransport::emptyListIgnoresEveryButton()
{
    QFETCH(QString, button);
    const QString lastFrame = shownText("leIntervalMax");
    click(button.toLatin1().constData());
    QCOMPARE(videoCount(), 0);
    QCOMPARE(shownText("leIntervalMax"), lastFrame);
}

void TestTransport::stepsOfATenFrameVideo_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("shown");

    QTest::newRow("< at 0 lands on the last frame") << 0 << "pb1stepRew" << 9;
    QTest::newRow("<< at 0 lands on the last frame") << 0 << "pb5stepRew" << 9;
    QTest::newRow(">>| at 0") << 0 << "pbGoToEnd" << 9;
    QTest::newRow("|<< at 0") << 0 << "pbGoToStart" << 0;
    QTest::newRow("> at 0") << 0 << "pb1stepFF" << 1;
    QTest::newRow(">> at 0") << 0 << "pb5stepFF" << 5;
    QTest::newRow("<< at 3 lands on the last frame, not 0") << 3 << "pb5stepRew" << 9;
    QTest::newRow("<< at 4 lands on the last frame") << 4 << "pb5stepRew" << 9;
    QTest::newRow("<< at 5 reaches 0") << 5 << "pb5stepRew" << 0;
    QTest::newRow("< at 3") << 3 << "pb1stepRew" << 2;
    QTest::newRow("> at 3") << 3 << "pb1stepFF" << 4;
    QTest::newRow(">> at 3") << 3 << "pb5stepFF" << 8;
    QTest::newRow("|<< at 3") << 3 << "pbGoToStart" << 0;
    QTest::newRow(">>| at 3") << 3 << "pbGoToEnd" << 9;
    QTest::newRow("> at 9 stays") << 9 << "pb1stepFF" << 9;
    QTest::newRow(">> at 9 stays") << 9 << "pb5stepFF" << 9;
    QTest::newRow(">> at 7 stops at the last frame") << 7 << "pb5stepFF" << 9;
    QTest::newRow("< at 9") << 9 << "pb1stepRew" << 8;
    QTest::newRow("<< at 9") << 9 << "pb5stepRew" << 4;
    QTest::newRow("|<< at 9") << 9 << "pbGoToStart" << 0;
    QTest::newRow(">>| at 9") << 9 << "pbGoToEnd" << 9;
}

void TestTransport::stepsOfATenFrameVideo()
{
    QFETCH(int, start);
    QFETCH(QString, button);
    QFETCH(int, shown);

    ImageView *view = addClip(dir, "ten.yuv", YV12, 16, 8, 10);
    view->showFrame(start);
    click(button.toLatin1().constData());

    QCOMPARE(view->currentFrame(), qint64(shown));
    QCOMPARE(view->windowTitle(), QStringLiteral("ten.yuv - %1/10").arg(shown));
    QVERIFY(showsClipFrame(view, shown));
    QVERIFY(!view->isPlaying());
}

void TestTransport::everyListedVideoStepsFromItsOwnFrame_data()
{
    QTest::addColumn<int>("selectedRow");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("firstFrames");
    QTest::addColumn<int>("firstStart");
    QTest::addColumn<int>("secondStart");
    QTest::addColumn<int>("firstShown");
    QTest::addColumn<int>("secondShown");

    QTest::newRow(">> from 8, first selected") << 0 << "pb5stepFF" << 10 << 8 << 8 << 9 << 13;
    QTest::newRow(">> from 8, second selected") << 1 << "pb5stepFF" << 10 << 8 << 8 << 9 << 13;
    QTest::newRow("< from 2 and 40") << 0 << "pb1stepRew" << 10 << 2 << 40 << 1 << 39;
    QTest::newRow(">>| to each last frame") << 1 << "pbGoToEnd" << 10 << 2 << 40 << 9 << 99;
    QTest::newRow("|<< both") << 0 << "pbGoToStart" << 10 << 2 << 40 << 0 << 0;
    // Keys typed in the unselected second window act on both, as their buttons do.
    QTest::newRow("Right key") << 0 << "key Right" << 10 << 2 << 40 << 3 << 41;
    QTest::newRow("Left key") << 0 << "key Left" << 10 << 2 << 40 << 1 << 39;
    QTest::newRow("Page Down key from 8") << 0 << "key PageDown" << 10 << 8 << 8 << 9 << 13;
    QTest::newRow("Page Up key from 3 and 40") << 0 << "key PageUp" << 10 << 3 << 40 << 9 << 35;
    QTest::newRow("End key") << 0 << "key End" << 10 << 2 << 40 << 9 << 99;
    QTest::newRow("Home key") << 0 << "key Home" << 10 << 2 << 40 << 0 << 0;
    QTest::newRow("Ctrl+Right is no step") << 0 << "key ctrl Right" << 10 << 2 << 40 << 2 << 40;
}

void TestTransport::everyListedVideoStepsFromItsOwnFrame()
{
    QFETCH(int, selectedRow);
    QFETCH(QString, button);
    QFETCH(int, firstFrames);
    QFETCH(int, firstStart);
    QFETCH(int, secondStart);
    QFETCH(int, firstShown);
    QFETCH(int, secondShown);

    ImageView *first = addClip(dir, "first.yuv", YV12, 16, 8, firstFrames);
    ImageView *second = addClip(dir, "second.yuv", YV12, 16, 8, 100);
    first->showFrame(firstStart);
    second->showFrame(secondStart);
    selectRow(selectedRow);

    if (button.startsWith(QLatin1String("key "))) {
        typeInVideoWindow(second, button.mid(4));
        // A key steps once the events before it are handled.
        QCoreApplication::processEvents();
    } else {
        click(button.toLatin1().constData());
    }
    QCOMPARE(first->currentFrame(), qint64(firstShown));
    QCOMPARE(second->currentFrame(), qint64(secondShown));
    QVERIFY(showsClipFrame(second, secondShown));
}

void TestTransport::keysTypedTogetherStepOnceToWhereTheirButtonsLead_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<int>("firstStart");
    QTest::addColumn<int>("secondStart");
    QTest::addColumn<int>("firstShown");
    QTest::addColumn<int>("secondShown");

    // The first video has 10 frames, the second 100.
    QTest::newRow("three Rights") << QStringList { "Right", "Right", "Right" } << 2 << 40 << 5
                                  << 43;
    QTest::newRow("Lefts past frame 0 land on the last frame, then step back")
        << QStringList { "Left", "Left", "Right" } << 0 << 40 << 9 << 39;
    QTest::newRow("Page Downs stop at the last frame before Page Up")
        << QStringList { "PageDown", "PageDown", "PageUp" } << 7 << 40 << 4 << 45;
    QTest::newRow("End, Left, Home, then Page Up past frame 0")
        << QStringList { "End", "Left", "Home", "PageUp" } << 2 << 40 << 9 << 99;
}

// Keys that arrive while the program is busy wait for the event queue to empty; then each
// video shows only where they lead, which is where their buttons, pressed in turn, lead.
void TestTransport::keysTypedTogetherStepOnceToWhereTheirButtonsLead()
{
    QFETCH(QStringList, keys);
    QFETCH(int, firstStart);
    QFETCH(int, secondStart);
    QFETCH(int, firstShown);
    QFETCH(int, secondShown);
    ImageView *first = addClip(dir, "first.yuv", YV12, 16, 8, 10);
    ImageView *second = addClip(dir, "second.yuv", YV12, 16, 8, 100);
    first->showFrame(firstStart);
    second->showFrame(secondStart);
    QSignalSpy firstTitles(first, &QWidget::windowTitleChanged);
    QSignalSpy secondTitles(second, &QWidget::windowTitleChanged);

    for (const QString &key : keys)
        typeInVideoWindow(first, key);
    QCOMPARE(first->currentFrame(), qint64(firstStart));
    QCoreApplication::processEvents();

    QCOMPARE(first->currentFrame(), qint64(firstShown));
    QCOMPARE(second->currentFrame(), qint64(secondShown));
    QVERIFY(showsClipFrame(first, firstShown));
    QCOMPARE(firstTitles.count(), 1);
    QCOMPARE(secondTitles.count(), 1);
}

void TestTransport::openingAThirdVideoRewindsTheOthers()
{
    ImageView *first = addClip(dir, "first.yuv", YV12, 16, 8, 100);
    ImageView *second = addClip(dir, "second.yuv", YV12, 16, 8, 100);
    first->showFrame(50);
    second->showFrame(70);
    ImageView *third = addClip(dir, "third.yuv", YV12, 16, 8, 100);
    QCOMPARE(first->currentFrame(), qint64(0));
    QCOMPARE(second->currentFrame(), qint64(0));
    QCOMPARE(third->currentFrame(), qint64(0));
    QVERIFY(showsClipFrame(first, 0));
    QCOMPARE(second->windowTitle(), QStringLiteral("second.yuv - 0/100"));
}

void TestTransport::videoOfNoFramesNeverLeavesFrameZero_data()
{
    emptyListIgnoresEveryButton_data();
}

void TestTransport::videoOfNoFramesNeverLeavesFrameZero()
{
    QFETCH(QString, button);
    ImageView *view = addClip(dir, "empty.yuv", YV12, 16, 8, 0);
    const SamplePlane lumaBefore = view->document().frame().y();
    click(button.toLatin1().constData());
    QCOMPARE(view->currentFrame(), qint64(0));
    QCOMPARE(view->windowTitle(), QStringLiteral("empty.yuv - 0/0"));
    QVERIFY(view->document().frame().y() == lumaBefore);
    if (view->isPlaying()) {
        tick(*view);
        QVERIFY(!view->isPlaying());
        QCOMPARE(view->currentFrame(), qint64(0));
    }
}

void TestTransport::playStartsEveryTimerAtFortyMilliseconds()
{
    ImageView *first = addClip(dir, "first.yuv", YV12, 16, 8, 10);
    ImageView *second = addClip(dir, "second.yuv", YV12, 16, 8, 10);
    click("pbStartPlay");
    for (ImageView *view : { first, second })
        QVERIFY(view->isPlaying());
    QCOMPARE(MainWindow::instance().player().clock().interval(), 40);
}

void TestTransport::playAgainRestartsTheInterval()
{
    ImageView *view = addClip(dir, "again.yuv", YV12, 16, 8, 10);
    click("pbStartPlay");
    QTest::qWait(25);
    click("pbStartPlay");
    QVERIFY(view->isPlaying());
    const QTimer &clock = MainWindow::instance().player().clock();
    QCOMPARE(clock.interval(), 40);
    QVERIFY2(clock.remainingTime() > 25, qPrintable(QString::number(clock.remainingTime())));
}

void TestTransport::stopStopsEveryTimerAndKeepsTheFrames()
{
    ImageView *first = addClip(dir, "first.yuv", YV12, 16, 8, 100);
    ImageView *second = addClip(dir, "second.yuv", YV12, 16, 8, 100);
    first->showFrame(3);
    second->showFrame(6);
    click("pbStartPlay");
    click("pbStopPlay");
    QVERIFY(!first->isPlaying());
    QVERIFY(!second->isPlaying());
    QCOMPARE(first->currentFrame(), qint64(3));
    QCOMPARE(second->currentFrame(), qint64(6));

    // One clock ticks both: however many ticks come before Stop, they stay three apart.
    click("pbStartPlay");
    QTRY_VERIFY_WITH_TIMEOUT(first->currentFrame() >= 5, 10000);
    click("pbStopPlay");
    QCOMPARE(second->currentFrame(), first->currentFrame() + 3);
    QCOMPARE(second->windowTitle(),
        QStringLiteral("second.yuv - %1/100").arg(first->currentFrame() + 3));
}

void TestTransport::stopWithNoTimerRunningChangesNothing()
{
    ImageView *view = addClip(dir, "still.yuv", YV12, 16, 8, 10);
    view->showFrame(4);
    click("pbStopPlay");
    QVERIFY(!view->isPlaying());
    QCOMPARE(view->currentFrame(), qint64(4));
    QCOMPARE(view->windowTitle(), QStringLiteral("still.yuv - 4/10"));
}

void TestTransport::playedVideoAdvancesOnItsOwn()
{
    setLoopBoxes(true, false);
    ImageView *view = addClip(dir, "alive.yuv", YV12, 16, 8, 10);
    click("pbStartPlay");
    QTRY_VERIFY(view->currentFrame() >= 2);
    click("pbStopPlay");
}

void TestTransport::spaceInAVideoWindowPlaysThenStops()
{
    ImageView *first = addClip(dir, "first.yuv", YV12, 16, 8, 10);
    ImageView *second = addClip(dir, "second.yuv", YV12, 16, 8, 10);
    typeInVideoWindow(first, QStringLiteral("Space"));
    QVERIFY(first->isPlaying());
    QVERIFY(second->isPlaying());
    typeInVideoWindow(second, QStringLiteral("Space"));
    QVERIFY(!first->isPlaying());
    QVERIFY(!second->isPlaying());
}

// A window whose own video has stopped at its end still stops the others with Space.
void TestTransport::spacePausesWhileAnyVideoPlays()
{
    setLoopBoxes(false, false);
    ImageView *ended = addClip(dir, "ended.yuv", YV12, 16, 8, 2);
    ImageView *playing = addClip(dir, "playing.yuv", YV12, 16, 8, 10);
    ended->showFrame(1);
    click("pbStartPlay");
    tick(*ended);
    QVERIFY(!ended->isPlaying());
    QVERIFY(playing->isPlaying());

    typeInVideoWindow(ended, QStringLiteral("Space"));

    QVERIFY(!ended->isPlaying());
    QVERIFY(!playing->isPlaying());
    typeInVideoWindow(ended, QStringLiteral("Space"));
    QVERIFY(ended->isPlaying());
    QVERIFY(playing->isPlaying());
    click("pbStopPlay");
}

void TestTransport::twoVideosWrapAtTheirOwnEnds()
{
    setLoopBoxes(true, false);
    ImageView *five = addClip(dir, "five.yuv", YV12, 16, 8, 5);
    ImageView *eight = addClip(dir, "eight.yuv", YV12, 16, 8, 8);
    five->document().setPlaying(true);
    eight->document().setPlaying(true);
    for (int i = 0; i < 5; ++i) {
        tick(*five);
        tick(*eight);
    }
    QCOMPARE(five->currentFrame(), qint64(0));
    QCOMPARE(eight->currentFrame(), qint64(5));
}

void TestTransport::uncheckingBothBoxesStopsAtTheLastFrame()
{
    setLoopBoxes(true, false);
    ImageView *view = addClip(dir, "loop.yuv", YV12, 16, 8, 4);
    view->document().setPlaying(true);
    tick(*view);
    tick(*view);
    setLoopBoxes(false, false);
    tick(*view);
    QCOMPARE(view->currentFrame(), qint64(3));
    QVERIFY(view->isPlaying());
    tick(*view);
    QCOMPARE(view->currentFrame(), qint64(3));
    QVERIFY(!view->isPlaying());
}

void TestTransport::normalTurnsABackwardBounceAround()
{
    setLoopBoxes(false, true);
    ImageView *view = addClip(dir, "turn.yuv", YV12, 16, 8, 4);
    view->showFrame(3);
    view->document().setPlaying(true);
    tick(*view);
    QCOMPARE(view->currentFrame(), qint64(2));
    QCOMPARE(view->bounceDirection(), -1);
    setLoopBoxes(true, false);
    tick(*view);
    QCOMPARE(view->currentFrame(), qint64(3));
    QCOMPARE(view->bounceDirection(), 1);
}

void TestTransport::stepDuringPlaybackMovesTheNextTick()
{
    setLoopBoxes(true, false);
    ImageView *view = addClip(dir, "step.yuv", YV12, 16, 8, 10);
    view->document().setPlaying(true);
    tick(*view);
    click("pb5stepFF");
    QCOMPARE(view->currentFrame(), qint64(6));
    tick(*view);
    QCOMPARE(view->currentFrame(), qint64(7));
}

void TestTransport::nMovesEveryVideoToTheNextDifference_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("backwards");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("shortVideoTo");

    // b differs from a in frames 2 and 5 only (of 7); the short video has 4 frames.
    QTest::newRow("from 0 to the first difference") << 0 << false << 2 << 2;
    QTest::newRow("from a difference to the next") << 2 << false << 5 << 3;
    QTest::newRow("none after the last: nothing moves") << 5 << false << 5 << 3;
    QTest::newRow("from the end back to 5") << 6 << true << 5 << 3;
    QTest::newRow("back from 5 to 2") << 5 << true << 2 << 2;
    QTest::newRow("none before the first: nothing moves") << 2 << true << 2 << 2;
}

void TestTransport::nMovesEveryVideoToTheNextDifference()
{
    QFETCH(int, from);
    QFETCH(bool, backwards);
    QFETCH(int, to);
    QFETCH(int, shortVideoTo);

    const VideoParameters a = writeClip(dir, "a.yuv", YV12, 16, 8, 7);
    const VideoParameters b = writeClip(dir, "b.yuv", YV12, 16, 8, 7);
    const std::int64_t frameBytes = 16 * 8 * 3 / 2;
    {
        QFile file(QString::fromStdString(b.path));
        QVERIFY(file.open(QIODevice::ReadWrite));
        // One luma sample of frame 2, the last chroma sample of frame 5.
        for (const std::int64_t at : { 2 * frameBytes + 37, 6 * frameBytes - 1 }) {
            QVERIFY(file.seek(at));
            const char byte = file.peek(1).at(0);
            QCOMPARE(file.write(QByteArray(1, char(byte ^ 0x40))), qint64(1));
        }
    }
    MainWindow &main = MainWindow::instance();
    main.addVideo(a);
    main.addVideo(b);
    ImageView *shortVideo = addClip(dir, "short.yuv", YV12, 16, 8, 4);
    QCOMPARE(main.addDifference(videoAt(0)->document(), videoAt(1)->document()), QString());
    ImageView *difference = videoAt(3);
    for (int i = 0; i < from; ++i)
        click("pb1stepFF");
    QCOMPARE(difference->currentFrame(), qint64(from));

    QTest::keyClick(difference->findChild<QGraphicsView *>(), Qt::Key_N,
        backwards ? Qt::ShiftModifier : Qt::NoModifier);
    QCOMPARE(difference->currentFrame(), qint64(to));
    QCOMPARE(videoAt(0)->currentFrame(), qint64(to));
    QCOMPARE(shortVideo->currentFrame(), qint64(shortVideoTo));
    const bool differs = to == 2 || to == 5;
    QCOMPARE(difference->windowTitle().endsWith(QStringLiteral(" - identical")), !differs);

    // N is the difference window's own: a video of its own does not take it.
    QTest::keyClick(videoAt(0)->findChild<QGraphicsView *>(), Qt::Key_N);
    QCOMPARE(videoAt(0)->currentFrame(), qint64(to));
}

void TestTransport::gShowsTheFrameAskedForInEveryVideo_data()
{
    QTest::addColumn<bool>("fromMenu");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("escape");
    // The dialog's message once the frame is refused; empty where it closes.
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<int>("shortShown");
    QTest::addColumn<int>("longShown");

    // The short video has 10 frames, the long one 100,000; they start at frames 2 and 3.
    QTest::newRow("frame 5") << false << "5" << false << "" << 5 << 5;
    QTest::newRow("past the short video's end, from the menu")
        << true << "40" << false << "" << 9 << 40;
    QTest::newRow("above 65,535") << false << "70000" << false << "" << 9 << 70000;
    QTest::newRow("the last frame, spaces round it")
        << false << " 99999 " << false << "" << 9 << 99999;
    QTest::newRow("frame 0") << false << "0" << false << "" << 0 << 0;
    QTest::newRow("text") << false << "7a" << false << "Enter a whole number from 0 to 99999." << 2
                          << 3;
    QTest::newRow("nothing") << false << "" << false << "Enter a whole number from 0 to 99999." << 2
                             << 3;
    QTest::newRow("a negative number")
        << false << "-1" << false << "Enter a whole number from 0 to 99999." << 2 << 3;
    QTest::newRow("one past the last frame")
        << false << "100000" << false << "There is no frame 100000: the last is 99999." << 2 << 3;
    QTest::newRow("a number past 64 bits")
        << true << "99999999999999999999" << false
        << "There is no frame 99999999999999999999: the last is 99999." << 2 << 3;
    QTest::newRow("Escape") << false << "5" << true << "" << 2 << 3;
}

void TestTransport::gShowsTheFrameAskedForInEveryVideo()
{
    QFETCH(bool, fromMenu);
    QFETCH(QString, typed);
    QFETCH(bool, escape);
    QFETCH(QString, refusal);
    QFETCH(int, shortShown);
    QFETCH(int, longShown);

    ImageView *shortVideo = addClip(dir, "short.yuv", YV12, 16, 8, 10);
    // 100,000 frames, all but frame 70,000 left as a hole in the file.
    VideoParameters record = writeClip(dir, "long.yuv", YV12, 16, 8, 1);
    {
        constexpr int frameBytes = 16 * 8 * 3 / 2;
        QFile file(QString::fromStdString(record.path));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.resize(qint64(100000) * frameBytes));
        QByteArray bytes(frameBytes, 0);
        testclips::fillClipBytes(
            reinterpret_cast<std::uint8_t *>(bytes.data()), frameBytes, 70000, 0);
        QVERIFY(file.seek(qint64(70000) * frameBytes));
        QCOMPARE(file.write(bytes), qint64(frameBytes));
    }
    record.frameCount = 100000;
    MainWindow::instance().addVideo(record);
    ImageView *longVideo = videoAt(1);
    shortVideo->showFrame(2);
    longVideo->showFrame(3);

    QString range;
    QString message;
    bool stayedOpen = false;
    whenDialogOpens("GoToFrameDialog", [&](QWidget *dialog) {
        range = dialog->findChild<QLabel *>(QStringLiteral("labelRange"))->text();
        auto *field = dialog->findChild<QLineEdit *>(QStringLiteral("leFrame"));
        QTest::keyClicks(field, typed);
        QTest::keyClick(field, escape ? Qt::Key_Escape : Qt::Key_Return);
        stayedOpen = dialog->isVisible();
        message = dialog->findChild<QLabel *>(QStringLiteral("labelMessage"))->text();
        if (stayedOpen)
            QTest::keyClick(field, Qt::Key_Escape);
    });
    if (fromMenu)
        chooseFromMenu(shortVideo, QStringLiteral("Go to frame…"));
    else
        typeInVideoWindow(shortVideo, QStringLiteral("G"));

    QCOMPARE(range, QStringLiteral("Frame, from 0 to 99999:"));
    QCOMPARE(stayedOpen, !refusal.isEmpty());
    QCOMPARE(message, refusal);
    QCOMPARE(shortVideo->currentFrame(), qint64(shortShown));
    QCOMPARE(longVideo->currentFrame(), qint64(longShown));
    QCOMPARE(longVideo->windowTitle(), QStringLiteral("long.yuv - %1/100000").arg(longShown));
    QVERIFY(showsClipFrame(shortVideo, shortShown));
    if (longShown == 70000)
        QVERIFY(showsClipFrame(longVideo, 70000));
}

void TestTransport::f5ReadsTheVideoAgainAsItsFileNowIs_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("y4m");
    QTest::addColumn<bool>("fromMenu");
    QTest::addColumn<bool>("playing");
    QTest::addColumn<QString>("title");
    // The clip's frame that the frame on show holds after the reload; -1: not looked at.
    QTest::addColumn<int>("holds");

    // A video of 10 frames at frame 4. Grown, a raw file holds the clip's frames 1 to 13
    // and half of 14, so that frame 4 now holds the clip's frame 5; a y4m file grows at its
    // end.
    QTest::newRow("grown by 3 frames and a half")
        << "grow" << false << false << false << "clip.yuv - 4/13" << 5;
    QTest::newRow("grown, from the menu, with the next frame read ahead")
        << "grow" << false << true << true << "clip.yuv - 4/13" << 5;
    QTest::newRow("shrunk to 3 frames: the last one")
        << "shrink" << false << false << false << "clip.yuv - 2/3" << 2;
    QTest::newRow("deleted: the window stays and says so")
        << "delete" << false << false << false << "clip.yuv - 4/10 - could not be read" << 4;
    QTest::newRow("y4m grown by 3 FRAMEs and a half")
        << "grow" << true << false << false << "clip.y4m - 4/13" << 4;
}

void TestTransport::f5ReadsTheVideoAgainAsItsFileNowIs()
{
    QFETCH(QString, change);
    QFETCH(bool, y4m);
    QFETCH(bool, fromMenu);
    QFETCH(bool, playing);
    QFETCH(QString, title);
    QFETCH(int, holds);

    ImageView *other = addClip(dir, "other.yuv", YV12, 16, 8, 10);
    const std::string path = dir.filePath(y4m ? "clip.y4m" : "clip.yuv");
    writeFrames(path, 0, 10, 0, y4m);
    AskedParameters asked;
    asked.size = FrameDimensions { 16, 8 };
    MainWindow::instance().openFiles({ path }, asked);
    QCOMPARE(videoCount(), 2);
    ImageView *view = videoAt(1);
    other->showFrame(6);
    view->showFrame(4);
    QCOMPARE(view->frameCount(), qint64(10));
    if (playing) {
        imageviewtesting::startPlaying(*view);
        // Reads frame 5 ahead, which the reload must not show as it was.
        view->showFrame(4);
    }
    QSignalSpy otherTitles(other, &QWidget::windowTitleChanged);

    if (change == "grow")
        writeFrames(path, y4m ? 0 : 1, 13, 96, y4m);
    else if (change == "shrink")
        writeFrames(path, 0, 3, 0, y4m);
    else
        QVERIFY(QFile::remove(QString::fromStdString(path)));
    if (fromMenu)
        chooseFromMenu(view, QStringLiteral("Reload"));
    else
        typeInVideoWindow(view, QStringLiteral("F5"));

    QCOMPARE(view->windowTitle(), title);
    QVERIFY(view->isVisible());
    QVERIFY(showsClipFrame(view, holds));
    if (playing) {
        tick(*view);
        QCOMPARE(view->currentFrame(), qint64(5));
        QVERIFY(showsClipFrame(view, 6));
    }
    QCOMPARE(otherTitles.count(), 0);
    QCOMPARE(other->currentFrame(), qint64(6));
    QCOMPARE(other->frameCount(), qint64(10));
}

QTEST_MAIN(TestTransport)
#include "test_transport.moc"
