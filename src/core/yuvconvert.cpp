#include "yuvconvert.h"

#include "processorfeatures.h"
#include "samplelayout.h"
#include "yuvcoefficients.h"
#include "yuvrowkernel.h"

#include <cstddef>
#include <cstring>
#include <type_traits>

namespace {

// The same 16-bit evaluation as the vector kernels, one pixel pair at a time: for the
// last pixels of a row, and for processors without a vector kernel, where the compiler
// may still vectorise it.
struct Lane16
{
    using Reg = std::int16_t;
    static Reg splat(int value) { return static_cast<Reg>(value); }
    static Reg add(Reg a, Reg b) { return static_cast<Reg>(a + b); }
    static Reg sub(Reg a, Reg b) { return static_cast<Reg>(a - b); }
    static Reg mul(Reg a, Reg b) { return static_cast<Reg>(a * b); }
    static Reg shiftDown8(Reg a) { return static_cast<Reg>(a >> 8); }
};

using Lane = Lane16::Reg;
using PairTerms = ChromaTerms<Lane16>;
using PairFactors = LaneFactors<Lane16>;

std::uint8_t clampToByte(int value)
{
    return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

// One 8-bit pixel from the terms of its chroma pair.
PixelColour eightBitPixel(int y, const PairTerms &t, const PairFactors &f)
{
    const Lane luma = static_cast<Lane>(y);
    const Lane fraction = Lane16::mul(luma, f.lumaFraction);
    return { clampToByte(channel<Lane16>(luma, fraction, t.r)),
        clampToByte(channel<Lane16>(luma, fraction, t.g)),
        clampToByte(channel<Lane16>(luma, fraction, t.b)) };
}

PairTerms eightBitTerms(int u, int v, const PairFactors &f)
{
    return chromaTerms<Lane16>(static_cast<Lane>(u), static_cast<Lane>(v), f);
}

// Samples of more than 8 bits, one pixel at a time in 32-bit terms at 12 bits, the
// vector kernels' very sums (yuvcoefficients.h).
struct WideTerms
{
    int r, g, b;
};

// A row's factors at one depth: scaled to it, the offsets as they are.
yuvcoefficients::WideFactors scaledFactors(const YuvCoefficients &colour, int depth)
{
    yuvcoefficients::WideFactors f = yuvcoefficients::wideFactors(colour);
    const int scale = yuvcoefficients::wideScale(depth);
    for (int *factor : { &f.luma, &f.redFromV, &f.greenFromU, &f.greenFromV, &f.blueFromU })
        *factor *= scale;
    return f;
}

WideTerms wideTerms(int u, int v, const yuvcoefficients::WideFactors &f)
{
    return { f.redFromV * v + f.redOffset, f.greenFromU * u + f.greenFromV * v + f.greenOffset,
        f.blueFromU * u + f.blueOffset };
}

std::uint8_t wideChannel(int luma, int term)
{
    return clampToByte((luma + term) >> yuvcoefficients::wideShift);
}

// One pixel from the terms of its chroma, with the factors of its depth.
PixelColour widePixel(int y, const WideTerms &t, const yuvcoefficients::WideFactors &f)
{
    const int luma = f.luma * y;
    return { wideChannel(luma, t.r), wideChannel(luma, t.g), wideChannel(luma, t.b) };
}

// A sample from a plane of 16-bit words, which the window's planes hold as bytes: the
// word's low `depth` bits, whatever the file put above them.
int wordAt(const std::uint16_t *plane, std::size_t at, int depth)
{
    std::uint16_t word;
    std::memcpy(&word, plane + at, sizeof word);
    return word & ((1 << depth) - 1);
}

// Writes pixel `at` of the rows (`pixel` in the picture's rows): into the planes when
// Planes, into the picture with the channels it keeps when Picture.
template <bool Planes, bool Picture>
void storePixel(const RowTargets &out, std::size_t at, std::size_t pixel, PixelColour colour)
{
    if constexpr (Planes) {
        out.r[at] = colour.r;
        out.g[at] = colour.g;
        out.b[at] = colour.b;
    }
    if constexpr (Picture)
        out.picture[pixel] = rgb32Pixel(colour.r & out.channels.red, colour.g & out.channels.green,
            colour.b & out.channels.blue);
}

// Calls loop(planes, picture) with the targets that `out` has as compile-time flags, so
// that the portable loops test none of them per pixel.
template <class Loop> void withTargets(const RowTargets &out, Loop loop)
{
    if (!out.r) {
        if (out.picture)
            loop(std::false_type {}, std::true_type {});
        return;
    }
    if (out.picture)
        loop(std::true_type {}, std::true_type {});
    else
        loop(std::true_type {}, std::false_type {});
}

// Same contract as a RowKernel, from pixel `from` (even) to the end of the rows.
template <bool Planes, bool Picture>
void convertRowsScalarTo(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    const RowTargets &out, std::size_t width, std::size_t rows, std::size_t from,
    const PairFactors &f)
{
    for (std::size_t x = from; x < width; x += 2) {
        const PairTerms t = eightBitTerms(u[x / 2], v[x / 2], f);
        for (std::size_t row = 0; row < rows; ++row) {
            const std::size_t at = row * width + x;
            const std::size_t pixel = row * out.pictureStride + x;
            storePixel<Planes, Picture>(out, at, pixel, eightBitPixel(y[at], t, f));
            storePixel<Planes, Picture>(out, at + 1, pixel + 1, eightBitPixel(y[at + 1], t, f));
        }
    }
}

void convertRowsScalar(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    const RowTargets &out, std::size_t width, std::size_t rows, std::size_t from,
    const YuvCoefficients &colour)
{
    const PairFactors f = laneFactors<Lane16>(colour);
    withTargets(out, [&](auto planes, auto picture) {
        convertRowsScalarTo<decltype(planes)::value, decltype(picture)::value>(
            y, u, v, out, width, rows, from, f);
    });
}

// 4:4:4: as convertRowsScalar with one luma row, each pixel with its own chroma sample.
template <bool Planes, bool Picture>
void convertRowScalar444To(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    const RowTargets &out, std::size_t width, std::size_t from, const PairFactors &f)
{
    for (std::size_t x = from; x < width; ++x)
        storePixel<Planes, Picture>(
            out, x, x, eightBitPixel(y[x], eightBitTerms(u[x], v[x], f), f));
}

void convertRowScalar444(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    const RowTargets &out, std::size_t width, std::size_t from, const YuvCoefficients &colour)
{
    const PairFactors f = laneFactors<Lane16>(colour);
    withTargets(out, [&](auto planes, auto picture) {
        convertRowScalar444To<decltype(planes)::value, decltype(picture)::value>(
            y, u, v, out, width, from, f);
    });
}

// As convertRowsScalar.
template <bool Planes, bool Picture>
void convertWideRowsScalarTo(const std::uint16_t *y, const std::uint16_t *u, const std::uint16_t *v,
    const RowTargets &out, std::size_t width, std::size_t rows, std::size_t from, int depth,
    const yuvcoefficients::WideFactors &f)
{
    for (std::size_t x = from; x < width; x += 2) {
        const WideTerms t = wideTerms(wordAt(u, x / 2, depth), wordAt(v, x / 2, depth), f);
        for (std::size_t row = 0; row < rows; ++row) {
            const std::size_t at = row * width + x;
            const std::size_t pixel = row * out.pictureStride + x;
            storePixel<Planes, Picture>(out, at, pixel, widePixel(wordAt(y, at, depth), t, f));
            storePixel<Planes, Picture>(
                out, at + 1, pixel + 1, widePixel(wordAt(y, at + 1, depth), t, f));
        }
    }
}

void convertWideRowsScalar(const std::uint16_t *y, const std::uint16_t *u, const std::uint16_t *v,
    const RowTargets &out, std::size_t width, std::size_t rows, std::size_t from, int depth,
    const YuvCoefficients &colour)
{
    const yuvcoefficients::WideFactors f = scaledFactors(colour, depth);
    withTargets(out, [&](auto planes, auto picture) {
        convertWideRowsScalarTo<decltype(planes)::value, decltype(picture)::value>(
            y, u, v, out, width, rows, from, depth, f);
    });
}

// As convertRowScalar444.
template <bool Planes, bool Picture>
void convertWideRowScalar444To(const std::uint16_t *y, const std::uint16_t *u,
    const std::uint16_t *v, const RowTargets &out, std::size_t width, std::size_t from, int depth,
    const yuvcoefficients::WideFactors &f)
{
    for (std::size_t x = from; x < width; ++x) {
        const WideTerms t = wideTerms(wordAt(u, x, depth), wordAt(v, x, depth), f);
        storePixel<Planes, Picture>(out, x, x, widePixel(wordAt(y, x, depth), t, f));
    }
}

void convertWideRowScalar444(const std::uint16_t *y, const std::uint16_t *u, const std::uint16_t *v,
    const RowTargets &out, std::size_t width, std::size_t from, int depth,
    const YuvCoefficients &colour)
{
    const yuvcoefficients::WideFactors f = scaledFactors(colour, depth);
    withTargets(out, [&](auto planes, auto picture) {
        convertWideRowScalar444To<decltype(planes)::value, decltype(picture)::value>(
            y, u, v, out, width, from, depth, f);
    });
}

RowKernels pickRowKernels()
{
#if defined(ZENTAVO_X86_KERNELS)
    if (processorHasAvx2())
        return { convertRowsAvx2, convertRows444Avx2 };
    return { convertRowsSse2, convertRows444Sse2 };
#else
    return { convertRowsNone, convertRowsNone };
#endif
}

WideRowKernels pickWideRowKernels()
{
#if defined(ZENTAVO_X86_KERNELS)
    if (processorHasAvx2())
        return { convertWideRowsAvx2, convertWideRows444Avx2 };
    return { convertWideRowsSse2, convertWideRows444Sse2 };
#else
    return { convertWideRowsNone, convertWideRowsNone };
#endif
}

// Where a conversion writes: the planes (none when r is null), the picture (none without
// bits) and the channels that the picture keeps.
struct FrameTargets
{
    std::uint8_t *r;
    std::uint8_t *g;
    std::uint8_t *b;
    PictureRows picture;
    PictureChannels channels;
};

RowTargets targetsAt(const FrameTargets &to, std::size_t luma, std::size_t row)
{
    RowTargets out;
    if (to.r) {
        out.r = to.r + luma;
        out.g = to.g + luma;
        out.b = to.b + luma;
    }
    if (to.picture.bits) {
        out.picture = reinterpret_cast<std::uint32_t *>(to.picture.bits + to.picture.stride * row);
        out.pictureStride = static_cast<std::size_t>(to.picture.stride) / sizeof(std::uint32_t);
    }
    out.channels = to.channels;
    return out;
}

// The frame, `shared` luma rows at a time against the one chroma row they share (2 in
// 4:2:0, 1 in 4:2:2). `pass` converts them: the row kernel as far as it goes, the
// portable loop for the rest.
template <class Sample, class Pass>
void convertRows(Pass pass, std::size_t shared, const Sample *y, const Sample *u, const Sample *v,
    const FrameTargets &to, int width, int height)
{
    const std::size_t w = static_cast<std::size_t>(width);
    for (std::size_t i = 0; i + shared <= static_cast<std::size_t>(height); i += shared) {
        const std::size_t luma = i * w;
        const std::size_t chroma = (i / shared) * (w / 2);
        pass(y + luma, u + chroma, v + chroma, targetsAt(to, luma, i), shared);
    }
}

// One luma row at a time against chroma rows of width samples, chromaStep samples apart:
// width for 4:4:4, 0 for one row that every line shares.
template <class Sample, class Pass>
void convertOwnChromaRows(Pass pass, std::size_t chromaStep, const Sample *y, const Sample *u,
    const Sample *v, const FrameTargets &to, int width, int height)
{
    const std::size_t w = static_cast<std::size_t>(width);
    for (std::size_t i = 0; i < static_cast<std::size_t>(height); ++i) {
        const std::size_t luma = i * w;
        const std::size_t chroma = i * chromaStep;
        pass(y + luma, u + chroma, v + chroma, targetsAt(to, luma, i), 1);
    }
}

// The passes keep the colour by reference: the table's rows, and the callers' arguments,
// outlive the frame.
auto halvedPass(RowKernel kernel, int width, const YuvCoefficients &colour)
{
    const std::size_t w = static_cast<std::size_t>(width);
    return [kernel, w, &colour](const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
               const RowTargets &out, std::size_t rows) {
        const std::size_t done = kernel(y, u, v, out, w, rows, colour);
        if (done < w)
            convertRowsScalar(y, u, v, out, w, rows, done, colour);
    };
}

auto ownChromaPass(RowKernel kernel, int width, const YuvCoefficients &colour)
{
    const std::size_t w = static_cast<std::size_t>(width);
    return [kernel, w, &colour](const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
               const RowTargets &out, std::size_t rows) {
        const std::size_t done = kernel(y, u, v, out, w, rows, colour);
        if (done < w)
            convertRowScalar444(y, u, v, out, w, done, colour);
    };
}

auto wideHalvedPass(WideRowKernel kernel, int width, int depth, const YuvCoefficients &colour)
{
    const std::size_t w = static_cast<std::size_t>(width);
    return [kernel, w, depth, &colour](const std::uint16_t *y, const std::uint16_t *u,
               const std::uint16_t *v, const RowTargets &out, std::size_t rows) {
        const std::size_t done = kernel(y, u, v, out, w, rows, depth, colour);
        if (done < w)
            convertWideRowsScalar(y, u, v, out, w, rows, done, depth, colour);
    };
}

auto wideOwnChromaPass(WideRowKernel kernel, int width, int depth, const YuvCoefficients &colour)
{
    const std::size_t w = static_cast<std::size_t>(width);
    return [kernel, w, depth, &colour](const std::uint16_t *y, const std::uint16_t *u,
               const std::uint16_t *v, const RowTargets &out, std::size_t rows) {
        const std::size_t done = kernel(y, u, v, out, w, rows, depth, colour);
        if (done < w)
            convertWideRowScalar444(y, u, v, out, w, done, depth, colour);
    };
}

bool ownsChroma(Subsampling chroma)
{
    return chroma == Subsampling::Yuv444 || chroma == Subsampling::None;
}

void convertWide(WideRowKernel kernel, Subsampling chroma, int depth, const std::uint16_t *y,
    const std::uint16_t *u, const std::uint16_t *v, const FrameTargets &to, int width, int height,
    const YuvCoefficients &colour)
{
    switch (chroma) {
    case Subsampling::Yuv420:
    case Subsampling::Yuv422:
        convertRows(wideHalvedPass(kernel, width, depth, colour),
            chroma == Subsampling::Yuv420 ? 2 : 1, y, u, v, to, width, height);
        return;
    case Subsampling::Yuv444:
    case Subsampling::None:
        convertOwnChromaRows(wideOwnChromaPass(kernel, width, depth, colour),
            chroma == Subsampling::None ? 0 : static_cast<std::size_t>(width), y, u, v, to, width,
            height);
        return;
    }
}

void convertWideBest(Subsampling chroma, int depth, const std::uint16_t *y, const std::uint16_t *u,
    const std::uint16_t *v, const FrameTargets &to, int width, int height,
    const YuvCoefficients &colour)
{
    const WideRowKernels kernels = bestWideRowKernels();
    convertWide(ownsChroma(chroma) ? kernels.ownChroma : kernels.halvedChroma, chroma, depth, y, u,
        v, to, width, height, colour);
}

} // namespace

std::size_t chromaRowFor(const FrameFormat &format, std::int32_t line)
{
    // Each chroma row serves the same number of lines: 2, 1, or all of them.
    const std::size_t lines = static_cast<std::size_t>(format.height()) / format.chromaRows();
    return static_cast<std::size_t>(line) / lines;
}

PixelColour convertYuvPixel(int y, int u, int v, int depth, const YuvCoefficients &colour)
{
    if (depth == 8) {
        const PairFactors f = laneFactors<Lane16>(colour);
        return eightBitPixel(y, eightBitTerms(u, v, f), f);
    }
    const yuvcoefficients::WideFactors f = scaledFactors(colour, depth);
    return widePixel(y, wideTerms(u, v, f), f);
}

RowKernels bestRowKernels()
{
    // Chosen once, on first use: one binary runs on every x86-64 processor.
    static const RowKernels kernels = pickRowKernels();
    return kernels;
}

std::size_t convertRowsNone(const std::uint8_t *, const std::uint8_t *, const std::uint8_t *,
    const RowTargets &, std::size_t, std::size_t, const YuvCoefficients &)
{
    return 0;
}

WideRowKernels bestWideRowKernels()
{
    static const WideRowKernels kernels = pickWideRowKernels();
    return kernels;
}

std::size_t convertWideRowsNone(const std::uint16_t *, const std::uint16_t *, const std::uint16_t *,
    const RowTargets &, std::size_t, std::size_t, int, const YuvCoefficients &)
{
    return 0;
}

void convertWideToRgbWith(WideRowKernel kernel, Subsampling chroma, int depth,
    const std::uint16_t *y, const std::uint16_t *u, const std::uint16_t *v, std::uint8_t *r,
    std::uint8_t *g, std::uint8_t *b, int width, int height, PictureRows picture,
    PictureChannels channels, const YuvCoefficients &colour)
{
    convertWide(
        kernel, chroma, depth, y, u, v, { r, g, b, picture, channels }, width, height, colour);
}

void convertWideToRgb(Subsampling chroma, int depth, const std::uint16_t *y, const std::uint16_t *u,
    const std::uint16_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width,
    int height, PictureRows picture, PictureChannels channels, const YuvCoefficients &colour)
{
    convertWideBest(chroma, depth, y, u, v, { r, g, b, picture, channels }, width, height, colour);
}

void convertYuv420ToRgbWith(RowKernel kernel, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    PictureRows picture, PictureChannels channels, const YuvCoefficients &colour)
{
    convertRows(halvedPass(kernel, width, colour), 2, y, u, v, { r, g, b, picture, channels },
        width, height);
}

void convertYuv422ToRgbWith(RowKernel kernel, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    PictureRows picture, PictureChannels channels, const YuvCoefficients &colour)
{
    convertRows(halvedPass(kernel, width, colour), 1, y, u, v, { r, g, b, picture, channels },
        width, height);
}

void convertYuv444ToRgbWith(RowKernel kernel, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    PictureRows picture, PictureChannels channels, const YuvCoefficients &colour)
{
    convertOwnChromaRows(ownChromaPass(kernel, width, colour), static_cast<std::size_t>(width), y,
        u, v, { r, g, b, picture, channels }, width, height);
}

void convertYuv420ToRgb(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height, PictureRows picture,
    PictureChannels channels, const YuvCoefficients &colour)
{
    convertYuv420ToRgbWith(
        bestRowKernels().halvedChroma, y, u, v, r, g, b, width, height, picture, channels, colour);
}

void convertYuv422ToRgb(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height, PictureRows picture,
    PictureChannels channels, const YuvCoefficients &colour)
{
    convertYuv422ToRgbWith(
        bestRowKernels().halvedChroma, y, u, v, r, g, b, width, height, picture, channels, colour);
}

void convertYuv444ToRgb(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height, PictureRows picture,
    PictureChannels channels, const YuvCoefficients &colour)
{
    convertYuv444ToRgbWith(
        bestRowKernels().ownChroma, y, u, v, r, g, b, width, height, picture, channels, colour);
}

void convertFrame(const FrameFormat &format, const FramePlanes &planes, PictureChannels channels)
{
    const FramePlanes &p = planes;
    const FrameTargets to { p.r, p.g, p.b, p.picture, channels };
    if (!to.r && !to.picture.bits)
        return;
    const int width = format.width();
    const int height = format.height();
    const Subsampling chroma = format.layout().subsampling;
    const YuvCoefficients &colour = yuvCoefficients(format.matrix(), format.range());
    if (format.depth() > 8) {
        const auto words = [](const std::uint8_t *plane) {
            return reinterpret_cast<const std::uint16_t *>(plane);
        };
        convertWideBest(
            chroma, format.depth(), words(p.y), words(p.u), words(p.v), to, width, height, colour);
        return;
    }
    switch (chroma) {
    case Subsampling::Yuv420:
    case Subsampling::Yuv422:
        convertRows(halvedPass(bestRowKernels().halvedChroma, width, colour),
            chroma == Subsampling::Yuv420 ? 2 : 1, p.y, p.u, p.v, to, width, height);
        return;
    case Subsampling::Yuv444:
    case Subsampling::None:
        // Without chroma, the one chroma row of 128 serves every line.
        convertOwnChromaRows(ownChromaPass(bestRowKernels().ownChroma, width, colour),
            chroma == Subsampling::None ? 0 : static_cast<std::size_t>(width), p.y, p.u, p.v, to,
            width, height);
        return;
    }
}
