#pragma once

#include <cstddef>
#include <cstdint>

// Row kernels behind convertYuv420ToRgb / convertYuv422ToRgb. Each converts
// `rows` luma rows (1, or 2 sharing the chroma row in 4:2:0), `width` apart in
// y, r, g and b, against one chroma row of width / 2 samples, from pixel 0 up to
// the largest multiple of its vector width, and returns that pixel count.
using RowKernel
    = std::size_t (*)(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
        std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, std::size_t width, std::size_t rows);

// Converts nothing: leaves every row to the portable pixel-pair loop.
std::size_t convertRowsNone(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, std::size_t width, std::size_t rows);

#if defined(ZENTAVO_X86_KERNELS)
std::size_t convertRowsSse2(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, std::size_t width, std::size_t rows);

// Only to be called where the processor has AVX2.
std::size_t convertRowsAvx2(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, std::size_t width, std::size_t rows);
#endif

// The frame conversions with a given row kernel, which the portable loop
// completes; convertYuv420ToRgb and convertYuv422ToRgb pass the best one for
// this processor. Tests use these to check every kernel on any machine.
void convertYuv420ToRgbWith(RowKernel kernel, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width,
    int height);
void convertYuv422ToRgbWith(RowKernel kernel, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width,
    int height);
