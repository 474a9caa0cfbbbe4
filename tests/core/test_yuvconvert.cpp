#include "framebuffers.h"
#include "processorfeatures.h"
#include "samplelayout.h"
#include "videoparameters.h"
#include "yuvconvert.h"
#include "yuvreference.h"
#include "yuvrowkernel.h"

#include <QtTest>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <utility>
#include <vector>

using Plane = SamplePlane;
// A plane of 10- or 12-bit samples in 16-bit words, as the window holds it.
using WordPlane = std::vector<std::uint16_t, CacheLineAllocator<std::uint16_t>>;
using Converter = void (*)(const std::uint8_t *, const std::uint8_t *, const std::uint8_t *,
    std::uint8_t *, std::uint8_t *, std::uint8_t *, int, int);

Q_DECLARE_METATYPE(RowKernel)
Q_DECLARE_METATYPE(Subsampling)

namespace {

// Every row kernel this processor can run, and (as a null kernel) the public functions
// with the one they pick, so each path is checked on any machine: the 4:4:4 kernels for
// 4:4:4, the others for 4:2:0 and 4:2:2.
std::vector<std::pair<QByteArray, RowKernel>> kernels(Subsampling chroma = Subsampling::Yuv420)
{
    std::vector<std::pair<QByteArray, RowKernel>> list
        = { { "public", nullptr }, { "portable", convertRowsNone } };
#if defined(ZENTAVO_X86_KERNELS)
    const bool own = chroma == Subsampling::Yuv444;
    list.emplace_back("sse2", own ? convertRows444Sse2 : convertRowsSse2);
    if (processorHasAvx2())
        list.emplace_back("avx2", own ? convertRows444Avx2 : convertRowsAvx2);
#else
    (void)chroma;
#endif
    return list;
}

// As kernels(), for samples in 16-bit words; "public" converts through convertFrame.
std::vector<std::pair<QByteArray, WideRowKernel>> wideKernels(Subsampling chroma)
{
    std::vector<std::pair<QByteArray, WideRowKernel>> list
        = { { "public", nullptr }, { "portable", convertWideRowsNone } };
#if defined(ZENTAVO_X86_KERNELS)
    const bool own = chroma == Subsampling::Yuv444 || chroma == Subsampling::None;
    list.emplace_back("sse2", own ? convertWideRows444Sse2 : convertWideRowsSse2);
    if (processorHasAvx2())
        list.emplace_back("avx2", own ? convertWideRows444Avx2 : convertWideRowsAvx2);
#else
    (void)chroma;
#endif
    return list;
}

// The layout of low-bit words with this chroma and depth: yuv420p10le, gray12le and so on.
std::int32_t wideFormat(Subsampling chroma, int depth)
{
    for (const SampleLayout &layout : sampleLayouts()) {
        if (layout.subsampling == chroma && layout.depth == depth && layout.bitShift == 0)
            return layout.format;
    }
    return -1;
}

std::uint8_t *bytesOf(WordPlane &plane)
{
    return reinterpret_cast<std::uint8_t *>(plane.data());
}

void addKernelRows()
{
    QTest::addColumn<RowKernel>("kernel");
    for (const auto &[name, kernel] : kernels())
        QTest::newRow(name.constData()) << kernel;
}

// The six rows of the coefficient table, by name.
struct ColourRow
{
    const char *name;
    ColourMatrix matrix;
    ColourRange range;
};
const ColourRow colourRows[] = {
    { "BT.601 limited", ColourMatrix::Bt601, ColourRange::Limited },
    { "BT.601 full", ColourMatrix::Bt601, ColourRange::Full },
    { "BT.709 limited", ColourMatrix::Bt709, ColourRange::Limited },
    { "BT.709 full", ColourMatrix::Bt709, ColourRange::Full },
    { "BT.2020 limited", ColourMatrix::Bt2020, ColourRange::Limited },
    { "BT.2020 full", ColourMatrix::Bt2020, ColourRange::Full },
};

ReferenceCoefficients referenceOf(ColourMatrix matrix, ColourRange range)
{
    return referenceCoefficients(int(matrix), int(range));
}

// Without a kernel, the public functions: for 8 bits through convertFrame, which takes the
// colour from the format.
void convertWith(RowKernel kernel, Subsampling chroma, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    PictureRows picture = {}, PictureChannels channels = {},
    ColourMatrix matrix = ColourMatrix::Bt601, ColourRange range = ColourRange::Limited)
{
    const YuvCoefficients &colour = yuvCoefficients(matrix, range);
    const bool planar422 = chroma == Subsampling::Yuv422;
    if (!kernel) {
        const std::int32_t layout = chroma == Subsampling::Yuv444 ? std::int32_t(Yuv444p)
            : planar422                                           ? std::int32_t(Planar422)
                                                                  : std::int32_t(YV12);
        const std::optional<FrameFormat> format
            = FrameFormat::make(layout, width, height, matrix, range);
        QVERIFY(format);
        convertFrame(*format,
            { const_cast<std::uint8_t *>(y), const_cast<std::uint8_t *>(u),
                const_cast<std::uint8_t *>(v), r, g, b, picture },
            channels);
    } else if (chroma == Subsampling::Yuv444)
        convertYuv444ToRgbWith(kernel, y, u, v, r, g, b, width, height, picture, channels, colour);
    else if (planar422)
        convertYuv422ToRgbWith(kernel, y, u, v, r, g, b, width, height, picture, channels, colour);
    else
        convertYuv420ToRgbWith(kernel, y, u, v, r, g, b, width, height, picture, channels, colour);
}

// Output planes and a picture, each with a guard zone behind it, filled with one
// sentinel; on whole cache lines, as the video window's are.
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
    // Pixel (x, y) = 0xffRRGGBB from the planes, as the colour view shows it, or with only
    // the channels kept, as the R, G and B views show them.
    void paintPictureFromPlanes(PictureChannels keep = {})
    {
        for (std::size_t i = 0; i + guard < r.size(); ++i) {
            const std::uint32_t pixel = 0xff000000u | std::uint32_t(r[i] & keep.red) << 16
                | std::uint32_t(g[i] & keep.green) << 8 | (b[i] & keep.blue);
            std::memcpy(picture.data() + 4 * i, &pixel, 4);
        }
    }
    PictureRows pictureRows(int width) { return { picture.data(), std::ptrdiff_t(4) * width }; }
    void fill(std::uint8_t sentinel)
    {
        for (Plane *plane : { &r, &g, &b, &picture })
            std::fill(plane->begin(), plane->end(), sentinel);
    }
    Plane r, g, b, picture;
};

QString firstDifference(const Plane &actual, const Plane &expected, const char *name)
{
    if (actual == expected)
        return {};
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

// The first byte of a plane that is not the sentinel, without a second plane of 16M to
// compare with: all bytes are the first when the plane equals itself one byte on, which
// memcmp tells fast even under the sanitizers.
QString firstChange(const Plane &actual, std::uint8_t sentinel, const char *name)
{
    if (actual.empty()
        || (actual[0] == sentinel
            && std::memcmp(actual.data(), actual.data() + 1, actual.size() - 1) == 0))
        return {};
    const auto changed = std::find_if(
        actual.begin(), actual.end(), [sentinel](std::uint8_t byte) { return byte != sentinel; });
    if (changed == actual.end())
        return {};
    return QStringLiteral("%1[%2] is %3, expected %4")
        .arg(QLatin1String(name))
        .arg(changed - actual.begin())
        .arg(*changed)
        .arg(sentinel);
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

// Converts a frame into the outputs' planes unless `planes` is false (null R, G and B),
// and into the picture with the channels given when it has bits.
using Conversion
    = std::function<void(Outputs &actual, bool planes, PictureRows picture, PictureChannels keep)>;

constexpr PictureChannels allChannels {};
constexpr PictureChannels redOnly { 0xff, 0, 0 };
constexpr PictureChannels greenOnly { 0, 0xff, 0 };
constexpr PictureChannels blueOnly { 0, 0, 0xff };

bool sameChannels(PictureChannels a, PictureChannels b)
{
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

// One run of a conversion over outputs filled with a sentinel.
struct Run
{
    std::uint8_t sentinel;
    bool planes;
    bool picture;
    PictureChannels keep;
};

// Runs the conversion over planes filled with 0x00 and with 0xff, so a byte it does not
// write differs from the reference in one of the runs; once more writing the picture too,
// whose sentinel no pixel (always opaque) can equal; and once writing the picture alone,
// which must leave every plane byte at its sentinel. With primaryRuns, also the three
// primary views' pictures, with and without planes. The guard zones must keep their
// sentinel. Without sentinelRuns, the two picture runs alone: for the large frames, whose
// every byte the width tests have already seen written. Returns the first difference, or
// nothing.
QString differenceFromReference(const Conversion &convert, Outputs &actual, int width,
    Outputs &expected, bool sentinelRuns = true, bool primaryRuns = true)
{
    const std::size_t size = actual.r.size() - Outputs::guard;
    const Run runs[] = { { 0x00, true, false, allChannels }, { 0xff, true, false, allChannels },
        { 0x5a, true, true, allChannels }, { 0xa5, false, true, allChannels },
        { 0x3c, true, true, redOnly }, { 0xc3, false, true, greenOnly },
        { 0x96, false, true, blueOnly } };
    for (const Run &run : runs) {
        const bool wholeColour = run.picture && sameChannels(run.keep, allChannels);
        if ((!sentinelRuns && !run.picture) || (!primaryRuns && !wholeColour))
            continue;
        actual.fill(run.sentinel);
        convert(
            actual, run.planes, run.picture ? actual.pictureRows(width) : PictureRows {}, run.keep);
        for (Plane *plane : { &expected.r, &expected.g, &expected.b })
            std::memset(plane->data() + size, run.sentinel, Outputs::guard);
        if (!wholeColour)
            expected.paintPictureFromPlanes(run.keep);
        std::memset(expected.picture.data() + 4 * size, run.sentinel, Outputs::guard);
        QStringList differences;
        if (run.planes)
            differences << firstDifference(actual.r, expected.r, "r")
                        << firstDifference(actual.g, expected.g, "g")
                        << firstDifference(actual.b, expected.b, "b");
        else
            differences << firstChange(actual.r, run.sentinel, "r without planes")
                        << firstChange(actual.g, run.sentinel, "g without planes")
                        << firstChange(actual.b, run.sentinel, "b without planes");
        if (run.picture)
            differences << firstDifference(actual.picture, expected.picture, "picture byte");
        if (!wholeColour)
            expected.paintPictureFromPlanes();
        for (const QString &difference : differences) {
            if (!difference.isEmpty())
                return difference
                    + QStringLiteral(" over sentinel %1, %2")
                          .arg(run.sentinel)
                          .arg(QLatin1String(run.planes ? "with planes" : "without planes"));
        }
    }
    return {};
}

// The colour that a comparison converts by, and the outputs it may reuse.
struct Comparison
{
    ColourMatrix matrix = ColourMatrix::Bt601;
    ColourRange range = ColourRange::Limited;
    // The expected result, the reference's (BT.601 limited) unless given.
    Outputs *expected = nullptr;
    Outputs *actual = nullptr;
};

// Every kernel against one reference result; the primary views' pictures only with
// primaryRuns.
void compareAllKernels(Subsampling chroma, const Plane &y, const Plane &u, const Plane &v,
    int width, int height, bool primaryRuns = true, Comparison with = {})
{
    Outputs computed
        = with.expected ? Outputs(0, 0) : referenceOutputs(chroma, y, u, v, width, height);
    Outputs &expected = with.expected ? *with.expected : computed;
    Outputs own = with.actual ? Outputs(0, 0) : Outputs(y.size(), 0);
    Outputs &actual = with.actual ? *with.actual : own;
    for (const auto &[name, kernel] : kernels(chroma)) {
        const RowKernel k = kernel;
        const Conversion convert = [&, k](Outputs &out, bool planes, PictureRows picture,
                                       PictureChannels keep) {
            convertWith(k, chroma, y.data(), u.data(), v.data(), planes ? out.r.data() : nullptr,
                planes ? out.g.data() : nullptr, planes ? out.b.data() : nullptr, width, height,
                picture, keep, with.matrix, with.range);
        };
        const QString difference
            = differenceFromReference(convert, actual, width, expected, true, primaryRuns);
        QVERIFY2(difference.isEmpty(), qPrintable(QLatin1String(name) + ": " + difference));
    }
}

// Planes of depth-bit words and the frame they make.
struct WideFrame
{
    Subsampling chroma;
    int depth;
    int width;
    int height;
    WordPlane y, u, v;
    ColourMatrix matrix = ColourMatrix::Bt601;
    ColourRange range = ColourRange::Limited;
};

// The frame through convertFrame (no kernel) or a kernel, as from the window's planes.
void convertWideWith(WideRowKernel kernel, WideFrame &frame, Outputs &out, bool planes,
    PictureRows picture, PictureChannels keep)
{
    std::uint8_t *const r = planes ? out.r.data() : nullptr;
    std::uint8_t *const g = planes ? out.g.data() : nullptr;
    std::uint8_t *const b = planes ? out.b.data() : nullptr;
    if (kernel) {
        convertWideToRgbWith(kernel, frame.chroma, frame.depth, frame.y.data(), frame.u.data(),
            frame.v.data(), r, g, b, frame.width, frame.height, picture, keep,
            yuvCoefficients(frame.matrix, frame.range));
        return;
    }
    const std::optional<FrameFormat> format
        = FrameFormat::make(wideFormat(frame.chroma, frame.depth), frame.width, frame.height,
            frame.matrix, frame.range);
    QVERIFY(format);
    convertFrame(
        *format, { bytesOf(frame.y), bytesOf(frame.u), bytesOf(frame.v), r, g, b, picture }, keep);
}

Outputs wideReferenceOutputs(WideFrame &frame)
{
    Outputs expected(frame.y.size(), 0x5a);
    convertFrameReference(wideFormat(frame.chroma, frame.depth), bytesOf(frame.y), bytesOf(frame.u),
        bytesOf(frame.v), expected.r.data(), expected.g.data(), expected.b.data(), frame.width,
        frame.height, referenceOf(frame.matrix, frame.range));
    expected.paintPictureFromPlanes();
    return expected;
}

// Every wide kernel against one expected result, the reference's unless given.
void compareAllWideKernels(
    WideFrame &frame, bool sentinelRuns = true, Outputs *given = nullptr, Outputs *reused = nullptr)
{
    Outputs computed = given ? Outputs(0, 0) : wideReferenceOutputs(frame);
    Outputs &expected = given ? *given : computed;
    Outputs own = reused ? Outputs(0, 0) : Outputs(frame.y.size(), 0);
    Outputs &actual = reused ? *reused : own;
    for (const auto &[name, kernel] : wideKernels(frame.chroma)) {
        const WideRowKernel k = kernel;
        const Conversion convert
            = [&frame, k](Outputs &out, bool planes, PictureRows picture, PictureChannels keep) {
                  convertWideWith(k, frame, out, planes, picture, keep);
              };
        const QString difference = differenceFromReference(
            convert, actual, frame.width, expected, sentinelRuns, sentinelRuns);
        QVERIFY2(difference.isEmpty(), qPrintable(QLatin1String(name) + ": " + difference));
    }
}

// Chroma samples of a frame of `pixels` pixels.
std::size_t chromaSamples(Subsampling chroma, std::size_t pixels, int width)
{
    switch (chroma) {
    case Subsampling::Yuv420:
        return pixels / 4;
    case Subsampling::Yuv422:
        return pixels / 2;
    case Subsampling::Yuv444:
        return pixels;
    case Subsampling::None:
        return std::size_t(width);
    }
    return 0;
}

struct Triple
{
    int y, u, v;
};

// Planes in which pixel group k, the pixels that share chroma sample k (a 2x2 block in
// 4:2:0, a pair in 4:2:2, a pixel in 4:4:4, as the planes' sizes tell), takes triples
// group * k onwards; the group's triples must share U and V.
template <class PlaneOf, class TripleAt>
void fillFromTriples(int width, const TripleAt &at, PlaneOf &y, PlaneOf &u, PlaneOf &v)
{
    using Sample = typename PlaneOf::value_type;
    const std::size_t w = std::size_t(width);
    const std::size_t group = y.size() / u.size();
    for (std::size_t k = 0; k < u.size(); ++k) {
        for (std::size_t i = 0; i < group; ++i) {
            const Triple t = at(k * group + i);
            const std::size_t pixel = group == 4
                ? (2 * (k / (w / 2)) + i / 2) * w + 2 * (k % (w / 2)) + i % 2
                : k * group + i;
            y[pixel] = Sample(t.y);
            u[k] = Sample(t.u);
            v[k] = Sample(t.v);
        }
    }
}

WideFrame wideFrame(Subsampling chroma, int depth, int width, int height)
{
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    const std::size_t samples = chromaSamples(chroma, pixels, width);
    WideFrame frame { chroma, depth, width, height, WordPlane(pixels), WordPlane(samples),
        WordPlane(samples) };
    if (chroma == Subsampling::None) {
        std::fill(frame.u.begin(), frame.u.end(), std::uint16_t(128 << (depth - 8)));
        std::fill(frame.v.begin(), frame.v.end(), std::uint16_t(128 << (depth - 8)));
    }
    return frame;
}

// Whole random words: the bits above the depth, which every kernel must ignore, as
// random as the sample's.
void fillRandomly(WordPlane &plane, std::mt19937 &random)
{
    for (std::uint16_t &word : plane)
        word = static_cast<std::uint16_t>(random() >> 16);
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

void addColourRows()
{
    QTest::addColumn<int>("colour");
    for (int i = 0; i < 6; ++i)
        QTest::newRow(colourRows[i].name) << i;
}

// Every 8-bit triple once in a 4096x4096 frame whose chroma is the same over each 2x2
// block: pixel (x, row) has Y = 2 (x % 128) + row % 2 and (U, V) pair
// x / 128 + 32 (row / 2), U its high byte. So the 4:4:4 planes, and the 4:2:2 and 4:2:0
// planes of one sample for each pair or block, make the very same picture. Made once.
struct AllTriples
{
    static constexpr int side = 4096;
    Plane y, u444, v444, u422, v422, u420, v420;
};

const AllTriples &allTriples()
{
    static const AllTriples triples = [] {
        const std::size_t w = AllTriples::side;
        AllTriples t { Plane(w * w), Plane(w * w), Plane(w * w), Plane(w * w / 2), Plane(w * w / 2),
            Plane(w * w / 4), Plane(w * w / 4) };
        for (std::size_t row = 0; row < w; ++row) {
            for (std::size_t x = 0; x < w; ++x) {
                const std::size_t pair = x / 128 + 32 * (row / 2);
                const auto u = std::uint8_t(pair >> 8);
                const auto v = std::uint8_t(pair & 255);
                t.y[row * w + x] = std::uint8_t(2 * (x % 128) + row % 2);
                t.u444[row * w + x] = u;
                t.v444[row * w + x] = v;
                t.u422[row * (w / 2) + x / 2] = u;
                t.v422[row * (w / 2) + x / 2] = v;
                t.u420[(row / 2) * (w / 2) + x / 2] = u;
                t.v420[(row / 2) * (w / 2) + x / 2] = v;
            }
        }
        return t;
    }();
    return triples;
}

// allTriples' samples times 2^(depth - 8), 4:2:0 or 4:4:4, made once for every colour.
WideFrame &shiftedTriples(int depth, Subsampling chroma)
{
    static std::vector<WideFrame> made;
    for (WideFrame &frame : made) {
        if (frame.depth == depth && frame.chroma == chroma)
            return frame;
    }
    const AllTriples &t = allTriples();
    const bool own = chroma == Subsampling::Yuv444;
    WideFrame frame = wideFrame(chroma, depth, AllTriples::side, AllTriples::side);
    const auto shifted
        = [depth](std::uint8_t sample) { return std::uint16_t(sample << (depth - 8)); };
    std::transform(t.y.begin(), t.y.end(), frame.y.begin(), shifted);
    const Plane &u = own ? t.u444 : t.u420;
    const Plane &v = own ? t.v444 : t.v420;
    std::transform(u.begin(), u.end(), frame.u.begin(), shifted);
    std::transform(v.begin(), v.end(), frame.v.begin(), shifted);
    made.reserve(4);
    made.push_back(std::move(frame));
    return made.back();
}

// The message of a triple whose R, G and B are not the ones wanted.
QString tripleMiss(
    int y, int u, int v, const std::array<int, 3> &got, const std::array<double, 3> &wanted)
{
    return QStringLiteral("(%1, %2, %3) gives (%4, %5, %6), wanted (%7, %8, %9)")
        .arg(y)
        .arg(u)
        .arg(v)
        .arg(got[0])
        .arg(got[1])
        .arg(got[2])
        .arg(wanted[0])
        .arg(wanted[1])
        .arg(wanted[2]);
}

} // namespace

class TestYuvConvert : public QObject
{
    Q_OBJECT

private slots:
    void referenceGivesTheDocumentedColours_data();
    void referenceGivesTheDocumentedColours();
    void fastKernelsGiveTheDocumentedColours_data();
    void fastKernelsGiveTheDocumentedColours();
    void onePixelMatchesReference_data();
    void onePixelMatchesReference();
    void coefficientsAreTheStandardsRounded_data() { addColourRows(); }
    void coefficientsAreTheStandardsRounded();
    void formulaIsWithinOneOfTheStandard_data();
    void formulaIsWithinOneOfTheStandard();
    void everyKernelMatchesReferenceForAllTriples_data() { addColourRows(); }
    void everyKernelMatchesReferenceForAllTriples();
    void kernelsMatchReferenceAtEveryWidth_data();
    void kernelsMatchReferenceAtEveryWidth();
    void wideKernelsMatchReference_data();
    void wideKernelsMatchReference();
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

void TestYuvConvert::onePixelMatchesReference_data()
{
    QTest::addColumn<int>("colour");
    QTest::addColumn<int>("depth");
    // Grid points per axis of U and V, which every Y meets.
    QTest::addColumn<int>("grid");
    QTest::newRow("8-bit, all 2^24 triples") << 0 << 8 << 256;
    QTest::newRow("10-bit, every Y against a chroma grid") << 0 << 10 << 64;
    QTest::newRow("12-bit, every Y against a chroma grid") << 0 << 12 << 32;
    // The other rows of the table on coarser grids: the kernels' tests see every triple.
    for (int colour = 1; colour < 6; ++colour) {
        for (const auto &[depth, grid] : { std::pair { 8, 64 }, { 10, 16 }, { 12, 8 } })
            QTest::addRow(
                "%s, %d-bit, every Y against a chroma grid", colourRows[colour].name, depth)
                << colour << depth << grid;
    }
}

// The one pixel that the readout converts, against the reference formula; grids from 0 to
// 2^depth - 1 on both chroma axes, so the clamps at both ends are met.
void TestYuvConvert::onePixelMatchesReference()
{
    QFETCH(int, colour);
    QFETCH(int, depth);
    QFETCH(int, grid);
    const ColourRow &row = colourRows[colour];
    const YuvCoefficients &coefficients = yuvCoefficients(row.matrix, row.range);
    const ReferenceCoefficients reference = referenceOf(row.matrix, row.range);
    const int top = (1 << depth) - 1;
    for (int y = 0; y <= top; ++y) {
        for (int i = 0; i < grid; ++i) {
            for (int j = 0; j < grid; ++j) {
                const int u = i * top / (grid - 1);
                const int v = j * top / (grid - 1);
                const PixelColour actual = convertYuvPixel(y, u, v, depth, coefficients);
                const Rgb expected = yuvToRgbReference(y, u, v, depth, reference);
                if (actual.r != expected.r || actual.g != expected.g || actual.b != expected.b)
                    QFAIL(qPrintable(tripleMiss(y, u, v, { actual.r, actual.g, actual.b },
                        { double(expected.r), double(expected.g), double(expected.b) })));
            }
        }
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
    for (const int depth : { 10, 12 }) {
        for (const Subsampling chroma :
            { Subsampling::Yuv444, Subsampling::None, Subsampling::Yuv420, Subsampling::Yuv422 }) {
            const bool halved = chroma == Subsampling::Yuv420 || chroma == Subsampling::Yuv422;
            if (halved && (width % 2 != 0 || height % 2 != 0))
                continue;
            WideFrame frame = wideFrame(chroma, depth, width, height);
            fillRandomly(frame.y, random);
            if (chroma != Subsampling::None) {
                fillRandomly(frame.u, random);
                fillRandomly(frame.v, random);
            }
            compareAllWideKernels(frame);
        }
    }
    if (width % 2 != 0 || height % 2 != 0)
        return;
    const Plane u420 = randomPlane(luma / 4, random);
    const Plane v420 = randomPlane(luma / 4, random);
    compareAllKernels(Subsampling::Yuv420, y, u420, v420, width, height);
    const Plane u422 = randomPlane(luma / 2, random);
    const Plane v422 = randomPlane(luma / 2, random);
    compareAllKernels(Subsampling::Yuv422, y, u422, v422, width, height);
}

void TestYuvConvert::wideKernelsMatchReference_data()
{
    QTest::addColumn<int>("depth");
    QTest::addColumn<Subsampling>("chroma");
    // Grid points per axis of U and V: every Y meets each pair of them; 0 for random
    // triples instead.
    QTest::addColumn<int>("grid");
    QTest::addColumn<int>("colour");
    for (const int depth : { 10, 12 }) {
        // 2^depth luma values times the grid's points make 4M pixels.
        const int points = depth == 10 ? 64 : 32;
        const auto name = [depth](const char *what) { return QByteArray::number(depth) + what; };
        QTest::newRow(name("-bit 4:2:0, every Y against a chroma grid"))
            << depth << Subsampling::Yuv420 << points << 0;
        QTest::newRow(name("-bit 4:4:4, every Y against a chroma grid"))
            << depth << Subsampling::Yuv444 << points << 0;
        QTest::newRow(name("-bit 4:2:0, random")) << depth << Subsampling::Yuv420 << 0 << 0;
        QTest::newRow(name("-bit 4:2:2, random")) << depth << Subsampling::Yuv422 << 0 << 0;
        QTest::newRow(name("-bit 4:4:4, random")) << depth << Subsampling::Yuv444 << 0 << 0;
        // The other rows of the table on smaller random frames, each in turn halving the
        // chroma or not.
        for (int colour = 1; colour < 6; ++colour) {
            const bool own = (colour + depth / 2) % 2 != 0;
            QTest::addRow(
                "%d-bit %s, random, %s", depth, own ? "4:4:4" : "4:2:0", colourRows[colour].name)
                << depth << (own ? Subsampling::Yuv444 : Subsampling::Yuv420) << 0 << colour;
        }
    }
}

// Grids from 0 to 2^depth - 1 on both chroma axes, so the clamps at both ends are met;
// random frames of 2M triples each, 512K for the other colours.
void TestYuvConvert::wideKernelsMatchReference()
{
    QFETCH(int, depth);
    QFETCH(Subsampling, chroma);
    QFETCH(int, grid);
    QFETCH(int, colour);
    const int width = 2048;
    const int height = grid ? 2048 : colour ? 256 : 1024;
    WideFrame frame = wideFrame(chroma, depth, width, height);
    frame.matrix = colourRows[colour].matrix;
    frame.range = colourRows[colour].range;
    if (grid) {
        const int top = (1 << depth) - 1;
        QCOMPARE(std::size_t(grid) * std::size_t(grid) << depth, frame.y.size());
        fillFromTriples<WordPlane>(
            width,
            [depth, grid, top](std::size_t n) {
                const int pair = int(n >> depth);
                return Triple { int(n) & top, pair % grid * top / (grid - 1),
                    pair / grid * top / (grid - 1) };
            },
            frame.y, frame.u, frame.v);
    } else {
        std::mt19937 random(std::uint32_t(depth * 10 + int(chroma) + 100 * colour));
        for (WordPlane *plane : { &frame.y, &frame.u, &frame.v })
            fillRandomly(*plane, random);
    }
    compareAllWideKernels(frame, false);
}

void TestYuvConvert::coefficientsAreTheStandardsRounded()
{
    QFETCH(int, colour);
    const ColourRow &row = colourRows[colour];
    const YuvCoefficients &c = yuvCoefficients(row.matrix, row.range);
    const ReferenceCoefficients expected = referenceOf(row.matrix, row.range);
    QCOMPARE(c.luma, expected.luma);
    QCOMPARE(c.redFromV, expected.vToRed);
    QCOMPARE(c.greenFromU, expected.uToGreen);
    QCOMPARE(c.greenFromV, expected.vToGreen);
    QCOMPARE(c.blueFromU, expected.uToBlue);
    QCOMPARE(c.black, expected.full ? 0 : 16);
}

void TestYuvConvert::formulaIsWithinOneOfTheStandard_data()
{
    QTest::addColumn<int>("colour");
    QTest::addColumn<double>("kr");
    QTest::addColumn<double>("kb");
    const double standards[3][2] = { { 0.299, 0.114 }, { 0.2126, 0.0722 }, { 0.2627, 0.0593 } };
    for (int i = 0; i < 6; ++i)
        QTest::newRow(colourRows[i].name) << i << standards[i / 2][0] << standards[i / 2][1];
}

// Wherever the exact conversion from Kr and Kb lies inside 0..255, the fixed-point formula
// (the reference's, with the table's factors) is within 1 of it, over all 2^24 triples.
void TestYuvConvert::formulaIsWithinOneOfTheStandard()
{
    QFETCH(int, colour);
    QFETCH(double, kr);
    QFETCH(double, kb);
    const ColourRow &row = colourRows[colour];
    const bool full = row.range == ColourRange::Full;
    const ReferenceCoefficients factors = referenceOf(row.matrix, row.range);
    const double kg = 1.0 - kr - kb;
    const double lumaScale = full ? 1.0 : 255.0 / 219.0;
    const double chromaScale = full ? 1.0 : 255.0 / 224.0;
    const int black = full ? 0 : 16;
    const auto close = [](double exact, int actual) {
        return exact < 0.0 || exact > 255.0 || std::abs(exact - actual) <= 1.0;
    };
    for (int y = 0; y < 256; ++y) {
        const double luma = (y - black) * lumaScale;
        for (int u = 0; u < 256; ++u) {
            const double d = (u - 128) * chromaScale;
            for (int v = 0; v < 256; ++v) {
                const double e = (v - 128) * chromaScale;
                const double r = luma + 2.0 * (1.0 - kr) * e;
                const double g
                    = luma - 2.0 * kb * (1.0 - kb) / kg * d - 2.0 * kr * (1.0 - kr) / kg * e;
                const double b = luma + 2.0 * (1.0 - kb) * d;
                const Rgb actual = yuvToRgbReference(y, u, v, 8, factors);
                if (!close(r, actual.r) || !close(g, actual.g) || !close(b, actual.b))
                    QFAIL(qPrintable(
                        tripleMiss(y, u, v, { actual.r, actual.g, actual.b }, { r, g, b })));
            }
        }
    }
}

// Every 8-bit triple, once, in one 4096x4096 frame, by every kernel: the 4:4:4 ones, the
// halved-chroma ones on 4:2:2 and 4:2:0, and the wide ones on the samples times
// 2^(depth - 8), which must give the 8-bit frame's very picture at each depth.
void TestYuvConvert::everyKernelMatchesReferenceForAllTriples()
{
    QFETCH(int, colour);
    const ColourRow &row = colourRows[colour];
    const AllTriples &t = allTriples();
    const int side = AllTriples::side;
    Outputs expected(t.y.size(), 0x5a);
    convertFrameReference(Yuv444p, t.y.data(), t.u444.data(), t.v444.data(), expected.r.data(),
        expected.g.data(), expected.b.data(), side, side, referenceOf(row.matrix, row.range));
    expected.paintPictureFromPlanes();
    Outputs actual(t.y.size(), 0);
    const Comparison with { row.matrix, row.range, &expected, &actual };
    compareAllKernels(Subsampling::Yuv444, t.y, t.u444, t.v444, side, side, false, with);
    compareAllKernels(Subsampling::Yuv422, t.y, t.u422, t.v422, side, side, false, with);
    compareAllKernels(Subsampling::Yuv420, t.y, t.u420, t.v420, side, side, false, with);
    for (const int depth : { 10, 12 }) {
        for (const Subsampling chroma : { Subsampling::Yuv420, Subsampling::Yuv444 }) {
            WideFrame &frame = shiftedTriples(depth, chroma);
            frame.matrix = row.matrix;
            frame.range = row.range;
            compareAllWideKernels(frame, false, &expected, &actual);
        }
    }
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
