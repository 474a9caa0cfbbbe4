#include "rawfilesource.h"

#include <utility>

RawFileSource::RawFileSource(std::string path, const FrameFormat &format, std::int64_t frameCount)
    : FrameSource(format)
    , path_(std::move(path))
    , frameCount_(frameCount > 0 ? frameCount : 0)
{
}

std::int64_t RawFileSource::recount()
{
    // A file that cannot be looked at keeps its count, as a y4m file does: its frames then
    // fail to read, which says what happened, where a count of 0 would not.
    const FileStamp stamp = stampOf(path_);
    if (stamp != FileStamp {})
        frameCount_ = framesIn(stamp.size, format());
    return frameCount_;
}

LoadResult RawFileSource::read(std::int64_t n, Frame &frame, std::int64_t upcoming) const
{
    FileStamp stamp;
    const LoadResult result
        = readFrame(path_, format(), { n, upcoming, &stamp }, frame.planes(), frame.chunk());
    frame.recordRead(n, result, stamp);
    return result;
}

bool RawFileSource::stillHolds(const Frame &frame) const
{
    // A file that could not be opened has nothing to keep, and one changed around the
    // read may have changed after it without a later time to show for it.
    return frame.result() == LoadResult::Complete && frame.stamp().settled
        && stampOf(path_) == frame.stamp();
}

std::int64_t RawFileSource::framesIn(std::int64_t fileSize, const FrameFormat &format)
{
    const std::int64_t bytes = format.frameBytes();
    return bytes > 0 && fileSize > 0 ? fileSize / bytes : 0;
}

std::unique_ptr<FrameSource> RawFileSource::copy() const
{
    return std::make_unique<RawFileSource>(path_, format(), frameCount_);
}
