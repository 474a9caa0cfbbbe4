#pragma once

#include "namedparameters.h"
#include "videoparameters.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A y4m (YUV4MPEG2) file states in its first line what a raw file's user states: the
// size, the layout, the rate and the scan. Frames follow, each after a FRAME line.

// The colour range an XCOLORRANGE tag states.
enum class Y4mRange { Unstated, Full, Limited };

struct Y4mHeader
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    // Its PixelFormat value: yuv420p when the header has no C.
    std::int32_t format = 0;
    // Its ScanType: Interlaced for I t, b and m.
    std::int32_t scan = 0;
    // F: rateNumerator frames in rateDenominator seconds; both 0 when the header
    // states no rate, or 0:0, the rate unknown.
    std::int32_t rateNumerator = 0;
    std::int32_t rateDenominator = 0;
    Y4mRange range = Y4mRange::Unstated;
    // Bytes of the header with its line break: where the first FRAME line starts.
    std::int64_t length = 0;
};

// The first bytes of every y4m file, the space included.
constexpr std::string_view y4mSignature = "YUV4MPEG2 ";
// The longest header or FRAME line taken. Real headers stay under a hundred bytes; a
// longer line is not a y4m header, and this bound keeps its reading short.
constexpr std::size_t maxY4mLineBytes = 4096;

struct Y4mHeaderRead
{
    std::optional<Y4mHeader> header;
    // Why there is none, as one sentence.
    std::string problem;
};

// Whether `bytes` begin as a y4m file does.
bool startsAsY4m(std::string_view bytes);

// The header at the start of `bytes`: a file's first maxY4mLineBytes + 1 bytes, or all
// of a shorter file.
Y4mHeaderRead parseY4mHeader(std::string_view bytes);

// Whether the file at `path` begins as a y4m file; false when it cannot be read.
bool isY4mFile(const std::string &path);

// The header of the file at `path`.
Y4mHeaderRead readY4mHeader(const std::string &path);

// The record of the y4m file at `path` from its header: size, layout, scan, and the rate
// and range where the header states them (else the record's stay). `askedSize` and
// `askedFormat` are what -s and -f said, which must agree with the header. Returns why
// the file cannot open, as one sentence; empty when the record is filled.
std::string fillY4mRecord(const std::string &path, const std::optional<FrameDimensions> &askedSize,
    const std::optional<std::int32_t> &askedFormat, VideoParameters &record);
