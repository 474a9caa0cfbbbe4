#include "testclips.h"

#include "videoparameters.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace testclips {

std::uint8_t clipByte(std::int32_t frame, std::int64_t offset)
{
    // A multiplicative hash: neighbouring bytes and frames share no pattern.
    std::uint64_t x
        = (static_cast<std::uint64_t>(frame) << 40) ^ static_cast<std::uint64_t>(offset);
    x *= 0x9E3779B97F4A7C15ull;
    x ^= x >> 29;
    x *= 0xBF58476D1CE4E5B9ull;
    return static_cast<std::uint8_t>(x >> 56);
}

void fillClipBytes(std::uint8_t *dest, std::size_t size, std::int32_t frame, std::int64_t offset)
{
    for (std::size_t i = 0; i < size; ++i)
        dest[i] = clipByte(frame, offset + static_cast<std::int64_t>(i));
}

std::uint8_t clipSample(std::int32_t format, std::int32_t width, std::int32_t height,
    std::int32_t frame, Plane plane, std::int32_t x, std::int32_t y)
{
    const auto luma = static_cast<std::int64_t>(lumaPlaneSize(width, height));
    const auto chroma = static_cast<std::int64_t>(chromaPlaneSize(format, width, height));
    if (plane == Plane::Y)
        return clipByte(frame, std::int64_t { y } * width + x);
    const std::int64_t start = plane == Plane::U ? luma : luma + chroma;
    return clipByte(frame, start + std::int64_t { y } * (width / 2) + x);
}

bool writeClip(const std::string &path, std::int32_t format, std::int32_t width,
    std::int32_t height, std::int32_t frames)
{
    const std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(
        std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file)
        return false;
    const auto size = static_cast<std::size_t>(frameSize(format, width, height));
    std::vector<std::uint8_t> bytes(size);
    for (std::int32_t frame = 0; frame < frames; ++frame) {
        fillClipBytes(bytes.data(), size, frame, 0);
        if (std::fwrite(bytes.data(), 1, size, file.get()) != size)
            return false;
    }
    return std::fflush(file.get()) == 0;
}

} // namespace testclips
