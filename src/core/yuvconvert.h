#pragma once

#include "frameplanes.h"
#include "picturerows.h"
#include "samplelayout.h"

#include <cstdint>

// BT.601 studio-range YUV to RGB in 8-bit fixed point (coefficients in yuvcoefficients.h).
// Precondition: width and height positive, and even where the chroma is halved along
// them; planes sized for them.

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

// 4:4:4: chroma planes of w x h; pixel (x, y) takes sample y*w + x.
void convertYuv444ToRgb(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    PictureRows picture = {});

// Samples of `depth` bits (10 or 12) in the low bits of 16-bit words, the bits above
// ignored, by the same formula widened to the depth (yuvcoefficients.h), into the same
// 8-bit planes and picture. Chroma planes as above for Yuv420, Yuv422 and Yuv444; for None, one
// chroma row of width samples that every line shares.
void convertWideToRgb(Subsampling chroma, int depth, const std::uint16_t *y, const std::uint16_t *u,
    const std::uint16_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width,
    int height, PictureRows picture = {});

// The frame's Y, U and V planes into its R, G and B planes, and into the picture in the
// same pass when the picture has bits, by the format's chroma (samplelayout.h); a format
// without chroma converts against its one chroma row, U = V = 128 * 2^(depth - 8).
// Formats of more than 8 bits hold 16-bit words in the planes.
void convertFrame(std::int32_t format, std::int32_t width, std::int32_t height,
    const FramePlanes &planes);
