#include "frame.h"

#include <utility>

Frame::Frame(const FrameFormat &format)
    : format_(format)
{
    // Sized before anything is written: new planes read as zero without costing memory,
    // so a frame too large for the address space is refused at once, not after
    // gigabytes of writes.
    y_.resize(format.lumaBytes());
    u_.resize(format.chromaBytes());
    v_.resize(format.chromaBytes());
    if (readsThroughChunk(format))
        chunk_.resize(readChunkBytes);
    for (SamplePlane *plane : { &y_, &u_, &v_ })
        mapInNow(*plane);
    fillBlackFrame(format, planes());
}

void Frame::recordRead(std::int64_t index, LoadResult result, const FileStamp &stamp)
{
    index_ = index;
    result_ = result;
    stamp_ = stamp;
}

FramePlanes Frame::planes()
{
    return { y_.data(), u_.data(), v_.data(), nullptr, nullptr, nullptr, {} };
}

void Frame::swap(Frame &other) noexcept
{
    std::swap(format_, other.format_);
    std::swap(index_, other.index_);
    std::swap(result_, other.result_);
    std::swap(stamp_, other.stamp_);
    y_.swap(other.y_);
    u_.swap(other.u_);
    v_.swap(other.v_);
    chunk_.swap(other.chunk_);
}
