#pragma once

#include "cachelineallocator.h"
#include "frameloader.h"

#include <cstdint>
#include <vector>

// The six planes of one frame, sized for a format and frame size, as a video
// window would own them: Y, U and V in bytes or 16-bit words, as the format stores them.
class FrameBuffers
{
public:
    FrameBuffers(std::int32_t format, std::int32_t width, std::int32_t height);

    FramePlanes planes();
    // Sets every sample of all six planes, so a byte left unwritten is visible.
    void fill(std::uint8_t value);

    std::int32_t width;
    std::int32_t height;
    SamplePlane y, u, v, r, g, b;
};
