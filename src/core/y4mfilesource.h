#pragma once

#include "framesource.h"
#include "y4mheader.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// A y4m file: frame n's samples start where a table says, made as the file is counted
// by walking its FRAME lines, which may carry parameters and so differ in length. Only
// the lines are read, not the frames between them.
class Y4mFileSource : public FrameSource
{
public:
    // Where a note goes that the count stopped at bytes that are no FRAME line: one line
    // naming the file and the frame.
    using NoteSink = std::function<void(const std::string &)>;

    // Counts the frames of the file at `path`, whose header is `header`. A last frame cut
    // short does not count, as in a raw file. Throws std::invalid_argument for a header
    // whose layout and size no frame format takes.
    Y4mFileSource(std::string path, const Y4mHeader &header, NoteSink note = {});

    const std::string &path() const { return path_; }

    std::int64_t frameCount() const override { return frameCount_; }
    // Counts on from the end of the last frame counted, so a file that grows is not
    // walked again from its start.
    std::int64_t recount() override;
    LoadResult read(std::int64_t n, Frame &frame, std::int64_t upcoming = -1) const override;
    bool stillHolds(const Frame &frame) const override;
    std::unique_ptr<FrameSource> copy() const override;

    // Where frame n's samples start in the file; -1 for a frame not counted.
    std::int64_t frameStart(std::int64_t n) const;

private:
    struct CopyOf
    {
        const Y4mFileSource &source;
    };
    explicit Y4mFileSource(CopyOf original);
    // Reads the FRAME lines from walkedTo_ to the end of the file and adds their frames.
    void walk();

    std::string path_;
    Y4mHeader header_;
    NoteSink note_;
    // Guards the table: read() looks frames up on any thread while the owner recounts.
    mutable std::mutex tableMutex_;
    std::vector<std::int64_t> frameStarts_;
    std::int64_t frameCount_ = 0;
    // Where the FRAME line after the last frame counted starts.
    std::int64_t walkedTo_ = 0;
    // Where the count last stopped at bytes that are no FRAME line, noted once.
    std::int64_t notedAt_ = -1;
};
