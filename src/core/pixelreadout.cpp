#include "pixelreadout.h"

#include "samplelayout.h"
#include "zoomgeometry.h"

#include <cmath>

std::optional<PixelPosition> pixelAt(double x, double y, std::int32_t width, std::int32_t height)
{
    const double column = std::floor(x);
    const double line = std::floor(y);
    if (!(column >= 0 && column < width && line >= 0 && line < height))
        return std::nullopt;
    return PixelPosition { static_cast<std::int32_t>(column), static_cast<std::int32_t>(line) };
}

std::size_t chromaIndex(std::int32_t format, std::int32_t width, PixelPosition pixel)
{
    return chromaRowOf(format, pixel.y) * chromaRowLength(format, width)
        + chromaColumnOf(format, pixel.x);
}

namespace {

// The word's bits above the depth are not the sample's.
std::uint16_t sampleAt(const std::uint8_t *plane, std::int32_t format, std::size_t index)
{
    if (bytesPerSample(format) == 1)
        return plane[index];
    const auto word = reinterpret_cast<const std::uint16_t *>(plane)[index];
    return static_cast<std::uint16_t>(word & ((1u << sampleDepth(format)) - 1));
}

} // namespace

PixelSample samplePixel(
    const FramePlanes &planes, std::int32_t format, std::int32_t width, PixelPosition pixel)
{
    const std::size_t luma = static_cast<std::size_t>(pixel.y) * static_cast<std::size_t>(width)
        + static_cast<std::size_t>(pixel.x);
    const std::size_t chroma = chromaIndex(format, width, pixel);
    return { sampleAt(planes.y, format, luma), sampleAt(planes.u, format, chroma),
        sampleAt(planes.v, format, chroma), planes.r[luma], planes.g[luma], planes.b[luma] };
}

std::int32_t readoutStart(std::int32_t preferred, std::int32_t pointer, std::int32_t length,
    std::int32_t begin, std::int32_t end)
{
    const std::int32_t mirrored = pointer - (preferred - pointer) - length;
    return keptInside(preferred + length > end ? mirrored : preferred, length, begin, end);
}
