#include "zoompresets.h"

#include <cstdlib>

namespace {

constexpr std::int32_t positionsPerPreset = 10;

} // namespace

std::int32_t zoomPresetAt(std::int32_t position)
{
    std::int32_t index = position / positionsPerPreset;
    if (index < 0)
        index = 0;
    else if (index >= zoomPresetCount)
        index = zoomPresetCount - 1;
    return zoomPresets[index];
}

std::int32_t sliderPositionForZoom(std::int32_t percent)
{
    for (std::int32_t index = 0; index < zoomPresetCount; ++index) {
        if (zoomPresets[index] == percent)
            return index * positionsPerPreset;
    }
    return 0;
}

std::int32_t snappedZoomPosition(std::int32_t value, std::int32_t position, std::int32_t step)
{
    if (step <= 0)
        return position;
    if (std::abs(value - position) <= step / 2)
        return value;
    // Positions are never negative, so / rounds down and (p + step - 1) / step up.
    if (position > value)
        return (position + step - 1) / step * step;
    return position / step * step;
}
