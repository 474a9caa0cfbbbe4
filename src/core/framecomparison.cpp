#include "framecomparison.h"

#include "squarederror.h"

#include <algorithm>

namespace {

const char *chromaName(Subsampling subsampling)
{
    switch (subsampling) {
    case Subsampling::Yuv420:
        return "4:2:0";
    case Subsampling::Yuv422:
        return "4:2:2";
    case Subsampling::Yuv444:
        return "4:4:4";
    case Subsampling::None:
        break;
    }
    return "none";
}

int comparedPlanes(const FrameFormat &format)
{
    return format.layout().subsampling == Subsampling::None ? 1 : maxComparedPlanes;
}

const SamplePlane &plane(const Frame &frame, int index)
{
    return index == 0 ? frame.y() : index == 1 ? frame.u() : frame.v();
}

std::size_t planeSamples(const FrameFormat &format, int index)
{
    return index == 0 ? format.lumaSamples() : format.chromaSamples();
}

std::size_t planeRowLength(const FrameFormat &format, int index)
{
    return index == 0 ? static_cast<std::size_t>(format.width()) : format.chromaRowLength();
}

const std::uint16_t *words(const SamplePlane &plane)
{
    return reinterpret_cast<const std::uint16_t *>(plane.data());
}

// The first sample from which two planes differ, or `count` for none.
std::size_t firstDifferentSample(
    const SamplePlane &a, const SamplePlane &b, std::size_t count, std::int32_t depth)
{
    if (depth <= 8)
        return static_cast<std::size_t>(
            std::mismatch(a.data(), a.data() + count, b.data()).first - a.data());
    const unsigned mask = (1u << depth) - 1;
    const std::uint16_t *x = words(a);
    const std::uint16_t *y = words(b);
    std::size_t i = 0;
    while (i < count && (x[i] & mask) == (y[i] & mask))
        ++i;
    return i;
}

std::uint32_t sampleAt(const SamplePlane &plane, std::size_t index, std::int32_t depth)
{
    if (depth <= 8)
        return plane[index];
    return words(plane)[index] & ((1u << depth) - 1);
}

} // namespace

std::string whyNotComparable(const FrameFormat &a, const FrameFormat &b)
{
    std::string why;
    const auto add
        = [&why](const std::string &difference) { why += (why.empty() ? "" : "; ") + difference; };
    if (a.width() != b.width() || a.height() != b.height())
        add("their sizes differ: " + std::to_string(a.width()) + 'x' + std::to_string(a.height())
            + " against " + std::to_string(b.width()) + 'x' + std::to_string(b.height()));
    if (a.layout().subsampling != b.layout().subsampling)
        add(std::string("their chroma differs: ") + chromaName(a.layout().subsampling) + " against "
            + chromaName(b.layout().subsampling));
    if (a.depth() != b.depth())
        add("their depths differ: " + std::to_string(a.depth()) + " bits against "
            + std::to_string(b.depth()) + " bits");
    return why;
}

FrameComparison compareFrames(const Frame &a, const Frame &b)
{
    // Asked once: the choice holds for the life of the process.
    static const SquaredErrorKernels kernels = bestSquaredErrorKernels();
    const FrameFormat &format = a.format();
    const std::int32_t depth = format.depth();
    FrameComparison result;
    result.planes = comparedPlanes(format);
    for (int p = 0; p < result.planes; ++p) {
        const std::size_t count = planeSamples(format, p);
        const SamplePlane &x = plane(a, p);
        const SamplePlane &y = plane(b, p);
        result.samples[p] = count;
        result.squaredError[p] = depth <= 8 ? kernels.bytes(x.data(), y.data(), count)
                                            : kernels.words(words(x), words(y), count, depth);
    }
    return result;
}

std::optional<SampleDifference> firstDifference(const Frame &a, const Frame &b)
{
    const FrameFormat &format = a.format();
    const std::int32_t depth = format.depth();
    for (int p = 0; p < comparedPlanes(format); ++p) {
        const std::size_t count = planeSamples(format, p);
        const SamplePlane &x = plane(a, p);
        const SamplePlane &y = plane(b, p);
        const std::size_t at = firstDifferentSample(x, y, count, depth);
        if (at == count)
            continue;
        const std::size_t row = planeRowLength(format, p);
        return SampleDifference { p, static_cast<std::int32_t>(at % row),
            static_cast<std::int32_t>(at / row), sampleAt(x, at, depth), sampleAt(y, at, depth) };
    }
    return std::nullopt;
}
