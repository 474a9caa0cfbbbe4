#include "zoomgeometry.h"

#include <QtTest>

class TestZoomGeometry : public QObject
{
    Q_OBJECT

private slots:
    void zoomChangesOnlyBeyondTenPoints_data();
    void zoomChangesOnlyBeyondTenPoints();
    void windowFitsTheTruncatedPicturePlusMargin_data();
    void windowFitsTheTruncatedPicturePlusMargin();
    void sizeIsLimitedOnEachAxis_data();
    void sizeIsLimitedOnEachAxis();
};

void TestZoomGeometry::zoomChangesOnlyBeyondTenPoints_data()
{
    QTest::addColumn<double>("current");
    QTest::addColumn<double>("requested");
    QTest::addColumn<bool>("changes");

    QTest::newRow("100 % again") << 1.0 << 1.0 << false;
    QTest::newRow("100 % to 110 % is 10 points") << 1.0 << 1.1 << false;
    QTest::newRow("100 % to 90 % is 10 points") << 1.0 << 0.9 << false;
    QTest::newRow("100 % to 120 %") << 1.0 << 1.2 << true;
    QTest::newRow("100 % to 150 %") << 1.0 << 1.5 << true;
    QTest::newRow("100 % to 12 %") << 1.0 << 0.12 << true;
    QTest::newRow("12 % to 25 %, the closest presets") << 0.12 << 0.25 << true;
    QTest::newRow("25 % to 12 %") << 0.25 << 0.12 << true;
    QTest::newRow("3200 % to 1600 %") << 32.0 << 16.0 << true;
    QTest::newRow("3200 % again") << 32.0 << 32.0 << false;
}

void TestZoomGeometry::zoomChangesOnlyBeyondTenPoints()
{
    QFETCH(double, current);
    QFETCH(double, requested);
    QFETCH(bool, changes);
    QCOMPARE(isZoomChange(current, requested), changes);
}

void TestZoomGeometry::windowFitsTheTruncatedPicturePlusMargin_data()
{
    QTest::addColumn<double>("factor");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("windowWidth");
    QTest::addColumn<int>("windowHeight");

    QTest::newRow("352x288 at 100 %") << 1.0 << 352 << 288 << 357 << 293;
    QTest::newRow("352x288 at 150 %") << 1.5 << 352 << 288 << 533 << 437;
    QTest::newRow("352x288 at 12 % truncates 42.24 and 34.56") << 0.12 << 352 << 288 << 47 << 39;
    QTest::newRow("352x288 at 75 %") << 0.75 << 352 << 288 << 269 << 221;
    QTest::newRow("1920x1080 at 3200 %") << 32.0 << 1920 << 1080 << 61445 << 34565;
    QTest::newRow("2x2 at 12 % keeps only the margin") << 0.12 << 2 << 2 << 5 << 5;
}

void TestZoomGeometry::windowFitsTheTruncatedPicturePlusMargin()
{
    QFETCH(double, factor);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, windowWidth);
    QFETCH(int, windowHeight);
    const WindowSize size = zoomedWindowSize(factor, width, height);
    QCOMPARE(size.width, windowWidth);
    QCOMPARE(size.height, windowHeight);
}

void TestZoomGeometry::sizeIsLimitedOnEachAxis_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("limitedWidth");
    QTest::addColumn<int>("limitedHeight");

    QTest::newRow("smaller than the screen") << 357 << 293 << 357 << 293;
    QTest::newRow("exactly the screen") << 800 << 600 << 800 << 600;
    QTest::newRow("wider only") << 1925 << 293 << 800 << 293;
    QTest::newRow("taller only") << 357 << 1085 << 357 << 600;
    QTest::newRow("3200 % of 1920x1080") << 61445 << 34565 << 800 << 600;
}

void TestZoomGeometry::sizeIsLimitedOnEachAxis()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, limitedWidth);
    QFETCH(int, limitedHeight);
    const WindowSize size = limitedTo({ width, height }, { 800, 600 });
    QCOMPARE(size.width, limitedWidth);
    QCOMPARE(size.height, limitedHeight);
}

QTEST_APPLESS_MAIN(TestZoomGeometry)
#include "test_zoomgeometry.moc"
