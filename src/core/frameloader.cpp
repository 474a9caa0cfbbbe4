#include "frameloader.h"

#include "deinterleave.h"
#include "samplelayout.h"
#include "videoparameters.h"
#include "yuvcoefficients.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
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
void adviseReadAhead(int fd, const ReadRequest &request, std::int64_t frameBytes)
{
    if (request.upcomingFrame < 0)
        return;
    const std::int64_t offset
        = request.upcomingOffset >= 0 ? request.upcomingOffset : request.upcomingFrame * frameBytes;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    ::posix_fadvise(
        fd, static_cast<off_t>(offset), static_cast<off_t>(frameBytes), POSIX_FADV_WILLNEED);
}

FileStamp stampFrom(const struct stat &status)
{
    return { static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
        static_cast<std::int64_t>(status.st_size), static_cast<std::int64_t>(status.st_mtim.tv_sec),
        static_cast<std::int64_t>(status.st_mtim.tv_nsec), false };
}

// Far more than the steps in which file systems keep modification times (a clock tick,
// 1 to 10 ms), so that any change after a settled stamp shows as a later time.
constexpr std::int64_t settlingNanoseconds = 50'000'000;

std::int64_t nanoseconds(std::int64_t seconds, std::int64_t fraction)
{
    return seconds * 1'000'000'000 + fraction;
}

// The file's stamp now: settled when it was last modified well before this call began.
FileStamp stampOfOpenFile(int fd)
{
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    struct stat status;
    if (::fstat(fd, &status) != 0)
        return {};
    FileStamp stamp = stampFrom(status);
    stamp.settled
        = nanoseconds(stamp.modifiedSeconds, stamp.modifiedNanoseconds) + settlingNanoseconds
        < nanoseconds(now.tv_sec, now.tv_nsec);
    return stamp;
}

// One frame of an open file, read part after part in file order: each read starts where
// the last one ended, and after a short one no read does anything, so a short read
// leaves the rest of the planes as they were.
class FrameFile
{
public:
    FrameFile(const std::string &path, const FrameFormat &format, const ReadRequest &request)
        : file_(openForReading(path))
        , frameBytes_(format.frameBytes())
        , offset_(request.frameOffset >= 0 ? request.frameOffset : request.frameIndex * frameBytes_)
        , ended_(file_.get() < 0)
    {
        if (ended_)
            return;
        adviseReadAhead(file_.get(), request, frameBytes_);
        if (request.stamp)
            *request.stamp = stampOfOpenFile(file_.get());
    }

    // size bytes straight into dest; returns how many arrived.
    std::size_t read(std::uint8_t *dest, std::size_t size)
    {
        if (ended_)
            return 0;
        const std::size_t got = readAt(file_.get(), dest, size, offset_);
        took(got, size);
        return got;
    }

    // size bytes straight into dest, readChunkBytes at a time, each piece handed to
    // place(bytes, count, at) while it is still in the cache, at its offset into dest.
    template <class Place> void readInPieces(std::uint8_t *dest, std::size_t size, Place place)
    {
        readPieces(
            size, [dest](std::size_t at) { return dest + at; }, place);
    }

    // size bytes through chunk (readChunkBytes long), each chunk handed to
    // place(bytes, count, at), at its offset into these size bytes.
    template <class Place> void readThrough(std::uint8_t *chunk, std::size_t size, Place place)
    {
        readPieces(
            size, [chunk](std::size_t) { return chunk; }, place);
    }

    LoadResult result() const
    {
        if (!ended_)
            return LoadResult::Complete;
        return total_ == 0 ? LoadResult::Nothing : LoadResult::Partial;
    }

private:
    // size bytes, readChunkBytes at a time, each piece read to target(at) and handed to
    // place there.
    template <class Target, class Place>
    void readPieces(std::size_t size, Target target, Place place)
    {
        for (std::size_t at = 0; at < size && !ended_;) {
            const std::size_t want = std::min(readChunkBytes, size - at);
            std::uint8_t *const to = target(at);
            const std::size_t got = readAt(file_.get(), to, want, offset_);
            place(to, got, at);
            at += got;
            took(got, want);
        }
    }

    void took(std::size_t got, std::size_t wanted)
    {
        offset_ += static_cast<std::int64_t>(got);
        total_ += got;
        ended_ = got < wanted;
    }

    ScopedFd file_;
    std::int64_t frameBytes_;
    std::int64_t offset_;
    std::size_t total_ = 0;
    bool ended_;
};

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr bool hostIsLittleEndian = false;
#else
constexpr bool hostIsLittleEndian = true;
#endif

// Bytes of whole words in the count bytes that arrived of a piece of even length. A
// word cut short by the end of the file takes 0 for its missing high byte, so that each
// sample the file reaches takes a value from this frame, not half of one from the last.
std::size_t wholeWords(std::uint8_t *bytes, std::size_t count)
{
    if (count % 2 == 0)
        return count;
    bytes[count] = 0;
    return count + 1;
}

// The grid's luma at 8 bits.
constexpr unsigned gridLuma = 200;

// Whole pixel pairs in every chunk but the last, so that each chunk splits on its own.
static_assert(readChunkBytes % 4 == 0);

} // namespace

bool FileStamp::operator==(const FileStamp &other) const
{
    return device == other.device && inode == other.inode && size == other.size
        && modifiedSeconds == other.modifiedSeconds
        && modifiedNanoseconds == other.modifiedNanoseconds;
}

FileStamp stampOf(const std::string &path)
{
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 ? stampFrom(status) : FileStamp {};
}

bool opensForReading(const std::string &path)
{
    return ScopedFd(openForReading(path)).get() >= 0;
}

LoadResult readPlanarFrame(const std::string &path, const FrameFormat &format,
    const ReadRequest &request, const FramePlanes &planes)
{
    FrameFile file(path, format, request);
    const std::size_t chroma = format.chromaSamples();
    const bool swapped = format.layout().vBeforeU;
    file.read(planes.y, format.lumaSamples());
    file.read(swapped ? planes.v : planes.u, chroma);
    file.read(swapped ? planes.u : planes.v, chroma);
    return file.result();
}

LoadResult readSemiPlanarFrame(const std::string &path, const FrameFormat &format,
    const ReadRequest &request, const FramePlanes &planes, std::uint8_t *chunk)
{
    FrameFile file(path, format, request);
    const bool swapped = format.layout().vBeforeU;
    std::uint8_t *const first = swapped ? planes.v : planes.u;
    std::uint8_t *const second = swapped ? planes.u : planes.v;
    file.read(planes.y, format.lumaSamples());
    file.readThrough(chunk, 2 * format.chromaSamples(),
        [&](const std::uint8_t *bytes, std::size_t count, std::size_t at) {
            splitPairs(bytes, count, first + at / 2, second + at / 2);
        });
    return file.result();
}

LoadResult readPackedFrame(const std::string &path, const FrameFormat &format,
    const ReadRequest &request, const FramePlanes &planes, std::uint8_t *chunk)
{
    FrameFile file(path, format, request);
    const SampleLayout &layout = format.layout();
    const bool lumaFirst = layout.packedOrder && layout.packedOrder[0] == 'Y';
    std::uint8_t *const first = layout.vBeforeU ? planes.v : planes.u;
    std::uint8_t *const second = layout.vBeforeU ? planes.u : planes.v;
    file.readThrough(chunk, 2 * format.lumaSamples(),
        [&](const std::uint8_t *bytes, std::size_t count, std::size_t at) {
            splitPacked(
                bytes, count, lumaFirst, planes.y + at / 2, first + at / 4, second + at / 4);
        });
    return file.result();
}

LoadResult readLumaFrame(const std::string &path, const FrameFormat &format,
    const ReadRequest &request, const FramePlanes &planes)
{
    FrameFile file(path, format, request);
    file.read(planes.y, format.lumaSamples());
    return file.result();
}

LoadResult readWordFrame(const std::string &path, const FrameFormat &format,
    const ReadRequest &request, const FramePlanes &planes, std::uint8_t *chunk)
{
    FrameFile file(path, format, request);
    const SampleLayout &layout = format.layout();
    const auto shift = static_cast<unsigned>(layout.bitShift);
    // Words that hold their samples low, in the host's order, are what the planes keep:
    // one copy of the file's bytes, as for 8-bit planes, and every stage ignores the bits
    // above the depth. Others are made so piece by piece, while the cache holds each.
    const bool asStored = shift == 0 && hostIsLittleEndian;
    const auto readPlane = [&](std::uint8_t *plane, std::size_t bytes) {
        if (asStored) {
            wholeWords(plane, file.read(plane, bytes));
            return;
        }
        auto *const samples = reinterpret_cast<std::uint16_t *>(plane);
        file.readInPieces(
            plane, bytes, [&](std::uint8_t *words, std::size_t count, std::size_t at) {
                placeWords(words, wholeWords(words, count), shift, samples + at / 2);
            });
    };
    auto *const u = reinterpret_cast<std::uint16_t *>(layout.vBeforeU ? planes.v : planes.u);
    auto *const v = reinterpret_cast<std::uint16_t *>(layout.vBeforeU ? planes.u : planes.v);
    const std::size_t chroma = format.chromaBytes();
    readPlane(planes.y, format.lumaBytes());
    switch (layout.storage) {
    case Storage::Planar:
        readPlane(reinterpret_cast<std::uint8_t *>(u), chroma);
        readPlane(reinterpret_cast<std::uint8_t *>(v), chroma);
        break;
    case Storage::SemiPlanar:
        file.readThrough(
            chunk, 2 * chroma, [&](std::uint8_t *words, std::size_t count, std::size_t at) {
                splitWordPairs(words, wholeWords(words, count), shift, u + at / 4, v + at / 4);
            });
        break;
    case Storage::Packed:
    case Storage::LumaOnly:
        break;
    }
    return file.result();
}

bool readsThroughChunk(const FrameFormat &format)
{
    const Storage storage = format.layout().storage;
    return storage == Storage::SemiPlanar || storage == Storage::Packed;
}

LoadResult readFrame(const std::string &path, const FrameFormat &format, const ReadRequest &request,
    const FramePlanes &planes, std::uint8_t *chunk)
{
    if (format.bytesPerSample() > 1)
        return readWordFrame(path, format, request, planes, chunk);
    switch (format.layout().storage) {
    case Storage::Planar:
        break;
    case Storage::SemiPlanar:
        return readSemiPlanarFrame(path, format, request, planes, chunk);
    case Storage::Packed:
        return readPackedFrame(path, format, request, planes, chunk);
    case Storage::LumaOnly:
        return readLumaFrame(path, format, request, planes);
    }
    return readPlanarFrame(path, format, request, planes);
}

namespace {

template <class Sample>
void markGridIn(
    Sample *yPlane, Sample value, std::int32_t width, std::int32_t height, std::int32_t step)
{
    const std::size_t w = static_cast<std::size_t>(width);
    for (std::int64_t row = 0; row < height; row += step)
        std::fill_n(yPlane + static_cast<std::size_t>(row) * w, w, value);
    for (std::size_t row = 0; row < static_cast<std::size_t>(height); ++row) {
        Sample *line = yPlane + row * w;
        for (std::int64_t column = 0; column < width; column += step)
            line[column] = value;
    }
}

// Fills `count` samples of the plane with the 8-bit value scaled to the format's depth.
void fillPlane(const FrameFormat &format, std::uint8_t *plane, std::size_t count, unsigned value8)
{
    if (format.bytesPerSample() == 1) {
        std::fill_n(plane, count, static_cast<std::uint8_t>(value8));
        return;
    }
    std::fill_n(reinterpret_cast<std::uint16_t *>(plane), count,
        static_cast<std::uint16_t>(value8 << format.depthAbove8()));
}

} // namespace

void markGrid(const FrameFormat &format, std::uint8_t *yPlane, std::int32_t step)
{
    if (step <= 0)
        return;
    const std::int32_t width = format.width();
    const std::int32_t height = format.height();
    const unsigned value = gridLuma << format.depthAbove8();
    if (format.bytesPerSample() == 1)
        markGridIn(yPlane, static_cast<std::uint8_t>(value), width, height, step);
    else
        markGridIn(reinterpret_cast<std::uint16_t *>(yPlane), static_cast<std::uint16_t>(value),
            width, height, step);
}

void markPictureGrid(const FrameFormat &format, PictureRows picture, std::int32_t step)
{
    if (step <= 0 || !picture.bits)
        return;
    const std::uint32_t grey = rgb32Pixel(gridLuma, gridLuma, gridLuma);
    const auto width = static_cast<std::size_t>(format.width());
    for (std::int32_t row = 0; row < format.height(); ++row) {
        auto *const line = reinterpret_cast<std::uint32_t *>(picture.bits + row * picture.stride);
        if (row % step == 0) {
            std::fill_n(line, width, grey);
            continue;
        }
        for (std::size_t column = 0; column < width; column += static_cast<std::size_t>(step))
            line[column] = grey;
    }
}

void fillBlackFrame(const FrameFormat &format, const FramePlanes &planes)
{
    const std::size_t chroma = format.chromaSamples();
    fillPlane(format, planes.y, format.lumaSamples(),
        static_cast<unsigned>(yuvCoefficients(format.matrix(), format.range()).black));
    fillPlane(format, planes.u, chroma, yuvcoefficients::chromaZero);
    fillPlane(format, planes.v, chroma, yuvcoefficients::chromaZero);
}
