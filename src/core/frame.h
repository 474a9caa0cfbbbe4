#pragma once

#include "cachelineallocator.h"
#include "frameformat.h"
#include "frameloader.h"
#include "frameplanes.h"

#include <cstdint>

// One frame of a video in memory: its format, which frame of the video it holds, what
// reading it gave, and its Y, U and V planes (16-bit words beyond 8 bits). A new frame
// is black. Every view is drawn from Y, U and V, so a frame keeps no R, G and B planes.
class Frame
{
public:
    // Throws std::bad_alloc, having freed what it took, when the planes do not fit.
    explicit Frame(const FrameFormat &format);

    const FrameFormat &format() const { return format_; }
    // -1 until a frame has been read into it.
    std::int64_t index() const { return index_; }
    LoadResult result() const { return result_; }
    // The file as it was when the frame was read.
    const FileStamp &stamp() const { return stamp_; }

    // What a source's read of frame `index` gave.
    void recordRead(std::int64_t index, LoadResult result, const FileStamp &stamp);
    // The bytes through which interleaved layouts are read (readChunkBytes); null for
    // the layouts read straight into their planes.
    std::uint8_t *chunk() { return chunk_.empty() ? nullptr : chunk_.data(); }

    // Y, U and V for the stages; no R, G and B planes, and no picture (it is the caller's).
    FramePlanes planes();
    // The samples, as the stages after reading see them.
    const SamplePlane &y() const { return y_; }
    const SamplePlane &u() const { return u_; }
    const SamplePlane &v() const { return v_; }

    // Swaps contents with another frame of the same format.
    void swap(Frame &other) noexcept;

private:
    FrameFormat format_;
    std::int64_t index_ = -1;
    LoadResult result_ = LoadResult::Nothing;
    FileStamp stamp_;
    SamplePlane y_, u_, v_;
    // The bytes through which interleaved layouts are read; empty for the others.
    SamplePlane chunk_;
};
