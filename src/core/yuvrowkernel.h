#pragma once

#include "picturerows.h"
#include "samplelayout.h"
#include "yuvcoefficients.h"
#include "yuvconvert.h"

#include <cstddef>
#include <cstdint>

// Where a row kernel writes one or two luma rows: the colour planes unless r, g and b are
// all null, and when `picture` is set the picture's rows (pixels 0xffRRGGBB of the
// channels it keeps), `pictureStride` pixels apart.
struct RowTargets
{
    std::uint8_t *r = nullptr;
    std::uint8_t *g = nullptr;
    std::uint8_t *b = nullptr;
    std::uint32_t *picture = nullptr;
    std::size_t pictureStride = 0;
    PictureChannels channels = {};
};

// Row kernels behind convertYuv420ToRgb / convertYuv422ToRgb. Each converts `rows` luma
// rows (1, or 2 sharing the chroma row in 4:2:0), `width` apart in y, r, g and b, against
// one chroma row of width / 2 samples, by the colour's coefficients, from pixel 0 up to
// the largest multiple of its vector width, and returns that pixel count. The 4:4:4
// kernels (convertRows444*) take a chroma row of width samples, one per pixel, and one
// luma row.
using RowKernel
    = std::size_t (*)(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
        const RowTargets &out, std::size_t width, std::size_t rows, const YuvCoefficients &colour);

// One instruction set's kernels: for chroma halved across, and for a chroma sample per
// pixel. All store through the cache: streaming stores around it were as fast or slower
// for the picture alone, and several times slower on some processors.
struct RowKernels
{
    RowKernel halvedChroma;
    RowKernel ownChroma;
};

// Converts nothing: leaves every row to the portable pixel-pair loop.
std::size_t convertRowsNone(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    const RowTargets &out, std::size_t width, std::size_t rows, const YuvCoefficients &colour);

#if defined(ZENTAVO_X86_KERNELS)
std::size_t convertRowsSse2(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    const RowTargets &out, std::size_t width, std::size_t rows, const YuvCoefficients &colour);

// Only to be called where the processor has AVX2.
std::size_t convertRowsAvx2(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    const RowTargets &out, std::size_t width, std::size_t rows, const YuvCoefficients &colour);

std::size_t convertRows444Sse2(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    const RowTargets &out, std::size_t width, std::size_t rows, const YuvCoefficients &colour);
std::size_t convertRows444Avx2(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    const RowTargets &out, std::size_t width, std::size_t rows, const YuvCoefficients &colour);
#endif

// The kernels that convertYuv420ToRgb and convertYuv422ToRgb use on this processor.
RowKernels bestRowKernels();

// The frame conversions with a given row kernel, which the portable loop completes, into
// the planes and the picture that are given (yuvconvert.h). Tests use these to check
// every kernel on any machine.
void convertYuv420ToRgbWith(RowKernel kernel, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    PictureRows picture = {}, PictureChannels channels = {},
    const YuvCoefficients &colour = bt601Limited);
void convertYuv422ToRgbWith(RowKernel kernel, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    PictureRows picture = {}, PictureChannels channels = {},
    const YuvCoefficients &colour = bt601Limited);
// With a 4:4:4 kernel.
void convertYuv444ToRgbWith(RowKernel kernel, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    PictureRows picture = {}, PictureChannels channels = {},
    const YuvCoefficients &colour = bt601Limited);

// The same for samples of `depth` bits (10 or 12) in 16-bit words, 0 .. 2^depth - 1:
// the kernels behind convertWideToRgb, with the same rows, widths and targets.
using WideRowKernel = std::size_t (*)(const std::uint16_t *y, const std::uint16_t *u,
    const std::uint16_t *v, const RowTargets &out, std::size_t width, std::size_t rows, int depth,
    const YuvCoefficients &colour);

struct WideRowKernels
{
    WideRowKernel halvedChroma;
    WideRowKernel ownChroma;
};

std::size_t convertWideRowsNone(const std::uint16_t *y, const std::uint16_t *u,
    const std::uint16_t *v, const RowTargets &out, std::size_t width, std::size_t rows, int depth,
    const YuvCoefficients &colour);

#if defined(ZENTAVO_X86_KERNELS)
std::size_t convertWideRowsSse2(const std::uint16_t *y, const std::uint16_t *u,
    const std::uint16_t *v, const RowTargets &out, std::size_t width, std::size_t rows, int depth,
    const YuvCoefficients &colour);
std::size_t convertWideRows444Sse2(const std::uint16_t *y, const std::uint16_t *u,
    const std::uint16_t *v, const RowTargets &out, std::size_t width, std::size_t rows, int depth,
    const YuvCoefficients &colour);

// Only to be called where the processor has AVX2.
std::size_t convertWideRowsAvx2(const std::uint16_t *y, const std::uint16_t *u,
    const std::uint16_t *v, const RowTargets &out, std::size_t width, std::size_t rows, int depth,
    const YuvCoefficients &colour);
std::size_t convertWideRows444Avx2(const std::uint16_t *y, const std::uint16_t *u,
    const std::uint16_t *v, const RowTargets &out, std::size_t width, std::size_t rows, int depth,
    const YuvCoefficients &colour);
#endif

// The kernels that convertWideToRgb uses on this processor.
WideRowKernels bestWideRowKernels();

// convertWideToRgb with a given kernel (a 4:4:4 one for Yuv444 and None), which the
// portable loop completes.
void convertWideToRgbWith(WideRowKernel kernel, Subsampling chroma, int depth,
    const std::uint16_t *y, const std::uint16_t *u, const std::uint16_t *v, std::uint8_t *r,
    std::uint8_t *g, std::uint8_t *b, int width, int height, PictureRows picture = {},
    PictureChannels channels = {}, const YuvCoefficients &colour = bt601Limited);

// Row kernels of the grey views (renderGrey, renderChroma): `samples` samples at `plane`,
// bytes, or 16-bit words of `depth` bits whose bits above it are ignored, as grey pixels
// 0xffGGGGGG, one pixel each or, doubled, two; a deeper sample v shows as
// (v + 2^(s-1)) >> s with s = depth - 8, at most 255. Each draws from sample 0 up to the
// largest multiple of its step and returns that count; the portable loop draws the rest.
using GreyRowKernel = std::size_t (*)(
    const std::uint8_t *plane, int depth, std::size_t samples, bool doubled, std::uint32_t *out);

// One instruction set's grey kernels: through the cache, and around it (streaming stores),
// which stores through the cache where `out` is not aligned to its vector width. The
// caller fences the streaming stores once after its last row: a fence after every row
// took the kernel from 0.9 to 1.3 ms at 3840 x 2160. Which way is faster is measured
// while drawing (streamingstores.h).
struct GreyRowKernels
{
    GreyRowKernel cached;
    GreyRowKernel streaming;
};

// Draws nothing: leaves every sample to the portable loop.
std::size_t greyRowNone(
    const std::uint8_t *plane, int depth, std::size_t samples, bool doubled, std::uint32_t *out);

#if defined(ZENTAVO_X86_KERNELS)
std::size_t greyRowSse2(
    const std::uint8_t *plane, int depth, std::size_t samples, bool doubled, std::uint32_t *out);
std::size_t greyRowSse2Streaming(
    const std::uint8_t *plane, int depth, std::size_t samples, bool doubled, std::uint32_t *out);
// Only to be called where the processor has AVX2.
std::size_t greyRowAvx2(
    const std::uint8_t *plane, int depth, std::size_t samples, bool doubled, std::uint32_t *out);
std::size_t greyRowAvx2Streaming(
    const std::uint8_t *plane, int depth, std::size_t samples, bool doubled, std::uint32_t *out);
#endif

// The grey row kernels that the views use on this processor.
GreyRowKernels bestGreyRowKernels();

// renderGrey and renderChroma with a given grey row kernel, which the portable loop
// completes. Tests use these to check every kernel on any machine.
void renderGreyWith(
    GreyRowKernel kernel, const std::uint8_t *plane, const FrameFormat &format, PictureRows out);
void renderChromaWith(
    GreyRowKernel kernel, const std::uint8_t *plane, const FrameFormat &format, PictureRows out);
