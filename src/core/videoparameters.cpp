#include "videoparameters.h"

#include "samplelayout.h"

#include <limits>

namespace {

constexpr std::int64_t int32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t int32Min = std::numeric_limits<std::int32_t>::min();

SizeProblem dimensionProblem(std::int32_t value, bool mustBeEven = true)
{
    if (value <= 0)
        return SizeProblem::NotPositive;
    // Too large first: making a 20001 even would not help.
    if (value > maxFrameDimension)
        return SizeProblem::TooLarge;
    if (mustBeEven && value % 2 != 0)
        return SizeProblem::Odd;
    return SizeProblem::None;
}

// File bytes of one frame per luma sample, in halves: 3 for p + p/2, and so on.
std::int64_t halfBytesPerPixel(Subsampling subsampling)
{
    switch (subsampling) {
    case Subsampling::Yuv420:
        return 3;
    case Subsampling::Yuv422:
        return 4;
    case Subsampling::Yuv444:
        return 6;
    case Subsampling::None:
        break;
    }
    return 2;
}

} // namespace

SizeCheck checkFrameSize(std::int32_t width, std::int32_t height)
{
    return checkFrameSize(YV12, width, height);
}

SizeCheck checkFrameSize(std::int32_t format, std::int32_t width, std::int32_t height)
{
    const SampleLayout &layout = layoutOrYuv420p(format);
    const bool dialogs = layout.format == YV12 || layout.format == UYVY;
    const bool evenWidth = dialogs || halvesChromaAcross(layout.format);
    const bool evenHeight = dialogs || layout.subsampling == Subsampling::Yuv420;
    if (const SizeProblem problem = dimensionProblem(width, evenWidth);
        problem != SizeProblem::None)
        return { SizeField::Width, problem };
    if (const SizeProblem problem = dimensionProblem(height, evenHeight);
        problem != SizeProblem::None)
        return { SizeField::Height, problem };
    return {};
}

bool isPlanar422(std::int32_t format)
{
    return format == UYVY || format == Planar422;
}

std::int32_t frameSize(std::int32_t format, std::int32_t width, std::int32_t height)
{
    // 64-bit so that unchecked sizes cannot overflow; a size that a 32-bit
    // computation could not hold is reported as 0, which no caller divides by.
    const std::int64_t p = std::int64_t { width } * height;
    // Refused before it is multiplied again: two int32 extremes make a p that
    // three bytes per pixel would take past 64 bits.
    if (p > int32Max || p < int32Min)
        return 0;
    // p + p/2 rather than 3p/2: the 4:2:0 size of an odd p stays what it always was.
    const std::int64_t halves = halfBytesPerPixel(layoutOrYuv420p(format).subsampling);
    const std::int64_t size = (p * (halves / 2) + (halves % 2 != 0 ? p / 2 : 0))
        * static_cast<std::int64_t>(bytesPerSample(format));
    if (size > int32Max || size < int32Min)
        return 0;
    return static_cast<std::int32_t>(size);
}

std::int32_t frameCount(std::int64_t fileSize, std::int32_t frameSize)
{
    if (frameSize <= 0 || fileSize <= 0)
        return 0;
    const std::int64_t count = fileSize / frameSize;
    return static_cast<std::int32_t>(count > int32Max ? int32Max : count);
}

std::size_t lumaPlaneSize(std::int32_t width, std::int32_t height)
{
    if (width <= 0 || height <= 0)
        return 0;
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

std::size_t chromaPlaneSize(std::int32_t format, std::int32_t width, std::int32_t height)
{
    if (lumaPlaneSize(width, height) == 0)
        return 0;
    return chromaRowLength(format, width) * chromaRows(format, height);
}

std::size_t lumaPlaneBytes(std::int32_t format, std::int32_t width, std::int32_t height)
{
    return lumaPlaneSize(width, height) * bytesPerSample(format);
}

std::size_t chromaPlaneBytes(std::int32_t format, std::int32_t width, std::int32_t height)
{
    return chromaPlaneSize(format, width, height) * bytesPerSample(format);
}

std::string speedText(std::int32_t speed, std::int32_t divisor)
{
    if (divisor <= 1 || speed < 0)
        return std::to_string(speed);
    // Thousandths, rounded half up, in 64 bits: speed * 2000 passes 32.
    const std::int64_t thousandths
        = (std::int64_t { speed } * 2000 + divisor) / (2 * std::int64_t { divisor });
    std::string text = std::to_string(thousandths / 1000);
    std::string fraction = std::to_string(1000 + thousandths % 1000).substr(1);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    return fraction.empty() ? text : text + "." + fraction;
}
