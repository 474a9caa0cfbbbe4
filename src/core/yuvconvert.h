#pragma once

#include "picturerows.h"

#include <cstdint>

// BT.601 studio-range YUV to RGB in 8-bit fixed point, bit-exact with
// R = (298C + 409E + 128) >> 8, G = (298C - 100D - 208E + 128) >> 8,
// B = (298C + 516D + 128) >> 8, clamped to 0..255 (C = Y-16, D = U-128, E = V-128).
// Precondition: width and height even and positive; planes sized for them.

// With picture bits, the same pass also writes the picture's pixels, 0xffRRGGBB: the colour
// view costs no second pass over the planes.

// 4:2:0: chroma planes of (w/2) x (h/2); pixel (x, y) takes sample (y/2)*(w/2) + x/2.
void convertYuv420ToRgb(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    PictureRows picture = {});

// 4:2:2: chroma planes of (w/2) x h; pixel (x, y) takes sample y*(w/2) + x/2.
void convertYuv422ToRgb(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    PictureRows picture = {});
