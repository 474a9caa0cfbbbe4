#include "psnrreport.h"

#include <algorithm>
#include <charconv>
#include <cmath>

// Every figure is worked out in ffmpeg's psnr filter's order of operations, each division
// and sum as it does them, so that printed with as many decimals they come out the same.
namespace {

const char planeLetters[maxComparedPlanes] = { 'y', 'u', 'v' };
const char planeNames[maxComparedPlanes] = { 'Y', 'U', 'V' };

// One frame's mean squared errors: each plane's, and their average weighted by the
// planes' sample counts.
struct FrameMse
{
    double plane[maxComparedPlanes] = {};
    double average = 0;
};

FrameMse mseOf(const FrameComparison &comparison)
{
    FrameMse mse;
    // A 32-bit sum in ffmpeg; no frame here comes near it.
    std::uint64_t samples = 0;
    for (int p = 0; p < comparison.planes; ++p)
        samples += comparison.samples[p];
    for (int p = 0; p < comparison.planes; ++p) {
        mse.plane[p] = static_cast<double>(comparison.squaredError[p])
            / static_cast<double>(comparison.samples[p]);
        const double weight
            = static_cast<double>(comparison.samples[p]) / static_cast<double>(samples);
        mse.average += mse.plane[p] * weight;
    }
    return mse;
}

// The largest sample, as ffmpeg keeps it for each plane.
int largestSample(std::int32_t depth)
{
    return (1 << depth) - 1;
}

// ffmpeg's largest sample of the weighted average: the planes' largest samples weighted
// like their errors, rounded to a whole number.
int averageLargestSample(int planes, const std::uint64_t *samples, std::int32_t depth)
{
    std::uint64_t total = 0;
    for (int p = 0; p < planes; ++p)
        total += samples[p];
    double largest = 0;
    for (int p = 0; p < planes; ++p)
        largest += largestSample(depth)
            * (static_cast<double>(samples[p]) / static_cast<double>(total));
    return static_cast<int>(std::lrint(largest));
}

// 10 log10(max^2 / (mse / frames)); infinite when there is no error. max^2 is an unsigned
// 32-bit product in ffmpeg.
double psnr(double mse, std::int64_t frames, int largest)
{
    const auto peak = static_cast<unsigned>(largest) * static_cast<unsigned>(largest);
    return 10.0 * std::log10(static_cast<double>(peak) / (mse / static_cast<double>(frames)));
}

// As printf's %.*f in the C locale, whatever the locale: "inf" for infinity.
std::string fixed(double value, int decimals)
{
    char text[64];
    const std::to_chars_result end
        = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, end.ptr);
}

} // namespace

std::string psnrStatsLine(std::int64_t n, const FrameComparison &comparison, std::int32_t depth)
{
    const FrameMse mse = mseOf(comparison);
    const int largest = largestSample(depth);
    const int averageLargest
        = averageLargestSample(comparison.planes, comparison.samples.data(), depth);
    // ffmpeg ends each field, the last as well, with a space.
    std::string line = "n:" + std::to_string(n) + " mse_avg:" + fixed(mse.average, 2) + ' ';
    for (int p = 0; p < comparison.planes; ++p)
        line += std::string("mse_") + planeLetters[p] + ':' + fixed(mse.plane[p], 2) + ' ';
    line += "psnr_avg:" + fixed(psnr(mse.average, 1, averageLargest), 2) + ' ';
    for (int p = 0; p < comparison.planes; ++p)
        line += std::string("psnr_") + planeLetters[p] + ':'
            + fixed(psnr(mse.plane[p], 1, largest), 2) + ' ';
    return line + '\n';
}

std::string psnrTitleText(const FrameComparison &comparison, std::int32_t depth)
{
    if (comparison.identical())
        return "identical";
    const FrameMse mse = mseOf(comparison);
    std::string text = "PSNR";
    for (int p = 0; p < comparison.planes; ++p)
        text += std::string(" ") + planeNames[p] + ' '
            + fixed(psnr(mse.plane[p], 1, largestSample(depth)), 2);
    return text;
}

PsnrSummary::PsnrSummary(std::int32_t depth)
    : depth_(depth)
{
}

void PsnrSummary::add(const FrameComparison &comparison)
{
    const FrameMse mse = mseOf(comparison);
    planes_ = comparison.planes;
    std::copy(comparison.samples.begin(), comparison.samples.end(), samples_);
    for (int p = 0; p < planes_; ++p)
        planeMse_[p] += mse.plane[p];
    averageMse_ += mse.average;
    minMse_ = std::min(minMse_, mse.average);
    maxMse_ = std::max(maxMse_, mse.average);
    ++frames_;
}

std::string PsnrSummary::line() const
{
    if (frames_ == 0)
        return std::string();
    const int averageLargest = averageLargestSample(planes_, samples_, depth_);
    std::string line = "PSNR";
    for (int p = 0; p < planes_; ++p)
        line += std::string(" ") + planeLetters[p] + ':'
            + fixed(psnr(planeMse_[p], frames_, largestSample(depth_)), 6);
    // ffmpeg's min is the PSNR of the worst frame, the one with the largest error; its
    // max that of the best.
    return line + " average:" + fixed(psnr(averageMse_, frames_, averageLargest), 6)
        + " min:" + fixed(psnr(maxMse_, 1, averageLargest), 6)
        + " max:" + fixed(psnr(minMse_, 1, averageLargest), 6) + '\n';
}
