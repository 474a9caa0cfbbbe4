#pragma once

#include <cstddef>
#include <cstdint>

// Where a picture of 32-bit pixels 0xffRRGGBB (the layout of QImage::Format_RGB32) is
// written: `bits` is the first row (4-byte aligned), `stride` the bytes from one row to
// the next (at least 4 * width). No bits: no picture.
struct PictureRows
{
    std::uint8_t *bits = nullptr;
    std::ptrdiff_t stride = 0;
};

// One pixel of such a picture: opaque, whatever the alpha byte is taken for.
constexpr std::uint32_t rgb32Pixel(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return 0xff000000u | std::uint32_t { r } << 16 | std::uint32_t { g } << 8 | b;
}
