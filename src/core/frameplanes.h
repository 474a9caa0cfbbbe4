#pragma once

#include "picturerows.h"

#include <cstdint>

// The six planes of a frame, owned by the caller and sized with lumaPlaneSize /
// chromaPlaneSize for the video's format, and the picture that a view is drawn into
// (no bits: none).
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
