#pragma once

#include "cachelineallocator.h"

#include <cstdint>
#include <vector>

// The seven views written the plain way, one pixel from the formula, to check the
// fast renderers and the window's picture against.
namespace viewreference {

enum View { Color, Y, U, V, R, G, B };

// Y, U and V in bytes, or in 16-bit words for layouts deeper than 8 bits.
struct Planes
{
    SamplePlane y, u, v, r, g, b;
};

// 0xffRRGGBB of pixel (x, y) of the view; chroma views pick the sample that the
// conversion pairs with the pixel, and deeper samples show rounded to 8 bits.
std::uint32_t pixel(const Planes &planes, View view, std::int32_t format, std::int32_t width,
    std::int32_t x, std::int32_t y);

} // namespace viewreference
