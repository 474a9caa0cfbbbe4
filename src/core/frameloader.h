#pragma once

#include "picturerows.h"

#include <cstdint>
#include <string>

// The six planes a frame is loaded into, owned by the caller and sized with
// lumaPlaneSize / chromaPlaneSize for the video's format; and, when its bits are set,
// the picture that the conversion writes in the same pass.
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

// How much of a frame the file delivered. The planes keep their old samples
// after the last byte read, so a short read still converts what is there.
enum class LoadResult { Complete, Partial, Nothing };

// Whether the file opens for reading now: the question a loader will ask, which its
// permission bits do not answer (root reads every file, whatever its bits).
bool opensForReading(const std::string &path);

// Sets every sample of rows and columns 0, step, 2*step, ... to 200; nothing when step <= 0.
void markGrid(std::uint8_t *yPlane, std::int32_t width, std::int32_t height, std::int32_t step);

// Open, seek to frameIndex * frame size (64-bit), read Y, U, V straight into the
// planes, mark the grid, convert, close. Precondition: checkFrameSize(width, height).ok()
// and frameIndex >= 0. No handle or buffer survives the call. An upcomingFrame of 0 or
// more is the frame that playback shows next: the kernel is told to read it ahead.
LoadResult loadYV12Frame(const std::string &path, std::int32_t width, std::int32_t height,
    std::int32_t frameIndex, std::int32_t gridStep, const FramePlanes &planes,
    std::int32_t upcomingFrame = -1);
LoadResult loadPlanar422Frame(const std::string &path, std::int32_t width, std::int32_t height,
    std::int32_t frameIndex, std::int32_t gridStep, const FramePlanes &planes,
    std::int32_t upcomingFrame = -1);
