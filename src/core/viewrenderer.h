#pragma once

#include "frameplanes.h"
#include "picturerows.h"

#include <cstddef>
#include <cstdint>

// Writers of one view of a frame into 32-bit pixels 0xffRRGGBB (the layout of
// QImage::Format_RGB32), so the picture needs no conversion on its way to the screen.
// Precondition for all: width and height positive, and even where the format halves
// chroma along them; planes sized for them.

// The views of a frame, numbered as the video window's ComponentView.
enum class FrameView { Color, Y, U, V, R, G, B };

// The last stage of a frame's way: converts the Y, U and V planes into the R, G and B
// planes, then draws the view into planes.picture. The colour view's picture comes out
// of the conversion's own pass; the others are drawn from their plane after it. Any
// other view value draws nothing, and the result is false.
bool renderView(int view, std::int32_t format, std::int32_t width, std::int32_t height,
    const FramePlanes &planes);

enum class Primary { Red, Green, Blue };

// Pixel (x, y) = (s, s, s) with s the plane's sample at y * width + x; the plane holds the
// format's samples (bytes, or 16-bit words beyond 8 bits). A deeper sample v shows
// rounded to 8 bits, (v + 2^(s-1)) >> s with s = depth - 8, the few largest values, which
// round to 256, kept at 255; a word's bits above the depth are ignored.
void renderGrey(const std::uint8_t *plane, std::int32_t format, std::int32_t width,
    std::int32_t height, PictureRows out);

// A chroma plane in grey, each sample covering the pixels it colours: a 2x2 block
// for 4:2:0, a 2x1 block for 4:2:2 (w/2 samples per row, h rows), one pixel for 4:4:4,
// and for a format without chroma its one row on every line.
void renderChroma(const std::uint8_t *plane, std::int32_t format, std::int32_t width,
    std::int32_t height, PictureRows out);

// Pixel (x, y) = the sample in its own primary, the other two 0.
void renderPrimary(const std::uint8_t *plane, Primary primary, std::int32_t width,
    std::int32_t height, PictureRows out);
