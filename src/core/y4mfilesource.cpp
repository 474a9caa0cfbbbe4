#include "y4mfilesource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

FrameFormat formatOf(const Y4mHeader &header)
{
    // Without XCOLORRANGE the samples are taken as limited, as for a raw file.
    const std::optional<FrameFormat> format
        = FrameFormat::make(header.format, header.width, header.height, ColourMatrix::Bt601,
            header.range == Y4mRange::Full ? ColourRange::Full : ColourRange::Limited);
    if (!format)
        throw std::invalid_argument("no frame format takes this layout and size");
    return *format;
}

std::size_t readAt(int fd, char *dest, std::size_t size, std::int64_t offset)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got
            = ::pread(fd, dest + done, size - done, off_t(offset + std::int64_t(done)));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += std::size_t(got);
    }
    return done;
}

constexpr std::string_view frameTag = "FRAME";

// Whether `text`, all that the file holds from a line's start, may be the start of a
// FRAME line cut short by the end of the file.
bool beginsFrameLine(std::string_view text)
{
    const std::size_t tag = std::min(text.size(), frameTag.size());
    return text.substr(0, tag) == frameTag.substr(0, tag)
        && (text.size() <= frameTag.size() || text[frameTag.size()] == ' ');
}

// Most FRAME lines are "FRAME\n": a short read finds them, and the longest line taken
// is read only for a line that is longer.
constexpr std::size_t shortLineBytes = 64;

} // namespace

Y4mFileSource::Y4mFileSource(std::string path, const Y4mHeader &header, NoteSink note)
    : FrameSource(formatOf(header))
    , path_(std::move(path))
    , header_(header)
    , note_(std::move(note))
    , walkedTo_(header.length)
{
    walk();
}

Y4mFileSource::Y4mFileSource(CopyOf original)
    : FrameSource(original.source.format())
    , path_(original.source.path_)
    , header_(original.source.header_)
    , note_(original.source.note_)
    , frameCount_(original.source.frameCount_)
    , walkedTo_(original.source.walkedTo_)
    , notedAt_(original.source.notedAt_)
{
    const std::lock_guard<std::mutex> lock(original.source.tableMutex_);
    frameStarts_ = original.source.frameStarts_;
}

std::int64_t Y4mFileSource::recount()
{
    walk();
    return frameCount_;
}

void Y4mFileSource::walk()
{
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return;
    struct stat status;
    if (::fstat(fd, &status) != 0) {
        ::close(fd);
        return;
    }
    const std::int64_t size = status.st_size;
    const std::int64_t frameBytes = format().frameBytes();
    // Only the lines are read: the kernel must not read ahead the frames between them,
    // which would make counting a long file from a cold disk read all of it.
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);

    if (size < walkedTo_) {
        // The file shrank: the frames it no longer holds whole go.
        const std::lock_guard<std::mutex> lock(tableMutex_);
        while (!frameStarts_.empty() && frameStarts_.back() + frameBytes > size)
            frameStarts_.pop_back();
        walkedTo_ = frameStarts_.empty() ? header_.length : frameStarts_.back() + frameBytes;
        frameCount_ = std::int64_t(frameStarts_.size());
    }

    std::vector<std::int64_t> found;
    std::int64_t at = walkedTo_;
    std::int64_t strayAt = -1;
    char line[maxY4mLineBytes];
    while (at < size) {
        const std::size_t left = std::size_t(std::min<std::int64_t>(size - at, maxY4mLineBytes));
        std::size_t got = readAt(fd, line, std::min(left, shortLineBytes), at);
        const void *end = std::memchr(line, '\n', got);
        if (!end && got < left) {
            got = readAt(fd, line, left, at);
            end = std::memchr(line, '\n', got);
        }
        if (!end) {
            // A line that the file's end cuts short is a frame cut short; anything else is
            // not a FRAME line.
            if (at + std::int64_t(got) < size || !beginsFrameLine(std::string_view(line, got)))
                strayAt = at;
            break;
        }
        const auto length = std::size_t(static_cast<const char *>(end) - line);
        const std::string_view text(line, length);
        if (text.substr(0, frameTag.size()) != frameTag
            || (length > frameTag.size() && text[frameTag.size()] != ' ')) {
            strayAt = at;
            break;
        }
        const std::int64_t start = at + std::int64_t(length) + 1;
        if (frameBytes > size - start)
            break;
        found.push_back(start);
        at = start + frameBytes;
    }
    ::close(fd);

    {
        const std::lock_guard<std::mutex> lock(tableMutex_);
        frameStarts_.insert(frameStarts_.end(), found.begin(), found.end());
        frameCount_ = std::int64_t(frameStarts_.size());
    }
    walkedTo_ = at;
    if (strayAt >= 0 && strayAt != notedAt_) {
        notedAt_ = strayAt;
        if (note_)
            note_(path_ + ": no FRAME line where frame " + std::to_string(frameCount_)
                + " should begin; the video ends before it.");
    }
}

std::int64_t Y4mFileSource::frameStart(std::int64_t n) const
{
    const std::lock_guard<std::mutex> lock(tableMutex_);
    return n >= 0 && n < std::int64_t(frameStarts_.size()) ? frameStarts_[std::size_t(n)] : -1;
}

LoadResult Y4mFileSource::read(std::int64_t n, Frame &frame, std::int64_t upcoming) const
{
    const std::int64_t start = frameStart(n);
    if (start < 0) {
        frame.recordRead(n, LoadResult::Nothing, FileStamp {});
        return LoadResult::Nothing;
    }
    const std::int64_t upcomingStart = frameStart(upcoming);
    FileStamp stamp;
    const ReadRequest request { n, upcomingStart >= 0 ? upcoming : -1, &stamp, start,
        upcomingStart };
    const LoadResult result = readFrame(path_, format(), request, frame.planes(), frame.chunk());
    frame.recordRead(n, result, stamp);
    return result;
}

bool Y4mFileSource::stillHolds(const Frame &frame) const
{
    // As for a raw file: only a complete read of a file left alone since can be kept.
    return frame.result() == LoadResult::Complete && frame.stamp().settled
        && stampOf(path_) == frame.stamp();
}

std::unique_ptr<FrameSource> Y4mFileSource::copy() const
{
    return std::unique_ptr<FrameSource>(new Y4mFileSource(CopyOf { *this }));
}
