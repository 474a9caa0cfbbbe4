#pragma once

#include "frameplanes.h"

#include <cstdint>
#include <string>

// How much of a frame the file delivered. The planes keep their old samples
// after the last byte read, so a short read still converts what is there.
enum class LoadResult { Complete, Partial, Nothing };

// Whether the file opens for reading now: the question a loader will ask, which its
// permission bits do not answer (root reads every file, whatever its bits).
bool opensForReading(const std::string &path);

// Sets every sample of rows and columns 0, step, 2*step, ... to 200; nothing when step <= 0.
void markGrid(std::uint8_t *yPlane, std::int32_t width, std::int32_t height, std::int32_t step);

// The first stage of a frame's way, and its only I/O, for every layout stored as three
// planes one after the other: opens the file, reads frame frameIndex (at frameIndex *
// frame size, in 64-bit) straight into planes.y, .u and .v, as many bytes as the
// format's plane sizes say, and closes it. Precondition: checkFrameSize(width,
// height).ok() and frameIndex >= 0. An upcomingFrame of 0 or more is the frame that
// playback shows next: the kernel is told to read it ahead.
LoadResult readPlanarFrame(const std::string &path, std::int32_t format, std::int32_t width,
    std::int32_t height, std::int32_t frameIndex, const FramePlanes &planes,
    std::int32_t upcomingFrame = -1);
