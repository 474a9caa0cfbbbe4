#include "frameloader.h"

#include "videoparameters.h"

#include <cerrno>
#include <cstddef>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Closes the descriptor on every path out of a load.
class ScopedFd
{
public:
    explicit ScopedFd(int fd)
        : fd_(fd)
    {
    }
    ~ScopedFd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    ScopedFd(const ScopedFd &) = delete;
    ScopedFd &operator=(const ScopedFd &) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// O_NONBLOCK: a FIFO or device named as the video must not hang the GUI thread.
int openForReading(const std::string &path)
{
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

// Reads up to size bytes at offset into the start of dest; returns how many arrived.
// Stops at the end of the file or at any error (a FIFO, a device with nothing ready).
std::size_t readAt(int fd, std::uint8_t *dest, std::size_t size, std::int64_t offset)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, dest + done, size - done,
            static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

// Playback reads a file front to back: the kernel may read ahead generously, and fetch
// the next frame while this one is converted and drawn, so that a file larger than the
// memory plays from disk without stalls.
void adviseReadAhead(int fd, std::int32_t upcomingFrame, std::int64_t frameBytes)
{
    if (upcomingFrame < 0)
        return;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    ::posix_fadvise(fd, static_cast<off_t>(std::int64_t { upcomingFrame } * frameBytes),
        static_cast<off_t>(frameBytes), POSIX_FADV_WILLNEED);
}

} // namespace

bool opensForReading(const std::string &path)
{
    return ScopedFd(openForReading(path)).get() >= 0;
}

// Reads the three planes in file order; a short read leaves the rest as it was.
LoadResult readPlanarFrame(const std::string &path, std::int32_t format, std::int32_t width,
    std::int32_t height, std::int32_t frameIndex, const FramePlanes &planes,
    std::int32_t upcomingFrame)
{
    const ScopedFd file(openForReading(path));
    if (file.get() < 0)
        return LoadResult::Nothing;
    adviseReadAhead(file.get(), upcomingFrame, frameSize(format, width, height));

    const std::size_t sizes[3] = { lumaPlaneSize(width, height),
        chromaPlaneSize(format, width, height), chromaPlaneSize(format, width, height) };
    std::uint8_t *const targets[3] = { planes.y, planes.u, planes.v };
    std::int64_t offset = std::int64_t { frameIndex } * frameSize(format, width, height);
    std::size_t total = 0;
    for (int plane = 0; plane < 3; ++plane) {
        const std::size_t got = readAt(file.get(), targets[plane], sizes[plane], offset);
        total += got;
        if (got < sizes[plane])
            return total == 0 ? LoadResult::Nothing : LoadResult::Partial;
        offset += static_cast<std::int64_t>(got);
    }
    return LoadResult::Complete;
}

void markGrid(std::uint8_t *yPlane, std::int32_t width, std::int32_t height, std::int32_t step)
{
    if (step <= 0)
        return;
    const std::size_t w = static_cast<std::size_t>(width);
    for (std::int64_t row = 0; row < height; row += step) {
        std::uint8_t *line = yPlane + static_cast<std::size_t>(row) * w;
        for (std::size_t x = 0; x < w; ++x)
            line[x] = 200;
    }
    for (std::size_t row = 0; row < static_cast<std::size_t>(height); ++row) {
        std::uint8_t *line = yPlane + row * w;
        for (std::int64_t column = 0; column < width; column += step)
            line[column] = 200;
    }
}
