#include "frameorder.h"

#include <QtTest>

class TestFrameOrder : public QObject
{
    Q_OBJECT

private slots:
    void ticksFollowTheLoopMode_data();
    void ticksFollowTheLoopMode();
    void stepsLandWhereTheButtonsDo_data();
    void stepsLandWhereTheButtonsDo();
};

void TestFrameOrder::ticksFollowTheLoopMode_data()
{
    QTest::addColumn<int>("loop");
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("direction");
    QTest::addColumn<QList<int>>("shown");
    QTest::addColumn<bool>("stillPlaying");
    QTest::addColumn<int>("finalDirection");

    using L = QList<int>;
    const int none = int(PlayLoop::None);
    const int normal = int(PlayLoop::Normal);
    const int bounce = int(PlayLoop::Bounce);
    QTest::newRow("Normal, 4 frames, wraps to frame 0")
        << normal << 4 << 0 << 1 << L { 1, 2, 3, 0, 1, 2, 3, 0 } << true << 1;
    QTest::newRow("Bounce, 4 frames, each end once per turn")
        << bounce << 4 << 0 << 1 << L { 1, 2, 3, 2, 1, 0, 1, 2, 3, 2 } << true << -1;
    QTest::newRow("no loop, 4 frames, stops after the last")
        << none << 4 << 0 << 1 << L { 1, 2, 3, 3 } << false << 1;
    QTest::newRow("Normal, one frame") << normal << 1 << 0 << 1 << L { 0, 0, 0 } << true << 1;
    QTest::newRow("Bounce, one frame, asks for 1, limited to 0")
        << bounce << 1 << 0 << -1 << L { 0, 0 } << true << 1;
    QTest::newRow("no loop, one frame, stops at once")
        << none << 1 << 0 << 1 << L { 0 } << false << 1;
    QTest::newRow("no loop started at the last frame")
        << none << 4 << 3 << 1 << L { 3 } << false << 1;
    QTest::newRow("Bounce started at the last frame going forward")
        << bounce << 4 << 3 << 1 << L { 2, 1, 0, 1 } << true << 1;
    QTest::newRow("Bounce in the middle going backward")
        << bounce << 8 << 4 << -1 << L { 3, 2, 1, 0, 1, 2 } << true << 1;
    QTest::newRow("Normal resets a backward direction")
        << normal << 8 << 4 << -1 << L { 5, 6 } << true << 1;
    QTest::newRow("no loop keeps the direction")
        << none << 4 << 1 << -1 << L { 2, 3, 3 } << false << -1;
    QTest::newRow("Normal, no frames, stops at once")
        << normal << 0 << 0 << 1 << L { 0 } << false << 1;
    QTest::newRow("Bounce, no frames, stops at once")
        << bounce << 0 << 0 << 1 << L { 0 } << false << 1;
    QTest::newRow("no loop, no frames, stops at once")
        << none << 0 << 0 << 1 << L { 0 } << false << 1;
    QTest::newRow("Normal goes on past frame 65535 in a longer video")
        << normal << 70000 << 65534 << 1 << L { 65535, 65536, 65537 } << true << 1;
    QTest::newRow("Normal wraps from the last of 100000 frames to 0")
        << normal << 100000 << 99998 << 1 << L { 99999, 0, 1 } << true << 1;
    QTest::newRow("Bounce turns at the last of 100000 frames")
        << bounce << 100000 << 99998 << 1 << L { 99999, 99998, 99997 } << true << -1;
    QTest::newRow("no loop stops at the last of 100000 frames")
        << none << 100000 << 99998 << 1 << L { 99999, 99999 } << false << 1;
}

// Ticks as the play timer does until it stops; the frame on show after each tick.
void TestFrameOrder::ticksFollowTheLoopMode()
{
    QFETCH(int, loop);
    QFETCH(int, frames);
    QFETCH(int, start);
    QFETCH(int, direction);
    QFETCH(QList<int>, shown);
    QFETCH(bool, stillPlaying);
    QFETCH(int, finalDirection);

    QList<int> seen;
    int current = start;
    bool playing = true;
    for (int i = 0; i < shown.size() && playing; ++i) {
        const PlayTick tick = nextPlayTick(current, frames, direction, PlayLoop(loop));
        playing = !tick.stops;
        if (playing) {
            direction = tick.direction;
            current = tick.frame;
        }
        seen << current;
    }
    QCOMPARE(seen, shown);
    QCOMPARE(playing, stillPlaying);
    QCOMPARE(direction, finalDirection);
}

void TestFrameOrder::stepsLandWhereTheButtonsDo_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("frame");

    QTest::newRow("< at 0 lands on the last frame") << 10 << 0 << int(TransportStep::Back1) << 9;
    QTest::newRow("<< at 4 lands on the last frame") << 10 << 4 << int(TransportStep::Back5) << 9;
    QTest::newRow("<< at 5 reaches 0") << 10 << 5 << int(TransportStep::Back5) << 0;
    QTest::newRow(">> at 7 stops at the last frame")
        << 10 << 7 << int(TransportStep::Forward5) << 9;
    QTest::newRow("> at 3") << 10 << 3 << int(TransportStep::Forward1) << 4;
    QTest::newRow("|<< at 3") << 10 << 3 << int(TransportStep::ToFirst) << 0;
    QTest::newRow(">>| at 3") << 10 << 3 << int(TransportStep::ToLast) << 9;
    QTest::newRow("> at 65535 of 65536 frames wraps to 0, as 16-bit numbers do")
        << 65536 << 65535 << int(TransportStep::Forward1) << 0;
    QTest::newRow("< at 0 of 65535 frames lands on the last")
        << 65535 << 0 << int(TransportStep::Back1) << 65534;
    QTest::newRow("> at 65535 of 70000 goes on to 65536")
        << 70000 << 65535 << int(TransportStep::Forward1) << 65536;
    QTest::newRow(">>| of 100000 frames shows the last")
        << 100000 << 0 << int(TransportStep::ToLast) << 99999;
    QTest::newRow(">> at 99997 of 100000 stops at the last")
        << 100000 << 99997 << int(TransportStep::Forward5) << 99999;
    QTest::newRow("< at 0 of 100000 lands on the last")
        << 100000 << 0 << int(TransportStep::Back1) << 99999;
    QTest::newRow("<< at 3 of 100000 lands on the last")
        << 100000 << 3 << int(TransportStep::Back5) << 99999;
    QTest::newRow("< in a video of no frames stays at 0")
        << 0 << 0 << int(TransportStep::Back1) << 0;
    QTest::newRow(">>| in a video of no frames stays at 0")
        << 0 << 0 << int(TransportStep::ToLast) << 0;
}

void TestFrameOrder::stepsLandWhereTheButtonsDo()
{
    QFETCH(int, frames);
    QFETCH(int, current);
    QFETCH(int, step);
    QFETCH(int, frame);
    QCOMPARE(frameAfterStep(current, frames, TransportStep(step)), frame);
}

QTEST_APPLESS_MAIN(TestFrameOrder)
#include "test_frameorder.moc"
