#include "framebuffers.h"
#include "samplelayout.h"
#include "videoparameters.h"
#include "yuvconvert.h"
#include "yuvreference.h"
#include "yuvrowkernel.h"

#include <QtTest>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

using Plane = SamplePlane;
using Converter = void (*)(const std::uint8_t *, const std::uint8_t *, const std::uint8_t *,
    std::uint8_t *, std::uint8_t *, std::uint8_t *, int, int);

Q_DECLARE_METATYPE(RowKernel)

namespace {

// Every row kernel this processor can run, through the cache and around it, and (as a
// null kernel) the public functions with the one they pick, so each path is checked on
// any machine: the 4:4:4 kernels for 4:4:4, the others for 4:2:0 and 4:2:2.
std::vector<std::pair<QByteArray, RowKernel>> kernels(Subsampling chroma = Subsampling::Yuv420)
{
    std::vector<std::pair<QByteArray, RowKernel>> list
        = { { "public", nullptr }, { "portable", convertRowsNone } };
#if defined(ZENTAVO_X86_KERNELS)
    const bool own = chroma == Subsampling::Yuv444;
    list.emplace_back("sse2", own ? convertRows444Sse2 : convertRowsSse2);
    list.emplace_back(
        "sse2 streaming", own ? convertRows444Sse2Streaming : convertRowsSse2Streaming);
    if (__builtin_cpu_supports("avx2")) {
        list.emplace_back("avx2", own ? convertRows444Avx2 : convertRowsAvx2);
        list.emplace_back(
            "avx2 streaming", own ? convertRows444Avx2Streaming : convertRowsAvx2Streaming);
    }
#else
    (void)chroma;
#endif
    return list;
}

void addKernelRows()
{
    QTest::addColumn<RowKernel>("kernel");
    for (const auto &[name, kernel] : kernels())
        QTest::newRow(name.constData()) << kernel;
}

void convertWith(RowKernel kernel, Subsampling chroma, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    PictureRows picture = {})
{
    const bool planar422 = chroma == Subsampling::Yuv422;
    if (chroma == Subsampling::Yuv444 && !kernel)
        convertYuv444ToRgb(y, u, v, r, g, b, width, height, picture);
    else if (chroma == Subsampling::Yuv444)
        convertYuv444ToRgbWith(kernel, y, u, v, r, g, b, width, height, picture);
    else if (!kernel && planar422)
        convertYuv422ToRgb(y, u, v, r, g, b, width, height, picture);
    else if (!kernel)
        convertYuv420ToRgb(y, u, v, r, g, b, width, height, picture);
    else if (planar422)
        convertYuv422ToRgbWith(kernel, y, u, v, r, g, b, width, height, picture);
    else
        convertYuv420ToRgbWith(kernel, y, u, v, r, g, b, width, height, picture);
}

// Output planes and a picture, each with a guard zone behind it, filled with one
// sentinel; on whole cache lines, as the video window's are, so the streaming stores run.
struct Outputs
{
    static constexpr std::size_t guard = 64;
    Outputs(std::size_t size, std::uint8_t sentinel)
        : r(size + guard, sentinel)
        , g(size + guard, sentinel)
        , b(size + guard, sentinel)
        , picture(4 * size + guard, sentinel)
    {
    }
    // Pixel (x, y) = 0xffRRGGBB from the planes, as the colour view shows it.
    void paintPictureFromPlanes()
    {
        for (std::size_t i = 0; i + guard < r.size(); ++i) {
            const std::uint32_t pixel
                = 0xff000000u | std::uint32_t(r[i]) << 16 | std::uint32_t(g[i]) << 8 | b[i];
            std::memcpy(picture.data() + 4 * i, &pixel, 4);
        }
    }
    PictureRows pictureRows(int width) { return { picture.data(), std::ptrdiff_t(4) * width }; }
    Plane r, g, b, picture;
};

QString firstDifference(const Plane &actual, const Plane &expected, const char *name)
{
    for (std::size_t i = 0; i < actual.size() && i < expected.size(); ++i) {
        if (actual[i] != expected[i])
            return QStringLiteral("%1[%2] is %3, expected %4")
                .arg(QLatin1String(name))
                .arg(i)
                .arg(actual[i])
                .arg(expected[i]);
    }
    return {};
}

Outputs referenceOutputs(
    Subsampling chroma, const Plane &y, const Plane &u, const Plane &v, int width, int height)
{
    Outputs expected(y.size(), 0x5a);
    const Converter reference = chroma == Subsampling::Yuv444 ? convertYuv444ToRgbReference
        : chroma == Subsampling::Yuv422                       ? convertYuv422ToRgbReference
                                                              : convertYuv420ToRgbReference;
    reference(y.data(), u.data(), v.data(), expected.r.data(), expected.g.data(), expected.b.data(),
        width, height);
    expected.paintPictureFromPlanes();
    return expected;
}

// Runs the kernel three times: over planes filled with 0x00 and with 0xff, so a byte it
// does not write differs from the reference in one of the runs, and once more writing
// the picture too, whose sentinel no pixel (always opaque) can equal. The guard zones
// must keep their sentinel. Returns the first difference, or nothing.
QString differenceFromReference(RowKernel kernel, Subsampling chroma, const Plane &y,
    const Plane &u, const Plane &v, int width, int height, Outputs expected)
{
    const std::size_t size = y.size();
    const struct
    {
        std::uint8_t sentinel;
        bool picture;
    } runs[] = { { 0x00, false }, { 0xff, false }, { 0x5a, true } };
    for (const auto &run : runs) {
        Outputs actual(size, run.sentinel);
        convertWith(kernel, chroma, y.data(), u.data(), v.data(), actual.r.data(), actual.g.data(),
            actual.b.data(), width, height,
            run.picture ? actual.pictureRows(width) : PictureRows {});
        for (Plane *plane : { &expected.r, &expected.g, &expected.b })
            std::memset(plane->data() + size, run.sentinel, Outputs::guard);
        std::memset(expected.picture.data() + 4 * size, run.sentinel, Outputs::guard);
        QStringList differences = { firstDifference(actual.r, expected.r, "r"),
            firstDifference(actual.g, expected.g, "g"),
            firstDifference(actual.b, expected.b, "b") };
        if (run.picture)
            differences << firstDifference(actual.picture, expected.picture, "picture byte");
        for (const QString &difference : differences) {
            if (!difference.isEmpty())
                return difference + QStringLiteral(" over sentinel %1").arg(run.sentinel);
        }
    }
    return {};
}

// Every kernel against one reference result.
void compareAllKernels(
    Subsampling chroma, const Plane &y, const Plane &u, const Plane &v, int width, int height)
{
    const Outputs expected = referenceOutputs(chroma, y, u, v, width, height);
    for (const auto &[name, kernel] : kernels(chroma)) {
        const QString difference
            = differenceFromReference(kernel, chroma, y, u, v, width, height, expected);
        QVERIFY2(difference.isEmpty(), qPrintable(QLatin1String(name) + ": " + difference));
    }
}

Plane randomPlane(std::size_t size, std::mt19937 &random)
{
    Plane plane(size);
    for (std::uint8_t &sample : plane)
        sample = static_cast<std::uint8_t>(random() >> 24);
    return plane;
}

struct Colour
{
    const char *name;
    int y, u, v, r, g, b;
};

const Colour colours[] = {
    { "Y 16 is black", 16, 128, 128, 0, 0, 0 },
    { "Y 235 is white", 235, 128, 128, 255, 255, 255 },
    { "Y 126 rounds to mid grey", 126, 128, 128, 128, 128, 128 },
    { "red, B -1 clamped to 0", 81, 90, 240, 255, 0, 0 },
    { "Y 0, -19 clamped to 0", 0, 128, 128, 0, 0, 0 },
    { "grid line 200 is grey 214", 200, 128, 128, 214, 214, 214 },
    { "Y 255 clamps to white", 255, 128, 128, 255, 255, 255 },
    // 298 * 4 / 256 is 4.66: the added 128 rounds it to 5 where a plain shift gives 4.
    { "Y 20 rounds up to 5", 20, 128, 128, 5, 5, 5 },
    // G = (298 * 239 + 100 * 128 + 208 * 128 + 128) >> 8 = 432, clamped.
    { "extreme chroma 0, 0", 255, 0, 0, 74, 255, 20 },
    { "extreme chroma 255, 255", 0, 255, 255, 184, 0, 237 },
};

} // namespace

class TestYuvConvert : public QObject
{
    Q_OBJECT

private slots:
    void referenceGivesTheDocumentedColours_data();
    void referenceGivesTheDocumentedColours();
    void fastKernelsGiveTheDocumentedColours_data();
    void fastKernelsGiveTheDocumentedColours();
    void yuv420MatchesReferenceForAllTriples();
    void yuv422MatchesReferenceForAllTriples();
    void yuv444MatchesReferenceForAllTriples();
    void kernelsMatchReferenceAtEveryWidth_data();
    void kernelsMatchReferenceAtEveryWidth();
    void yuv420BlockSharesOneChromaPair();
    void yuv422EachRowTakesItsOwnChroma_data() { addKernelRows(); }
    void yuv422EachRowTakesItsOwnChroma();
};

void addColourColumns()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("u");
    QTest::addColumn<int>("v");
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("g");
    QTest::addColumn<int>("b");
}

void TestYuvConvert::referenceGivesTheDocumentedColours_data()
{
    addColourColumns();
    for (const Colour &c : colours)
        QTest::newRow(c.name) << c.y << c.u << c.v << c.r << c.g << c.b;
}

void TestYuvConvert::referenceGivesTheDocumentedColours()
{
    QFETCH(int, y);
    QFETCH(int, u);
    QFETCH(int, v);
    QFETCH(int, r);
    QFETCH(int, g);
    QFETCH(int, b);
    const Rgb rgb = yuvToRgbReference(y, u, v);
    QCOMPARE(int(rgb.r), r);
    QCOMPARE(int(rgb.g), g);
    QCOMPARE(int(rgb.b), b);
}

void TestYuvConvert::fastKernelsGiveTheDocumentedColours_data()
{
    QTest::addColumn<RowKernel>("kernel");
    addColourColumns();
    for (const auto &[name, kernel] : kernels()) {
        for (const Colour &c : colours)
            QTest::addRow("%s: %s", name.constData(), c.name)
                << kernel << c.y << c.u << c.v << c.r << c.g << c.b;
    }
}

// 98 pixels wide: the vector part of a row and its tail both see each colour.
void TestYuvConvert::fastKernelsGiveTheDocumentedColours()
{
    QFETCH(RowKernel, kernel);
    QFETCH(int, y);
    QFETCH(int, u);
    QFETCH(int, v);
    QFETCH(int, r);
    QFETCH(int, g);
    QFETCH(int, b);
    const int width = 98;
    const int height = 4;
    for (const std::int32_t format : { std::int32_t(YV12), std::int32_t(Planar422) }) {
        FrameBuffers frame(format, width, height);
        frame.fill(std::uint8_t(0xa5));
        std::fill(frame.y.begin(), frame.y.end(), std::uint8_t(y));
        std::fill(frame.u.begin(), frame.u.end(), std::uint8_t(u));
        std::fill(frame.v.begin(), frame.v.end(), std::uint8_t(v));
        convertWith(kernel, format == YV12 ? Subsampling::Yuv420 : Subsampling::Yuv422,
            frame.y.data(), frame.u.data(), frame.v.data(), frame.r.data(), frame.g.data(),
            frame.b.data(), width, height);
        QCOMPARE(frame.r, SamplePlane(frame.y.size(), std::uint8_t(r)));
        QCOMPARE(frame.g, SamplePlane(frame.y.size(), std::uint8_t(g)));
        QCOMPARE(frame.b, SamplePlane(frame.y.size(), std::uint8_t(b)));
    }
}

// A 4096x4096 frame holds 2^24 pixels: each (U, V) pair colours 64 blocks of
// 2x2, whose luma samples run through 0..255, so every triple occurs once.
void TestYuvConvert::yuv420MatchesReferenceForAllTriples()
{
    const int side = 4096;
    const int chromaSide = side / 2;
    Plane y(std::size_t(side) * side), u(std::size_t(chromaSide) * chromaSide), v(u.size());
    for (std::size_t k = 0; k < u.size(); ++k) {
        const std::size_t pair = k >> 6;
        const std::size_t group = k & 63;
        u[k] = std::uint8_t(pair >> 8);
        v[k] = std::uint8_t(pair & 255);
        const std::size_t column = 2 * (k % chromaSide);
        const std::size_t row = 2 * (k / chromaSide);
        for (std::size_t i = 0; i < 4; ++i)
            y[(row + i / 2) * side + column + i % 2] = std::uint8_t(group * 4 + i);
    }
    compareAllKernels(Subsampling::Yuv420, y, u, v, side, side);
}

// As above with 4:2:2: each (U, V) pair colours 128 pixel pairs.
void TestYuvConvert::yuv422MatchesReferenceForAllTriples()
{
    const int side = 4096;
    Plane y(std::size_t(side) * side), u(y.size() / 2), v(u.size());
    for (std::size_t k = 0; k < u.size(); ++k) {
        const std::size_t pair = k >> 7;
        const std::size_t group = k & 127;
        u[k] = std::uint8_t(pair >> 8);
        v[k] = std::uint8_t(pair & 255);
        y[2 * k] = std::uint8_t(group * 2);
        y[2 * k + 1] = std::uint8_t(group * 2 + 1);
    }
    compareAllKernels(Subsampling::Yuv422, y, u, v, side, side);
}

// 4:4:4 at 4096x4096: pixel k has Y = k & 255, U = (k >> 8) & 255 and V = k >> 16.
void TestYuvConvert::yuv444MatchesReferenceForAllTriples()
{
    const int side = 4096;
    Plane y(std::size_t(side) * side), u(y.size()), v(y.size());
    for (std::size_t k = 0; k < y.size(); ++k) {
        y[k] = std::uint8_t(k);
        u[k] = std::uint8_t(k >> 8);
        v[k] = std::uint8_t(k >> 16);
    }
    compareAllKernels(Subsampling::Yuv444, y, u, v, side, side);
}

void TestYuvConvert::kernelsMatchReferenceAtEveryWidth_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");

    // Vector steps are 16 or 32 pixels: widths around them exercise the row tails.
    for (const int width : { 2, 4, 14, 16, 18, 30, 32, 34, 46, 62, 64, 66, 94, 96, 98, 1922 }) {
        for (const int height : { 2, 4, 6 })
            QTest::addRow("%dx%d", width, height) << width << height;
    }
    // Odd sizes, which only 4:4:4 (and grey) can have.
    for (const int width : { 1, 15, 17, 31, 33, 63, 65, 97 })
        QTest::addRow("%dx3", width) << width << 3;
}

// Planes of exactly the frame's size, so the sanitizer build catches any read
// beyond them; the guard zone catches writes.
void TestYuvConvert::kernelsMatchReferenceAtEveryWidth()
{
    QFETCH(int, width);
    QFETCH(int, height);
    std::mt19937 random(std::uint32_t(width * 131 + height));
    const std::size_t luma = lumaPlaneSize(width, height);
    const Plane y = randomPlane(luma, random);
    const Plane u444 = randomPlane(luma, random);
    const Plane v444 = randomPlane(luma, random);
    compareAllKernels(Subsampling::Yuv444, y, u444, v444, width, height);
    if (width % 2 != 0 || height % 2 != 0)
        return;
    const Plane u420 = randomPlane(luma / 4, random);
    const Plane v420 = randomPlane(luma / 4, random);
    compareAllKernels(Subsampling::Yuv420, y, u420, v420, width, height);
    const Plane u422 = randomPlane(luma / 2, random);
    const Plane v422 = randomPlane(luma / 2, random);
    compareAllKernels(Subsampling::Yuv422, y, u422, v422, width, height);
}

void TestYuvConvert::yuv420BlockSharesOneChromaPair()
{
    const Plane y = { 16, 81, 126, 235 };
    const Plane u = { 90 };
    const Plane v = { 240 };
    Outputs out(4, 0xa5);
    convertYuv420ToRgb(
        y.data(), u.data(), v.data(), out.r.data(), out.g.data(), out.b.data(), 2, 2);
    for (std::size_t i = 0; i < 4; ++i) {
        const Rgb expected = yuvToRgbReference(y[i], 90, 240);
        QCOMPARE(out.r[i], expected.r);
        QCOMPARE(out.g[i], expected.g);
        QCOMPARE(out.b[i], expected.b);
    }
}

// Pixel (x, y) takes chroma sample y * (w / 2) + x / 2: the lower row of a block
// is coloured by its own chroma row, not by the upper one.
void TestYuvConvert::yuv422EachRowTakesItsOwnChroma()
{
    QFETCH(RowKernel, kernel);
    const int width = 66;
    const int height = 2;
    std::mt19937 random(422);
    const Plane y = randomPlane(std::size_t(width) * height, random);
    const Plane u = randomPlane(std::size_t(width), random);
    const Plane v = randomPlane(std::size_t(width), random);
    Outputs out(y.size(), 0xa5);
    convertWith(kernel, Subsampling::Yuv422, y.data(), u.data(), v.data(), out.r.data(),
        out.g.data(), out.b.data(), width, height);
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x) {
            const std::size_t pixel = std::size_t(row) * width + x;
            const std::size_t chroma = std::size_t(row) * (width / 2) + x / 2;
            const Rgb expected = yuvToRgbReference(y[pixel], u[chroma], v[chroma]);
            QCOMPARE(out.r[pixel], expected.r);
            QCOMPARE(out.g[pixel], expected.g);
            QCOMPARE(out.b[pixel], expected.b);
        }
    }
}

QTEST_APPLESS_MAIN(TestYuvConvert)
#include "test_yuvconvert.moc"
