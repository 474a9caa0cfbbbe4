#include "gridchoices.h"

namespace {

constexpr std::int32_t gridSteps[gridChoiceCount] = { 0, 4, 8, 16, 32 };

} // namespace

std::int32_t gridStepForChoice(std::int32_t choice)
{
    if (choice < 0 || choice >= gridChoiceCount)
        return 0;
    return gridSteps[choice];
}

std::int32_t gridStepForControls(std::int32_t choice, bool enabled)
{
    return enabled ? gridStepForChoice(choice) : 0;
}

std::int32_t gridChoiceForStep(std::int32_t step)
{
    for (std::int32_t choice = 0; choice < gridChoiceCount; ++choice) {
        if (gridSteps[choice] == step)
            return choice;
    }
    return 0;
}
