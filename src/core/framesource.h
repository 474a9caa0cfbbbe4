#pragma once

#include "frame.h"
#include "frameformat.h"
#include "frameloader.h"

#include <cstdint>
#include <memory>

// Where a video's frames come from: how many there are, and frame n on request.
class FrameSource
{
public:
    explicit FrameSource(const FrameFormat &format)
        : format_(format)
    {
    }
    virtual ~FrameSource() = default;
    FrameSource(const FrameSource &) = delete;
    FrameSource &operator=(const FrameSource &) = delete;

    const FrameFormat &format() const { return format_; }

    // Frames from 0 to frameCount() - 1. Counted when the video was opened, and again
    // by recount(); both on the thread that owns the source.
    virtual std::int64_t frameCount() const = 0;
    // Counts the frames of the file as it is now, and returns the new count.
    virtual std::int64_t recount() = 0;

    // Reads frame n (0 or more) into `frame`, of this source's format, and records what
    // the read gave in it: a short read keeps the old samples after the last byte read, a
    // failed one keeps them all. `upcoming`, 0 or more, is the frame likely to be asked
    // for next. Safe on any thread, for different frames at once.
    virtual LoadResult read(std::int64_t n, Frame &frame, std::int64_t upcoming = -1) const = 0;

    // Whether the file still holds what `frame` was read from, so that a frame read
    // earlier may be shown as if read now.
    virtual bool stillHolds(const Frame &frame) const = 0;

    // Another source of the same file, counted as this one is, for a second reader of
    // the same frames.
    virtual std::unique_ptr<FrameSource> copy() const = 0;

private:
    FrameFormat format_;
};
