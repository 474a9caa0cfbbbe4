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
    const auto orNull = [](SamplePlane &plane) { return plane.empty() ? nullptr : plane.data(); };
    return { y_.data(), u_.data(), v_.data(), orNull(r_), orNull(g_), orNull(b_), {} };
}

void Frame::makeColourPlanes()
{
    if (hasColourPlanes())
        return;
    SamplePlane r(format_.lumaSamples()), g(format_.lumaSamples()), b(format_.lumaSamples());
    r_.swap(r);
    g_.swap(g);
    b_.swap(b);
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
    r_.swap(other.r_);
    g_.swap(other.g_);
    b_.swap(other.b_);
    chunk_.swap(other.chunk_);
}
