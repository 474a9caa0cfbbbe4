#include "viewrenderer.h"

#include "processorfeatures.h"
#include "streamingstores.h"
#include "yuvconvert.h"
#include "yuvrowkernel.h"

#if defined(ZENTAVO_X86_KERNELS)
#include "rgb32sse2.h"
#endif

namespace {

// Which planes reach which channel: each mask is 0xff to keep the sample, 0 to drop it.
using Channels = PictureChannels;

std::uint32_t *row(PictureRows out, std::int32_t y)
{
    return reinterpret_cast<std::uint32_t *>(out.bits + out.stride * y);
}

std::uint32_t packPixel(std::uint8_t r, std::uint8_t g, std::uint8_t b, Channels keep)
{
    return rgb32Pixel(r & keep.red, g & keep.green, b & keep.blue);
}

#if defined(ZENTAVO_X86_KERNELS)
// Sixteen pixels in four stores.
void packSixteen(const std::uint8_t *r, const std::uint8_t *g, const std::uint8_t *b, Channels keep,
    std::uint32_t *out)
{
    const __m128i red = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(r)),
        _mm_set1_epi8(static_cast<char>(keep.red)));
    const __m128i green = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(g)),
        _mm_set1_epi8(static_cast<char>(keep.green)));
    const __m128i blue = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(b)),
        _mm_set1_epi8(static_cast<char>(keep.blue)));
    storeSixteenPixels(out, red, green, blue);
}
#endif

void packRow(const std::uint8_t *r, const std::uint8_t *g, const std::uint8_t *b, Channels keep,
    std::uint32_t *out, std::size_t width)
{
    std::size_t x = 0;
#if defined(ZENTAVO_X86_KERNELS)
    for (; x + 16 <= width; x += 16)
        packSixteen(r + x, g + x, b + x, keep, out + x);
#endif
    for (; x < width; ++x)
        out[x] = packPixel(r[x], g[x], b[x], keep);
}

// Packs each row of one plane, or of three, into the picture's rows.
void packRows(const std::uint8_t *r, const std::uint8_t *g, const std::uint8_t *b, Channels keep,
    std::int32_t width, std::int32_t height, PictureRows out)
{
    const std::size_t w = static_cast<std::size_t>(width);
    for (std::int32_t y = 0; y < height; ++y) {
        const std::size_t start = static_cast<std::size_t>(y) * w;
        packRow(r + start, g + start, b + start, keep, row(out, y), w);
    }
}

// The sample in a word of a layout `shift` bits deeper than 8 (the bits above its depth
// ignored), rounded to 8 bits.
std::uint32_t greyPixel(std::uint16_t word, unsigned shift)
{
    const unsigned sample = word & ((1u << (8 + shift)) - 1);
    const unsigned grey = (sample + (1u << (shift - 1))) >> shift;
    const auto level = static_cast<std::uint8_t>(grey > 255 ? 255 : grey);
    return rgb32Pixel(level, level, level);
}

// pixel(j) for j from `from` below samples, each one pixel wide, or two where chroma is
// halved across.
template <class Pixel>
void spreadRow(Pixel pixel, std::size_t from, std::size_t samples, bool doubled, std::uint32_t *out)
{
    if (!doubled) {
        for (std::size_t j = from; j < samples; ++j)
            out[j] = pixel(j);
        return;
    }
    for (std::size_t j = from; j < samples; ++j) {
        const std::uint32_t grey = pixel(j);
        out[2 * j] = grey;
        out[2 * j + 1] = grey;
    }
}

// One row of `samples` samples of the format in grey: the kernel as far as it goes, the
// portable loop for the rest.
void greyRow(GreyRowKernel kernel, const std::uint8_t *plane, const FrameFormat &format,
    std::size_t samples, bool doubled, std::uint32_t *out)
{
    const std::size_t done = kernel(plane, format.depth(), samples, doubled, out);
    if (format.bytesPerSample() > 1) {
        const auto *words = reinterpret_cast<const std::uint16_t *>(plane);
        const auto shift = static_cast<unsigned>(format.depthAbove8());
        spreadRow(
            [&](std::size_t j) { return greyPixel(words[j], shift); }, done, samples, doubled, out);
    } else {
        spreadRow([&](std::size_t j) { return rgb32Pixel(plane[j], plane[j], plane[j]); }, done,
            samples, doubled, out);
    }
}

// Orders a streaming kernel's stores before whatever follows, such as the painter reading
// the picture on another thread.
void fenceStreamingStores()
{
#if defined(ZENTAVO_X86_KERNELS)
    _mm_sfence();
#endif
}

GreyRowKernels pickGreyRowKernels()
{
#if defined(ZENTAVO_X86_KERNELS)
    if (processorHasAvx2())
        return { greyRowAvx2, greyRowAvx2Streaming };
    return { greyRowSse2, greyRowSse2Streaming };
#else
    return { greyRowNone, greyRowNone };
#endif
}

// The grey views' pictures through the cache or around it, as measured (streamingstores.h).
void drawGrey(const FrameFormat &format,
    void (*render)(GreyRowKernel, const std::uint8_t *, const FrameFormat &, PictureRows),
    const std::uint8_t *plane, PictureRows out)
{
    static StoreChoice stores;
    const GreyRowKernels kernels = bestGreyRowKernels();
    if (kernels.cached == kernels.streaming) {
        render(kernels.cached, plane, format, out);
        return;
    }
    const std::size_t bytes = static_cast<std::size_t>(format.width())
        * static_cast<std::size_t>(format.height()) * sizeof(std::uint32_t);
    stores.run(bytes, [&](bool stream) {
        render(stream ? kernels.streaming : kernels.cached, plane, format, out);
    });
}

Channels primaryChannels(Primary primary)
{
    switch (primary) {
    case Primary::Red:
        return { 0xff, 0, 0 };
    case Primary::Green:
        return { 0, 0xff, 0 };
    case Primary::Blue:
        break;
    }
    return { 0, 0, 0xff };
}

} // namespace

std::size_t greyRowNone(const std::uint8_t *, int, std::size_t, bool, std::uint32_t *)
{
    return 0;
}

GreyRowKernels bestGreyRowKernels()
{
    // Chosen once, on first use, as the conversion's kernels are.
    static const GreyRowKernels kernels = pickGreyRowKernels();
    return kernels;
}

void renderGreyWith(
    GreyRowKernel kernel, const std::uint8_t *plane, const FrameFormat &format, PictureRows out)
{
    const auto width = static_cast<std::size_t>(format.width());
    const std::size_t rowBytes = width * format.bytesPerSample();
    for (std::int32_t y = 0; y < format.height(); ++y)
        greyRow(kernel, plane + static_cast<std::size_t>(y) * rowBytes, format, width, false,
            row(out, y));
    fenceStreamingStores();
}

void renderChromaWith(
    GreyRowKernel kernel, const std::uint8_t *plane, const FrameFormat &format, PictureRows out)
{
    // 4:4:4 chroma is a plane like the luma.
    if (format.layout().subsampling == Subsampling::Yuv444) {
        renderGreyWith(kernel, plane, format, out);
        return;
    }
    // Lines that share a chroma row draw it again rather than copy the line above, which
    // a streaming kernel has left out of the cache.
    const std::size_t samples = format.chromaRowLength();
    const std::size_t rowBytes = samples * format.bytesPerSample();
    for (std::int32_t y = 0; y < format.height(); ++y)
        greyRow(kernel, plane + chromaRowFor(format, y) * rowBytes, format, samples,
            format.halvesChromaAcross(), row(out, y));
    fenceStreamingStores();
}

void renderGrey(const std::uint8_t *plane, const FrameFormat &format, PictureRows out)
{
    drawGrey(format, renderGreyWith, plane, out);
}

void renderChroma(const std::uint8_t *plane, const FrameFormat &format, PictureRows out)
{
    drawGrey(format, renderChromaWith, plane, out);
}

void renderPrimary(const std::uint8_t *plane, Primary primary, std::int32_t width,
    std::int32_t height, PictureRows out)
{
    packRows(plane, plane, plane, primaryChannels(primary), width, height, out);
}

bool renderView(int view, const FrameFormat &format, const FramePlanes &planes)
{
    // The picture of the colour and the primary views comes out of the conversion;
    // the other views convert only into the planes that the caller gives.
    FramePlanes planesOnly = planes;
    planesOnly.picture = {};
    switch (static_cast<FrameView>(view)) {
    case FrameView::Color:
        convertFrame(format, planes);
        return true;
    case FrameView::Y:
        convertFrame(format, planesOnly);
        renderGrey(planes.y, format, planes.picture);
        return true;
    case FrameView::U:
        convertFrame(format, planesOnly);
        renderChroma(planes.u, format, planes.picture);
        return true;
    case FrameView::V:
        convertFrame(format, planesOnly);
        renderChroma(planes.v, format, planes.picture);
        return true;
    case FrameView::R:
        convertFrame(format, planes, primaryChannels(Primary::Red));
        return true;
    case FrameView::G:
        convertFrame(format, planes, primaryChannels(Primary::Green));
        return true;
    case FrameView::B:
        convertFrame(format, planes, primaryChannels(Primary::Blue));
        return true;
    }
    return false;
}
