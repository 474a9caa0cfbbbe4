#include "frameformat.h"

#include "videoparameters.h"

std::optional<FrameFormat> FrameFormat::make(std::int32_t pixelFormat, std::int32_t width,
    std::int32_t height, ColourMatrix matrix, ColourRange range)
{
    const SampleLayout *layout = layoutOf(pixelFormat);
    if (!layout || !checkFrameSize(pixelFormat, width, height).ok())
        return std::nullopt;
    return FrameFormat(*layout, width, height, matrix, range);
}

FrameFormat::FrameFormat(const SampleLayout &layout, std::int32_t width, std::int32_t height,
    ColourMatrix matrix, ColourRange range)
    : layout_(&layout)
    , width_(width)
    , height_(height)
    , matrix_(matrix)
    , range_(range)
    , bytesPerSample_(::bytesPerSample(layout.format))
    , halvesChromaAcross_(::halvesChromaAcross(layout.format))
    , lumaSamples_(lumaPlaneSize(width, height))
    , chromaRowLength_(::chromaRowLength(layout.format, width))
    , chromaRows_(::chromaRows(layout.format, height))
    , frameBytes_(frameSize(layout.format, width, height))
{
}
