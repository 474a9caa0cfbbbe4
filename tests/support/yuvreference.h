#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// Plain scalar conversions that read like the formula; the fast kernels in
// yuvconvert.h must match them byte for byte. Same arguments and preconditions.

struct Rgb
{
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

// How a layout (PixelFormat value) stores its samples, as the README's table spells it:
// the 8-bit layout whose bytes its samples follow (itself at 8 bits), and for layouts of
// little-endian 16-bit words the bits a sample keeps and how far up its word they sit;
// the word's other bits are ignored.
struct ReferenceSamples
{
    std::int32_t twin;
    int depth;
    int shift;
};
ReferenceSamples referenceSamples(std::int32_t format);

// A matrix's and range's factors, times 256 and rounded, computed here from the standard's
// Kr and Kb rather than copied: with Kg = 1 - Kr - Kb, k = 255/224 for limited range and
// 1 for full,
//   luma = 256 * 255/219 (limited) or 256 (full), vToRed = 256 * 2(1 - Kr) * k,
//   uToGreen = 256 * 2Kb(1 - Kb)/Kg * k, vToGreen = 256 * 2Kr(1 - Kr)/Kg * k,
//   uToBlue = 256 * 2(1 - Kb) * k.
// Full range takes C = Y, without black's offset.
struct ReferenceCoefficients
{
    int luma;
    int vToRed;
    int uToGreen;
    int vToGreen;
    int uToBlue;
    bool full;
};
ReferenceCoefficients referenceCoefficients(double kr, double kb, bool full);
// By ColourMatrix (0 BT.601, 1 BT.709, 2 BT.2020) and ColourRange (0 limited, 1 full) values.
ReferenceCoefficients referenceCoefficients(int matrix, int range);

// One pixel, entirely in signed 32-bit arithmetic, of samples of `depth` bits: with
// s = depth - 8, C = Y - 16 * 2^s (Y in full range), D = U - 128 * 2^s, E = V - 128 * 2^s
// and R = (luma C + vToRed E + 2^(depth-1)) >> depth, and so on. BT.601 limited unless
// told otherwise: R = (298C + 409E + 2^(depth-1)) >> depth.
Rgb yuvToRgbReference(int y, int u, int v, int depth = 8);
Rgb yuvToRgbReference(int y, int u, int v, int depth, const ReferenceCoefficients &colour);

void convertYuv420ToRgbReference(const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width,
    int height);

void convertYuv422ToRgbReference(const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width,
    int height);

// 4:4:4: pixel (x, y) takes chroma sample y * width + x; any width and height.
void convertYuv444ToRgbReference(const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width,
    int height);

// The chroma sample that a layout pairs with pixel (x, y), as the layout table of the
// README defines it (PixelFormat values): nothing for grey, whose U and V are 128.
std::optional<std::size_t> referenceChromaIndex(std::int32_t format, int width, int x, int y);

// Any layout, pixel by pixel from referenceChromaIndex; grey with U = V = 128 (times
// 2^(depth - 8)). Layouts of 10 and 12 bits hold 16-bit words in the planes.
void convertFrameReference(std::int32_t format, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width,
    int height);
void convertFrameReference(std::int32_t format, const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width,
    int height, const ReferenceCoefficients &colour);

// Where byte `at` of a frame of the layout goes, as the README's table of layouts spells
// each one: plane 'Y', 'U' or 'V', and the sample's index in the window's plane (for a
// layout of 16-bit words, the index of the word that holds the byte).
struct SampleDestination
{
    char plane;
    std::size_t index;
};
SampleDestination referenceDestination(
    std::int32_t format, std::size_t width, std::size_t height, std::size_t at);

// The Y, U and V samples of one frame, a value or a whole 16-bit word each, placed by plain
// index: Y row after row, w samples a row; U and V as the window's planes hold them.
struct ReferenceSamplePlanes
{
    std::vector<std::uint16_t> y, u, v;
};

// One frame of the layout as a file holds it, each byte from referenceDestination: bytes
// as they are, words low byte first, p010le's shifted to the top of their word (bits
// shifted past it are lost). Words are written whole, so bits above the depth reach the file.
std::vector<std::uint8_t> referenceFrameBytes(std::int32_t format, std::size_t width,
    std::size_t height, const ReferenceSamplePlanes &planes);
