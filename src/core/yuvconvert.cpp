#include "yuvconvert.h"

#include "samplelayout.h"
#include "streamingstores.h"
#include "videoparameters.h"
#include "yuvcoefficients.h"
#include "yuvrowkernel.h"

#include <cstddef>
#include <cstring>

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

std::uint8_t clampToByte(Lane value)
{
    return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

void convertPixel(const std::uint8_t *y, const RowTargets &out, std::size_t at,
    std::uint32_t *picture, const PairTerms &t)
{
    const Lane luma = y[at];
    const Lane luma42 = Lane16::mul(luma, yuvcoefficients::lumaFraction);
    const std::uint8_t r = clampToByte(channel<Lane16>(luma, luma42, t.r));
    const std::uint8_t g = clampToByte(channel<Lane16>(luma, luma42, t.g));
    const std::uint8_t b = clampToByte(channel<Lane16>(luma, luma42, t.b));
    out.r[at] = r;
    out.g[at] = g;
    out.b[at] = b;
    if (picture)
        *picture = rgb32Pixel(r, g, b);
}

// Same contract as a RowKernel, from pixel `from` (even) to the end of the rows.
void convertRowsScalar(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    const RowTargets &out, std::size_t width, std::size_t rows, std::size_t from)
{
    for (std::size_t x = from; x < width; x += 2) {
        const PairTerms t = chromaTerms<Lane16>(u[x / 2], v[x / 2]);
        for (std::size_t row = 0; row < rows; ++row) {
            const std::size_t at = row * width + x;
            std::uint32_t *pixels
                = out.picture ? out.picture + row * out.pictureStride + x : nullptr;
            convertPixel(y, out, at, pixels, t);
            convertPixel(y, out, at + 1, pixels ? pixels + 1 : nullptr, t);
        }
    }
}

// 4:4:4: as convertRowsScalar with one luma row, each pixel with its own chroma sample.
void convertRowScalar444(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    const RowTargets &out, std::size_t width, std::size_t from)
{
    for (std::size_t x = from; x < width; ++x)
        convertPixel(
            y, out, x, out.picture ? out.picture + x : nullptr, chromaTerms<Lane16>(u[x], v[x]));
}

// Samples of more than 8 bits, one pixel at a time in 32-bit terms at 12 bits, the
// vector kernels' very sums (yuvcoefficients.h).
struct WideTerms
{
    int r, g, b;
};

// A sample from a plane of 16-bit words, which the window's planes hold as bytes: the
// word's low `depth` bits, whatever the file put above them.
int wordAt(const std::uint16_t *plane, std::size_t at, int depth)
{
    std::uint16_t word;
    std::memcpy(&word, plane + at, sizeof word);
    return word & ((1 << depth) - 1);
}

WideTerms wideTerms(int u, int v, int scale)
{
    using namespace yuvcoefficients;
    return { redFromV * scale * v + wideRedOffset,
        greenFromU * scale * u + greenFromV * scale * v + wideGreenOffset,
        blueFromU * scale * u + wideBlueOffset };
}

std::uint8_t wideChannel(int luma, int term)
{
    const int value = (luma + term) >> yuvcoefficients::wideShift;
    return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

void convertWidePixel(const std::uint16_t *y, const RowTargets &out, std::size_t at,
    std::uint32_t *picture, const WideTerms &t, int depth)
{
    const int luma
        = yuvcoefficients::lumaFactor * yuvcoefficients::wideScale(depth) * wordAt(y, at, depth);
    const std::uint8_t r = wideChannel(luma, t.r);
    const std::uint8_t g = wideChannel(luma, t.g);
    const std::uint8_t b = wideChannel(luma, t.b);
    out.r[at] = r;
    out.g[at] = g;
    out.b[at] = b;
    if (picture)
        *picture = rgb32Pixel(r, g, b);
}

// As convertRowsScalar.
void convertWideRowsScalar(const std::uint16_t *y, const std::uint16_t *u, const std::uint16_t *v,
    const RowTargets &out, std::size_t width, std::size_t rows, std::size_t from, int depth)
{
    const int scale = yuvcoefficients::wideScale(depth);
    for (std::size_t x = from; x < width; x += 2) {
        const WideTerms t = wideTerms(wordAt(u, x / 2, depth), wordAt(v, x / 2, depth), scale);
        for (std::size_t row = 0; row < rows; ++row) {
            const std::size_t at = row * width + x;
            std::uint32_t *pixels
                = out.picture ? out.picture + row * out.pictureStride + x : nullptr;
            convertWidePixel(y, out, at, pixels, t, depth);
            convertWidePixel(y, out, at + 1, pixels ? pixels + 1 : nullptr, t, depth);
        }
    }
}

// As convertRowScalar444.
void convertWideRowScalar444(const std::uint16_t *y, const std::uint16_t *u, const std::uint16_t *v,
    const RowTargets &out, std::size_t width, std::size_t from, int depth)
{
    const int scale = yuvcoefficients::wideScale(depth);
    for (std::size_t x = from; x < width; ++x)
        convertWidePixel(y, out, x, out.picture ? out.picture + x : nullptr,
            wideTerms(wordAt(u, x, depth), wordAt(v, x, depth), scale), depth);
}

RowKernels pickRowKernels()
{
#if defined(ZENTAVO_X86_KERNELS)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2"))
        return { convertRowsAvx2, convertRowsAvx2Streaming, convertRows444Avx2,
            convertRows444Avx2Streaming };
    return { convertRowsSse2, convertRowsSse2Streaming, convertRows444Sse2,
        convertRows444Sse2Streaming };
#else
    return { convertRowsNone, convertRowsNone, convertRowsNone, convertRowsNone };
#endif
}

WideRowKernels pickWideRowKernels()
{
#if defined(ZENTAVO_X86_KERNELS)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2"))
        return { convertWideRowsAvx2, convertWideRowsAvx2Streaming, convertWideRows444Avx2,
            convertWideRows444Avx2Streaming };
    return { convertWideRowsSse2, convertWideRowsSse2Streaming, convertWideRows444Sse2,
        convertWideRows444Sse2Streaming };
#else
    return { convertWideRowsNone, convertWideRowsNone, convertWideRowsNone, convertWideRowsNone };
#endif
}

// Of one instruction set's kernels (RowKernels or WideRowKernels), the one for the frame.
template <class Kernels>
auto kernelFor(const Kernels &kernels, int width, int height, PictureRows picture, bool ownChroma)
{
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    // The three colour planes and the picture's four bytes.
    const std::size_t written = pixels * (3 + (picture.bits ? 4 : 0));
    if (ownChroma)
        return writesAroundCache(written) ? kernels.streaming444 : kernels.cached444;
    return writesAroundCache(written) ? kernels.streaming : kernels.cached;
}

RowKernel kernelFor(int width, int height, PictureRows picture, bool ownChroma = false)
{
    return kernelFor(bestRowKernels(), width, height, picture, ownChroma);
}

RowTargets targetsAt(std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, PictureRows picture,
    std::size_t luma, std::size_t row)
{
    RowTargets out { r + luma, g + luma, b + luma };
    if (picture.bits) {
        out.picture = reinterpret_cast<std::uint32_t *>(picture.bits + picture.stride * row);
        out.pictureStride = static_cast<std::size_t>(picture.stride) / sizeof(std::uint32_t);
    }
    return out;
}

// The frame, `shared` luma rows at a time against the one chroma row they share (2 in
// 4:2:0, 1 in 4:2:2). `pass` converts them: the row kernel as far as it goes, the
// portable loop for the rest.
template <class Sample, class Pass>
void convertRows(Pass pass, std::size_t shared, const Sample *y, const Sample *u, const Sample *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height, PictureRows picture)
{
    const std::size_t w = static_cast<std::size_t>(width);
    for (std::size_t i = 0; i + shared <= static_cast<std::size_t>(height); i += shared) {
        const std::size_t luma = i * w;
        const std::size_t chroma = (i / shared) * (w / 2);
        pass(y + luma, u + chroma, v + chroma, targetsAt(r, g, b, picture, luma, i), shared);
    }
}

// One luma row at a time against chroma rows of width samples, chromaStep samples apart:
// width for 4:4:4, 0 for one row that every line shares.
template <class Sample, class Pass>
void convertOwnChromaRows(Pass pass, std::size_t chromaStep, const Sample *y, const Sample *u,
    const Sample *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    PictureRows picture)
{
    const std::size_t w = static_cast<std::size_t>(width);
    for (std::size_t i = 0; i < static_cast<std::size_t>(height); ++i) {
        const std::size_t luma = i * w;
        const std::size_t chroma = i * chromaStep;
        pass(y + luma, u + chroma, v + chroma, targetsAt(r, g, b, picture, luma, i), 1);
    }
}

auto halvedPass(RowKernel kernel, int width)
{
    const std::size_t w = static_cast<std::size_t>(width);
    return [kernel, w](const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
               const RowTargets &out, std::size_t rows) {
        const std::size_t done = kernel(y, u, v, out, w, rows);
        convertRowsScalar(y, u, v, out, w, rows, done);
    };
}

auto ownChromaPass(RowKernel kernel, int width)
{
    const std::size_t w = static_cast<std::size_t>(width);
    return [kernel, w](const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
               const RowTargets &out, std::size_t rows) {
        const std::size_t done = kernel(y, u, v, out, w, rows);
        convertRowScalar444(y, u, v, out, w, done);
    };
}

auto wideHalvedPass(WideRowKernel kernel, int width, int depth)
{
    const std::size_t w = static_cast<std::size_t>(width);
    return [kernel, w, depth](const std::uint16_t *y, const std::uint16_t *u,
               const std::uint16_t *v, const RowTargets &out, std::size_t rows) {
        const std::size_t done = kernel(y, u, v, out, w, rows, depth);
        convertWideRowsScalar(y, u, v, out, w, rows, done, depth);
    };
}

auto wideOwnChromaPass(WideRowKernel kernel, int width, int depth)
{
    const std::size_t w = static_cast<std::size_t>(width);
    return [kernel, w, depth](const std::uint16_t *y, const std::uint16_t *u,
               const std::uint16_t *v, const RowTargets &out, std::size_t rows) {
        const std::size_t done = kernel(y, u, v, out, w, rows, depth);
        convertWideRowScalar444(y, u, v, out, w, done, depth);
    };
}

bool ownsChroma(Subsampling chroma)
{
    return chroma == Subsampling::Yuv444 || chroma == Subsampling::None;
}

} // namespace

RowKernels bestRowKernels()
{
    // Chosen once, on first use: one binary runs on every x86-64 processor.
    static const RowKernels kernels = pickRowKernels();
    return kernels;
}

std::size_t convertRowsNone(const std::uint8_t *, const std::uint8_t *, const std::uint8_t *,
    const RowTargets &, std::size_t, std::size_t)
{
    return 0;
}

WideRowKernels bestWideRowKernels()
{
    static const WideRowKernels kernels = pickWideRowKernels();
    return kernels;
}

std::size_t convertWideRowsNone(const std::uint16_t *, const std::uint16_t *, const std::uint16_t *,
    const RowTargets &, std::size_t, std::size_t, int)
{
    return 0;
}

void convertWideToRgbWith(WideRowKernel kernel, Subsampling chroma, int depth,
    const std::uint16_t *y, const std::uint16_t *u, const std::uint16_t *v, std::uint8_t *r,
    std::uint8_t *g, std::uint8_t *b, int width, int height, PictureRows picture)
{
    switch (chroma) {
    case Subsampling::Yuv420:
    case Subsampling::Yuv422:
        convertRows(wideHalvedPass(kernel, width, depth), chroma == Subsampling::Yuv420 ? 2 : 1, y,
            u, v, r, g, b, width, height, picture);
        return;
    case Subsampling::Yuv444:
    case Subsampling::None:
        convertOwnChromaRows(wideOwnChromaPass(kernel, width, depth),
            chroma == Subsampling::None ? 0 : static_cast<std::size_t>(width), y, u, v, r, g, b,
            width, height, picture);
        return;
    }
}

void convertWideToRgb(Subsampling chroma, int depth, const std::uint16_t *y, const std::uint16_t *u,
    const std::uint16_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width,
    int height, PictureRows picture)
{
    const WideRowKernel kernel
        = kernelFor(bestWideRowKernels(), width, height, picture, ownsChroma(chroma));
    convertWideToRgbWith(kernel, chroma, depth, y, u, v, r, g, b, width, height, picture);
}

void convertYuv420ToRgbWith(RowKernel kernel, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    PictureRows picture)
{
    convertRows(halvedPass(kernel, width), 2, y, u, v, r, g, b, width, height, picture);
}

void convertYuv422ToRgbWith(RowKernel kernel, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    PictureRows picture)
{
    convertRows(halvedPass(kernel, width), 1, y, u, v, r, g, b, width, height, picture);
}

void convertYuv444ToRgbWith(RowKernel kernel, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    PictureRows picture)
{
    convertOwnChromaRows(ownChromaPass(kernel, width), static_cast<std::size_t>(width), y, u, v, r,
        g, b, width, height, picture);
}

void convertYuv420ToRgb(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height, PictureRows picture)
{
    convertYuv420ToRgbWith(
        kernelFor(width, height, picture), y, u, v, r, g, b, width, height, picture);
}

void convertYuv422ToRgb(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height, PictureRows picture)
{
    convertYuv422ToRgbWith(
        kernelFor(width, height, picture), y, u, v, r, g, b, width, height, picture);
}

void convertYuv444ToRgb(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height, PictureRows picture)
{
    convertYuv444ToRgbWith(
        kernelFor(width, height, picture, true), y, u, v, r, g, b, width, height, picture);
}

void convertFrame(
    std::int32_t format, std::int32_t width, std::int32_t height, const FramePlanes &planes)
{
    const FramePlanes &p = planes;
    const SampleLayout &layout = layoutOrYuv420p(format);
    if (layout.depth > 8) {
        const auto words = [](const std::uint8_t *plane) {
            return reinterpret_cast<const std::uint16_t *>(plane);
        };
        convertWideToRgb(layout.subsampling, layout.depth, words(p.y), words(p.u), words(p.v), p.r,
            p.g, p.b, width, height, p.picture);
        return;
    }
    switch (layout.subsampling) {
    case Subsampling::Yuv420:
        convertYuv420ToRgb(p.y, p.u, p.v, p.r, p.g, p.b, width, height, p.picture);
        return;
    case Subsampling::Yuv422:
        convertYuv422ToRgb(p.y, p.u, p.v, p.r, p.g, p.b, width, height, p.picture);
        return;
    case Subsampling::Yuv444:
        convertYuv444ToRgb(p.y, p.u, p.v, p.r, p.g, p.b, width, height, p.picture);
        return;
    case Subsampling::None:
        break;
    }
    // The one chroma row of 128 serves every line.
    convertOwnChromaRows(ownChromaPass(kernelFor(width, height, p.picture, true), width), 0, p.y,
        p.u, p.v, p.r, p.g, p.b, width, height, p.picture);
}
