#include "viewreference.h"

#include "yuvreference.h"

namespace viewreference {

namespace {

std::uint32_t rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b)
{
    return 0xff000000u | (r << 16) | (g << 8) | b;
}

// Sample `index` of a plane of bytes, or of 16-bit words for layouts deeper than 8 bits,
// whose bits above the depth are no part of it.
unsigned sample(const SamplePlane &plane, std::size_t index, int depth)
{
    if (depth == 8)
        return plane[index];
    return unsigned(plane[2 * index] | plane[2 * index + 1] << 8) & ((1u << depth) - 1);
}

// The grey that a sample `shift` bits deeper than 8 shows: rounded to 8 bits, at most 255.
std::uint32_t grey(unsigned value, int shift)
{
    const unsigned level = shift > 0 ? (value + (1u << (shift - 1))) >> shift : value;
    const unsigned kept = level > 255 ? 255 : level;
    return rgb(kept, kept, kept);
}

} // namespace

std::uint32_t pixel(const Planes &planes, View view, std::int32_t format, std::int32_t width,
    std::int32_t x, std::int32_t y)
{
    const auto i = static_cast<std::size_t>(y * width + x);
    const int depth = referenceSamples(format).depth;
    const int shift = depth - 8;
    // Grey shows U and V as chroma's zero, 128 at 8 bits.
    const std::optional<std::size_t> chroma = referenceChromaIndex(format, width, x, y);
    const unsigned u = chroma ? sample(planes.u, *chroma, depth) : 128u << shift;
    const unsigned v = chroma ? sample(planes.v, *chroma, depth) : 128u << shift;
    switch (view) {
    case Color:
        return rgb(planes.r[i], planes.g[i], planes.b[i]);
    case Y:
        return grey(sample(planes.y, i, depth), shift);
    case U:
        return grey(u, shift);
    case V:
        return grey(v, shift);
    case R:
        return rgb(planes.r[i], 0, 0);
    case G:
        return rgb(0, planes.g[i], 0);
    case B:
        break;
    }
    return rgb(0, 0, planes.b[i]);
}

} // namespace viewreference
