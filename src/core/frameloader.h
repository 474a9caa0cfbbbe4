#pragma once

#include "frameformat.h"
#include "frameplanes.h"

#include <cstddef>
#include <cstdint>
#include <string>

// How much of a frame the file delivered. The planes keep their old samples
// after the last byte read, so a short read still converts what is there.
enum class LoadResult { Complete, Partial, Nothing };

// Whether the file opens for reading now: the question a loader will ask, which its
// permission bits do not answer (root reads every file, whatever its bits).
bool opensForReading(const std::string &path);

// Sets every sample of rows and columns 0, step, 2*step, ... to 200, scaled to the
// format's depth (200 * 2^(depth - 8)), so that every depth shows the grid in the same
// grey; nothing when step <= 0.
void markGrid(const FrameFormat &format, std::uint8_t *yPlane, std::int32_t step);
// The same grid over a drawn picture, in the grey of 200 that it shows in the Y view: for
// pictures that no luma plane is drawn from, such as a difference.
void markPictureGrid(const FrameFormat &format, PictureRows picture, std::int32_t step);

// The planes of a frame not yet read, in the format's depth: Y black in its range (16
// limited, 0 full) and U, V zero chroma (128), which convert to R, G, B 0; a format
// without chroma keeps its U and V row for good.
void fillBlackFrame(const FrameFormat &format, const FramePlanes &planes);

// What identifies the file that a frame was read from, as it was then: a frame read
// ahead is shown only while the file is still the same file with the same size and
// modification time. All zero when the file could not be opened.
struct FileStamp
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    // Whether the file had been left alone for a while when it was read. File systems
    // keep the time of a change in steps of a few milliseconds, so a change made just
    // after a read of a file changed just before may leave the same time behind: only a
    // settled stamp tells for certain that nothing changed since.
    bool settled = false;
    // Equal in what identifies the file, whether settled or not.
    bool operator==(const FileStamp &other) const;
    bool operator!=(const FileStamp &other) const { return !(*this == other); }
};

// The file at `path` now; all zero when it cannot be looked at.
FileStamp stampOf(const std::string &path);

// The first stage of a frame's way, and its only I/O, one per way of storing a frame
// (samplelayout.h): each opens the file, reads frame frameIndex (at frameIndex * frame
// size, or at frameOffset) into planes.y, .u and .v, and closes it. Precondition: frameIndex >= 0,
// planes sized for the format. An upcomingFrame of 0 or more is the frame that playback shows next:
// the kernel is told to read it ahead. With `stamp`, the opened file's stamp is stored there.
struct ReadRequest
{
    std::int64_t frameIndex = 0;
    std::int64_t upcomingFrame = -1;
    FileStamp *stamp = nullptr;
    // Where the frame's samples start, and the upcoming frame's, in files whose frames
    // are not one after the other at the frame size (y4m); -1: the frame's index times
    // the frame size.
    std::int64_t frameOffset = -1;
    std::int64_t upcomingOffset = -1;
};

// Three planes one after the other, read straight into Y, U and V (V, U for yvu420p).
LoadResult readPlanarFrame(const std::string &path, const FrameFormat &format,
    const ReadRequest &request, const FramePlanes &planes);

// Bytes of the caller's buffer through which interleaved layouts are read: a few at a
// time, so that they are split while still in the cache, and no frame allocates.
constexpr std::size_t readChunkBytes = std::size_t { 128 } << 10;

// A Y plane read straight into Y, then U,V (V,U for nv21) pairs split into U and V
// through chunk, readChunkBytes long.
LoadResult readSemiPlanarFrame(const std::string &path, const FrameFormat &format,
    const ReadRequest &request, const FramePlanes &planes, std::uint8_t *chunk);

// Packed pixel pairs split into Y, U and V through chunk, readChunkBytes long.
LoadResult readPackedFrame(const std::string &path, const FrameFormat &format,
    const ReadRequest &request, const FramePlanes &planes, std::uint8_t *chunk);

// The Y plane alone; U and V keep what they hold (128 from the window).
LoadResult readLumaFrame(const std::string &path, const FrameFormat &format,
    const ReadRequest &request, const FramePlanes &planes);

// Any layout in 16-bit words (samplelayout.h: depth above 8): planar, p010's Y then U,V
// pairs, or Y alone, into words in host order whose low `depth` bits are the samples
// (frameplanes.h). Planes whose samples sit in the low bits are read straight into place
// as they are, on a little-endian host; p010's, whose samples sit high, are shifted down
// in place piece by piece, and its pairs split through chunk (readChunkBytes long; null
// for the others, as readsThroughChunk says). A word cut short by the end of the file
// takes 0 for its missing high byte.
LoadResult readWordFrame(const std::string &path, const FrameFormat &format,
    const ReadRequest &request, const FramePlanes &planes, std::uint8_t *chunk);

// Whether the format's frames are read through a chunk.
bool readsThroughChunk(const FrameFormat &format);

// The reader of the format's way of storing, as above; chunk may be null where
// readsThroughChunk is false.
LoadResult readFrame(const std::string &path, const FrameFormat &format, const ReadRequest &request,
    const FramePlanes &planes, std::uint8_t *chunk);
