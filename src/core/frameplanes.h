#pragma once

#include "picturerows.h"

#include <cstdint>

// The six planes of a frame, owned by the caller and sized with lumaPlaneBytes /
// chromaPlaneBytes for the video's format, and the picture that a view is drawn into
// (no bits: none). Layouts deeper than 8 bits keep Y, U and V in 16-bit words in host
// order, whose low sampleDepth bits are the sample: every stage ignores the bits above.
struct FramePlanes
{
    std::uint8_t *y = nullptr;
    std::uint8_t *u = nullptr;
    std::uint8_t *v = nullptr;
    std::uint8_t *r = nullptr;
    std::uint8_t *g = nullptr;
    std::uint8_t *b = nullptr;
    PictureRows picture = {};
};
