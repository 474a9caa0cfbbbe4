#pragma once

#include "framesource.h"

#include <cstdint>
#include <string>

// A headerless raw file: frame n is the frameBytes() bytes at n times that.
class RawFileSource : public FrameSource
{
public:
    // `frameCount` as counted when the file was chosen; `path` in the file system's bytes.
    RawFileSource(std::string path, const FrameFormat &format, std::int64_t frameCount);

    const std::string &path() const { return path_; }

    std::int64_t frameCount() const override { return frameCount_; }
    std::int64_t recount() override;
    LoadResult read(std::int64_t n, Frame &frame, std::int64_t upcoming = -1) const override;
    bool stillHolds(const Frame &frame) const override;
    std::unique_ptr<FrameSource> copy() const override;

    // Whole frames of `format` in a file of `fileSize` bytes; a partial last frame
    // does not count.
    static std::int64_t framesIn(std::int64_t fileSize, const FrameFormat &format);

private:
    std::string path_;
    std::int64_t frameCount_;
};
