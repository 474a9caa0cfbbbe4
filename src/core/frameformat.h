#pragma once

#include "samplelayout.h"

#include <cstddef>
#include <cstdint>
#include <optional>

// Which RGB a YUV sample stands for: the matrix of a standard (BT.2020 non-constant
// luminance) and the range of its samples, studio (16..235 luma at 8 bits) or full. The
// format carries the choice so that each stage is handed it rather than assuming it.
enum class ColourMatrix : std::int32_t { Bt601 = 0, Bt709 = 1, Bt2020 = 2 };
enum class ColourRange : std::int32_t { Limited = 0, Full = 1 };

// How every frame of one video is laid out: its layout, its size, and the sizes that
// follow from both. Made and checked once, when the video is opened, and handed whole to
// every stage of a frame's way, none of which looks the layout up again.
class FrameFormat
{
public:
    // Nothing for a PixelFormat value that names no layout, or a size that
    // checkFrameSize refuses for it.
    static std::optional<FrameFormat> make(std::int32_t pixelFormat, std::int32_t width,
        std::int32_t height, ColourMatrix matrix = ColourMatrix::Bt601,
        ColourRange range = ColourRange::Limited);

    const SampleLayout &layout() const { return *layout_; }
    std::int32_t pixelFormat() const { return layout_->format; }
    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    ColourMatrix matrix() const { return matrix_; }
    ColourRange range() const { return range_; }
    // The same layout and size with another matrix and range.
    FrameFormat withColour(ColourMatrix matrix, ColourRange range) const
    {
        FrameFormat other = *this;
        other.matrix_ = matrix;
        other.range_ = range;
        return other;
    }

    // Significant bits of a sample (8, 10 or 12), and how far above 8 they reach.
    std::int32_t depth() const { return layout_->depth; }
    std::int32_t depthAbove8() const { return layout_->depth - 8; }
    // Bytes of a sample in the planes and in the file: 1, or a 16-bit word beyond 8 bits.
    std::size_t bytesPerSample() const { return bytesPerSample_; }
    // w/2 chroma samples a row for 4:2:0 and 4:2:2, w for the others (samplelayout.h).
    bool halvesChromaAcross() const { return halvesChromaAcross_; }

    std::size_t lumaSamples() const { return lumaSamples_; }
    std::size_t chromaRowLength() const { return chromaRowLength_; }
    std::size_t chromaRows() const { return chromaRows_; }
    // Samples of each of the U and V planes.
    std::size_t chromaSamples() const { return chromaRowLength_ * chromaRows_; }
    std::size_t lumaBytes() const { return lumaSamples_ * bytesPerSample_; }
    std::size_t chromaBytes() const { return chromaSamples() * bytesPerSample_; }
    // Bytes of one frame in a raw file: frame n starts at n times this.
    std::int64_t frameBytes() const { return frameBytes_; }

    bool operator==(const FrameFormat &other) const
    {
        return layout_ == other.layout_ && width_ == other.width_ && height_ == other.height_
            && matrix_ == other.matrix_ && range_ == other.range_;
    }
    bool operator!=(const FrameFormat &other) const { return !(*this == other); }

private:
    FrameFormat(const SampleLayout &layout, std::int32_t width, std::int32_t height,
        ColourMatrix matrix, ColourRange range);

    const SampleLayout *layout_;
    std::int32_t width_;
    std::int32_t height_;
    ColourMatrix matrix_;
    ColourRange range_;
    std::size_t bytesPerSample_;
    bool halvesChromaAcross_;
    std::size_t lumaSamples_;
    std::size_t chromaRowLength_;
    std::size_t chromaRows_;
    std::int64_t frameBytes_;
};
