#pragma once

#include "frameformat.h"
#include "frameplanes.h"

#include <cstddef>
#include <cstdint>
#include <optional>

// What the pixel readout shows for a point of the picture.

struct PixelPosition
{
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// Y, U and V as the file stores them (up to 2^depth - 1); R, G and B as the colour view
// shows them.
struct PixelSample
{
    std::uint16_t y = 0;
    std::uint16_t u = 0;
    std::uint16_t v = 0;
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

// The frame pixel that contains the point (x, y) of the unscaled picture, or nothing
// when the point lies off the frame (the margin around it included).
std::optional<PixelPosition> pixelAt(double x, double y, std::int32_t width, std::int32_t height);

// Index of the chroma sample that the conversion pairs with pixel (x, y):
// (y/2)*(w/2) + x/2 for 4:2:0, y*(w/2) + x/2 for 4:2:2, y*w + x for 4:4:4, and x in
// the one chroma row of a format without chroma.
std::size_t chromaIndex(const FrameFormat &format, PixelPosition pixel);

// The pixel's Y, U and V from their planes, and its R, G and B converted from them as
// the conversion converts every pixel: the R, G and B planes are not read, and may be
// null. Precondition: the pixel lies inside the frame.
PixelSample samplePixel(const FramePlanes &planes, const FrameFormat &format, PixelPosition pixel);

// The readout box's 100 x 80 pixels, and where it sits from the window's corner plus the
// pointer's place in the picture.
constexpr std::int32_t readoutWidth = 100;
constexpr std::int32_t readoutHeight = 80;
// A difference's readout holds three values a line: both videos' and their difference.
constexpr std::int32_t differenceReadoutWidth = 140;
constexpr std::int32_t readoutOffsetX = 20;
constexpr std::int32_t readoutOffsetY = 50;

// Where the readout box of `length` starts along one axis: at `preferred`, its place
// beside the pointer, unless the box would cross `end`, the screen's far edge; then as
// far on the pointer's other side. Within [begin, end) either way.
std::int32_t readoutStart(std::int32_t preferred, std::int32_t pointer, std::int32_t length,
    std::int32_t begin, std::int32_t end);
