#include "yuvconvert.h"

#include "yuvrowkernel.h"

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <string>

#include <unistd.h>

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

void convertPixel(const std::uint8_t *y, const RowTargets &out, std::size_t at,
    std::uint32_t *picture, const PairTerms &t)
{
    const Lane luma = y[at];
    const Lane luma42 = static_cast<Lane>(42 * luma);
    const std::uint8_t r = channel(luma, luma42, t.rWhole, t.rFraction);
    const std::uint8_t g = channel(luma, luma42, t.gWhole, t.gFraction);
    const std::uint8_t b = channel(luma, luma42, t.bWhole, t.bFraction);
    out.r[at] = r;
    out.g[at] = g;
    out.b[at] = b;
    if (picture)
        *picture = 0xff000000u | std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | b;
}

// Same contract as a RowKernel, from pixel `from` (even) to the end of the rows.
void convertRowsScalar(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    const RowTargets &out, std::size_t width, std::size_t rows, std::size_t from)
{
    for (std::size_t x = from; x < width; x += 2) {
        const PairTerms t = pairTerms(u[x / 2], v[x / 2]);
        for (std::size_t row = 0; row < rows; ++row) {
            const std::size_t at = row * width + x;
            std::uint32_t *pixels
                = out.picture ? out.picture + row * out.pictureStride + x : nullptr;
            convertPixel(y, out, at, pixels, t);
            convertPixel(y, out, at + 1, pixels ? pixels + 1 : nullptr, t);
        }
    }
}

RowKernels pickRowKernels()
{
#if defined(ZENTAVO_X86_KERNELS)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2"))
        return { convertRowsAvx2, convertRowsAvx2Streaming };
    return { convertRowsSse2, convertRowsSse2Streaming };
#else
    return { convertRowsNone, convertRowsNone };
#endif
}

// The size of the largest cache that the kernel reports for the first processor, from
// sysfs: in a virtual machine the processor's own answer (sysconf) may be the host's.
std::size_t reportedCacheBytes()
{
    std::size_t largest = 0;
    for (int index = 0; index < 8; ++index) {
        const std::string name
            = "/sys/devices/system/cpu/cpu0/cache/index" + std::to_string(index) + "/size";
        std::ifstream file(name);
        std::size_t kilobytes = 0;
        char unit = 0;
        if (file >> kilobytes >> unit && unit == 'K')
            largest = std::max(largest, kilobytes * 1024);
    }
    return largest;
}

// The largest cache. A frame whose bytes fill half of it, or more, is written around it:
// its outputs would not stay there anyway, and a line stored through the cache is read
// first.
std::size_t cacheBytes()
{
    static const std::size_t bytes = [] {
        if (const std::size_t reported = reportedCacheBytes())
            return reported;
        const long size = ::sysconf(_SC_LEVEL3_CACHE_SIZE);
        return size > 0 ? static_cast<std::size_t>(size) : std::size_t { 8 } << 20;
    }();
    return bytes;
}

RowKernel kernelFor(int width, int height, std::size_t inputBytesPerPixel, PictureRows picture)
{
    const RowKernels kernels = bestRowKernels();
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    // Input, the three colour planes and the picture's four bytes.
    const std::size_t bytes = pixels * (inputBytesPerPixel + 3 + (picture.bits ? 4 : 0));
    return 2 * bytes > cacheBytes() ? kernels.streaming : kernels.cached;
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
    const std::size_t w = static_cast<std::size_t>(width);
    for (std::size_t i = 0; i + 1 < static_cast<std::size_t>(height); i += 2) {
        const std::size_t luma = i * w;
        const std::size_t chroma = (i / 2) * (w / 2);
        const RowTargets out = targetsAt(r, g, b, picture, luma, i);
        const std::size_t done = kernel(y + luma, u + chroma, v + chroma, out, w, 2);
        convertRowsScalar(y + luma, u + chroma, v + chroma, out, w, 2, done);
    }
}

void convertYuv422ToRgbWith(RowKernel kernel, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    PictureRows picture)
{
    const std::size_t w = static_cast<std::size_t>(width);
    for (std::size_t i = 0; i < static_cast<std::size_t>(height); ++i) {
        const std::size_t luma = i * w;
        const std::size_t chroma = i * (w / 2);
        const RowTargets out = targetsAt(r, g, b, picture, luma, i);
        const std::size_t done = kernel(y + luma, u + chroma, v + chroma, out, w, 1);
        convertRowsScalar(y + luma, u + chroma, v + chroma, out, w, 1, done);
    }
}

void convertYuv420ToRgb(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height, PictureRows picture)
{
    // 4:2:0 reads 1.5 bytes a pixel, rounded up.
    convertYuv420ToRgbWith(
        kernelFor(width, height, 2, picture), y, u, v, r, g, b, width, height, picture);
}

void convertYuv422ToRgb(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height, PictureRows picture)
{
    convertYuv422ToRgbWith(
        kernelFor(width, height, 2, picture), y, u, v, r, g, b, width, height, picture);
}
