#include "yuvconvert.h"

#include "samplelayout.h"
#include "streamingstores.h"
#include "videoparameters.h"
#include "yuvcoefficients.h"
#include "yuvrowkernel.h"

#include <cstddef>

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

RowKernel kernelFor(int width, int height, PictureRows picture, bool ownChroma = false)
{
    const RowKernels kernels = bestRowKernels();
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    // The three colour planes and the picture's four bytes.
    const std::size_t written = pixels * (3 + (picture.bits ? 4 : 0));
    if (ownChroma)
        return writesAroundCache(written) ? kernels.streaming444 : kernels.cached444;
    return writesAroundCache(written) ? kernels.streaming : kernels.cached;
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
// 4:2:0, 1 in 4:2:2): the row kernel as far as it goes, the portable loop for the rest.
void convertRows(RowKernel kernel, std::size_t shared, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    PictureRows picture)
{
    const std::size_t w = static_cast<std::size_t>(width);
    for (std::size_t i = 0; i + shared <= static_cast<std::size_t>(height); i += shared) {
        const std::size_t luma = i * w;
        const std::size_t chroma = (i / shared) * (w / 2);
        const RowTargets out = targetsAt(r, g, b, picture, luma, i);
        const std::size_t done = kernel(y + luma, u + chroma, v + chroma, out, w, shared);
        convertRowsScalar(y + luma, u + chroma, v + chroma, out, w, shared, done);
    }
}

// One luma row at a time against chroma rows of width samples, chromaStep samples apart:
// width for 4:4:4, 0 for one row that every line shares.
void convertOwnChromaRows(RowKernel kernel, std::size_t chromaStep, const std::uint8_t *y,
    const std::uint8_t *u, const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b,
    int width, int height, PictureRows picture)
{
    const std::size_t w = static_cast<std::size_t>(width);
    for (std::size_t i = 0; i < static_cast<std::size_t>(height); ++i) {
        const std::size_t luma = i * w;
        const std::size_t chroma = i * chromaStep;
        const RowTargets out = targetsAt(r, g, b, picture, luma, i);
        const std::size_t done = kernel(y + luma, u + chroma, v + chroma, out, w, 1);
        convertRowScalar444(y + luma, u + chroma, v + chroma, out, w, done);
    }
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

void convertYuv420ToRgbWith(RowKernel kernel, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    PictureRows picture)
{
    convertRows(kernel, 2, y, u, v, r, g, b, width, height, picture);
}

void convertYuv422ToRgbWith(RowKernel kernel, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    PictureRows picture)
{
    convertRows(kernel, 1, y, u, v, r, g, b, width, height, picture);
}

void convertYuv444ToRgbWith(RowKernel kernel, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    PictureRows picture)
{
    convertOwnChromaRows(
        kernel, static_cast<std::size_t>(width), y, u, v, r, g, b, width, height, picture);
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
    switch (layoutOrYuv420p(format).subsampling) {
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
    convertOwnChromaRows(kernelFor(width, height, p.picture, true), 0, p.y, p.u, p.v, p.r, p.g, p.b,
        width, height, p.picture);
}
