#include "zoompresets.h"

#include <QtTest>

class TestZoomPresets : public QObject
{
    Q_OBJECT

private slots:
    void positionPicksPresetByTens_data();
    void positionPicksPresetByTens();
    void presetGivesItsPosition_data();
    void presetGivesItsPosition();
    void dragSnapsToPresets_data();
    void dragSnapsToPresets();
};

void TestZoomPresets::positionPicksPresetByTens_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("percent");

    QTest::newRow("0 is 12 %") << 0 << 12;
    QTest::newRow("9 is still 12 %") << 9 << 12;
    QTest::newRow("10 is 25 %") << 10 << 25;
    QTest::newRow("15 is 25 %") << 15 << 25;
    QTest::newRow("30 is 75 %") << 30 << 75;
    QTest::newRow("40 is 100 %") << 40 << 100;
    QTest::newRow("50 is 150 %") << 50 << 150;
    QTest::newRow("70 is 400 %") << 70 << 400;
    QTest::newRow("90 is 1600 %") << 90 << 1600;
    QTest::newRow("100 is 3200 %") << 100 << 3200;
    QTest::newRow("beyond the end keeps 3200 %") << 130 << 3200;
    QTest::newRow("below 0 keeps 12 %") << -20 << 12;
}

void TestZoomPresets::positionPicksPresetByTens()
{
    QFETCH(int, position);
    QFETCH(int, percent);
    QCOMPARE(zoomPresetAt(position), percent);
}

void TestZoomPresets::presetGivesItsPosition_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("position");

    QTest::newRow("12 %") << 12 << 0;
    QTest::newRow("25 %") << 25 << 10;
    QTest::newRow("50 %") << 50 << 20;
    QTest::newRow("75 %") << 75 << 30;
    QTest::newRow("100 %") << 100 << 40;
    QTest::newRow("150 %") << 150 << 50;
    QTest::newRow("200 %") << 200 << 60;
    QTest::newRow("400 %") << 400 << 70;
    QTest::newRow("800 %") << 800 << 80;
    QTest::newRow("1600 %") << 1600 << 90;
    QTest::newRow("3200 %") << 3200 << 100;
    QTest::newRow("no preset: 120 %") << 120 << 0;
    QTest::newRow("no preset: 0 %") << 0 << 0;
}

void TestZoomPresets::presetGivesItsPosition()
{
    QFETCH(int, percent);
    QFETCH(int, position);
    QCOMPARE(sliderPositionForZoom(percent), position);
}

void TestZoomPresets::dragSnapsToPresets_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("snapped");

    QTest::newRow("40 to 43 snaps back") << 40 << 43 << 40;
    QTest::newRow("40 to 45, half a step, snaps back") << 40 << 45 << 40;
    QTest::newRow("40 to 35, half a step back, snaps back") << 40 << 35 << 40;
    QTest::newRow("40 to 46 goes up to 50") << 40 << 46 << 50;
    QTest::newRow("40 to 47 goes up to 50") << 40 << 47 << 50;
    QTest::newRow("40 to 61 goes up to 70, not 60") << 40 << 61 << 70;
    QTest::newRow("40 to 60 stays on 60") << 40 << 60 << 60;
    QTest::newRow("40 to 18 goes down to 10") << 40 << 18 << 10;
    QTest::newRow("40 to 34 goes down to 30") << 40 << 34 << 30;
    QTest::newRow("40 to 0") << 40 << 0 << 0;
    QTest::newRow("90 to 100") << 90 << 100 << 100;
    QTest::newRow("a repeated snap changes nothing") << 40 << 50 << 50;
}

void TestZoomPresets::dragSnapsToPresets()
{
    QFETCH(int, value);
    QFETCH(int, position);
    QFETCH(int, snapped);
    QCOMPARE(snappedZoomPosition(value, position, 10), snapped);
}

QTEST_APPLESS_MAIN(TestZoomPresets)
#include "test_zoompresets.moc"
