#pragma once

#include "picturerows.h"

#include <cstddef>
#include <cstdint>

// Writers of one view of a frame into 32-bit pixels 0xffRRGGBB (the layout of
// QImage::Format_RGB32), so the picture needs no conversion on its way to the screen.
// Precondition for all: width and height even and positive, planes sized for them.

enum class Primary { Red, Green, Blue };

// Pixel (x, y) = (r, g, b) from the three planes at y * width + x.
void renderColor(const std::uint8_t *r, const std::uint8_t *g, const std::uint8_t *b,
    std::int32_t width, std::int32_t height, PictureRows out);

// Pixel (x, y) = (s, s, s) with s the plane's sample at y * width + x.
void renderGrey(
    const std::uint8_t *plane, std::int32_t width, std::int32_t height, PictureRows out);

// A chroma plane in grey, each sample covering the pixels it colours: a 2x2 block
// for 4:2:0, a 2x1 block for the 4:2:2 layouts (w/2 samples per row, h rows).
void renderChroma(const std::uint8_t *plane, std::int32_t format, std::int32_t width,
    std::int32_t height, PictureRows out);

// Pixel (x, y) = the sample in its own primary, the other two 0.
void renderPrimary(const std::uint8_t *plane, Primary primary, std::int32_t width,
    std::int32_t height, PictureRows out);
