#include "clippatterns.h"

#include "videoparameters.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace clips {

namespace {

struct Yuv
{
    std::uint8_t y;
    std::uint8_t u;
    std::uint8_t v;
};

// 75 % colour bars in BT.601 studio range: white, yellow, cyan, green, magenta, red, blue.
constexpr Yuv bars[] = { { 180, 128, 128 }, { 162, 44, 142 }, { 131, 156, 44 }, { 112, 72, 58 },
    { 84, 184, 198 }, { 65, 100, 212 }, { 35, 212, 114 } };
constexpr std::int32_t barCount = sizeof bars / sizeof bars[0];
constexpr Yuv black { 16, 128, 128 };
constexpr Yuv white { 235, 128, 128 };

// Digits 0-9 in a 5x7 cell, one byte per row, bit 4 the leftmost column.
constexpr std::uint8_t digitRows[10][7] = { { 0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E },
    { 0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E }, { 0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F },
    { 0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E }, { 0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02 },
    { 0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E }, { 0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E },
    { 0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08 }, { 0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E },
    { 0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C } };
constexpr std::int32_t counterDigits = 5;
constexpr std::int32_t barScrollPerFrame = 4;

// The counter box sits 8 pixels from the top left corner; digits are drawn `scale` times
// their cell size, one cell column apart, inside a margin of `scale` pixels.
struct Counter
{
    std::int32_t left = 8;
    std::int32_t top = 8;
    std::int32_t scale;
    std::int32_t width() const { return (counterDigits * 6 + 1) * scale; }
    std::int32_t height() const { return 9 * scale; }
};

bool counterInk(const Counter &counter, std::int32_t frame, std::int32_t x, std::int32_t y)
{
    const std::int32_t cellX = (x - counter.left) / counter.scale - 1;
    const std::int32_t cellY = (y - counter.top) / counter.scale - 1;
    if (cellX < 0 || cellY < 0 || cellY >= 7 || cellX % 6 == 5)
        return false;
    const std::int32_t digit = cellX / 6;
    std::int32_t value = frame;
    for (std::int32_t i = digit + 1; i < counterDigits; ++i)
        value /= 10;
    return (digitRows[value % 10][cellY] >> (4 - cellX % 6)) & 1;
}

// A square a sixth of the height across, bouncing between the left and right edges.
bool insideSquare(
    std::int32_t width, std::int32_t height, std::int32_t frame, std::int32_t x, std::int32_t y)
{
    const std::int32_t side = std::max(2, height / 6);
    const std::int32_t travel = std::max(1, width - side);
    const std::int32_t step
        = static_cast<std::int32_t>((std::int64_t { frame } * 8) % (2 * travel));
    const std::int32_t left = step < travel ? step : 2 * travel - step;
    const std::int32_t top = height / 2 - side / 2;
    return x >= left && x < left + side && y >= top && y < top + side;
}

Yuv testCardPixel(
    std::int32_t width, std::int32_t height, std::int32_t frame, std::int32_t x, std::int32_t y)
{
    const Counter counter { 8, 8, std::max(1, height / 72) };
    if (x >= counter.left && x < counter.left + counter.width() && y >= counter.top
        && y < counter.top + counter.height())
        return counterInk(counter, frame, x, y) ? white : black;
    if (insideSquare(width, height, frame, x, y))
        return white;
    if (y >= height - height / 4) {
        // A still luma ramp from black to white under the bars.
        const auto level = 16 + (219 * x) / std::max(1, width - 1);
        return { static_cast<std::uint8_t>(level), 128, 128 };
    }
    const std::int64_t shifted = (x + std::int64_t { frame } * barScrollPerFrame) % width;
    return bars[shifted * barCount / width];
}

} // namespace

std::uint8_t hashByte(std::int32_t frame, std::int64_t offset)
{
    // A multiplicative hash: neighbouring bytes and frames share no pattern.
    std::uint64_t x
        = (static_cast<std::uint64_t>(frame) << 40) ^ static_cast<std::uint64_t>(offset);
    x *= 0x9E3779B97F4A7C15ull;
    x ^= x >> 29;
    x *= 0xBF58476D1CE4E5B9ull;
    return static_cast<std::uint8_t>(x >> 56);
}

void fillHashBytes(std::uint8_t *dest, std::size_t size, std::int32_t frame, std::int64_t offset)
{
    for (std::size_t i = 0; i < size; ++i)
        dest[i] = hashByte(frame, offset + static_cast<std::int64_t>(i));
}

void fillTestCard(std::uint8_t *dest, std::int32_t format, std::int32_t width, std::int32_t height,
    std::int32_t frame)
{
    std::uint8_t *u = dest + lumaPlaneSize(width, height);
    std::uint8_t *v = u + chromaPlaneSize(format, width, height);
    const std::int32_t chromaRowStep = isPlanar422(format) ? 1 : 2;
    const std::int32_t chromaWidth = width / 2;
    for (std::int32_t y = 0; y < height; ++y) {
        const bool chromaRow = y % chromaRowStep == 0;
        const std::size_t chromaRowStart = std::size_t(y / chromaRowStep) * chromaWidth;
        for (std::int32_t x = 0; x < width; ++x) {
            const Yuv pixel = testCardPixel(width, height, frame, x, y);
            dest[std::size_t(y) * width + x] = pixel.y;
            // Each chroma sample takes the colour of the top left pixel it covers.
            if (chromaRow && x % 2 == 0) {
                u[chromaRowStart + x / 2] = pixel.u;
                v[chromaRowStart + x / 2] = pixel.v;
            }
        }
    }
}

bool writeClip(const std::string &path, Pattern pattern, std::int32_t format, std::int32_t width,
    std::int32_t height, std::int32_t frames)
{
    // Hash clips may have any size, odd ones included; the test card needs whole 2x2 blocks.
    if (frames < 0 || (pattern == Pattern::TestCard && !checkFrameSize(width, height).ok()))
        return false;
    const std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(
        std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file)
        return false;
    const auto size = static_cast<std::size_t>(frameSize(format, width, height));
    std::vector<std::uint8_t> bytes(size);
    for (std::int32_t frame = 0; frame < frames; ++frame) {
        if (pattern == Pattern::Hash)
            fillHashBytes(bytes.data(), size, frame, 0);
        else
            fillTestCard(bytes.data(), format, width, height, frame);
        if (std::fwrite(bytes.data(), 1, size, file.get()) != size)
            return false;
    }
    return std::fflush(file.get()) == 0;
}

} // namespace clips
