#include "imageview.h"
#include "imageviewtesting.h"
#include "mainwindow.h"
#include "tempdir.h"

#include <QCheckBox>
#include <QGraphicsScene>
#include <QTimer>
#include <QtTest>

#include <algorithm>

using namespace imageviewtesting;

namespace {

enum Loop { NoBox, NormalBox, BounceBox, BothBoxes };

void checkLoopBoxes(Loop loop)
{
    MainWindow &window = MainWindow::instance();
    window.findChild<QCheckBox *>(QStringLiteral("cbLoopNormal"))
        ->setChecked(loop == NormalBox || loop == BothBoxes);
    window.findChild<QCheckBox *>(QStringLiteral("cbLoopBouncing"))
        ->setChecked(loop == BounceBox || loop == BothBoxes);
}

// Ticks until the timer stops or `limit` ticks have run; the frame after each tick.
QList<int> play(ImageView &view, int limit)
{
    QList<int> shown;
    for (int i = 0; i < limit && view.isPlaying(); ++i) {
        tick(view);
        shown << view.currentFrame();
    }
    return shown;
}

} // namespace

class TestImageViewPlayback : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void ticksFollowTheLoopMode_data();
    void ticksFollowTheLoopMode();
    void emptyVideoStopsAtTheFirstTick_data();
    void emptyVideoStopsAtTheFirstTick();
    void noLoopStopsAtTheLastFrameWithoutDrawing();
    void normalTurnsABackwardVideoForward();
    void videosWrapAtTheirOwnEnds();
    void uncheckingTheBoxesStopsAtTheNextEnd();

private:
    TempDir dir;
};

void TestImageViewPlayback::initTestCase()
{
    Q_INIT_RESOURCE(icons);
    QVERIFY(dir.isValid());
    MainWindow &window = MainWindow::instance();
    QVERIFY(window.findChild<QCheckBox *>(QStringLiteral("cbLoopNormal")));
    QVERIFY(window.findChild<QCheckBox *>(QStringLiteral("cbLoopBouncing")));
}

void TestImageViewPlayback::cleanupTestCase()
{
    MainWindow::releaseInstance();
}

void TestImageViewPlayback::ticksFollowTheLoopMode_data()
{
    QTest::addColumn<int>("loop");
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("direction");
    QTest::addColumn<QList<int>>("sequence");
    QTest::addColumn<bool>("playing");
    QTest::addColumn<int>("directionAfter");

    // The rule itself is tested with the frame order; these rows see that the window
    // follows it in each mode.
    QTest::newRow("normal wraps to frame 0")
        << int(NormalBox) << 4 << 0 << 1 << QList<int> { 1, 2, 3, 0, 1, 2, 3, 0 } << true << 1;
    QTest::newRow("both boxes play as normal")
        << int(BothBoxes) << 4 << 0 << 1 << QList<int> { 1, 2, 3, 0, 1 } << true << 1;
    QTest::newRow("bounce shows each end once per turn")
        << int(BounceBox) << 4 << 0 << 1 << QList<int> { 1, 2, 3, 2, 1, 0, 1, 2, 3, 2 } << true
        << -1;
    QTest::newRow("no loop stops after the last frame")
        << int(NoBox) << 4 << 0 << 1 << QList<int> { 1, 2, 3, 3 } << false << 1;
    QTest::newRow("one frame, bounce asks for 1, limited to 0")
        << int(BounceBox) << 1 << 0 << -1 << QList<int> { 0, 0 } << true << 1;
}

void TestImageViewPlayback::ticksFollowTheLoopMode()
{
    QFETCH(int, loop);
    QFETCH(int, frames);
    QFETCH(int, start);
    QFETCH(int, direction);
    QFETCH(QList<int>, sequence);
    QFETCH(bool, playing);
    QFETCH(int, directionAfter);
    checkLoopBoxes(Loop(loop));
    ImageView view(writeClip(dir, "play.yuv", YV12, 4, 2, frames));
    view.showFrame(start);
    view.document().setDirection(direction);
    view.document().setPlaying(true);

    QCOMPARE(play(view, int(sequence.size())), sequence);

    QCOMPARE(view.isPlaying(), playing);
    QCOMPARE(view.bounceDirection(), directionAfter);
    QCOMPARE(
        view.windowTitle(), QStringLiteral("play.yuv - %1/%2").arg(sequence.last()).arg(frames));
}

void TestImageViewPlayback::emptyVideoStopsAtTheFirstTick_data()
{
    QTest::addColumn<int>("loop");

    QTest::newRow("normal") << int(NormalBox);
    QTest::newRow("bounce") << int(BounceBox);
    QTest::newRow("no loop") << int(NoBox);
}

void TestImageViewPlayback::emptyVideoStopsAtTheFirstTick()
{
    QFETCH(int, loop);
    checkLoopBoxes(Loop(loop));
    VideoParameters parameters = writeClip(dir, "empty.yuv", YV12, 4, 2, 1);
    parameters.frameCount = 0;
    ImageView view(parameters);
    view.showFrame(0);
    view.document().setPlaying(true);

    tick(view);

    QVERIFY(!view.isPlaying());
    QCOMPARE(view.currentFrame(), qint64(0));
    QCOMPARE(view.windowTitle(), QStringLiteral("empty.yuv - 0/0"));
    QVERIFY(std::all_of(view.document().frame().y().begin(), view.document().frame().y().end(), [](auto s) { return s == 16; }));
}

void TestImageViewPlayback::noLoopStopsAtTheLastFrameWithoutDrawing()
{
    checkLoopBoxes(NoBox);
    ImageView view(writeClip(dir, "last.yuv", YV12, 4, 2, 4));
    view.showFrame(3);
    const qint64 drawn = shownPixmapKey(view);
    QVERIFY(drawn != 0);
    view.hide();
    view.document().setPlaying(true);

    tick(view);

    QVERIFY(!view.isPlaying());
    QVERIFY(!view.isVisible());
    QCOMPARE(shownPixmapKey(view), drawn);
}

void TestImageViewPlayback::normalTurnsABackwardVideoForward()
{
    checkLoopBoxes(BounceBox);
    ImageView view(writeClip(dir, "turn.yuv", YV12, 4, 2, 6));
    view.showFrame(5);
    view.document().setPlaying(true);
    QCOMPARE(play(view, 2), (QList<int> { 4, 3 }));
    QCOMPARE(view.bounceDirection(), -1);

    checkLoopBoxes(NormalBox);
    QCOMPARE(play(view, 3), (QList<int> { 4, 5, 0 }));
    QCOMPARE(view.bounceDirection(), 1);
}

void TestImageViewPlayback::videosWrapAtTheirOwnEnds()
{
    checkLoopBoxes(NormalBox);
    ImageView five(writeClip(dir, "five.yuv", YV12, 4, 2, 5));
    ImageView eight(writeClip(dir, "eight.yuv", YV12, 4, 2, 8));
    five.showFrame(0);
    eight.showFrame(0);
    five.document().setPlaying(true);
    eight.document().setPlaying(true);

    for (int i = 0; i < 5; ++i) {
        tick(five);
        tick(eight);
    }

    QCOMPARE(five.currentFrame(), qint64(0));
    QCOMPARE(eight.currentFrame(), qint64(5));
}

void TestImageViewPlayback::uncheckingTheBoxesStopsAtTheNextEnd()
{
    checkLoopBoxes(NormalBox);
    ImageView view(writeClip(dir, "uncheck.yuv", YV12, 4, 2, 4));
    view.showFrame(0);
    view.document().setPlaying(true);
    QCOMPARE(play(view, 2), (QList<int> { 1, 2 }));

    checkLoopBoxes(NoBox);
    QCOMPARE(play(view, 10), (QList<int> { 3, 3 }));
    QVERIFY(!view.isPlaying());
}

QTEST_MAIN(TestImageViewPlayback)
#include "test_imageviewplayback.moc"
