#include "testclips.h"

#include "clippatterns.h"
#include "tempdir.h"

#include <cstdio>
#include <cstdlib>

namespace testclips {

std::uint8_t clipByte(std::int32_t frame, std::int64_t offset)
{
    return clips::hashByte(frame, offset);
}

void fillClipBytes(std::uint8_t *dest, std::size_t size, std::int32_t frame, std::int64_t offset)
{
    clips::fillHashBytes(dest, size, frame, offset);
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
    return clips::writeClip(path, clips::Pattern::Hash, format, width, height, frames);
}

VideoParameters writeClip(const TempDir &dir, const std::string &name, std::int32_t format,
    std::int32_t width, std::int32_t height, std::int32_t frames)
{
    VideoParameters parameters;
    parameters.path = dir.filePath(name);
    parameters.format = format;
    parameters.width = width;
    parameters.height = height;
    parameters.speed = 25;
    parameters.frameCount = frames;
    if (!writeClip(parameters.path, format, width, height, frames)) {
        std::fprintf(stderr, "cannot write the clip %s\n", parameters.path.c_str());
        std::abort();
    }
    return parameters;
}

} // namespace testclips
