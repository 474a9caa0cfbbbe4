#pragma once

#include "framecomparison.h"

#include <cstdint>
#include <limits>
#include <string>

// Figures of a comparison as ffmpeg's psnr filter gives them, character for character.

// The line that ffmpeg's psnr filter writes to its stats file for frame `n` (counted from
// 1, as ffmpeg does), newline included:
// "n:1 mse_avg:0.00 mse_y:0.00 mse_u:0.00 mse_v:0.00 psnr_avg:inf psnr_y:inf ...".
std::string psnrStatsLine(std::int64_t n, const FrameComparison &comparison, std::int32_t depth);

// What a difference window's title ends with: "identical", or
// "PSNR Y 38.21 U 41.02 V 40.77" (Y alone without chroma, inf for a plane that matches).
std::string psnrTitleText(const FrameComparison &comparison, std::int32_t depth);

// The whole run's figures, as ffmpeg's summary line gives them.
class PsnrSummary
{
public:
    explicit PsnrSummary(std::int32_t depth);

    void add(const FrameComparison &comparison);
    std::int64_t frames() const { return frames_; }
    // "PSNR y:38.210000 u:41.020000 v:40.770000 average:39.000000 min:35.000000 max:inf",
    // newline included; empty before the first frame.
    std::string line() const;

private:
    std::int32_t depth_;
    int planes_ = 0;
    std::int64_t frames_ = 0;
    // Samples of each plane of a frame, which weigh the planes in the average.
    std::uint64_t samples_[maxComparedPlanes] = {};
    // Sums over frames of each plane's MSE and of the frame's average MSE.
    double planeMse_[maxComparedPlanes] = {};
    double averageMse_ = 0;
    double minMse_ = std::numeric_limits<double>::max();
    double maxMse_ = 0;
};
