#include "yuvconvert.h"

#include "yuvrowkernel.h"

#include <cstddef>

namespace {

// The same 16-bit evaluation as the vector kernels (derivation in yuvsimd.h),
// one pixel pair at a time: for the last pixels of a row, and for processors
// without a vector kernel, where the compiler may still vectorise it.
using Lane = std::int16_t;

struct PairTerms
{
    Lane rWhole, rFraction, gWhole, gFraction, bWhole, bFraction;
};

PairTerms pairTerms(std::uint8_t u, std::uint8_t v)
{
    const int d = u - 128;
    const int e = v - 128;
    const int luma42Offset = 128 - 42 * 16;
    return { static_cast<Lane>(e - 16), static_cast<Lane>(153 * e + luma42Offset),
        static_cast<Lane>(-16 - e), static_cast<Lane>(-100 * d + 48 * e + luma42Offset),
        static_cast<Lane>(2 * d - 16), static_cast<Lane>(4 * d + luma42Offset) };
}

std::uint8_t channel(Lane luma, Lane luma42, Lane whole, Lane fraction)
{
    const Lane shifted = static_cast<Lane>(static_cast<Lane>(luma42 + fraction) >> 8);
    const Lane value = static_cast<Lane>(luma + whole + shifted);
    return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

void convertPixel(const std::uint8_t *y, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b,
    std::size_t x, const PairTerms &t)
{
    const Lane luma = y[x];
    const Lane luma42 = static_cast<Lane>(42 * luma);
    r[x] = channel(luma, luma42, t.rWhole, t.rFraction);
    g[x] = channel(luma, luma42, t.gWhole, t.gFraction);
    b[x] = channel(luma, luma42, t.bWhole, t.bFraction);
}

// Same contract as a RowKernel, from pixel `from` (even) to the end of the rows.
void convertRowsScalar(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, std::size_t width, std::size_t rows,
    std::size_t from)
{
    for (std::size_t x = from; x < width; x += 2) {
        const PairTerms t = pairTerms(u[x / 2], v[x / 2]);
        for (std::size_t row = 0; row < rows; ++row) {
            const std::size_t at = row * width;
            convertPixel(y + at, r + at, g + at, b + at, x, t);
            convertPixel(y + at, r + at, g + at, b + at, x + 1, t);
        }
    }
}

RowKernel pickRowKernel()
{
#if defined(ZENTAVO_X86_KERNELS)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2"))
        return convertRowsAvx2;
    return convertRowsSse2;
#else
    return convertRowsNone;
#endif
}

// Chosen once, on first use: one binary runs on every x86-64 processor.
RowKernel rowKernel()
{
    static const RowKernel kernel = pickRowKernel();
    return kernel;
}

} // namespace

std::size_t convertRowsNone(const std::uint8_t *, const std::uint8_t *, const std::uint8_t *,
    std::uint8_t *, std::uint8_t *, std::uint8_t *, std::size_t, std::size_t)
{
    return 0;
}

void convertYuv420ToRgbWith(RowKernel kernel, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height)
{
    const std::size_t w = static_cast<std::size_t>(width);
    for (std::size_t i = 0; i + 1 < static_cast<std::size_t>(height); i += 2) {
        const std::size_t luma = i * w;
        const std::size_t chroma = (i / 2) * (w / 2);
        const std::size_t done
            = kernel(y + luma, u + chroma, v + chroma, r + luma, g + luma, b + luma, w, 2);
        convertRowsScalar(
            y + luma, u + chroma, v + chroma, r + luma, g + luma, b + luma, w, 2, done);
    }
}

void convertYuv422ToRgbWith(RowKernel kernel, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height)
{
    const std::size_t w = static_cast<std::size_t>(width);
    for (std::size_t i = 0; i < static_cast<std::size_t>(height); ++i) {
        const std::size_t luma = i * w;
        const std::size_t chroma = i * (w / 2);
        const std::size_t done
            = kernel(y + luma, u + chroma, v + chroma, r + luma, g + luma, b + luma, w, 1);
        convertRowsScalar(
            y + luma, u + chroma, v + chroma, r + luma, g + luma, b + luma, w, 1, done);
    }
}

void convertYuv420ToRgb(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height)
{
    convertYuv420ToRgbWith(rowKernel(), y, u, v, r, g, b, width, height);
}

void convertYuv422ToRgb(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height)
{
    convertYuv422ToRgbWith(rowKernel(), y, u, v, r, g, b, width, height);
}
