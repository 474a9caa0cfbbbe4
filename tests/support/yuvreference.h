#pragma once

#include <cstdint>

// Plain scalar conversions that read like the formula; the fast kernels in
// yuvconvert.h must match them byte for byte. Same arguments and preconditions.

struct Rgb
{
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

// One pixel, entirely in signed 32-bit arithmetic.
Rgb yuvToRgbReference(int y, int u, int v);

void convertYuv420ToRgbReference(const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width,
    int height);

void convertYuv422ToRgbReference(const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width,
    int height);
