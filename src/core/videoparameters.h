#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The dialog offers YV12 and UYVY (both read as planes: Y, U, V); the others come from the
// command line and from file names. samplelayout.h describes each.
enum PixelFormat : std::int32_t {
    YV12 = 0,
    UYVY = 1,
    Planar422 = 2,
    Yvu420p = 3,
    Nv12 = 4,
    Nv21 = 5,
    Yuyv422 = 6,
    Uyvy422 = 7,
    Yvyu422 = 8,
    Nv16 = 9,
    Yuv444p = 10,
    Gray = 11,
    Yuv420p10le = 12,
    Yuv422p10le = 13,
    Yuv444p10le = 14,
    Yuv420p12le = 15,
    Yuv422p12le = 16,
    Yuv444p12le = 17,
    Gray10le = 18,
    Gray12le = 19,
    P010le = 20,
};

enum ScanType : std::int32_t { Progressive = 0, Interlaced = 1 };

// How a file holds its frames: headerless, or y4m, whose header states the parameters.
enum FileKind : std::int32_t { RawFile = 0, Y4mFile = 1 };

// Everything needed to read a video file; the user states all of it for a raw file.
struct VideoParameters
{
    std::string path;
    std::int32_t scan = Progressive;
    std::int32_t format = YV12;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t speed = 0;
    std::int32_t frameCount = 0;
    // The rate is speed frames in speedDivisor seconds: whole for the dialog's speeds,
    // 30000 in 1001 for a y4m file's F30000:1001.
    std::int32_t speedDivisor = 1;
    std::int32_t kind = RawFile;
    // ColourMatrix and ColourRange (frameformat.h): BT.601 limited unless a name word,
    // an option or a y4m header says otherwise.
    std::int32_t matrix = 0;
    std::int32_t range = 0;
};

// The rate as Video Info shows it: a whole speed as it is ("25"), another to three
// decimals without trailing zeros ("29.97", "23.976").
std::string speedText(std::int32_t speed, std::int32_t divisor);

// Largest accepted width or height: keeps the largest frame, 4:4:4 in 16-bit words
// (6 * w * h bytes), inside a signed 32-bit frame size.
constexpr std::int32_t maxFrameDimension = 16384;

enum class SizeField { None, Width, Height };
enum class SizeProblem { None, NotPositive, Odd, TooLarge };

struct SizeCheck
{
    SizeField field = SizeField::None;
    SizeProblem problem = SizeProblem::None;
    bool ok() const { return problem == SizeProblem::None; }
};

// Width is checked before height; the first problem found is reported. Without a
// format: the dialog's rules, both even.
SizeCheck checkFrameSize(std::int32_t width, std::int32_t height);

// The rules of a layout: a dimension is odd only where the layout halves chroma along
// it (the width of 4:2:0 and 4:2:2, the height of 4:2:0); the dialog's two layouts keep
// both even. Unknown formats count as YV12.
SizeCheck checkFrameSize(std::int32_t format, std::int32_t width, std::int32_t height);

// True for the layouts read as planar 4:2:2 (UYVY and Planar422).
bool isPlanar422(std::int32_t format);

// Bytes per frame in the file, in signed 32-bit arithmetic: p + p/2 for 4:2:0, 2p for
// 4:2:2, 3p for 4:4:4, p for grey (p = w * h), twice that for layouts stored in 16-bit
// words; unknown formats count as YV12.
std::int32_t frameSize(std::int32_t format, std::int32_t width, std::int32_t height);

// Whole frames in a file, limited to the largest 32-bit value; 0 when frameSize <= 0.
std::int32_t frameCount(std::int64_t fileSize, std::int32_t frameSize);

std::size_t lumaPlaneSize(std::int32_t width, std::int32_t height);
// Samples of the window's U plane (and of its V plane) for the format: see
// halvesChromaAcross in samplelayout.h.
std::size_t chromaPlaneSize(std::int32_t format, std::int32_t width, std::int32_t height);

// Bytes of the window's planes: samples times bytesPerSample (samplelayout.h).
std::size_t lumaPlaneBytes(std::int32_t format, std::int32_t width, std::int32_t height);
std::size_t chromaPlaneBytes(std::int32_t format, std::int32_t width, std::int32_t height);
