#include "differencekernels.h"
#include "differencerenderer.h"
#include "frame.h"
#include "frameformat.h"
#include "processorfeatures.h"
#include "samplelayout.h"
#include "streamingstores.h"
#include "testclips.h"
#include "videoparameters.h"
#include "viewreference.h"
#include "viewrenderer.h"
#include "yuvreference.h"
#include "yuvrowkernel.h"

#include <QtTest>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <thread>
#include <vector>

using viewreference::View;

Q_DECLARE_METATYPE(GreyRowKernel)
Q_DECLARE_METATYPE(DifferenceRenderer)

namespace {

constexpr std::uint8_t sentinel = 0xa5;
// Extra bytes after each row, which no renderer may touch.
constexpr std::ptrdiff_t rowPadding = 12;

viewreference::Planes clipPlanes(std::int32_t format, std::int32_t width, std::int32_t height)
{
    viewreference::Planes p;
    const std::size_t luma = lumaPlaneSize(width, height);
    const std::size_t lumaBytes = lumaPlaneBytes(format, width, height);
    const std::size_t chromaBytes = chromaPlaneBytes(format, width, height);
    SamplePlane *const planes[] = { &p.y, &p.u, &p.v, &p.r, &p.g, &p.b };
    const std::size_t sizes[] = { lumaBytes, chromaBytes, chromaBytes, luma, luma, luma };
    std::int64_t offset = 0;
    for (int i = 0; i < 6; ++i) {
        planes[i]->resize(sizes[i]);
        testclips::fillClipBytes(planes[i]->data(), sizes[i], 7, offset);
        offset += static_cast<std::int64_t>(sizes[i]);
    }
    // Deeper words keep whatever the file had above their depth: every renderer must
    // ignore it, and draw the rounding and the top values that round past 255.
    const int depth = sampleDepth(format);
    // Grey's one chroma row holds chroma's zero, as the video window keeps it.
    if (layoutOf(format)->subsampling == Subsampling::None) {
        const int zero = 128 << (depth - 8);
        for (SamplePlane *plane : { &p.u, &p.v }) {
            for (std::size_t i = 0; i < plane->size(); ++i)
                (*plane)[i] = std::uint8_t(depth > 8 ? (i % 2 ? zero >> 8 : zero) : zero);
        }
    }
    return p;
}

FramePlanes framePlanes(viewreference::Planes &p, PictureRows out)
{
    return { p.y.data(), p.u.data(), p.v.data(), p.r.data(), p.g.data(), p.b.data(), out };
}

FrameFormat frameFormat(std::int32_t format, std::int32_t width, std::int32_t height)
{
    const std::optional<FrameFormat> made = FrameFormat::make(format, width, height);
    if (!made)
        qFatal("no frame format %d of %dx%d", int(format), int(width), int(height));
    return *made;
}

// The colour view through the conversion, its one producer; the others from their plane.
void render(viewreference::Planes &p, View view, std::int32_t format, std::int32_t width,
    std::int32_t height, PictureRows out)
{
    const FrameFormat frame = frameFormat(format, width, height);
    switch (view) {
    case View::Color:
        renderView(int(view), frame, framePlanes(p, out));
        return;
    case View::Y:
        return renderGrey(p.y.data(), frame, out);
    case View::U:
        return renderChroma(p.u.data(), frame, out);
    case View::V:
        return renderChroma(p.v.data(), frame, out);
    case View::R:
        return renderPrimary(p.r.data(), Primary::Red, width, height, out);
    case View::G:
        return renderPrimary(p.g.data(), Primary::Green, width, height, out);
    case View::B:
        return renderPrimary(p.b.data(), Primary::Blue, width, height, out);
    }
}

// Every grey row kernel this processor can run, through the cache and around it, and
// (as a null kernel) the public renderers with the one they pick, so each is checked on
// any machine.
std::vector<std::pair<QByteArray, GreyRowKernel>> greyKernels()
{
    std::vector<std::pair<QByteArray, GreyRowKernel>> list
        = { { "public", nullptr }, { "portable", greyRowNone } };
#if defined(ZENTAVO_X86_KERNELS)
    list.emplace_back("sse2", greyRowSse2);
    list.emplace_back("sse2 streaming", greyRowSse2Streaming);
    if (processorHasAvx2()) {
        list.emplace_back("avx2", greyRowAvx2);
        list.emplace_back("avx2 streaming", greyRowAvx2Streaming);
    }
#endif
    return list;
}

// Sample i of a plane set to i modulo 2^depth, with stray bits above the depth in words.
void fillRamp(SamplePlane &plane, int depth)
{
    if (depth == 8) {
        for (std::size_t i = 0; i < plane.size(); ++i)
            plane[i] = std::uint8_t(i);
        return;
    }
    for (std::size_t i = 0; i < plane.size() / 2; ++i) {
        const auto word = std::uint16_t((i & ((1u << depth) - 1)) | (i * 0x9e3779b1u) << depth);
        std::memcpy(plane.data() + 2 * i, &word, 2);
    }
}

// Rows that start 4-byte aligned, as a QImage's may, `padding` bytes apart beyond the
// pixels, on a cache line.
struct Picture
{
    Picture(std::int32_t width, std::int32_t height, std::ptrdiff_t padding = rowPadding)
        : stride(std::ptrdiff_t { width } * 4 + padding)
        , words(static_cast<std::size_t>(stride * height), sentinel)
    {
    }
    std::uint8_t *bytes() { return words.data(); }
    std::uint32_t at(std::int32_t x, std::int32_t y)
    {
        std::uint32_t value;
        std::memcpy(&value, bytes() + stride * y + x * 4, 4);
        return value;
    }

    std::ptrdiff_t stride;
    SamplePlane words;
};

// Padding that puts every row of a picture `width` wide on a 64-byte line, where the
// streaming kernels write around the cache.
std::ptrdiff_t alignedPadding(std::int32_t width)
{
    return 64 - std::ptrdiff_t { width } * 4 % 64 + 64;
}

// The first pixel of a picture with rowPadding that is not `expected(x, y)`, or the first
// padding byte written over; empty when there is none.
template <typename Expected>
QString pictureMismatch(
    Picture &picture, std::int32_t width, std::int32_t height, Expected expected)
{
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t wanted = expected(x, y);
            if (picture.at(x, y) != wanted)
                return QStringLiteral("pixel (%1, %2) is %3, expected %4")
                    .arg(x)
                    .arg(y)
                    .arg(picture.at(x, y), 8, 16)
                    .arg(wanted, 8, 16);
        }
        const std::uint8_t *padding = picture.bytes() + picture.stride * y + width * 4;
        for (int i = 0; i < rowPadding; ++i) {
            if (padding[i] != sentinel)
                return QStringLiteral("padding byte %1 of row %2 is written").arg(i).arg(y);
        }
    }
    return QString();
}

// renderDifference, and the code of each instruction set that this processor can run.
std::vector<std::pair<QByteArray, DifferenceRenderer>> differenceRenderers()
{
    std::vector<std::pair<QByteArray, DifferenceRenderer>> list
        = { { "public", renderDifference }, { "baseline", renderDifferenceBaseline } };
#if defined(ZENTAVO_X86_KERNELS)
    if (processorHasAvx2())
        list.emplace_back("avx2", renderDifferenceAvx2);
#endif
    return list;
}

// A number that looks random but is the same on every run, for the difference frames.
std::uint32_t mixed(std::uint32_t i)
{
    i ^= i >> 16;
    i *= 0x7feb352du;
    i ^= i >> 15;
    i *= 0x846ca68bu;
    i ^= i >> 16;
    return i;
}

// Sample i of a plane as stored: a byte at 8 bits, a host-order word beyond.
void putSample(std::uint8_t *plane, int depth, std::size_t i, std::uint32_t stored)
{
    if (depth == 8) {
        plane[i] = std::uint8_t(stored);
        return;
    }
    const auto word = std::uint16_t(stored);
    std::memcpy(plane + 2 * i, &word, 2);
}

// The sample i of a plane means: a byte, or a word's low `depth` bits.
int sampleOf(const SamplePlane &plane, int depth, std::size_t i)
{
    if (depth == 8)
        return plane[i];
    std::uint16_t word;
    std::memcpy(&word, plane.data() + 2 * i, 2);
    return word % (1 << depth);
}

// Two frames alike but for sparse differences: about one sample in six, the last column of
// every other row and every third sample of the last row, each plane in its own samples. The
// steps run from 1 to the whole range, those past 127 either way clamping in grey. Words
// carry stray bits above the depth, drawn for each frame apart, which are no difference.
// The one chroma row of a layout without chroma keeps its 128s.
void fillDifferingFrames(Frame &a, Frame &b)
{
    const SampleLayout &layout = a.format().layout();
    const int depth = layout.depth;
    const int top = (1 << depth) - 1;
    const int width = a.format().width();
    const int height = a.format().height();
    // The depth's top bit alone, too: a mask a bit short would miss it.
    const int half = 1 << (depth - 1);
    const int steps[] = { 1, -1, 3, -3, 127, -127, 128, -128, 129, -129, half, -half, top, -top };
    const int chromaColumns
        = layout.subsampling == Subsampling::Yuv420 || layout.subsampling == Subsampling::Yuv422
        ? width / 2
        : width;
    const int chromaRows = layout.subsampling == Subsampling::Yuv420 ? height / 2 : height;
    const struct
    {
        std::uint8_t *a, *b;
        int columns, rows;
    } planes[] = { { a.planes().y, b.planes().y, width, height },
        { a.planes().u, b.planes().u, chromaColumns, chromaRows },
        { a.planes().v, b.planes().v, chromaColumns, chromaRows } };
    const int planeCount = layout.subsampling == Subsampling::None ? 1 : 3;
    for (int p = 0; p < planeCount; ++p) {
        const auto &plane = planes[p];
        for (int row = 0; row < plane.rows; ++row) {
            for (int column = 0; column < plane.columns; ++column) {
                const auto i = std::size_t(row) * std::size_t(plane.columns) + std::size_t(column);
                const std::uint32_t seed = mixed(std::uint32_t(i * 4 + std::size_t(p)));
                const bool differs = seed % 6 == 0 || (column == plane.columns - 1 && row % 2 == 0)
                    || (row == plane.rows - 1 && column % 3 == 0);
                const int step = differs ? steps[mixed(seed) % std::size(steps)] : 0;
                // Both samples within 0 .. top, `step` apart.
                const int low = int(mixed(seed + 1) % std::uint32_t(top + 1 - std::abs(step)));
                const int sampleA = step >= 0 ? low + step : low;
                const int sampleB = step >= 0 ? low : low - step;
                const std::uint32_t strayA = depth == 8 ? 0 : mixed(seed + 2) << depth;
                const std::uint32_t strayB = depth == 8 ? 0 : mixed(seed + 3) << depth;
                putSample(plane.a, depth, i, std::uint32_t(sampleA) | strayA);
                putSample(plane.b, depth, i, std::uint32_t(sampleB) | strayB);
            }
        }
    }
}

// A pixel of a difference view the plain way, from the samples that cover it.
std::uint32_t differencePixel(int view, const Frame &a, const Frame &b, int x, int y)
{
    const SampleLayout &layout = a.format().layout();
    const int depth = layout.depth;
    const auto width = std::size_t(a.format().width());
    const auto column = std::size_t(x);
    const auto row = std::size_t(y);
    std::size_t chroma = column;
    if (layout.subsampling == Subsampling::Yuv420)
        chroma = row / 2 * (width / 2) + column / 2;
    else if (layout.subsampling == Subsampling::Yuv422)
        chroma = row * (width / 2) + column / 2;
    else if (layout.subsampling == Subsampling::Yuv444)
        chroma = row * width + column;
    const std::size_t luma = row * width + column;
    const int dy = sampleOf(a.y(), depth, luma) - sampleOf(b.y(), depth, luma);
    const int du = sampleOf(a.u(), depth, chroma) - sampleOf(b.u(), depth, chroma);
    const int dv = sampleOf(a.v(), depth, chroma) - sampleOf(b.v(), depth, chroma);
    const auto grey = [](int difference) {
        const auto level = std::uint32_t(std::clamp(128 + difference, 0, 255));
        return 0xff000000u | level << 16 | level << 8 | level;
    };
    switch (view) {
    case View::Color:
        return 0xff000000u | (dy ? 0xff0000u : 0) | (du ? 0xff00u : 0) | (dv ? 0xffu : 0);
    case View::Y:
        return grey(dy);
    case View::U:
        return grey(du);
    case View::V:
        return grey(dv);
    case View::R:
        return dy ? 0xffff0000u : 0xff000000u;
    case View::G:
        return du ? 0xff00ff00u : 0xff000000u;
    case View::B:
        return dv ? 0xff0000ffu : 0xff000000u;
    }
    return std::uint32_t(sentinel) * 0x01010101u;
}

} // namespace

class TestViewRenderer : public QObject
{
    Q_OBJECT

private slots:
    void everyPixelMatchesTheFormula_data();
    void everyPixelMatchesTheFormula();
    void everySampleValueKeepsItsChannel_data();
    void everySampleValueKeepsItsChannel();
    void greyKernelsMatchTheFormula_data();
    void greyKernelsMatchTheFormula();
    void storeTrialKeepsTheFasterWay_data();
    void storeTrialKeepsTheFasterWay();
    void greyViewsDrawnOnThreadsWhileTimed();
    void chromaOf420CoversTwoByTwoBlocks();
    void chromaOf422CoversTwoByOneBlocks();
    void primariesKeepTheOtherChannelsAtZero();
    void unknownViewDrawsNothing();
    void differenceMatchesAPlainLoop_data();
    void differenceMatchesAPlainLoop();
};

void TestViewRenderer::everyPixelMatchesTheFormula_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    // Whether the caller gives R, G and B planes, which every view then converts into.
    QTest::addColumn<bool>("withPlanes");
    QTest::addColumn<int>("matrix");
    QTest::addColumn<int>("range");

    const char *viewNames[] = { "Color", "Y", "U", "V", "R", "G", "B" };
    const struct
    {
        const char *name;
        int format;
    } formats[] = { { "YV12", YV12 }, { "UYVY", UYVY }, { "Planar422", Planar422 } };
    const struct
    {
        int width, height;
    } sizes[] = { { 2, 2 }, { 4, 2 }, { 22, 6 }, { 66, 34 } };
    // The views depend on a layout's chroma alone: one layout of each, at sizes that
    // only it can have.
    const struct
    {
        const char *name;
        int format;
        int width, height;
    } others[] = { { "yuv422p", Planar422, 66, 5 }, { "yuv444p", Yuv444p, 66, 34 },
        { "yuv444p", Yuv444p, 67, 5 }, { "yuv444p", Yuv444p, 1, 1 }, { "gray", Gray, 66, 34 },
        { "gray", Gray, 65, 3 }, { "yuv420p10le", Yuv420p10le, 66, 34 },
        { "yuv422p12le", Yuv422p12le, 66, 5 }, { "yuv444p10le", Yuv444p10le, 67, 5 },
        { "gray12le", Gray12le, 65, 3 }, { "p010le", P010le, 22, 6 } };
    // Views drawn from the picture alone must show what they show beside the planes.
    const struct
    {
        const char *suffix;
        bool given;
    } planeChoices[] = { { "", true }, { " without R, G, B planes", false } };
    for (const auto &planes : planeChoices) {
        for (int view = 0; view < 7; ++view) {
            for (const auto &format : formats) {
                for (const auto &size : sizes) {
                    QTest::addRow("%s view of %dx%d %s%s", viewNames[view], size.width, size.height,
                        format.name, planes.suffix)
                        << view << format.format << size.width << size.height << planes.given << 0
                        << 0;
                }
            }
            for (const auto &other : others) {
                QTest::addRow("%s view of %dx%d %s%s", viewNames[view], other.width, other.height,
                    other.name, planes.suffix)
                    << view << other.format << other.width << other.height << planes.given << 0
                    << 0;
            }
            // The format's matrix and range reach every view's conversion.
            const struct
            {
                const char *name;
                int format;
                int width, height;
                ColourMatrix matrix;
                ColourRange range;
            } colours[] = { { "YV12, BT.709 limited", YV12, 66, 34, ColourMatrix::Bt709,
                                ColourRange::Limited },
                { "Planar422, BT.601 full", Planar422, 22, 6, ColourMatrix::Bt601,
                    ColourRange::Full },
                { "yuv444p10le, BT.2020 full", Yuv444p10le, 67, 5, ColourMatrix::Bt2020,
                    ColourRange::Full } };
            for (const auto &colour : colours) {
                QTest::addRow("%s view of %dx%d %s%s", viewNames[view], colour.width, colour.height,
                    colour.name, planes.suffix)
                    << view << colour.format << colour.width << colour.height << planes.given
                    << int(colour.matrix) << int(colour.range);
            }
        }
    }
}

void TestViewRenderer::everyPixelMatchesTheFormula()
{
    QFETCH(int, view);
    QFETCH(int, format);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, withPlanes);
    QFETCH(int, matrix);
    QFETCH(int, range);
    viewreference::Planes planes = clipPlanes(format, width, height);
    const viewreference::Planes before = planes;
    Picture picture(width, height);

    FramePlanes given = framePlanes(planes, { picture.bytes(), picture.stride });
    if (!withPlanes)
        given.r = given.g = given.b = nullptr;
    const FrameFormat frame
        = frameFormat(format, width, height).withColour(ColourMatrix(matrix), ColourRange(range));
    QVERIFY(renderView(view, frame, given));

    // Every view leaves R, G and B converted from Y, U and V, where it has them.
    viewreference::Planes converted = planes;
    convertFrameReference(format, planes.y.data(), planes.u.data(), planes.v.data(),
        converted.r.data(), converted.g.data(), converted.b.data(), width, height,
        referenceCoefficients(matrix, range));
    const viewreference::Planes &kept = withPlanes ? converted : before;
    QCOMPARE(planes.r, kept.r);
    QCOMPARE(planes.g, kept.g);
    QCOMPARE(planes.b, kept.b);

    QCOMPARE(pictureMismatch(picture, width, height,
                 [&](int x, int y) {
                     return viewreference::pixel(converted, View(view), format, width, x, y);
                 }),
        QString());
}

void TestViewRenderer::everySampleValueKeepsItsChannel_data()
{
    QTest::addColumn<int>("view");

    QTest::newRow("Color") << int(View::Color);
    QTest::newRow("Y") << int(View::Y);
    QTest::newRow("U") << int(View::U);
    QTest::newRow("R") << int(View::R);
    QTest::newRow("G") << int(View::G);
    QTest::newRow("B") << int(View::B);
}

void TestViewRenderer::everySampleValueKeepsItsChannel()
{
    QFETCH(int, view);
    // Each plane runs through all 256 values, shifted against the others, in rows
    // long enough for the vector path.
    constexpr int width = 512;
    constexpr int height = 2;
    viewreference::Planes planes = clipPlanes(YV12, width, height);
    for (std::size_t i = 0; i < planes.y.size(); ++i) {
        planes.y[i] = std::uint8_t(i);
        planes.r[i] = std::uint8_t(i + 85);
        planes.g[i] = std::uint8_t(i + 170);
        planes.b[i] = std::uint8_t(255 - i);
    }
    for (std::size_t i = 0; i < planes.u.size(); ++i)
        planes.u[i] = std::uint8_t(i);
    Picture picture(width, height);

    render(planes, View(view), YV12, width, height, { picture.bytes(), picture.stride });

    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            QCOMPARE(picture.at(x, y), viewreference::pixel(planes, View(view), YV12, width, x, y));
}

void TestViewRenderer::greyKernelsMatchTheFormula_data()
{
    QTest::addColumn<GreyRowKernel>("kernel");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    // Samples running through every value of the depth, with stray bits above it.
    QTest::addColumn<bool>("ramp");

    // Steps of 16 samples: widths around them, chroma halved or not, every depth; and
    // ramps long enough for every 8-, 10- and 12-bit value to reach each of Y and U.
    const struct
    {
        const char *name;
        int format;
        int width, height;
        bool ramp;
    } cases[] = { { "yuv420p", YV12, 66, 34, false }, { "yuv420p", YV12, 30, 4, false },
        { "yuv422p", Planar422, 98, 5, false }, { "yuv444p", Yuv444p, 67, 5, false },
        { "gray", Gray, 33, 3, false }, { "yuv420p10le", Yuv420p10le, 66, 34, false },
        { "yuv422p12le", Yuv422p12le, 98, 5, false }, { "yuv444p10le", Yuv444p10le, 47, 5, false },
        { "gray12le", Gray12le, 65, 3, false }, { "p010le", P010le, 34, 6, false },
        { "yuv422p ramp", Planar422, 512, 2, true },
        { "yuv420p10le ramp", Yuv420p10le, 2048, 2, true },
        { "yuv422p12le ramp", Yuv422p12le, 4096, 2, true },
        { "gray10le ramp", Gray10le, 1024, 1, true } };
    for (const auto &[name, kernel] : greyKernels()) {
        for (const auto &c : cases) {
            QTest::addRow("%s: %s %dx%d", name.constData(), c.name, c.width, c.height)
                << kernel << c.format << c.width << c.height << c.ramp;
        }
    }
}

// The Y, U and V views through each grey kernel, over rows padded with a sentinel: rows
// that start anywhere, and rows on cache lines, which a streaming kernel writes around the
// cache.
void TestViewRenderer::greyKernelsMatchTheFormula()
{
    QFETCH(GreyRowKernel, kernel);
    QFETCH(int, format);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, ramp);
    viewreference::Planes planes = clipPlanes(format, width, height);
    const int depth = sampleDepth(format);
    if (ramp) {
        fillRamp(planes.y, depth);
        if (layoutOf(format)->subsampling != Subsampling::None) {
            fillRamp(planes.u, depth);
            fillRamp(planes.v, depth);
        }
    }
    const FrameFormat frame = frameFormat(format, width, height);
    for (const std::ptrdiff_t padding : { rowPadding, alignedPadding(width) }) {
        for (const View view : { View::Y, View::U, View::V }) {
            Picture picture(width, height, padding);
            const PictureRows out { picture.bytes(), picture.stride };
            const std::uint8_t *plane = (view == View::Y ? planes.y
                    : view == View::U                    ? planes.u
                                                         : planes.v)
                                            .data();
            if (view == View::Y)
                kernel ? renderGreyWith(kernel, plane, frame, out) : renderGrey(plane, frame, out);
            else
                kernel ? renderChromaWith(kernel, plane, frame, out)
                       : renderChroma(plane, frame, out);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    const std::uint32_t expected
                        = viewreference::pixel(planes, view, format, width, x, y);
                    if (picture.at(x, y) != expected)
                        QFAIL(qPrintable(
                            QStringLiteral("view %1, padding %2, pixel (%3, %4) is %5, expected %6")
                                .arg(int(view))
                                .arg(padding)
                                .arg(x)
                                .arg(y)
                                .arg(picture.at(x, y), 8, 16)
                                .arg(expected, 8, 16)));
                }
                const std::uint8_t *after = picture.bytes() + picture.stride * y + width * 4;
                for (std::ptrdiff_t i = 0; i < padding; ++i)
                    QCOMPARE(after[i], sentinel);
            }
        }
    }
}

void TestViewRenderer::storeTrialKeepsTheFasterWay_data()
{
    // Times of the frames in the order drawn: through the cache first, then around it, and
    // so on alternately.
    QTest::addColumn<QVector<double>>("times");
    QTest::addColumn<bool>("streams");

    QTest::newRow("around the cache always faster") << QVector<double> { 9, 5, 9, 5, 9, 5 } << true;
    QTest::newRow("through the cache always faster")
        << QVector<double> { 5, 9, 5, 9, 5, 9 } << false;
    // One slow frame (a page fault, another program) does not decide.
    QTest::newRow("one outlier each way is outvoted")
        << QVector<double> { 50, 6, 5, 60, 5, 6 } << false;
    QTest::newRow("a tie keeps the cache") << QVector<double> { 7, 7, 7, 7, 7, 7 } << false;
}

// The way tried next alternates until each has its frames, then stays with the faster.
void TestViewRenderer::storeTrialKeepsTheFasterWay()
{
    QFETCH(QVector<double>, times);
    QFETCH(bool, streams);
    QCOMPARE(times.size(), 2 * StoreTrial::framesEach);
    StoreTrial trial;
    for (int i = 0; i < times.size(); ++i) {
        QVERIFY(!trial.choice());
        QCOMPARE(trial.nextStreams(), i % 2 == 1);
        trial.record(trial.nextStreams(), times[i]);
    }
    QCOMPARE(trial.choice(), std::optional<bool>(streams));
    QCOMPARE(trial.nextStreams(), streams);
    // Later times change nothing.
    trial.record(!streams, 0.0);
    QCOMPARE(trial.choice(), std::optional<bool>(streams));
}

// Two threads drawing grey views of one size at once, while that size is still being
// timed and after: every picture as the formula gives it.
void TestViewRenderer::greyViewsDrawnOnThreadsWhileTimed()
{
    constexpr int width = 1024;
    constexpr int height = 96;
    viewreference::Planes planes = clipPlanes(Yuv420p10le, width, height);
    const FrameFormat frame = frameFormat(Yuv420p10le, width, height);
    std::vector<std::uint32_t> expected;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            expected.push_back(viewreference::pixel(planes, View::Y, Yuv420p10le, width, x, y));
    int wrong[2] = { 0, 0 };
    const auto draw = [&](int thread) {
        for (int frameIndex = 0; frameIndex < 4 * StoreTrial::framesEach; ++frameIndex) {
            Picture picture(width, height, alignedPadding(width));
            renderGrey(planes.y.data(), frame, { picture.bytes(), picture.stride });
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    wrong[thread] += picture.at(x, y) != expected[std::size_t(y * width + x)];
        }
    };
    std::thread other(draw, 1);
    draw(0);
    other.join();
    QCOMPARE(wrong[0], 0);
    QCOMPARE(wrong[1], 0);
}

void TestViewRenderer::chromaOf420CoversTwoByTwoBlocks()
{
    const std::uint8_t u[] = { 10, 20 };
    Picture picture(4, 2);
    renderChroma(u, frameFormat(YV12, 4, 2), { picture.bytes(), picture.stride });
    for (int y = 0; y < 2; ++y) {
        QCOMPARE(picture.at(0, y), 0xff0a0a0au);
        QCOMPARE(picture.at(1, y), 0xff0a0a0au);
        QCOMPARE(picture.at(2, y), 0xff141414u);
        QCOMPARE(picture.at(3, y), 0xff141414u);
    }
}

void TestViewRenderer::chromaOf422CoversTwoByOneBlocks()
{
    const std::uint8_t u[] = { 10, 20, 30, 40 };
    Picture picture(4, 2);
    renderChroma(u, frameFormat(Planar422, 4, 2), { picture.bytes(), picture.stride });
    const std::uint32_t expected[2][4] = { { 0xff0a0a0au, 0xff0a0a0au, 0xff141414u, 0xff141414u },
        { 0xff1e1e1eu, 0xff1e1e1eu, 0xff282828u, 0xff282828u } };
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            QCOMPARE(picture.at(x, y), expected[y][x]);
}

void TestViewRenderer::primariesKeepTheOtherChannelsAtZero()
{
    const std::uint8_t samples[] = { 200, 0, 255, 1 };
    Picture picture(2, 2);
    renderPrimary(samples, Primary::Red, 2, 2, { picture.bytes(), picture.stride });
    QCOMPARE(picture.at(0, 0), 0xffc80000u);
    QCOMPARE(picture.at(1, 0), 0xff000000u);
    renderPrimary(samples, Primary::Green, 2, 2, { picture.bytes(), picture.stride });
    QCOMPARE(picture.at(0, 1), 0xff00ff00u);
    renderPrimary(samples, Primary::Blue, 2, 2, { picture.bytes(), picture.stride });
    QCOMPARE(picture.at(1, 1), 0xff000001u);
    renderGrey(samples, frameFormat(YV12, 2, 2), { picture.bytes(), picture.stride });
    QCOMPARE(picture.at(0, 0), 0xffc8c8c8u);
}

void TestViewRenderer::unknownViewDrawsNothing()
{
    viewreference::Planes planes = clipPlanes(YV12, 4, 2);
    Picture picture(4, 2);
    QVERIFY(!renderView(
        7, frameFormat(YV12, 4, 2), framePlanes(planes, { picture.bytes(), picture.stride })));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            QCOMPARE(picture.at(x, y), 0xa5a5a5a5u);
}

void TestViewRenderer::differenceMatchesAPlainLoop_data()
{
    QTest::addColumn<DifferenceRenderer>("renderer");
    QTest::addColumn<int>("view");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");

    // Odd sizes where the layout allows them, single pixels and chroma samples, and rows long
    // enough for the vector loops and their tails; 70x6 gives 4:2:0 chroma of 35x3.
    const struct
    {
        int width, height;
    } sizes[] = { { 1, 1 }, { 2, 2 }, { 5, 3 }, { 6, 3 }, { 67, 5 }, { 70, 6 } };
    const char *viewNames[] = { "Color", "Y", "U", "V", "R", "G", "B" };
    for (const auto &[name, renderer] : differenceRenderers()) {
        for (const SampleLayout &layout : sampleLayouts()) {
            const char *dialog = layout.format == UYVY ? " (the dialog's UYVY)" : "";
            for (const auto &size : sizes) {
                if (!FrameFormat::make(layout.format, size.width, size.height))
                    continue;
                // -1 and 7 name no view.
                for (int view = -1; view <= 7; ++view) {
                    const QByteArray viewName = view >= 0 && view < 7
                        ? QByteArray(viewNames[view]) + " view"
                        : "view " + QByteArray::number(view);
                    QTest::addRow("%s: difference %s of %dx%d %s%s", name.constData(),
                        viewName.constData(), size.width, size.height, layout.name, dialog)
                        << renderer << view << int(layout.format) << size.width << size.height;
                }
            }
        }
    }
}

// Every pixel of a difference view, and the bytes after each row untouched; a view that is
// none draws nothing.
void TestViewRenderer::differenceMatchesAPlainLoop()
{
    QFETCH(DifferenceRenderer, renderer);
    QFETCH(int, view);
    QFETCH(int, format);
    QFETCH(int, width);
    QFETCH(int, height);
    const FrameFormat frame = frameFormat(format, width, height);
    Frame a(frame);
    Frame b(frame);
    fillDifferingFrames(a, b);
    Picture picture(width, height);

    const bool drawn = view >= 0 && view < 7;
    QCOMPARE(renderer(view, a, b, { picture.bytes(), picture.stride }), drawn);

    QCOMPARE(pictureMismatch(picture, width, height,
                 [&](int x, int y) {
                     return drawn ? differencePixel(view, a, b, x, y)
                                  : std::uint32_t(sentinel) * 0x01010101u;
                 }),
        QString());
}

QTEST_APPLESS_MAIN(TestViewRenderer)
#include "test_viewrenderer.moc"
