#pragma once

#include <cstdint>

// The grid choices of the main window ("none", "4x4", "8x8", "16x16", "32x32"), by
// their index in its combo box. One table serves both directions.

constexpr std::int32_t gridChoiceCount = 5;

// The grid step in pixels that a choice stands for; 0 for "none" and out-of-range
// indices (a combo box without a current item reports -1).
std::int32_t gridStepForChoice(std::int32_t choice);

// The step that the grid controls give: the choice's step when the box is checked,
// otherwise 0.
std::int32_t gridStepForControls(std::int32_t choice, bool enabled);

// The choice whose step is `step`; 0 ("none") for steps no choice gives.
std::int32_t gridChoiceForStep(std::int32_t step);
