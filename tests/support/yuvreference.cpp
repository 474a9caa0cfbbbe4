#include "yuvreference.h"

#include <cstddef>

namespace {

std::uint8_t clampToByte(int value)
{
    return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

// The shift of a negative value is arithmetic on every compiler we build with
// (and defined so from C++20): a division by 256 rounded towards minus infinity.
int shiftDown(int value)
{
    return value >> 8;
}

void convertPixel(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, std::size_t pixel, std::size_t chroma)
{
    const Rgb rgb = yuvToRgbReference(y[pixel], u[chroma], v[chroma]);
    r[pixel] = rgb.r;
    g[pixel] = rgb.g;
    b[pixel] = rgb.b;
}

// The 2x2 block walk. With chromaPerRow (4:2:2) each luma row takes its own
// chroma row; otherwise (4:2:0) both rows of a block share one.
void convertBlocks(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height, bool chromaPerRow)
{
    const std::size_t w = static_cast<std::size_t>(width);
    const std::size_t chromaWidth = w / 2;
    for (std::size_t i = 0; i < static_cast<std::size_t>(height); i += 2) {
        const std::size_t upperRow = chromaPerRow ? i * chromaWidth : (i / 2) * chromaWidth;
        const std::size_t lowerRow = chromaPerRow ? (i + 1) * chromaWidth : upperRow;
        for (std::size_t j = 0; j < w; j += 2) {
            const std::size_t upper = upperRow + j / 2;
            const std::size_t lower = lowerRow + j / 2;
            convertPixel(y, u, v, r, g, b, i * w + j, upper);
            convertPixel(y, u, v, r, g, b, i * w + j + 1, upper);
            convertPixel(y, u, v, r, g, b, (i + 1) * w + j, lower);
            convertPixel(y, u, v, r, g, b, (i + 1) * w + j + 1, lower);
        }
    }
}

} // namespace

Rgb yuvToRgbReference(int y, int u, int v)
{
    const int c = y - 16;
    const int d = u - 128;
    const int e = v - 128;
    return { clampToByte(shiftDown(298 * c + 409 * e + 128)),
        clampToByte(shiftDown(298 * c - 100 * d - 208 * e + 128)),
        clampToByte(shiftDown(298 * c + 516 * d + 128)) };
}

void convertYuv420ToRgbReference(const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height)
{
    convertBlocks(y, u, v, r, g, b, width, height, false);
}

void convertYuv422ToRgbReference(const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height)
{
    convertBlocks(y, u, v, r, g, b, width, height, true);
}
