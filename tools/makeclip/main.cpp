#include "clippatterns.h"
#include "videoparameters.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr std::int32_t defaultWidth = 352;
constexpr std::int32_t defaultHeight = 288;
constexpr std::int32_t defaultFrames = 75;

int usage()
{
    std::fprintf(stderr,
        "usage: makeclip OUTPUT [WIDTH HEIGHT [FRAMES [yv12|uyvy]]]\n"
        "Writes a raw test-card clip, 352x288 YV12 with 75 frames unless told otherwise.\n");
    return 2;
}

// A whole decimal number that fits 32 bits, or -1.
std::int32_t parseCount(const char *text)
{
    char *end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > 0x7FFFFFFFL)
        return -1;
    return static_cast<std::int32_t>(value);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2 && argc != 4 && argc != 5 && argc != 6)
        return usage();
    std::int32_t width = defaultWidth;
    std::int32_t height = defaultHeight;
    std::int32_t frames = defaultFrames;
    std::int32_t format = YV12;
    if (argc >= 4) {
        width = parseCount(argv[2]);
        height = parseCount(argv[3]);
    }
    if (argc >= 5)
        frames = parseCount(argv[4]);
    if (argc == 6) {
        const std::string name = argv[5];
        if (name != "yv12" && name != "uyvy")
            return usage();
        format = name == "yv12" ? YV12 : UYVY;
    }
    if (!checkFrameSize(width, height).ok() || frames < 0) {
        std::fprintf(stderr,
            "makeclip: width and height must be even, from 2 to %d; frames at least 0\n",
            maxFrameDimension);
        return 2;
    }
    if (!clips::writeClip(argv[1], clips::Pattern::TestCard, format, width, height, frames)) {
        std::fprintf(stderr, "makeclip: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
