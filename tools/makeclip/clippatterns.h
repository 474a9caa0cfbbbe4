#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Raw clips of known content, written without Qt: the sample clip for people to open
// and the clips that tests and benchmarks read back.
namespace clips {

enum class Pattern {
    // Every byte depends on frame and offset, so a wrong offset, plane or frame shows up.
    Hash,
    // Scrolling colour bars, a bouncing white square and the frame number: made for eyes.
    TestCard
};

// The byte at `offset` (counted from the start of the frame) of frame `frame` of a Hash clip.
std::uint8_t hashByte(std::int32_t frame, std::int64_t offset);

// Fills a buffer with the Hash bytes that frame `frame` holds from `offset` on.
void fillHashBytes(std::uint8_t *dest, std::size_t size, std::int32_t frame, std::int64_t offset);

// Writes one whole TestCard frame (frameSize bytes) of an even-sized YV12 or 4:2:2 clip.
void fillTestCard(std::uint8_t *dest, std::int32_t format, std::int32_t width, std::int32_t height,
    std::int32_t frame);

// Writes `frames` whole frames; false on any I/O error, and for a TestCard whose size
// the Open dialog would refuse.
bool writeClip(const std::string &path, Pattern pattern, std::int32_t format, std::int32_t width,
    std::int32_t height, std::int32_t frames);

} // namespace clips
