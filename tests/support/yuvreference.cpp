#include "yuvreference.h"

#include <cmath>
#include <cstddef>
#include <cstring>

namespace {

std::uint8_t clampToByte(int value)
{
    return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

// The shift of a negative value is arithmetic on every compiler we build with
// (and defined so from C++20): a division by 2^bits rounded towards minus infinity.
int shiftDown(int value, int bits)
{
    return value >> bits;
}

// Sample `at` of a window's plane: a byte, or the low `depth` bits of a 16-bit word in
// host order.
int sampleAt(const std::uint8_t *plane, std::size_t at, int depth)
{
    if (depth == 8)
        return plane[at];
    std::uint16_t word;
    std::memcpy(&word, plane + 2 * at, sizeof word);
    return word & ((1 << depth) - 1);
}

void convertPixel(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, std::size_t pixel, std::size_t chroma)
{
    const Rgb rgb = yuvToRgbReference(y[pixel], u[chroma], v[chroma]);
    r[pixel] = rgb.r;
    g[pixel] = rgb.g;
    b[pixel] = rgb.b;
}

// The 2x2 block walk. With chromaPerRow (4:2:2) each luma row takes its own
// chroma row; otherwise (4:2:0) both rows of a block share one.
void convertBlocks(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height, bool chromaPerRow)
{
    const std::size_t w = static_cast<std::size_t>(width);
    const std::size_t chromaWidth = w / 2;
    for (std::size_t i = 0; i < static_cast<std::size_t>(height); i += 2) {
        const std::size_t upperRow = chromaPerRow ? i * chromaWidth : (i / 2) * chromaWidth;
        const std::size_t lowerRow = chromaPerRow ? (i + 1) * chromaWidth : upperRow;
        for (std::size_t j = 0; j < w; j += 2) {
            const std::size_t upper = upperRow + j / 2;
            const std::size_t lower = lowerRow + j / 2;
            convertPixel(y, u, v, r, g, b, i * w + j, upper);
            convertPixel(y, u, v, r, g, b, i * w + j + 1, upper);
            convertPixel(y, u, v, r, g, b, (i + 1) * w + j, lower);
            convertPixel(y, u, v, r, g, b, (i + 1) * w + j + 1, lower);
        }
    }
}

} // namespace

ReferenceSamples referenceSamples(std::int32_t format)
{
    switch (format) {
    case 12: // yuv420p10le
        return { 0, 10, 0 };
    case 13: // yuv422p10le
        return { 2, 10, 0 };
    case 14: // yuv444p10le
        return { 10, 10, 0 };
    case 15: // yuv420p12le
        return { 0, 12, 0 };
    case 16: // yuv422p12le
        return { 2, 12, 0 };
    case 17: // yuv444p12le
        return { 10, 12, 0 };
    case 18: // gray10le
        return { 11, 10, 0 };
    case 19: // gray12le
        return { 11, 12, 0 };
    case 20: // p010le: nv12's order, the 10 bits at the top of each word
        return { 4, 10, 6 };
    default:
        return { format, 8, 0 };
    }
}

ReferenceCoefficients referenceCoefficients(double kr, double kb, bool full)
{
    const double kg = 1.0 - kr - kb;
    const double k = full ? 1.0 : 255.0 / 224.0;
    const auto times256 = [](double factor) { return static_cast<int>(std::lround(256.0 * factor)); };
    return { times256(full ? 1.0 : 255.0 / 219.0), times256(2.0 * (1.0 - kr) * k),
        times256(2.0 * kb * (1.0 - kb) / kg * k), times256(2.0 * kr * (1.0 - kr) / kg * k),
        times256(2.0 * (1.0 - kb) * k), full };
}

ReferenceCoefficients referenceCoefficients(int matrix, int range)
{
    // Kr and Kb of BT.601, BT.709 and BT.2020 (non-constant luminance).
    static const double krKb[3][2] = { { 0.299, 0.114 }, { 0.2126, 0.0722 }, { 0.2627, 0.0593 } };
    return referenceCoefficients(krKb[matrix][0], krKb[matrix][1], range == 1);
}

Rgb yuvToRgbReference(int y, int u, int v, int depth)
{
    return yuvToRgbReference(y, u, v, depth, referenceCoefficients(0, 0));
}

Rgb yuvToRgbReference(int y, int u, int v, int depth, const ReferenceCoefficients &colour)
{
    const int s = depth - 8;
    const int c = colour.full ? y : y - 16 * (1 << s);
    const int d = u - 128 * (1 << s);
    const int e = v - 128 * (1 << s);
    const int rounding = 1 << (depth - 1);
    return { clampToByte(shiftDown(colour.luma * c + colour.vToRed * e + rounding, depth)),
        clampToByte(
            shiftDown(colour.luma * c - colour.uToGreen * d - colour.vToGreen * e + rounding, depth)),
        clampToByte(shiftDown(colour.luma * c + colour.uToBlue * d + rounding, depth)) };
}

void convertYuv420ToRgbReference(const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height)
{
    convertBlocks(y, u, v, r, g, b, width, height, false);
}

void convertYuv422ToRgbReference(const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height)
{
    convertBlocks(y, u, v, r, g, b, width, height, true);
}

void convertYuv444ToRgbReference(const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height)
{
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    for (std::size_t i = 0; i < pixels; ++i)
        convertPixel(y, u, v, r, g, b, i, i);
}

std::optional<std::size_t> referenceChromaIndex(std::int32_t format, int width, int x, int y)
{
    const auto row = [&](int chromaRow, int rowLength, int column) {
        return static_cast<std::size_t>(chromaRow) * static_cast<std::size_t>(rowLength)
            + static_cast<std::size_t>(column);
    };
    switch (referenceSamples(format).twin) {
    case 0: // yuv420p, the dialog's YV12
    case 3: // yvu420p
    case 4: // nv12
    case 5: // nv21
        return row(y / 2, width / 2, x / 2);
    case 1: // the dialog's UYVY, read as yuv422p
    case 2: // yuv422p
    case 6: // yuyv422
    case 7: // uyvy422
    case 8: // yvyu422
    case 9: // nv16
        return row(y, width / 2, x / 2);
    case 10: // yuv444p
        return row(y, width, x);
    default: // gray
        return std::nullopt;
    }
}

void convertFrameReference(std::int32_t format, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height)
{
    convertFrameReference(format, y, u, v, r, g, b, width, height, referenceCoefficients(0, 0));
}

void convertFrameReference(std::int32_t format, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    const ReferenceCoefficients &colour)
{
    const int depth = referenceSamples(format).depth;
    const int zero = 128 * (1 << (depth - 8));
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x) {
            const std::size_t pixel = static_cast<std::size_t>(row) * width + x;
            const std::optional<std::size_t> chroma = referenceChromaIndex(format, width, x, row);
            const int luma = sampleAt(y, pixel, depth);
            const Rgb rgb = chroma ? yuvToRgbReference(luma, sampleAt(u, *chroma, depth),
                                sampleAt(v, *chroma, depth), depth, colour)
                                   : yuvToRgbReference(luma, zero, zero, depth, colour);
            r[pixel] = rgb.r;
            g[pixel] = rgb.g;
            b[pixel] = rgb.b;
        }
    }
}

SampleDestination referenceDestination(
    std::int32_t format, std::size_t width, std::size_t height, std::size_t at)
{
    // A layout of words puts its samples where its 8-bit twin puts its bytes.
    if (const ReferenceSamples samples = referenceSamples(format); samples.depth > 8)
        return referenceDestination(samples.twin, width, height, at / 2);
    const std::size_t p = width * height;
    const char *packed = format == 6 ? "YUYV" : format == 7 ? "UYVY" : format == 8 ? "YVYU" : nullptr;
    if (packed) {
        const std::size_t group = at / 4;
        const std::size_t place = at % 4;
        if (packed[place] != 'Y')
            return { packed[place], group };
        const bool secondLuma = place > std::size_t(packed[0] == 'Y' ? 0 : 1);
        return { 'Y', 2 * group + (secondLuma ? 1 : 0) };
    }
    if (at < p)
        return { 'Y', at };
    const std::size_t k = at - p;
    // yvu420p and nv21 put V first.
    const bool vFirst = format == 3 || format == 5;
    const char first = vFirst ? 'V' : 'U';
    const char second = vFirst ? 'U' : 'V';
    if (format == 4 || format == 5 || format == 9) // nv12, nv21, nv16
        return { k % 2 == 0 ? first : second, k / 2 };
    const std::size_t chroma = format == 10 ? p : (format == 0 || format == 3) ? p / 4 : p / 2;
    return k < chroma ? SampleDestination { first, k } : SampleDestination { second, k - chroma };
}

std::vector<std::uint8_t> referenceFrameBytes(
    std::int32_t format, std::size_t width, std::size_t height, const ReferenceSamplePlanes &planes)
{
    const ReferenceSamples samples = referenceSamples(format);
    const bool words = samples.depth > 8;
    const std::size_t p = width * height;
    // The twin's bytes per frame, twice as many in words.
    const std::size_t twinBytes = samples.twin == 10 ? 3 * p
        : samples.twin == 11                         ? p
        : (samples.twin == 0 || samples.twin == 3 || samples.twin == 4 || samples.twin == 5)
        ? p + p / 2
        : 2 * p;
    std::vector<std::uint8_t> bytes(words ? 2 * twinBytes : twinBytes);
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        const SampleDestination to = referenceDestination(format, width, height, at);
        const std::vector<std::uint16_t> &plane = to.plane == 'Y' ? planes.y
            : to.plane == 'U'                                     ? planes.u
                                                                  : planes.v;
        const unsigned word = static_cast<unsigned>(plane.at(to.index) << samples.shift) & 0xffff;
        bytes[at] = static_cast<std::uint8_t>(words && at % 2 == 1 ? word >> 8 : word);
    }
    return bytes;
}
