#pragma once

#include <cstdint>

// The zoom slider's presets: slider position p (0 to 100) stands for
// zoomPresets[p / 10] percent.

constexpr std::int32_t zoomPresetCount = 11;
constexpr std::int32_t zoomPresets[zoomPresetCount]
    = { 12, 25, 50, 75, 100, 150, 200, 400, 800, 1600, 3200 };

// The preset percentage at a slider position; positions outside 0 to 109 are
// limited to the first or last preset.
std::int32_t zoomPresetAt(std::int32_t position);

// The slider position of a preset percentage; 0 (the place of 12 %) for any other.
std::int32_t sliderPositionForZoom(std::int32_t percent);

// Where a drag from `value` to `position` leaves the handle: back at `value` when it
// moved half a step or less, otherwise at the next multiple of `step` in the
// direction of travel.
std::int32_t snappedZoomPosition(std::int32_t value, std::int32_t position, std::int32_t step);
