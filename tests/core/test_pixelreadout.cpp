#include "frameformat.h"
#include "pixelreadout.h"
#include "samplevalues.h"
#include "videoparameters.h"
#include "viewrenderer.h"
#include "yuvreference.h"

#include <QtTest>

#include <cstring>
#include <vector>

namespace {

FrameFormat frameFormat(std::int32_t format, std::int32_t width, std::int32_t height,
    ColourMatrix matrix = ColourMatrix::Bt601, ColourRange range = ColourRange::Limited)
{
    const std::optional<FrameFormat> made = FrameFormat::make(format, width, height, matrix, range);
    if (!made)
        qFatal("no frame format %d of %dx%d", int(format), int(width), int(height));
    return *made;
}

// Sample `index` of a plane of bytes, or of 16-bit words in host order, set to `value`.
void setSample(std::vector<std::uint8_t> &plane, std::size_t bytes, std::size_t index, int value)
{
    if (bytes == 1) {
        plane[index] = std::uint8_t(value);
        return;
    }
    const auto word = std::uint16_t(value);
    std::memcpy(plane.data() + 2 * index, &word, sizeof word);
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
    void sampleReadsYuvAndConvertsIt();
    void readoutConvertsAsTheConversion_data();
    void readoutConvertsAsTheConversion();
    void readoutTurnsAtTheScreensFarEdge_data();
    void readoutTurnsAtTheScreensFarEdge();
    void valueCellHoldsTheViewsSamples_data();
    void valueCellHoldsTheViewsSamples();
    void valueTextContrastsWithThePixel_data();
    void valueTextContrastsWithThePixel();
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

void TestPixelReadout::sampleReadsYuvAndConvertsIt()
{
    // 4x2 4:2:2: luma index 6 for (2, 1), chroma index 1 * 2 + 1 = 3. R, G and B come from
    // Y, U and V, not from planes that hold something else.
    std::vector<std::uint8_t> y(8, 0), u(4, 0), v(4, 0), r(8, 0), g(8, 0), b(8, 0);
    y[6] = 81;
    u[3] = 90;
    v[3] = 240;
    r[6] = 44;
    g[6] = 55;
    b[6] = 66;
    const FramePlanes planes { y.data(), u.data(), v.data(), r.data(), g.data(), b.data() };
    const PixelSample s = samplePixel(planes, frameFormat(UYVY, 4, 2), { 2, 1 });
    QCOMPARE(s.y, std::uint16_t(81));
    QCOMPARE(s.u, std::uint16_t(90));
    QCOMPARE(s.v, std::uint16_t(240));
    QCOMPARE(s.r, std::uint8_t(255));
    QCOMPARE(s.g, std::uint8_t(0));
    QCOMPARE(s.b, std::uint8_t(0));
}

void TestPixelReadout::readoutConvertsAsTheConversion_data()
{
    QTest::addColumn<int>("format");
    // Words as the planes hold them: a deeper layout's bits above its depth are not
    // part of the sample.
    QTest::addColumn<int>("yWord");
    QTest::addColumn<int>("uWord");
    QTest::addColumn<int>("vWord");
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("g");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("matrix");
    QTest::addColumn<int>("range");

    QTest::newRow("YV12 black") << int(YV12) << 16 << 128 << 128 << 0 << 0 << 0 << 0 << 0;
    QTest::newRow("YV12 grid line 200 is grey 214")
        << int(YV12) << 200 << 128 << 128 << 214 << 214 << 214 << 0 << 0;
    QTest::newRow("UYVY Y 20 rounds up to 5")
        << int(UYVY) << 20 << 128 << 128 << 5 << 5 << 5 << 0 << 0;
    QTest::newRow("nv12 red, B -1 clamped to 0")
        << int(Nv12) << 81 << 90 << 240 << 255 << 0 << 0 << 0 << 0;
    QTest::newRow("yuv444p extreme chroma 0, 0")
        << int(Yuv444p) << 255 << 0 << 0 << 74 << 255 << 20 << 0 << 0;
    QTest::newRow("yuyv422 extreme chroma 255, 255")
        << int(Yuyv422) << 0 << 255 << 255 << 184 << 0 << 237 << 0 << 0;
    QTest::newRow("gray Y 126 is mid grey")
        << int(Gray) << 126 << 128 << 128 << 128 << 128 << 128 << 0 << 0;
    QTest::newRow("yuv420p10le grid line 800 is grey 214")
        << int(Yuv420p10le) << 800 << 512 << 512 << 214 << 214 << 214 << 0 << 0;
    // Rounded at 10 bits: the 8-bit sample 16 that its top bits make is black.
    QTest::newRow("yuv420p10le Y 66 is 1")
        << int(Yuv420p10le) << 66 << 512 << 512 << 1 << 1 << 1 << 0 << 0;
    // The 8-bit samples of its top bits, (100, 150, 112), give R 72.
    QTest::newRow("yuv422p10le (400, 600, 450) is (73, 102, 142)")
        << int(Yuv422p10le) << 400 << 600 << 450 << 73 << 102 << 142 << 0 << 0;
    QTest::newRow("yuv422p10le stray high bits")
        << int(Yuv422p10le) << (0xfc00 | 400) << (0x8000 | 600) << (0x0400 | 450) << 73 << 102
        << 142 << 0 << 0;
    QTest::newRow("yuv444p12le stray high bits")
        << int(Yuv444p12le) << (0xf000 | 2000) << (0x1000 | 1000) << (0xa000 | 3000) << 222 << 104
        << 0 << 0 << 0;
    QTest::newRow("gray12le grid line 3200 is grey 214")
        << int(Gray12le) << (0x7000 | 3200) << 2048 << 2048 << 214 << 214 << 214 << 0 << 0;
    QTest::newRow("gray10le Y 1023 clamps to white")
        << int(Gray10le) << 1023 << 512 << 512 << 255 << 255 << 255 << 0 << 0;
    QTest::newRow("p010le grid line 800 as its planes hold it")
        << int(P010le) << 800 << 512 << 512 << 214 << 214 << 214 << 0 << 0;
    // The format's matrix and range, where BT.601 limited gives another colour.
    const int bt709 = int(ColourMatrix::Bt709);
    const int bt2020 = int(ColourMatrix::Bt2020);
    const int full = int(ColourRange::Full);
    QTest::newRow("YV12 BT.709 limited red has G 24")
        << int(YV12) << 81 << 90 << 240 << 255 << 24 << 0 << bt709 << 0;
    QTest::newRow("YV12 full range Y 16 is grey 16")
        << int(YV12) << 16 << 128 << 128 << 16 << 16 << 16 << 0 << full;
    QTest::newRow("yuv444p BT.2020 full (200, 100, 180) is (255, 175, 147)")
        << int(Yuv444p) << 200 << 100 << 180 << 255 << 175 << 147 << bt2020 << full;
    QTest::newRow("yuv422p10le BT.709 full (400, 600, 450) is (76, 103, 141)")
        << int(Yuv422p10le) << 400 << 600 << 450 << 76 << 103 << 141 << bt709 << full;
}

// Pixel (5, 3) of a 10x6 frame whose other samples differ, with null R, G and B planes:
// the readout pairs the sample that the reference pairs, and converts it by the formula.
void TestPixelReadout::readoutConvertsAsTheConversion()
{
    QFETCH(int, format);
    QFETCH(int, yWord);
    QFETCH(int, uWord);
    QFETCH(int, vWord);
    QFETCH(int, r);
    QFETCH(int, g);
    QFETCH(int, b);
    QFETCH(int, matrix);
    QFETCH(int, range);
    const int width = 10;
    const int height = 6;
    const int x = 5;
    const int y = 3;
    const FrameFormat frame
        = frameFormat(format, width, height, ColourMatrix(matrix), ColourRange(range));
    const ReferenceSamples samples = referenceSamples(format);
    const std::size_t bytes = samples.depth > 8 ? 2 : 1;
    const int top = (1 << samples.depth) - 1;
    std::vector<std::uint8_t> yPlane(frame.lumaBytes()), uPlane(frame.chromaBytes()),
        vPlane(frame.chromaBytes());
    for (std::size_t i = 0; i < frame.lumaSamples(); ++i)
        setSample(yPlane, bytes, i, int(i * 37) & top);
    const std::optional<std::size_t> chroma = referenceChromaIndex(format, width, x, y);
    for (std::size_t i = 0; i < frame.chromaSamples(); ++i) {
        // Grey's one row holds chroma's zero, as the window keeps it.
        setSample(uPlane, bytes, i, chroma ? int(i * 53) & top : uWord);
        setSample(vPlane, bytes, i, chroma ? int(i * 71) & top : vWord);
    }
    setSample(yPlane, bytes, std::size_t(y * width + x), yWord);
    if (chroma) {
        setSample(uPlane, bytes, *chroma, uWord);
        setSample(vPlane, bytes, *chroma, vWord);
    }
    const FramePlanes planes { yPlane.data(), uPlane.data(), vPlane.data() };

    const PixelSample s = samplePixel(planes, frame, { x, y });

    QCOMPARE(int(s.y), yWord & top);
    QCOMPARE(int(s.u), uWord & top);
    QCOMPARE(int(s.v), vWord & top);
    const Rgb reference
        = yuvToRgbReference(s.y, s.u, s.v, samples.depth, referenceCoefficients(matrix, range));
    QCOMPARE(int(reference.r), r);
    QCOMPARE(int(reference.g), g);
    QCOMPARE(int(reference.b), b);
    QCOMPARE(int(s.r), r);
    QCOMPARE(int(s.g), g);
    QCOMPARE(int(s.b), b);
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

void TestPixelReadout::valueCellHoldsTheViewsSamples_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("view");
    QTest::addColumn<QPoint>("pixel");
    // The pixels that the values are written over, and the values, top to bottom.
    QTest::addColumn<QRect>("cell");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<int>("widest");
    constexpr int Colour = int(FrameView::Color);
    constexpr int Y = int(FrameView::Y);
    constexpr int U = int(FrameView::U);
    constexpr int V = int(FrameView::V);
    constexpr int R = int(FrameView::R);
    // 6x4 frames: Y sample i holds i, U sample j holds 100 + j and V 200 + j; at 12 bits,
    // 4000 - i, 3000 + j and 2000 + j, with stray bits above the depth.
    QTest::newRow("4:2:0 U view: (3, 1) in the 2x2 block at (2, 0), sample 1")
        << int(YV12) << U << QPoint(3, 1) << QRect(2, 0, 2, 2) << QList<int> { 101 } << 255;
    QTest::newRow("4:2:0 V view: (5, 3) in the block at (4, 2), sample 5")
        << int(YV12) << V << QPoint(5, 3) << QRect(4, 2, 2, 2) << QList<int> { 205 } << 255;
    QTest::newRow("4:2:2 U view: (1, 3) in the 2x1 block at (0, 3), sample 9")
        << int(Planar422) << U << QPoint(1, 3) << QRect(0, 3, 2, 1) << QList<int> { 109 } << 255;
    QTest::newRow("4:4:4 V view: (5, 3) alone, sample 23")
        << int(Yuv444p) << V << QPoint(5, 3) << QRect(5, 3, 1, 1) << QList<int> { 223 } << 255;
    QTest::newRow("4:2:0 Y view: (3, 1) alone, sample 9")
        << int(YV12) << Y << QPoint(3, 1) << QRect(3, 1, 1, 1) << QList<int> { 9 } << 255;
    QTest::newRow("4:2:0 colour view: Y, U and V of (3, 1)")
        << int(YV12) << Colour << QPoint(3, 1) << QRect(3, 1, 1, 1) << QList<int> { 9, 101, 201 }
        << 255;
    QTest::newRow("yuv444p12le colour view: as stored, the bits above 12 ignored")
        << int(Yuv444p12le) << Colour << QPoint(5, 3) << QRect(5, 3, 1, 1)
        << QList<int> { 4000 - 23, 3023, 2023 } << 4095;
    QTest::newRow("yuv420p10le Y view: up to 1023")
        << int(Yuv420p10le) << Y << QPoint(0, 0) << QRect(0, 0, 1, 1) << QList<int> { 4000 % 1024 }
        << 1023;
    QTest::newRow("gray colour view: Y alone")
        << int(Gray) << Colour << QPoint(4, 2) << QRect(4, 2, 1, 1) << QList<int> { 16 } << 255;
    QTest::newRow("gray U view: no chroma, no value")
        << int(Gray) << U << QPoint(4, 2) << QRect(4, 2, 1, 1) << QList<int>() << 255;
    QTest::newRow("R view of 12-bit: 0 to 255")
        << int(Yuv444p12le) << R << QPoint(0, 0) << QRect(0, 0, 1, 1) << QList<int> { 255 } << 255;
    QTest::newRow("a view past B: nothing")
        << int(YV12) << 7 << QPoint(0, 0) << QRect(0, 0, 1, 1) << QList<int>() << 255;
}

void TestPixelReadout::valueCellHoldsTheViewsSamples()
{
    QFETCH(int, format);
    QFETCH(int, view);
    QFETCH(QPoint, pixel);
    QFETCH(QRect, cell);
    QFETCH(QList<int>, values);
    QFETCH(int, widest);
    const FrameFormat frame = frameFormat(format, 6, 4);
    const std::size_t bytes = frame.bytesPerSample();
    const bool deep = frame.depth() > 8;
    std::vector<std::uint8_t> y(frame.lumaBytes()),
        u(std::max<std::size_t>(frame.chromaBytes(), 24)), v(u.size());
    for (std::size_t i = 0; i < frame.lumaSamples(); ++i)
        setSample(y, bytes, i, deep ? int(0xf000 | (4000 - i)) : int(i));
    for (std::size_t j = 0; j < u.size() / bytes; ++j) {
        setSample(u, bytes, j, deep ? int(0xf000 | (3000 + j)) : int(100 + j));
        setSample(v, bytes, j, deep ? int(0x1000 | (2000 + j)) : int(200 + j));
    }
    const FramePlanes planes { y.data(), u.data(), v.data(), nullptr, nullptr, nullptr };

    const ValueCell got = valueCellAt(planes, frame, view, { pixel.x(), pixel.y() });
    QCOMPARE(QRect(got.x, got.y, got.width, got.height), cell);
    QList<int> written;
    for (int line = 0; line < got.count; ++line)
        written << got.values[std::size_t(line)];
    QCOMPARE(written, values);
    QCOMPARE(valueLines(frame, view), values.size());
    QCOMPARE(int(widestValue(frame, view)), widest);
}

void TestPixelReadout::valueTextContrastsWithThePixel_data()
{
    QTest::addColumn<uint>("pixel");
    QTest::addColumn<bool>("dark");
    QTest::newRow("white: black text") << 0xffffffffu << true;
    QTest::newRow("black: white text") << 0xff000000u << false;
    QTest::newRow("grey 128: black") << 0xff808080u << true;
    QTest::newRow("grey 127: white") << 0xff7f7f7fu << false;
    QTest::newRow("green, luma 150: black") << 0xff00ff00u << true;
    QTest::newRow("red, luma 76: white") << 0xffff0000u << false;
    QTest::newRow("yellow, luma 226: black") << 0xffffff00u << true;
    QTest::newRow("blue, luma 29: white") << 0xff0000ffu << false;
}

void TestPixelReadout::valueTextContrastsWithThePixel()
{
    QFETCH(uint, pixel);
    QFETCH(bool, dark);
    QCOMPARE(darkTextOver(pixel), dark);
}

QTEST_APPLESS_MAIN(TestPixelReadout)
#include "test_pixelreadout.moc"
