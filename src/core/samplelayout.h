#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The sample layouts of raw files, one entry each: the dialog's two and the ones that
// decoders, cameras and ffmpeg write. Names are ffmpeg's -pix_fmt names, so that a user
// can copy them from the command that made the file.

// Chroma samples per luma sample.
enum class Subsampling { Yuv420, Yuv422, Yuv444, None };

// How a frame's samples follow one another in the file.
enum class Storage {
    Planar, // a Y plane, then a U plane and a V plane (or V, then U)
    SemiPlanar, // a Y plane, then one plane of U,V (or V,U) pairs
    Packed, // Y and chroma bytes interleaved in groups of two pixels
    LumaOnly, // a Y plane alone
};

struct SampleLayout
{
    std::int32_t format; // its PixelFormat value
    const char *name; // ffmpeg's -pix_fmt name
    const char *alias; // another name in common use, or nullptr
    Subsampling subsampling;
    Storage storage;
    // Planar and semi-planar: V comes before U. Packed: the byte order of a pixel pair,
    // as its name spells it ("YUYV", "UYVY", "YVYU").
    bool vBeforeU;
    const char *packedOrder;
    // Significant bits of a sample: 8 in a byte; 10 or 12 in a little-endian 16-bit word.
    std::int32_t depth;
    // Where those bits sit in the word: 0 for its low bits, 6 for p010's high bits.
    // Bits of the word outside them are ignored.
    std::int32_t bitShift;
};

// The layout of a PixelFormat value; nullptr for a value that names none.
const SampleLayout *layoutOf(std::int32_t format);

// The layout with this name, alias or FourCC ("yuyv", "i444"), in any letter case; a
// deep layout's name without its "le" as well ("p010", "yuv420p10"); nullptr for none.
const SampleLayout *layoutNamed(std::string_view name);

// The FourCCs that layoutNamed takes for the format besides its name and alias.
std::vector<std::string> otherLayoutNames(std::int32_t format);

// For a name that means one layout in the dialog and another elsewhere ("yv12",
// "uyvy"): both meanings and the names to use instead; nothing for any other name.
std::optional<std::string> ambiguityOfLayoutName(std::string_view name);

constexpr std::size_t layoutCount = 21;

// Every layout, in the order of its PixelFormat value.
const std::array<SampleLayout, layoutCount> &sampleLayouts();

// The layout of a PixelFormat value; yuv420p for a value that names none, as sizes and
// stages take it.
const SampleLayout &layoutOrYuv420p(std::int32_t format);

// Significant bits of the format's samples (8, 10 or 12), and the bytes each takes in the
// window's planes and in the file: 1 for 8 bits, a 16-bit word in host order beyond.
// Samples range over 0 .. 2^depth - 1; black is 16 * 2^(depth - 8) and chroma's zero
// 128 * 2^(depth - 8), as 8-bit values shifted up.
std::int32_t sampleDepth(std::int32_t format);
std::size_t bytesPerSample(std::int32_t format);
// depth - 8: how far the format's values stand above their 8-bit equivalents.
std::int32_t depthAbove8(std::int32_t format);

// Where the window's U and V planes sit against its Y plane. 4:2:0 and 4:2:2 halve
// chroma across (w/2 samples per row), 4:4:4 keeps a sample per pixel. A layout without
// chroma gets one row of w samples of 128 that every line shares: the picture, the
// views and the readout then take U = V = 128 without a case of their own.
bool halvesChromaAcross(std::int32_t format);
std::size_t chromaRowLength(std::int32_t format, std::int32_t width);
// The chroma row of luma row lumaRow, and the chroma column of luma column lumaColumn.
std::size_t chromaRowOf(std::int32_t format, std::int32_t lumaRow);
std::size_t chromaColumnOf(std::int32_t format, std::int32_t lumaColumn);
// Chroma rows of a frame height rows high.
std::size_t chromaRows(std::int32_t format, std::int32_t height);
