#include "samplevalues.h"

#include "viewrenderer.h"

namespace {

// The pixels that one chroma sample covers: none where the layout has no chroma.
struct Block
{
    std::int32_t width;
    std::int32_t height;
};

Block chromaBlock(const FrameFormat &format)
{
    switch (format.layout().subsampling) {
    case Subsampling::Yuv420:
        return { 2, 2 };
    case Subsampling::Yuv422:
        return { 2, 1 };
    case Subsampling::Yuv444:
        return { 1, 1 };
    case Subsampling::None:
        break;
    }
    return { 0, 0 };
}

bool hasChroma(const FrameFormat &format)
{
    return format.layout().subsampling != Subsampling::None;
}

} // namespace

std::int32_t valueLines(const FrameFormat &format, int view)
{
    switch (static_cast<FrameView>(view)) {
    case FrameView::Color:
        return hasChroma(format) ? 3 : 1;
    case FrameView::U:
    case FrameView::V:
        return hasChroma(format) ? 1 : 0;
    case FrameView::Y:
    case FrameView::R:
    case FrameView::G:
    case FrameView::B:
        return 1;
    }
    return 0;
}

std::uint16_t widestValue(const FrameFormat &format, int view)
{
    const bool primary
        = view == int(FrameView::R) || view == int(FrameView::G) || view == int(FrameView::B);
    return static_cast<std::uint16_t>(primary ? 255 : (1u << format.depth()) - 1);
}

ValueCell valueCellAt(
    const FramePlanes &planes, const FrameFormat &format, int view, PixelPosition pixel)
{
    ValueCell cell;
    cell.x = pixel.x;
    cell.y = pixel.y;
    cell.count = valueLines(format, view);
    if (cell.count == 0)
        return cell;
    const PixelSample s = samplePixel(planes, format, pixel);
    switch (static_cast<FrameView>(view)) {
    case FrameView::Color:
        cell.values = { s.y, s.u, s.v };
        break;
    case FrameView::Y:
        cell.values[0] = s.y;
        break;
    case FrameView::U:
    case FrameView::V: {
        const Block block = chromaBlock(format);
        cell.x = pixel.x / block.width * block.width;
        cell.y = pixel.y / block.height * block.height;
        cell.width = block.width;
        cell.height = block.height;
        cell.values[0] = view == int(FrameView::U) ? s.u : s.v;
        break;
    }
    case FrameView::R:
        cell.values[0] = s.r;
        break;
    case FrameView::G:
        cell.values[0] = s.g;
        break;
    case FrameView::B:
        cell.values[0] = s.b;
        break;
    }
    return cell;
}

bool darkTextOver(std::uint32_t pixel)
{
    const std::uint32_t r = (pixel >> 16) & 0xffu;
    const std::uint32_t g = (pixel >> 8) & 0xffu;
    const std::uint32_t b = pixel & 0xffu;
    return 299 * r + 587 * g + 114 * b >= 1000 * 128;
}
