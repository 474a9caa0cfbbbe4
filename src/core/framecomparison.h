#pragma once

#include "frame.h"
#include "frameformat.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// Sample-for-sample comparison of two frames. Two videos compare when their width,
// height, chroma subsampling and depth agree, whatever their storage (nv12 against
// yuv420p, p010le against yuv420p10le): samples are compared as the frames hold them,
// each word's low `depth` bits, the bits above ignored as everywhere else.

// Why two formats cannot be compared, naming what differs and both values (such as
// "their sizes differ: 176x144 against 352x288"); empty when they can.
std::string whyNotComparable(const FrameFormat &a, const FrameFormat &b);
inline bool comparable(const FrameFormat &a, const FrameFormat &b)
{
    return whyNotComparable(a, b).empty();
}

// Y, U and V, in that order; a layout without chroma has Y alone.
constexpr int maxComparedPlanes = 3;

struct FrameComparison
{
    // 1 for layouts without chroma, 3 for the others.
    int planes = 0;
    // Per plane: the integer sum of squared differences, and the samples compared.
    std::array<std::uint64_t, maxComparedPlanes> squaredError {};
    std::array<std::uint64_t, maxComparedPlanes> samples {};

    bool identical() const
    {
        return squaredError[0] == 0 && squaredError[1] == 0 && squaredError[2] == 0;
    }
};

// One sample that differs: its plane (0 Y, 1 U, 2 V), its place in that plane, and both
// samples, the low `depth` bits of their words.
struct SampleDifference
{
    int plane = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint32_t a = 0;
    std::uint32_t b = 0;
};

// Precondition for both: the frames' formats are comparable.
FrameComparison compareFrames(const Frame &a, const Frame &b);
// The first differing sample in plane order, then row, then column; nothing when the
// frames are identical.
std::optional<SampleDifference> firstDifference(const Frame &a, const Frame &b);
