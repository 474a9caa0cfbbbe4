#pragma once

#include <cstdint>

// Size arithmetic of a zoomed video window.

struct WindowSize
{
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Pixels the window adds on each axis around the picture.
constexpr std::int32_t pictureMargin = 5;

// False when the two scales differ by 10 percentage points or less (the difference
// truncated toward zero): the presets lie at least 13 points apart, so only a
// repeat of the zoom in force is dropped.
bool isZoomChange(double currentFactor, double requestedFactor);

// The picture scaled by `factor`, each side truncated, plus the margin.
WindowSize zoomedWindowSize(double factor, std::int32_t width, std::int32_t height);

// `size` limited on each axis to `available`, the usable area of the screen.
WindowSize limitedTo(WindowSize size, WindowSize available);

// The start of a box of `length` at `start`, moved as little as possible to lie within
// [begin, end); `begin` when the box is longer than that.
std::int32_t keptInside(
    std::int32_t start, std::int32_t length, std::int32_t begin, std::int32_t end);
