#pragma once

#include "frame.h"
#include "picturerows.h"
#include "viewrenderer.h"
#include "yuvconvert.h"

#include <cstddef>
#include <cstdint>

// The difference views' loops, written plainly for the compiler to vectorise, and compiled
// once for each instruction set by the one source of it that includes this header: the
// unnamed namespace keeps each source's copy to itself, so no copy built for AVX2 can stand
// in for the other.
namespace {

constexpr std::uint32_t opaque = 0xff000000u;
constexpr std::uint32_t redBits = 0x00ff0000u;
constexpr std::uint32_t greenBits = 0x0000ff00u;
constexpr std::uint32_t blueBits = 0x000000ffu;
// A grey level copied into all three channels.
constexpr std::uint32_t greyChannels = 0x00010101u;

std::uint32_t *pictureRow(PictureRows out, std::int32_t y)
{
    return reinterpret_cast<std::uint32_t *>(out.bits + out.stride * y);
}

// `bits` where the two samples differ in their low depth bits, 0 where they agree.
template <class Sample> std::uint32_t differs(Sample a, Sample b, Sample mask, std::uint32_t bits)
{
    return ((a ^ b) & mask) != 0 ? bits : 0;
}

// One row of the flag views: the channels that are on show their plane's differences.
// Halved: each chroma sample covers two pixels, `samples` of them being w/2; otherwise one,
// w of them. The chroma rows go unread where no channel of theirs is on.
template <class Sample, bool Red, bool Green, bool Blue, bool Halved>
void flagRow(const Sample *__restrict ya, const Sample *__restrict yb, const Sample *__restrict ua,
    const Sample *__restrict ub, const Sample *__restrict va, const Sample *__restrict vb,
    Sample mask, std::uint32_t *__restrict out, std::size_t samples)
{
    for (std::size_t j = 0; j < samples; ++j) {
        std::uint32_t chroma = opaque;
        if constexpr (Green)
            chroma |= differs(ua[j], ub[j], mask, greenBits);
        if constexpr (Blue)
            chroma |= differs(va[j], vb[j], mask, blueBits);
        if constexpr (Halved) {
            std::uint32_t left = chroma;
            std::uint32_t right = chroma;
            if constexpr (Red) {
                left |= differs(ya[2 * j], yb[2 * j], mask, redBits);
                right |= differs(ya[2 * j + 1], yb[2 * j + 1], mask, redBits);
            }
            out[2 * j] = left;
            out[2 * j + 1] = right;
        } else {
            if constexpr (Red)
                chroma |= differs(ya[j], yb[j], mask, redBits);
            out[j] = chroma;
        }
    }
}

// The signed difference of one plane in grey, each sample covering one pixel, or two where
// Halved. The sum stays in int: 12-bit samples differ by up to 4095.
template <class Sample, bool Halved>
void greyRow(const Sample *__restrict a, const Sample *__restrict b, Sample mask,
    std::uint32_t *__restrict out, std::size_t samples)
{
    for (std::size_t j = 0; j < samples; ++j) {
        const int level = 128 + int(a[j] & mask) - int(b[j] & mask);
        const auto clamped = std::uint32_t(level < 0 ? 0 : level > 255 ? 255 : level);
        const std::uint32_t pixel = opaque | clamped * greyChannels;
        if constexpr (Halved) {
            out[2 * j] = pixel;
            out[2 * j + 1] = pixel;
        } else {
            out[j] = pixel;
        }
    }
}

template <class Sample> const Sample *samplesOf(const SamplePlane &plane)
{
    return reinterpret_cast<const Sample *>(plane.data());
}

template <class Sample> struct Pair
{
    const Frame &a;
    const Frame &b;
    Sample mask;
};

template <class Sample, bool Red, bool Green, bool Blue, bool Halved>
void flagRows(const Pair<Sample> &frames, PictureRows out)
{
    const FrameFormat &format = frames.a.format();
    const auto width = static_cast<std::size_t>(format.width());
    const std::size_t chromaLength = format.chromaRowLength();
    const Sample *ya = samplesOf<Sample>(frames.a.y());
    const Sample *yb = samplesOf<Sample>(frames.b.y());
    const Sample *ua = samplesOf<Sample>(frames.a.u());
    const Sample *ub = samplesOf<Sample>(frames.b.u());
    const Sample *va = samplesOf<Sample>(frames.a.v());
    const Sample *vb = samplesOf<Sample>(frames.b.v());
    for (std::int32_t y = 0; y < format.height(); ++y) {
        const std::size_t luma = static_cast<std::size_t>(y) * width;
        const std::size_t chroma = chromaRowFor(format, y) * chromaLength;
        flagRow<Sample, Red, Green, Blue, Halved>(ya + luma, yb + luma, ua + chroma, ub + chroma,
            va + chroma, vb + chroma, frames.mask, pictureRow(out, y), Halved ? width / 2 : width);
    }
}

// A layout without chroma has none to differ: its green and blue stay 0.
template <class Sample, bool Red, bool Green, bool Blue>
void drawFlags(const Pair<Sample> &frames, PictureRows out)
{
    const FrameFormat &format = frames.a.format();
    if (format.layout().subsampling == Subsampling::None)
        flagRows<Sample, Red, false, false, false>(frames, out);
    else if (format.halvesChromaAcross())
        flagRows<Sample, Red, Green, Blue, true>(frames, out);
    else
        flagRows<Sample, Red, Green, Blue, false>(frames, out);
}

template <class Sample> void drawLumaGrey(const Pair<Sample> &frames, PictureRows out)
{
    const FrameFormat &format = frames.a.format();
    const auto width = static_cast<std::size_t>(format.width());
    const Sample *a = samplesOf<Sample>(frames.a.y());
    const Sample *b = samplesOf<Sample>(frames.b.y());
    for (std::int32_t y = 0; y < format.height(); ++y) {
        const std::size_t start = static_cast<std::size_t>(y) * width;
        greyRow<Sample, false>(a + start, b + start, frames.mask, pictureRow(out, y), width);
    }
}

// Both frames' chroma of a layout without it is 128: no difference, mid grey throughout.
template <class Sample>
void drawChromaGrey(
    const Pair<Sample> &frames, const SamplePlane &a, const SamplePlane &b, PictureRows out)
{
    const FrameFormat &format = frames.a.format();
    const auto width = static_cast<std::size_t>(format.width());
    const std::size_t length = format.chromaRowLength();
    const bool none = format.layout().subsampling == Subsampling::None;
    const bool halved = format.halvesChromaAcross();
    for (std::int32_t y = 0; y < format.height(); ++y) {
        std::uint32_t *out32 = pictureRow(out, y);
        if (none) {
            for (std::size_t x = 0; x < width; ++x)
                out32[x] = opaque | 128u * greyChannels;
            continue;
        }
        const std::size_t start = chromaRowFor(format, y) * length;
        const Sample *rowA = samplesOf<Sample>(a) + start;
        const Sample *rowB = samplesOf<Sample>(b) + start;
        if (halved)
            greyRow<Sample, true>(rowA, rowB, frames.mask, out32, length);
        else
            greyRow<Sample, false>(rowA, rowB, frames.mask, out32, length);
    }
}

template <class Sample> bool draw(int view, const Pair<Sample> &frames, PictureRows out)
{
    switch (static_cast<FrameView>(view)) {
    case FrameView::Color:
        drawFlags<Sample, true, true, true>(frames, out);
        return true;
    case FrameView::Y:
        drawLumaGrey(frames, out);
        return true;
    case FrameView::U:
        drawChromaGrey(frames, frames.a.u(), frames.b.u(), out);
        return true;
    case FrameView::V:
        drawChromaGrey(frames, frames.a.v(), frames.b.v(), out);
        return true;
    case FrameView::R:
        drawFlags<Sample, true, false, false>(frames, out);
        return true;
    case FrameView::G:
        drawFlags<Sample, false, true, false>(frames, out);
        return true;
    case FrameView::B:
        drawFlags<Sample, false, false, true>(frames, out);
        return true;
    }
    return false;
}

// The whole picture of one view, as renderDifference promises it.
bool drawDifference(int view, const Frame &a, const Frame &b, PictureRows picture)
{
    const FrameFormat &format = a.format();
    if (format.bytesPerSample() == 1)
        return draw<std::uint8_t>(view, { a, b, 0xff }, picture);
    const auto mask = static_cast<std::uint16_t>((1u << format.depth()) - 1);
    return draw<std::uint16_t>(view, { a, b, mask }, picture);
}

} // namespace
