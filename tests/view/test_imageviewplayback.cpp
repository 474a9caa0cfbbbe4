#include "imageview.h"
#include "imageviewtesting.h"
#include "mainwindow.h"
#include "tempdir.h"
#include "testclips.h"
#include "testfiles.h"

#include <QCheckBox>
#include <QGraphicsScene>
#include <QTimer>
#include <QtTest>

#include <algorithm>

#include <unistd.h>

using namespace imageviewtesting;
using viewreference::View;

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

// Whether the window's luma holds frame `frame` of a clip as written.
bool lumaHoldsClipFrame(const ImageView &view, int frame)
{
    const SamplePlane &y = view.document().frame().y();
    for (std::size_t at = 0; at < y.size(); ++at) {
        if (y[at] != testclips::clipByte(frame, std::int64_t(at)))
            return false;
    }
    return true;
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
    void frameReadAheadIsShownOnlyWhileTheFileHoldsIt_data();
    void frameReadAheadIsShownOnlyWhileTheFileHoldsIt();

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
    QVERIFY(std::all_of(view.document().frame().y().begin(), view.document().frame().y().end(),
        [](auto s) { return s == 16; }));
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

void TestImageViewPlayback::frameReadAheadIsShownOnlyWhileTheFileHoldsIt_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("lumaOf");

    // A frame is read ahead only while the video plays; each row changes something
    // between that read and the tick that shows the frame.
    QTest::newRow("nothing changed: the frame read ahead is shown") << "none"
                                                                    << "ahead.yuv - 2/4" << 2;
    // Its bytes replaced under the same size and time, the file says nothing of the change:
    // the frame is shown as it was read ahead, which is how a test can see that it was.
    QTest::newRow("bytes replaced, the time kept: shown as read ahead") << "same time"
                                                                        << "ahead.yuv - 2/4" << 2;
    QTest::newRow("bytes rewritten: read again") << "rewritten"
                                                 << "ahead.yuv - 2/4" << 3;
    QTest::newRow("file cut short below the frame: cannot be read, the picture stays")
        << "truncated"
        << "ahead.yuv - 2/4 - could not be read" << 1;
    QTest::newRow("file removed: cannot be read, the picture stays")
        << "removed"
        << "ahead.yuv - 2/4 - could not be read" << 1;
    QTest::newRow("grid changed: read again with the grid") << "grid"
                                                            << "ahead.yuv - 2/4" << 2;
    QTest::newRow("view changed: drawn in the new view") << "view"
                                                         << "ahead.yuv - 2/4" << 2;
    QTest::newRow("colour changed: drawn in the new colour") << "colour"
                                                             << "ahead.yuv - 2/4" << 2;
}

void TestImageViewPlayback::frameReadAheadIsShownOnlyWhileTheFileHoldsIt()
{
    QFETCH(QString, change);
    QFETCH(QString, title);
    QFETCH(int, lumaOf);
    checkLoopBoxes(NormalBox);
    const VideoParameters clip = writeClip(dir, "ahead.yuv", YV12, 16, 8, 4);
    // Left alone for a while: a file changed just now is read again at every frame.
    QVERIFY(testfiles::setModifiedAgo(clip.path, 60));
    ImageView view(clip);
    QSignalSpy ready(&view.document(), &VideoDocument::frameReady);
    view.document().setPlaying(true);
    view.showFrame(1);
    QVERIFY(ready.wait(10000) || !ready.isEmpty());
    QCOMPARE(ready.takeFirst().value(0).toLongLong(), qint64(2));

    const std::int64_t frameBytes = 16 * 8 * 3 / 2;
    std::vector<std::uint8_t> frame3(static_cast<std::size_t>(frameBytes));
    testclips::fillClipBytes(frame3.data(), frame3.size(), 3, 0);
    if (change == "same time") {
        const std::int64_t time = testfiles::modifiedTime(clip.path);
        QVERIFY(testfiles::writeAt(clip.path, 2 * frameBytes, frame3.data(), frame3.size()));
        QVERIFY(testfiles::setModifiedTime(clip.path, time));
    } else if (change == "rewritten") {
        QVERIFY(testfiles::writeAt(clip.path, 2 * frameBytes, frame3.data(), frame3.size()));
    } else if (change == "truncated") {
        QVERIFY(::truncate(clip.path.c_str(), off_t(2 * frameBytes)) == 0);
    } else if (change == "removed") {
        QVERIFY(testfiles::removeFile(clip.path));
    } else if (change == "grid") {
        view.setGridStep(8);
    } else if (change == "view") {
        view.setComponentView(ImageView::Y);
    } else if (change == "colour") {
        view.document().setColour(ColourMatrix::Bt709, ColourRange::Full);
    }
    // The grid reads frame 1 again; its luma then holds the grid's marks.
    const QImage before = shownPicture(view);

    tick(view);

    QCOMPARE(view.currentFrame(), qint64(2));
    QCOMPARE(view.windowTitle(), title);
    if (change == "grid") {
        const SamplePlane &y = view.document().frame().y();
        QCOMPARE(y[0], std::uint8_t(200));
        QCOMPARE(y[8], std::uint8_t(200));
        QCOMPARE(y[17], testclips::clipByte(2, 17));
    } else {
        QVERIFY(lumaHoldsClipFrame(view, lumaOf));
    }
    const QImage shown = shownPicture(view);
    if (lumaOf == 1)
        QCOMPARE(shown, before);
    else
        QCOMPARE(firstWrongPixel(view, shown, View(view.component())), -1);
}

QTEST_MAIN(TestImageViewPlayback)
#include "test_imageviewplayback.moc"
