#pragma once

#include "videoparameters.h"

#include <cstdint>
#include <string>

class TempDir;

// Generated raw clips in the Hash pattern of clippatterns.h: every byte is known and depends
// on both the frame and the position, so a wrong offset, plane or frame shows up as wrong bytes.
namespace testclips {

enum class Plane { Y, U, V };

// The byte at offset (counted from the start of the frame) of frame `frame`.
std::uint8_t clipByte(std::int32_t frame, std::int64_t offset);

// The sample at (x, y) of a plane of frame `frame` in a clip written by writeClip;
// chroma coordinates are in chroma samples (w/2 per row).
std::uint8_t clipSample(std::int32_t format, std::int32_t width, std::int32_t height,
    std::int32_t frame, Plane plane, std::int32_t x, std::int32_t y);

// Writes `frames` whole frames of clipByte content; false on any I/O error.
bool writeClip(const std::string &path, std::int32_t format, std::int32_t width,
    std::int32_t height, std::int32_t frames);

// Writes a clip named `name` into dir and describes it as the dialog would (speed 25);
// aborts the test program when the clip cannot be written.
VideoParameters writeClip(const TempDir &dir, const std::string &name, std::int32_t format,
    std::int32_t width, std::int32_t height, std::int32_t frames);

// Fills a buffer with the bytes that frame `frame` holds from `offset` on.
void fillClipBytes(std::uint8_t *dest, std::size_t size, std::int32_t frame, std::int64_t offset);

} // namespace testclips
