#include "viewreference.h"

#include "yuvreference.h"

namespace viewreference {

namespace {

std::uint32_t rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b)
{
    return 0xff000000u | (r << 16) | (g << 8) | b;
}

} // namespace

std::uint32_t pixel(const Planes &planes, View view, std::int32_t format, std::int32_t width,
    std::int32_t x, std::int32_t y)
{
    const auto i = static_cast<std::size_t>(y * width + x);
    // Grey shows U and V as 128.
    const std::optional<std::size_t> chroma = referenceChromaIndex(format, width, x, y);
    const std::uint8_t u = chroma ? planes.u[*chroma] : 128;
    const std::uint8_t v = chroma ? planes.v[*chroma] : 128;
    switch (view) {
    case Color:
        return rgb(planes.r[i], planes.g[i], planes.b[i]);
    case Y:
        return rgb(planes.y[i], planes.y[i], planes.y[i]);
    case U:
        return rgb(u, u, u);
    case V:
        return rgb(v, v, v);
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
