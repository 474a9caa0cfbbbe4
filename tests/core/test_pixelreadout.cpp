#include "frameformat.h"
#include "pixelreadout.h"
#include "videoparameters.h"

#include <QtTest>

#include <vector>

namespace {

FrameFormat frameFormat(std::int32_t format, std::int32_t width, std::int32_t height)
{
    const std::optional<FrameFormat> made = FrameFormat::make(format, width, height);
    if (!made)
        qFatal("no frame format %d of %dx%d", int(format), int(width), int(height));
    return *made;
}

} // namespace

class TestPixelReadout : public QObject
{
    Q_OBJECT

private slots:
    void pointMapsToThePixelContainingIt_data();
    void pointMapsToThePixelContainingIt();
    void pointsOffTheFrameHaveNoPixel_data();
    void pointsOffTheFrameHaveNoPixel();
    void chromaIndexIsTheConversionsSample_data();
    void chromaIndexIsTheConversionsSample();
    void sampleReadsAllSixPlanes();
    void readoutTurnsAtTheScreensFarEdge_data();
    void readoutTurnsAtTheScreensFarEdge();
};

void TestPixelReadout::pointMapsToThePixelContainingIt_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");

    QTest::newRow("origin") << 0.0 << 0.0 << 0 << 0;
    QTest::newRow("(101, 51) at 200 %") << 50.5 << 25.5 << 50 << 25;
    QTest::newRow("(10, 10) at 12 %") << 10 / 0.12 << 10 / 0.12 << 83 << 83;
    QTest::newRow("just inside the last pixel") << 351.999 << 287.999 << 351 << 287;
}

void TestPixelReadout::pointMapsToThePixelContainingIt()
{
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(int, column);
    QFETCH(int, row);
    const std::optional<PixelPosition> pixel = pixelAt(x, y, 352, 288);
    QVERIFY(pixel.has_value());
    QCOMPARE(pixel->x, column);
    QCOMPARE(pixel->y, row);
}

void TestPixelReadout::pointsOffTheFrameHaveNoPixel_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");

    QTest::newRow("right margin") << 352.0 << 10.0;
    QTest::newRow("bottom margin") << 10.0 << 288.0;
    QTest::newRow("corner of the margin") << 356.0 << 292.0;
    QTest::newRow("left of the frame") << -0.5 << 10.0;
    QTest::newRow("above the frame") << 10.0 << -0.001;
    QTest::newRow("not a number") << std::nan("") << 10.0;
}

void TestPixelReadout::pointsOffTheFrameHaveNoPixel()
{
    QFETCH(double, x);
    QFETCH(double, y);
    QVERIFY(!pixelAt(x, y, 352, 288).has_value());
}

void TestPixelReadout::chromaIndexIsTheConversionsSample_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("index");

    QTest::newRow("YV12 (5, 3)") << int(YV12) << 5 << 3 << 178;
    QTest::newRow("UYVY (5, 3) takes its own row") << int(UYVY) << 5 << 3 << 530;
    QTest::newRow("Planar422 (5, 3) takes its own row") << int(Planar422) << 5 << 3 << 530;
    QTest::newRow("YV12 (4, 2) shares with (5, 3)") << int(YV12) << 4 << 2 << 178;
    QTest::newRow("UYVY (5, 2) differs from (5, 3)") << int(UYVY) << 5 << 2 << 354;
    QTest::newRow("YV12 last pixel is the last sample") << int(YV12) << 351 << 287 << 25343;
    QTest::newRow("nv12 (5, 3) as YV12") << int(Nv12) << 5 << 3 << 178;
    QTest::newRow("yuyv422 (5, 3) takes its own row") << int(Yuyv422) << 5 << 3 << 530;
    QTest::newRow("yuv444p (5, 3) takes its own sample") << int(Yuv444p) << 5 << 3 << 3 * 352 + 5;
    QTest::newRow("yuv444p last pixel") << int(Yuv444p) << 351 << 287 << 352 * 288 - 1;
    QTest::newRow("gray (5, 3) reads its one row of 128") << int(Gray) << 5 << 3 << 5;
    QTest::newRow("gray last pixel") << int(Gray) << 351 << 287 << 351;
    QTest::newRow("Planar422 last pixel is the last sample")
        << int(Planar422) << 351 << 287 << 50687;
}

void TestPixelReadout::chromaIndexIsTheConversionsSample()
{
    QFETCH(int, format);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, index);
    QCOMPARE(chromaIndex(frameFormat(format, 352, 288), { x, y }), std::size_t(index));
}

void TestPixelReadout::sampleReadsAllSixPlanes()
{
    // 4x2 4:2:2: luma index 6 for (2, 1), chroma index 1 * 2 + 1 = 3.
    std::vector<std::uint8_t> y(8, 0), u(4, 0), v(4, 0), r(8, 0), g(8, 0), b(8, 0);
    y[6] = 11;
    u[3] = 22;
    v[3] = 33;
    r[6] = 44;
    g[6] = 55;
    b[6] = 66;
    const FramePlanes planes { y.data(), u.data(), v.data(), r.data(), g.data(), b.data() };
    const PixelSample s = samplePixel(planes, frameFormat(UYVY, 4, 2), { 2, 1 });
    QCOMPARE(s.y, std::uint8_t(11));
    QCOMPARE(s.u, std::uint8_t(22));
    QCOMPARE(s.v, std::uint8_t(33));
    QCOMPARE(s.r, std::uint8_t(44));
    QCOMPARE(s.g, std::uint8_t(55));
    QCOMPARE(s.b, std::uint8_t(66));
}

void TestPixelReadout::readoutTurnsAtTheScreensFarEdge_data()
{
    QTest::addColumn<int>("preferred");
    QTest::addColumn<int>("pointer");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("begin");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("start");

    QTest::newRow("20 right of the pointer") << 520 << 500 << 100 << 0 << 1920 << 520;
    QTest::newRow("ending on the edge stays") << 1820 << 1800 << 100 << 0 << 1920 << 1820;
    QTest::newRow("one past the edge turns left") << 1821 << 1801 << 100 << 0 << 1920 << 1681;
    QTest::newRow("30 below under a title bar turns up") << 1218 << 1188 << 80 << 0 << 1200 << 1078;
    QTest::newRow("second screen's edge") << 3830 << 3810 << 100 << 1920 << 3840 << 3690;
    QTest::newRow("no room on either side") << 70 << 50 << 100 << 0 << 120 << 0;
}

void TestPixelReadout::readoutTurnsAtTheScreensFarEdge()
{
    QFETCH(int, preferred);
    QFETCH(int, pointer);
    QFETCH(int, length);
    QFETCH(int, begin);
    QFETCH(int, end);
    QFETCH(int, start);
    QCOMPARE(readoutStart(preferred, pointer, length, begin, end), start);
}

QTEST_APPLESS_MAIN(TestPixelReadout)
#include "test_pixelreadout.moc"
