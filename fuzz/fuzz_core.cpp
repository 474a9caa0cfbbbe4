// libFuzzer target over the frame pipeline: size validation, frame loading of every
// layout and depth with the grid, every conversion kernel, the view renderers and the
// pixel readout, checked against plain rules.
//
// Input: a 28-byte header of little-endian fields, then the bytes of the video file.
//   int32 width, int32 height, int32 format, int32 gridStep, uint32 frame,
//   int32 pointX, int32 pointY (readout point in quarter pixels)
// An input that begins "YUV4MPEG2 " is a y4m file instead: its header is parsed, its
// FRAME lines walked and its first frames read, checked against a plain walk.

#include "cachelineallocator.h"
#include "frameformat.h"
#include "frameloader.h"
#include "pixelreadout.h"
#include "processorfeatures.h"
#include "samplelayout.h"
#include "videoparameters.h"
#include "viewrenderer.h"
#include "y4mfilesource.h"
#include "y4mheader.h"
#include "yuvconvert.h"
#include "yuvreference.h"
#include "yuvrowkernel.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

// Larger frames are validated but not loaded: a 16384 x 16384 frame takes seconds
// per input and would starve the search.
constexpr std::int64_t maxLoadedPixels = 1 << 18;

// Planes start with this byte so that any sample the loader did not write shows; planes of
// 16-bit samples with this word, a sample that every depth has.
constexpr std::uint8_t untouched = 0xa5;
constexpr int untouchedWord = 0x1a5;

struct Header
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t format = 0;
    std::int32_t gridStep = 0;
    std::uint32_t frame = 0;
    std::int32_t pointX = 0;
    std::int32_t pointY = 0;
};

constexpr std::size_t headerSize = 28;

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz_core: %s\n", what);
        std::abort();
    }
}

std::int32_t fieldAt(const std::uint8_t *data, std::size_t index)
{
    std::uint32_t value = 0;
    for (int byte = 3; byte >= 0; --byte)
        value = (value << 8) | data[index * 4 + static_cast<std::size_t>(byte)];
    std::int32_t result;
    std::memcpy(&result, &value, sizeof result);
    return result;
}

Header readHeader(const std::uint8_t *data)
{
    Header h;
    h.width = fieldAt(data, 0);
    h.height = fieldAt(data, 1);
    h.format = fieldAt(data, 2);
    h.gridStep = fieldAt(data, 3);
    h.frame = static_cast<std::uint32_t>(fieldAt(data, 4));
    h.pointX = fieldAt(data, 5);
    h.pointY = fieldAt(data, 6);
    return h;
}

bool dimensionAccepted(std::int32_t value, bool even = true)
{
    return value > 0 && value <= 16384 && (!even || value % 2 == 0);
}

bool knownFormat(std::int32_t format)
{
    return format >= YV12 && format <= P010le;
}

// Bytes a sample takes: 2 in the layouts of 16-bit words.
std::size_t sampleBytes(std::int32_t format)
{
    return referenceSamples(format).depth > 8 ? 2 : 1;
}

// A sample of a plane: a byte, or the low `depth` bits of a word, whatever lies above.
int sampleIn(const SamplePlane &plane, std::int32_t format, std::size_t index)
{
    if (sampleBytes(format) == 1)
        return plane[index];
    return (plane[2 * index] | plane[2 * index + 1] << 8)
        & ((1 << referenceSamples(format).depth) - 1);
}

bool sameSamples(const SamplePlane &a, const SamplePlane &b, std::int32_t format)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size() / sampleBytes(format); ++i) {
        if (sampleIn(a, format, i) != sampleIn(b, format, i))
            return false;
    }
    return true;
}

void setSample(SamplePlane &plane, std::int32_t format, std::size_t index, int value)
{
    if (sampleBytes(format) == 1) {
        plane[index] = static_cast<std::uint8_t>(value);
        return;
    }
    plane[2 * index] = static_cast<std::uint8_t>(value);
    plane[2 * index + 1] = static_cast<std::uint8_t>(value >> 8);
}

// The grey a sample shows in the Y, U and V views: rounded to 8 bits, at most 255.
int greyOf(std::int32_t format, int sample)
{
    const int s = referenceSamples(format).depth - 8;
    return s == 0 ? sample : std::min(255, (sample + (1 << (s - 1))) >> s);
}

bool chroma422(std::int32_t format)
{
    return isPlanar422(format) || (format >= Yuyv422 && format <= Nv16);
}

// The layouts' rules as the README states them: odd widths where chroma is not halved
// across (yuv444p, gray), odd heights for those and the 4:2:2 layouts the command line
// names; the dialog's two and unknown formats keep both even.
bool acceptedFor(std::int32_t format, std::int32_t width, std::int32_t height)
{
    const std::int32_t twin = referenceSamples(format).twin;
    const bool fullWidth = twin == Yuv444p || twin == Gray;
    const bool anyHeight = fullWidth || (chroma422(twin) && format != UYVY);
    return dimensionAccepted(width, !fullWidth) && dimensionAccepted(height, !anyHeight);
}

// Bytes of a frame: p + p/2 for 4:2:0 (and unknown formats), 2p for 4:2:2, 3p, p; twice
// that in 16-bit words.
std::int64_t exactFrameBytes(std::int32_t format, std::int64_t pixels)
{
    const std::int32_t twin = knownFormat(format) ? referenceSamples(format).twin : YV12;
    const auto words = static_cast<std::int64_t>(knownFormat(format) ? sampleBytes(format) : 1);
    if (twin == Yuv444p)
        return 3 * pixels * words;
    if (twin == Gray)
        return pixels * words;
    if (chroma422(twin))
        return 2 * pixels * words;
    return (pixels + pixels / 2) * words;
}

void checkValidation(const Header &h, std::int64_t fileSize)
{
    const bool accepted = dimensionAccepted(h.width) && dimensionAccepted(h.height);
    require(checkFrameSize(h.width, h.height).ok() == accepted, "checkFrameSize disagrees");
    require(checkFrameSize(h.format, h.width, h.height).ok()
            == acceptedFor(knownFormat(h.format) ? h.format : YV12, h.width, h.height),
        "checkFrameSize of a layout disagrees");

    const std::int32_t size = frameSize(h.format, h.width, h.height);
    const std::int64_t pixels = std::int64_t { h.width } * h.height;
    // Beyond 32 bits of pixels no frame size holds, and the bytes would pass 64 bits.
    const bool pixelsFit = pixels >= std::numeric_limits<std::int32_t>::min()
        && pixels <= std::numeric_limits<std::int32_t>::max();
    require(pixelsFit || size == 0, "frameSize of more pixels than 32 bits hold is not 0");
    const std::int64_t exact = pixelsFit ? exactFrameBytes(h.format, pixels) : 0;
    require(size == 0 || size == exact, "frameSize is neither exact nor 0");
    if (checkFrameSize(h.format, h.width, h.height).ok())
        require(size == exact, "frameSize of an accepted size is not exact");

    const std::int32_t count = frameCount(fileSize, size);
    require(count >= 0, "negative frame count");
    if (size > 0)
        require(count == fileSize / size, "frameCount is not the whole frames");
}

// The video file as a memory file reached through /proc, so no input touches the disk.
class MemoryFile
{
public:
    MemoryFile(const std::uint8_t *data, std::size_t size)
        : fd_(memfd_create("fuzz_core", MFD_CLOEXEC))
    {
        require(fd_ >= 0, "memfd_create failed");
        require(
            size == 0 || ::write(fd_, data, size) == static_cast<ssize_t>(size), "write failed");
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ~MemoryFile() { ::close(fd_); }
    MemoryFile(const MemoryFile &) = delete;
    MemoryFile &operator=(const MemoryFile &) = delete;
    const std::string &path() const { return path_; }

private:
    int fd_;
    std::string path_;
};

// On whole cache lines, as the video window's planes are.
struct Planes
{
    SamplePlane y, u, v, r, g, b;

    // Grey's one chroma row holds chroma's zero, 128 at 8 bits, as the video window keeps it.
    Planes(std::int32_t format, std::int32_t width, std::int32_t height)
        : y(lumaPlaneSize(width, height) * sampleBytes(format), untouched)
        , u(chromaPlaneSize(format, width, height) * sampleBytes(format), untouched)
        , v(u.size(), untouched)
        , r(lumaPlaneSize(width, height), untouched)
        , g(r.size(), untouched)
        , b(r.size(), untouched)
    {
        const ReferenceSamples samples = referenceSamples(format);
        const bool grey = samples.twin == Gray;
        if (samples.depth == 8 && !grey)
            return;
        for (SamplePlane *plane : { &y, &u, &v }) {
            const bool zero = grey && plane != &y;
            for (std::size_t i = 0; i < plane->size() / sampleBytes(format); ++i)
                setSample(*plane, format, i, zero ? 128 << (samples.depth - 8) : untouchedWord);
        }
    }
    FramePlanes pointers()
    {
        return { y.data(), u.data(), v.data(), r.data(), g.data(), b.data() };
    }
};

// What the planes must hold after a load: the frame's samples that the file has,
// `untouched` past its end, and grid lines of 200 (scaled to the depth) in the luma. A
// word keeps the bits of its depth, from its shift up; one cut short by the end of the
// file takes 0 for its missing high byte.
Planes expectedPlanes(
    const Header &h, std::int32_t format, const std::uint8_t *file, std::int64_t fileSize)
{
    Planes expected(format, h.width, h.height);
    const ReferenceSamples samples = referenceSamples(format);
    const auto unit = static_cast<std::int64_t>(sampleBytes(format));
    const std::int64_t size = frameSize(format, h.width, h.height);
    const std::int64_t start = std::int64_t { h.frame } * size;
    for (std::int64_t at = 0; at < size && start + at < fileSize; at += unit) {
        const SampleDestination d = referenceDestination(format, static_cast<std::size_t>(h.width),
            static_cast<std::size_t>(h.height), static_cast<std::size_t>(at));
        SamplePlane &plane
            = d.plane == 'Y' ? expected.y : (d.plane == 'U' ? expected.u : expected.v);
        int sample = file[start + at];
        if (unit == 2) {
            const int high = start + at + 1 < fileSize ? file[start + at + 1] : 0;
            sample = ((sample | high << 8) >> samples.shift) & ((1 << samples.depth) - 1);
        }
        setSample(plane, format, d.index, sample);
    }
    if (h.gridStep > 0) {
        for (std::int32_t row = 0; row < h.height; ++row) {
            for (std::int32_t column = 0; column < h.width; ++column) {
                if (row % h.gridStep == 0 || column % h.gridStep == 0)
                    setSample(expected.y, format, static_cast<std::size_t>(row) * h.width + column,
                        200 << (samples.depth - 8));
            }
        }
    }
    return expected;
}

LoadResult expectedResult(const Header &h, std::int32_t format, std::int64_t fileSize)
{
    const std::int64_t size = frameSize(format, h.width, h.height);
    const std::int64_t start = std::int64_t { h.frame } * size;
    if (start >= fileSize)
        return LoadResult::Nothing;
    return start + size <= fileSize ? LoadResult::Complete : LoadResult::Partial;
}

constexpr std::uint32_t notDrawn = 0x5a5a5a5au;

// A picture of 32-bit pixels whose rows may be padded and may start off a 16-byte
// boundary, as a QImage's rows can; every word it does not cover stays notDrawn.
struct Picture
{
    std::vector<std::uint32_t> words;
    std::size_t first = 0;
    std::size_t stride = 0;

    Picture(const Header &h, std::size_t padding, std::size_t shift)
        : first(shift)
        , stride(static_cast<std::size_t>(h.width) + padding)
    {
        words.assign(shift + stride * static_cast<std::size_t>(h.height), notDrawn);
    }
    PictureRows rows()
    {
        return { reinterpret_cast<std::uint8_t *>(words.data() + first),
            static_cast<std::ptrdiff_t>(stride * sizeof(std::uint32_t)) };
    }
    std::uint32_t at(std::int32_t x, std::int32_t y) const
    {
        return words[first + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x)];
    }
};

std::uint32_t rgbWord(int r, int g, int b)
{
    return 0xff000000u | std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | std::uint32_t(b);
}

template <typename Expected>
void checkPicture(const Header &h, const Picture &picture, Expected expected, const char *view)
{
    for (std::int32_t y = 0; y < h.height; ++y) {
        for (std::int32_t x = 0; x < h.width; ++x)
            require(picture.at(x, y) == expected(x, y), view);
    }
    std::size_t drawn = 0;
    for (std::uint32_t word : picture.words)
        drawn += word != notDrawn;
    require(drawn <= static_cast<std::size_t>(h.width) * static_cast<std::size_t>(h.height),
        "a renderer wrote outside the picture");
}

using Conversion = void (*)(RowKernel, const std::uint8_t *, const std::uint8_t *,
    const std::uint8_t *, std::uint8_t *, std::uint8_t *, std::uint8_t *, int, int, PictureRows,
    PictureChannels, const YuvCoefficients &);

// The matrix and range of the frame, one of the six, as the grid step's upper bits pick.
struct FuzzedColour
{
    ColourMatrix matrix;
    ColourRange range;
};
FuzzedColour colourFor(const Header &h)
{
    const std::uint32_t pick = static_cast<std::uint32_t>(h.gridStep) / 4 % 6;
    return { ColourMatrix(pick / 2), ColourRange(pick % 2) };
}
const YuvCoefficients &coefficientsFor(const Header &h)
{
    return yuvCoefficients(colourFor(h).matrix, colourFor(h).range);
}
ReferenceCoefficients referenceFor(const Header &h)
{
    return referenceCoefficients(int(colourFor(h).matrix), int(colourFor(h).range));
}

// The channels that a picture drawn without planes keeps: all of them, or one primary's,
// as the header's grid step picks.
PictureChannels channelsFor(const Header &h)
{
    switch (static_cast<std::uint32_t>(h.gridStep) % 4) {
    case 1:
        return { 0xff, 0, 0 };
    case 2:
        return { 0, 0xff, 0 };
    case 3:
        return { 0, 0, 0xff };
    default:
        return {};
    }
}

// Every kernel of 16-bit samples, for the 4:4:4 layouts (and grey's shared row) or the others.
std::vector<WideRowKernel> wideKernels(bool ownChroma)
{
    std::vector<WideRowKernel> kernels { convertWideRowsNone };
#if defined(ZENTAVO_X86_KERNELS)
    kernels.push_back(ownChroma ? convertWideRows444Sse2 : convertWideRowsSse2);
    if (processorHasAvx2())
        kernels.push_back(ownChroma ? convertWideRows444Avx2 : convertWideRowsAvx2);
#endif
    return kernels;
}

// The reference's bytes in a picture of padded, unaligned rows, of the channels kept.
void checkPictureOf(const Header &h, const Picture &picture, const Planes &wanted, const char *what,
    PictureChannels keep = {})
{
    checkPicture(
        h, picture,
        [&](std::int32_t x, std::int32_t y) {
            const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(h.width)
                + static_cast<std::size_t>(x);
            return rgbWord(
                wanted.r[i] & keep.red, wanted.g[i] & keep.green, wanted.b[i] & keep.blue);
        },
        what);
}

// As checkConversions, for the layouts of 16-bit words.
void checkWideConversions(
    const Header &h, const Planes &loaded, std::int32_t format, const Planes &wanted)
{
    const ReferenceSamples samples = referenceSamples(format);
    const Subsampling chroma = samples.twin == Yuv444p ? Subsampling::Yuv444
        : samples.twin == Gray                         ? Subsampling::None
        : chroma422(samples.twin)                      ? Subsampling::Yuv422
                                                       : Subsampling::Yuv420;
    const bool own = chroma == Subsampling::Yuv444 || chroma == Subsampling::None;
    const std::size_t padding = static_cast<std::uint32_t>(h.pointY) % 4;
    const std::size_t shift = static_cast<std::uint32_t>(h.pointX) % 4;
    const auto words = [](const SamplePlane &plane) {
        return reinterpret_cast<const std::uint16_t *>(plane.data());
    };
    for (WideRowKernel kernel : wideKernels(own)) {
        Planes out(format, h.width, h.height);
        Picture picture(h, padding, shift);
        convertWideToRgbWith(kernel, chroma, samples.depth, words(loaded.y), words(loaded.u),
            words(loaded.v), out.r.data(), out.g.data(), out.b.data(), h.width, h.height,
            picture.rows(), {}, coefficientsFor(h));
        require(out.r == wanted.r && out.g == wanted.g && out.b == wanted.b,
            "a kernel of 16-bit samples differs from the reference");
        checkPictureOf(h, picture, wanted, "a kernel of 16-bit samples draws another picture");

        Picture alone(h, padding, shift);
        convertWideToRgbWith(kernel, chroma, samples.depth, words(loaded.y), words(loaded.u),
            words(loaded.v), nullptr, nullptr, nullptr, h.width, h.height, alone.rows(),
            channelsFor(h), coefficientsFor(h));
        checkPictureOf(h, alone, wanted,
            "a kernel of 16-bit samples draws another picture without planes", channelsFor(h));
    }
}

// Every row kernel this processor can run, each completed by the portable loop, must give
// the reference's bytes, in the planes and in a picture of padded, unaligned rows, and in
// such a picture alone; so must the loader's own conversion.
void checkConversions(const Header &h, const Planes &loaded, std::int32_t format)
{
    Planes wanted = loaded;
    convertFrameReference(format, loaded.y.data(), loaded.u.data(), loaded.v.data(),
        wanted.r.data(), wanted.g.data(), wanted.b.data(), h.width, h.height, referenceFor(h));
    require(loaded.r == wanted.r && loaded.g == wanted.g && loaded.b == wanted.b,
        "the loader's conversion differs from the reference");
    if (sampleBytes(format) == 2) {
        checkWideConversions(h, loaded, format, wanted);
        return;
    }
    // Grey has no kernels of its own.
    if (format == Gray)
        return;

    const bool own = format == Yuv444p;
    const Conversion convert = own ? convertYuv444ToRgbWith
        : chroma422(format)        ? convertYuv422ToRgbWith
                                   : convertYuv420ToRgbWith;
    std::vector<RowKernel> kernels { convertRowsNone };
#if defined(ZENTAVO_X86_KERNELS)
    kernels.push_back(own ? convertRows444Sse2 : convertRowsSse2);
    if (processorHasAvx2())
        kernels.push_back(own ? convertRows444Avx2 : convertRowsAvx2);
#endif
    const std::size_t padding = static_cast<std::uint32_t>(h.pointY) % 4;
    const std::size_t shift = static_cast<std::uint32_t>(h.pointX) % 4;
    for (RowKernel kernel : kernels) {
        Planes out(format, h.width, h.height);
        Picture picture(h, padding, shift);
        convert(kernel, loaded.y.data(), loaded.u.data(), loaded.v.data(), out.r.data(),
            out.g.data(), out.b.data(), h.width, h.height, picture.rows(), {}, coefficientsFor(h));
        require(out.r == wanted.r && out.g == wanted.g && out.b == wanted.b,
            "a row kernel differs from the reference");
        checkPictureOf(h, picture, wanted, "a row kernel's picture differs from the reference");

        Picture alone(h, padding, shift);
        convert(kernel, loaded.y.data(), loaded.u.data(), loaded.v.data(), nullptr, nullptr,
            nullptr, h.width, h.height, alone.rows(), channelsFor(h), coefficientsFor(h));
        checkPictureOf(h, alone, wanted,
            "a row kernel's picture without planes differs from the reference", channelsFor(h));
    }
}

// The readout of the fuzzed point reads inside the planes and pairs the luma and
// chroma that the conversion paired.
void checkReadout(const Header &h, Planes &loaded, const FrameFormat &format)
{
    const double x = h.pointX / 4.0;
    const double y = h.pointY / 4.0;
    const std::optional<PixelPosition> pixel = pixelAt(x, y, h.width, h.height);
    const bool inside = x >= 0 && x < h.width && y >= 0 && y < h.height;
    require(pixel.has_value() == inside, "pixelAt disagrees about the frame's edge");
    if (!pixel)
        return;
    require(pixel->x == static_cast<std::int32_t>(x) && pixel->y == static_cast<std::int32_t>(y),
        "pixelAt picked another pixel");
    require(chromaIndex(format, *pixel) < format.chromaSamples(), "chroma index off the plane");
    // Without R, G and B planes: the readout converts the pixel itself.
    FramePlanes yuvOnly = loaded.pointers();
    yuvOnly.r = yuvOnly.g = yuvOnly.b = nullptr;
    const PixelSample s = samplePixel(yuvOnly, format, *pixel);
    const std::size_t luma = static_cast<std::size_t>(pixel->y) * static_cast<std::size_t>(h.width)
        + static_cast<std::size_t>(pixel->x);
    const std::int32_t layout = format.pixelFormat();
    require(s.y == sampleIn(loaded.y, layout, luma), "readout shows another luma sample");
    const Rgb rgb
        = yuvToRgbReference(s.y, s.u, s.v, referenceSamples(layout).depth, referenceFor(h));
    require(s.r == rgb.r && s.g == rgb.g && s.b == rgb.b, "readout YUV and RGB do not match");
    require(s.r == loaded.r[luma] && s.g == loaded.g[luma] && s.b == loaded.b[luma],
        "readout RGB is not the conversion's");
}

// Each view pixel by pixel from the planes, as the window shows it; the colour view
// through the conversion, which leaves the converted planes as they are.
void checkRenderers(const Header &h, Planes &loaded, const FrameFormat &frame)
{
    const std::int32_t format = frame.pixelFormat();
    const std::size_t padding = static_cast<std::uint32_t>(h.pointY) % 4;
    const std::size_t shift = static_cast<std::uint32_t>(h.pointX) % 4;
    const auto index = [&h](std::int32_t x, std::int32_t y) {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(h.width)
            + static_cast<std::size_t>(x);
    };

    Picture color(h, padding, shift);
    FramePlanes withPicture = loaded.pointers();
    withPicture.picture = color.rows();
    require(renderView(int(FrameView::Color), frame, withPicture), "the colour view drew nothing");
    checkPicture(
        h, color,
        [&](std::int32_t x, std::int32_t y) {
            const std::size_t i = index(x, y);
            return rgbWord(loaded.r[i], loaded.g[i], loaded.b[i]);
        },
        "wrong colour view");

    // The colour view or a primary's, as the header picks, from the picture alone.
    const PictureChannels keep = channelsFor(h);
    const int views[]
        = { int(FrameView::Color), int(FrameView::R), int(FrameView::G), int(FrameView::B) };
    Picture alone(h, padding, shift);
    FramePlanes pictureOnly = loaded.pointers();
    pictureOnly.r = pictureOnly.g = pictureOnly.b = nullptr;
    pictureOnly.picture = alone.rows();
    require(renderView(views[static_cast<std::uint32_t>(h.gridStep) % 4], frame, pictureOnly),
        "a view without planes drew nothing");
    checkPicture(
        h, alone,
        [&](std::int32_t x, std::int32_t y) {
            const std::size_t i = index(x, y);
            return rgbWord(
                loaded.r[i] & keep.red, loaded.g[i] & keep.green, loaded.b[i] & keep.blue);
        },
        "wrong view without planes");

    // The public renderers (nullptr), then every grey kernel, through the cache and around it.
    std::vector<GreyRowKernel> greyKernels { nullptr, greyRowNone };
#if defined(ZENTAVO_X86_KERNELS)
    greyKernels.insert(greyKernels.end(), { greyRowSse2, greyRowSse2Streaming });
    if (processorHasAvx2())
        greyKernels.insert(greyKernels.end(), { greyRowAvx2, greyRowAvx2Streaming });
#endif
    for (const GreyRowKernel kernel : greyKernels) {
        Picture grey(h, padding, shift);
        if (kernel)
            renderGreyWith(kernel, loaded.y.data(), frame, grey.rows());
        else
            renderGrey(loaded.y.data(), frame, grey.rows());
        checkPicture(
            h, grey,
            [&](std::int32_t x, std::int32_t y) {
                const int s = greyOf(format, sampleIn(loaded.y, format, index(x, y)));
                return rgbWord(s, s, s);
            },
            "wrong grey view");

        Picture chroma(h, padding, shift);
        if (kernel)
            renderChromaWith(kernel, loaded.v.data(), frame, chroma.rows());
        else
            renderChroma(loaded.v.data(), frame, chroma.rows());
        checkPicture(
            h, chroma,
            [&](std::int32_t x, std::int32_t y) {
                // The sample the conversion pairs with the pixel; grey's V shows as 128.
                const std::optional<std::size_t> at = referenceChromaIndex(format, h.width, x, y);
                const int s = at ? greyOf(format, sampleIn(loaded.v, format, *at)) : 128;
                return rgbWord(s, s, s);
            },
            "wrong chroma view");
    }

    Picture green(h, padding, shift);
    renderPrimary(loaded.g.data(), Primary::Green, h.width, h.height, green.rows());
    checkPicture(
        h, green,
        [&](std::int32_t x, std::int32_t y) { return rgbWord(0, loaded.g[index(x, y)], 0); },
        "wrong primary view");
}

void checkLoad(const Header &h, const std::uint8_t *file, std::size_t fileSize)
{
    if (!knownFormat(h.format))
        return;
    const std::int32_t format = h.format;
    const std::optional<FrameFormat> frameFormat
        = FrameFormat::make(format, h.width, h.height, colourFor(h).matrix, colourFor(h).range);
    require(frameFormat.has_value(), "no frame format for a checked size");
    const MemoryFile video(file, fileSize);
    Planes loaded(format, h.width, h.height);
    const auto frame = static_cast<std::int32_t>(h.frame & 0x7fffffffu);
    static SamplePlane chunk(readChunkBytes);
    const LoadResult result
        = readFrame(video.path(), *frameFormat, { frame }, loaded.pointers(), chunk.data());
    markGrid(*frameFormat, loaded.y.data(), h.gridStep);
    convertFrame(*frameFormat, loaded.pointers());

    Header asLoaded = h;
    asLoaded.frame = static_cast<std::uint32_t>(frame);
    const auto size = static_cast<std::int64_t>(fileSize);
    require(result == expectedResult(asLoaded, format, size), "wrong load result");
    const Planes expected = expectedPlanes(asLoaded, format, file, size);
    require(sameSamples(loaded.y, expected.y, format), "wrong luma after the load");
    require(sameSamples(loaded.u, expected.u, format) && sameSamples(loaded.v, expected.v, format),
        "wrong chroma after the load");
    checkConversions(h, loaded, format);
    checkRenderers(h, loaded, *frameFormat);
    checkReadout(h, loaded, *frameFormat);
}

// Where each whole frame's samples start, walked plainly: a line that begins "FRAME",
// then a space or the line break within the longest line taken, then the frame.
std::vector<std::int64_t> plainFrameStarts(
    std::string_view file, std::size_t headerLength, std::int64_t frameBytes)
{
    std::vector<std::int64_t> starts;
    std::size_t at = headerLength;
    while (at < file.size()) {
        const std::string_view line = file.substr(at, maxY4mLineBytes);
        const std::size_t end = line.find('\n');
        if (end == std::string_view::npos || line.substr(0, 5) != "FRAME"
            || (end > 5 && line[5] != ' '))
            break;
        const std::size_t start = at + end + 1;
        if (std::int64_t(file.size() - start) < frameBytes)
            break;
        starts.push_back(std::int64_t(start));
        at = start + std::size_t(frameBytes);
    }
    return starts;
}

void checkY4m(const std::uint8_t *data, std::size_t size)
{
    const std::string_view file(reinterpret_cast<const char *>(data), size);
    const Y4mHeaderRead read = parseY4mHeader(file.substr(0, maxY4mLineBytes + 1));
    require(read.header.has_value() == read.problem.empty(), "a header and a problem, or neither");
    if (!read.header)
        return;
    const Y4mHeader &header = *read.header;
    require(checkFrameSize(header.format, header.width, header.height).ok(),
        "a y4m size that the layout refuses");
    require(header.length > 0 && std::size_t(header.length) <= maxY4mLineBytes
            && file[std::size_t(header.length) - 1] == '\n'
            && file.substr(0, std::size_t(header.length) - 1).find('\n') == std::string_view::npos,
        "the header does not end at its first line break");
    const MemoryFile video(data, size);
    int notes = 0;
    const Y4mFileSource source(video.path(), header, [&notes](const std::string &) { ++notes; });
    require(notes <= 1, "more than one note on one count");
    const std::vector<std::int64_t> starts
        = plainFrameStarts(file, std::size_t(header.length), source.format().frameBytes());
    require(source.frameCount() == std::int64_t(starts.size()), "wrong y4m frame count");
    for (std::size_t n = 0; n < starts.size(); ++n)
        require(source.frameStart(std::int64_t(n)) == starts[n], "wrong y4m frame start");
    require(source.frameStart(std::int64_t(starts.size())) == -1, "a frame past the count");
    const FrameFormat &format = source.format();
    if (std::int64_t { format.width() } * format.height() > maxLoadedPixels)
        return;
    Frame frame(format);
    for (std::size_t n = 0; n < std::min<std::size_t>(starts.size(), 3); ++n) {
        require(
            source.read(std::int64_t(n), frame) == LoadResult::Complete, "a y4m frame cut short");
        require(std::memcmp(frame.y().data(), data + starts[n], format.lumaBytes()) == 0,
            "wrong y4m luma");
    }
    require(source.read(std::int64_t(starts.size()), frame) == LoadResult::Nothing,
        "a y4m frame read past the count");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (startsAsY4m(std::string_view(reinterpret_cast<const char *>(data), size))) {
        checkY4m(data, size);
        return 0;
    }
    if (size < headerSize)
        return 0;
    const Header h = readHeader(data);
    const std::uint8_t *file = data + headerSize;
    const std::size_t fileSize = size - headerSize;
    checkValidation(h, static_cast<std::int64_t>(fileSize));
    if (!checkFrameSize(h.format, h.width, h.height).ok()
        || std::int64_t { h.width } * h.height > maxLoadedPixels)
        return 0;
    checkLoad(h, file, fileSize);
    return 0;
}
