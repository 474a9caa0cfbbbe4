#include "pixelreadout.h"

#include "yuvconvert.h"
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

std::size_t chromaIndex(const FrameFormat &format, PixelPosition pixel)
{
    const auto x = static_cast<std::size_t>(pixel.x);
    return chromaRowFor(format, pixel.y) * format.chromaRowLength()
        + (format.halvesChromaAcross() ? x / 2 : x);
}

namespace {

// The word's bits above the depth are not the sample's.
std::uint16_t sampleAt(const std::uint8_t *plane, const FrameFormat &format, std::size_t index)
{
    if (format.bytesPerSample() == 1)
        return plane[index];
    const auto word = reinterpret_cast<const std::uint16_t *>(plane)[index];
    return static_cast<std::uint16_t>(word & ((1u << format.depth()) - 1));
}

} // namespace

PixelSample samplePixel(const FramePlanes &planes, const FrameFormat &format, PixelPosition pixel)
{
    const std::size_t luma
        = static_cast<std::size_t>(pixel.y) * static_cast<std::size_t>(format.width())
        + static_cast<std::size_t>(pixel.x);
    const std::size_t chroma = chromaIndex(format, pixel);
    const std::uint16_t y = sampleAt(planes.y, format, luma);
    const std::uint16_t u = sampleAt(planes.u, format, chroma);
    const std::uint16_t v = sampleAt(planes.v, format, chroma);
    const PixelColour colour = convertYuvPixel(
        y, u, v, format.depth(), yuvCoefficients(format.matrix(), format.range()));
    return { y, u, v, colour.r, colour.g, colour.b };
}

std::int32_t readoutStart(std::int32_t preferred, std::int32_t pointer, std::int32_t length,
    std::int32_t begin, std::int32_t end)
{
    const std::int32_t mirrored = pointer - (preferred - pointer) - length;
    return keptInside(preferred + length > end ? mirrored : preferred, length, begin, end);
}
