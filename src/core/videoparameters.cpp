#include "videoparameters.h"

#include <limits>

namespace {

constexpr std::int64_t int32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t int32Min = std::numeric_limits<std::int32_t>::min();

SizeProblem dimensionProblem(std::int32_t value)
{
    if (value <= 0)
        return SizeProblem::NotPositive;
    // Too large first: making a 20001 even would not help.
    if (value > maxFrameDimension)
        return SizeProblem::TooLarge;
    if (value % 2 != 0)
        return SizeProblem::Odd;
    return SizeProblem::None;
}

} // namespace

SizeCheck checkFrameSize(std::int32_t width, std::int32_t height)
{
    if (const SizeProblem problem = dimensionProblem(width); problem != SizeProblem::None)
        return { SizeField::Width, problem };
    if (const SizeProblem problem = dimensionProblem(height); problem != SizeProblem::None)
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
    const std::int64_t size = isPlanar422(format) ? p * 2 : p + p / 2;
    if (size > int32Max || size < int32Min || p > int32Max || p < int32Min)
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
    const std::size_t luma = lumaPlaneSize(width, height);
    return isPlanar422(format) ? luma / 2 : luma / 4;
}
