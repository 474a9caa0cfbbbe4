#pragma once

#include "frameformat.h"
#include "frameplanes.h"
#include "picturerows.h"

#include <cstddef>
#include <cstdint>

// Writers of one view of a frame into 32-bit pixels 0xffRRGGBB (the layout of
// QImage::Format_RGB32), so the picture needs no conversion on its way to the screen.
// Precondition for all: planes sized for the format.

// The views of a frame, numbered as the video window's ComponentView.
enum class FrameView { Color, Y, U, V, R, G, B };

// The last stage of a frame's way: draws the view into planes.picture. The colour view
// and the R, G and B views are one conversion pass straight into the picture, which keeps
// the view's channels; the Y, U and V views draw their plane and convert nothing. A caller
// that gives R, G and B planes (r, g and b all set) has every view convert the frame into
// them too, in the same pass where there is one. Any other view value draws nothing, and
// the result is false.
bool renderView(int view, const FrameFormat &format, const FramePlanes &planes);

enum class Primary { Red, Green, Blue };

// Pixel (x, y) = (s, s, s) with s the plane's sample at y * width + x; the plane holds the
// format's samples (bytes, or 16-bit words beyond 8 bits). A deeper sample v shows
// rounded to 8 bits, (v + 2^(s-1)) >> s with s = depth - 8, the few largest values, which
// round to 256, kept at 255; a word's bits above the depth are ignored.
void renderGrey(const std::uint8_t *plane, const FrameFormat &format, PictureRows out);

// A chroma plane in grey, each sample covering the pixels it colours: a 2x2 block
// for 4:2:0, a 2x1 block for 4:2:2 (w/2 samples per row, h rows), one pixel for 4:4:4,
// and for a format without chroma its one row on every line.
void renderChroma(const std::uint8_t *plane, const FrameFormat &format, PictureRows out);

// Pixel (x, y) = the sample in its own primary, the other two 0.
void renderPrimary(const std::uint8_t *plane, Primary primary, std::int32_t width,
    std::int32_t height, PictureRows out);
