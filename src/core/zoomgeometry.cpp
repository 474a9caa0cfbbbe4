#include "zoomgeometry.h"

#include <algorithm>

bool isZoomChange(double currentFactor, double requestedFactor)
{
    const auto points = static_cast<std::int64_t>(100.0 * currentFactor - 100.0 * requestedFactor);
    return points < -10 || points > 10;
}

WindowSize zoomedWindowSize(double factor, std::int32_t width, std::int32_t height)
{
    return { static_cast<std::int32_t>(factor * width) + pictureMargin,
        static_cast<std::int32_t>(factor * height) + pictureMargin };
}

WindowSize limitedTo(WindowSize size, WindowSize available)
{
    return { std::min(size.width, available.width), std::min(size.height, available.height) };
}

std::int32_t keptInside(
    std::int32_t start, std::int32_t length, std::int32_t begin, std::int32_t end)
{
    return std::max(begin, std::min(start, end - length));
}
