#pragma once

#include "frameformat.h"
#include "frameplanes.h"
#include "pixelreadout.h"

#include <array>
#include <cstdint>

// What "Show values" writes over a zoomed picture: the samples of a view, cell by cell.

// Values are written from this zoom up: a pixel is then 16 screen pixels wide, room for a
// 12-bit sample's four digits.
constexpr std::int32_t valuesZoomPercent = 1600;

// The pixels that one sample covers in `view`, and the values written over them, top to
// bottom. Y, R, G and B views: the pixel and its own value (R, G and B as the view shows
// them, 0 to 255). U and V views: the chroma block (2 x 2 pixels in 4:2:0, 2 x 1 in
// 4:2:2, the pixel in 4:4:4) and its sample, once. Colour view: the pixel and its Y, U
// and V, the chroma being the block's that colours it. Grey layouts write no chroma: U and
// V views nothing, the colour view Y alone. Y, U and V are as stored (up to 2^depth - 1).
struct ValueCell
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::array<std::uint16_t, 3> values {};
    std::int32_t count = 0;
};

// The cell of `view` that holds `pixel`, with the values of the frame on show; a count of
// 0 for a view that writes nothing. Precondition: the pixel lies inside the frame.
ValueCell valueCellAt(
    const FramePlanes &planes, const FrameFormat &format, int view, PixelPosition pixel);

// How many values a cell of `view` holds in `format` (0 to 3), and the largest of them,
// whose digits the text must find room for in every cell.
std::int32_t valueLines(const FrameFormat &format, int view);
std::uint16_t widestValue(const FrameFormat &format, int view);

// Whether black text reads better than white over a pixel 0xffRRGGBB: its luma
// (BT.601 weights, 299 : 587 : 114) is at least half of 255.
bool darkTextOver(std::uint32_t pixel);
