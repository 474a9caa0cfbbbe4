#include "y4mheader.h"

#include "samplelayout.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct ColourSpace
{
    std::string_view name;
    std::int32_t format;
};

// ffmpeg's names for the deeper layouts beside the standard ones; the four 4:2:0 names
// differ only in where chroma sits, which the views do not place.
constexpr std::array<ColourSpace, 15> colourSpaces { {
    { "420jpeg", YV12 },
    { "420mpeg2", YV12 },
    { "420paldv", YV12 },
    { "420", YV12 },
    { "422", Planar422 },
    { "444", Yuv444p },
    { "mono", Gray },
    { "420p10", Yuv420p10le },
    { "422p10", Yuv422p10le },
    { "444p10", Yuv444p10le },
    { "420p12", Yuv420p12le },
    { "422p12", Yuv422p12le },
    { "444p12", Yuv444p12le },
    { "mono10", Gray10le },
    { "mono12", Gray12le },
} };

// Digits only, the value kept at most `cap`, so that none overflows; nothing for anything
// else.
std::optional<std::int64_t> wholeNumber(std::string_view text, std::int64_t cap)
{
    if (text.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = std::min(cap, value * 10 + (c - '0'));
    }
    return value;
}

std::string quoted(char tag, std::string_view value)
{
    return std::string(1, tag) + std::string(value);
}

// The size's problem as a sentence naming the tag as written; empty for none.
std::string sizeProblem(const Y4mHeader &header, std::string_view width, std::string_view height)
{
    const SizeCheck check = checkFrameSize(header.format, header.width, header.height);
    if (check.ok())
        return {};
    const std::string field = check.field == SizeField::Width ? "width " + quoted('W', width)
                                                              : "height " + quoted('H', height);
    switch (check.problem) {
    case SizeProblem::NotPositive:
        return "The y4m header's " + field + " is not above 0.";
    case SizeProblem::TooLarge:
        return "The y4m header's " + field + " is more than " + std::to_string(maxFrameDimension)
            + ".";
    case SizeProblem::Odd:
        return "The y4m header's " + field + " is odd, which " + layoutOrYuv420p(header.format).name
            + " cannot have.";
    case SizeProblem::None:
        break;
    }
    return {};
}

// Reads up to `size` bytes from the start of the file; O_NONBLOCK so that a FIFO named as
// a video cannot hang the caller.
std::string firstBytes(const std::string &path, std::size_t size)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return {};
    std::string bytes(size, '\0');
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, bytes.data() + done, size - done, off_t(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += std::size_t(got);
    }
    ::close(fd);
    bytes.resize(done);
    return bytes;
}

} // namespace

bool startsAsY4m(std::string_view bytes)
{
    return bytes.substr(0, y4mSignature.size()) == y4mSignature;
}

Y4mHeaderRead parseY4mHeader(std::string_view bytes)
{
    if (!startsAsY4m(bytes))
        return { std::nullopt, "The file does not begin with YUV4MPEG2." };
    const std::size_t end = bytes.substr(0, maxY4mLineBytes).find('\n');
    if (end == std::string_view::npos) {
        return { std::nullopt,
            bytes.size() > maxY4mLineBytes
                ? "The y4m header does not end within " + std::to_string(maxY4mLineBytes)
                    + " bytes."
                : std::string("The y4m header does not end before the file does.") };
    }
    Y4mHeader header;
    header.format = YV12;
    header.length = std::int64_t(end) + 1;
    std::optional<std::int64_t> width;
    std::optional<std::int64_t> height;
    std::string_view widthText;
    std::string_view heightText;
    std::string_view rest = bytes.substr(y4mSignature.size(), end - y4mSignature.size());
    while (!rest.empty()) {
        const std::size_t space = rest.find(' ');
        const std::string_view token = rest.substr(0, space);
        rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
        if (token.empty())
            continue;
        const char tag = token.front();
        const std::string_view value = token.substr(1);
        // One more than the largest size taken, so that a larger one is refused as such.
        constexpr std::int64_t sizeCap = maxFrameDimension + 1;
        switch (tag) {
        case 'W':
        case 'H': {
            const std::optional<std::int64_t> number = wholeNumber(value, sizeCap);
            if (!number)
                return { std::nullopt,
                    "The y4m header's " + std::string(tag == 'W' ? "width " : "height ")
                        + quoted(tag, value) + " is not a whole number." };
            (tag == 'W' ? width : height) = number;
            (tag == 'W' ? widthText : heightText) = value;
            break;
        }
        case 'C': {
            bool known = false;
            for (const ColourSpace &entry : colourSpaces) {
                if (entry.name == value) {
                    header.format = entry.format;
                    known = true;
                }
            }
            if (!known)
                return { std::nullopt,
                    "The y4m header's colour space " + quoted(tag, value)
                        + " is not one this program reads." };
            break;
        }
        case 'I':
            if (value == "p" || value == "?")
                header.scan = Progressive;
            else if (value == "t" || value == "b" || value == "m")
                header.scan = Interlaced;
            else
                return { std::nullopt,
                    "The y4m header's interlacing " + quoted(tag, value)
                        + " is none of Ip, It, Ib and Im." };
            break;
        case 'F': {
            const std::size_t colon = value.find(':');
            constexpr std::int64_t rateCap = std::int64_t { 1 } << 31;
            const auto numerator = wholeNumber(value.substr(0, colon), rateCap);
            const auto denominator = colon == std::string_view::npos
                ? std::nullopt
                : wholeNumber(value.substr(colon + 1), rateCap);
            if (!numerator || !denominator || *numerator >= rateCap || *denominator >= rateCap
                || (*denominator == 0 && *numerator != 0))
                return { std::nullopt,
                    "The y4m header's frame rate " + quoted(tag, value)
                        + " is not a rate such as F25:1." };
            header.rateNumerator = std::int32_t(*denominator == 0 ? 0 : *numerator);
            header.rateDenominator = std::int32_t(*denominator);
            break;
        }
        case 'X':
            if (value == "COLORRANGE=FULL")
                header.range = Y4mRange::Full;
            else if (value == "COLORRANGE=LIMITED")
                header.range = Y4mRange::Limited;
            break;
        default:
            // A, and tags of later writers: nothing here depends on them.
            break;
        }
    }
    if (!width)
        return { std::nullopt, "The y4m header gives no width (W)." };
    if (!height)
        return { std::nullopt, "The y4m header gives no height (H)." };
    header.width = std::int32_t(*width);
    header.height = std::int32_t(*height);
    if (std::string problem = sizeProblem(header, widthText, heightText); !problem.empty())
        return { std::nullopt, problem };
    return { header, {} };
}

bool isY4mFile(const std::string &path)
{
    return startsAsY4m(firstBytes(path, y4mSignature.size()));
}

Y4mHeaderRead readY4mHeader(const std::string &path)
{
    return parseY4mHeader(firstBytes(path, maxY4mLineBytes + 1));
}

std::string fillY4mRecord(const std::string &path, const std::optional<FrameDimensions> &askedSize,
    const std::optional<std::int32_t> &askedFormat, VideoParameters &record)
{
    const Y4mHeaderRead read = readY4mHeader(path);
    if (!read.header)
        return read.problem;
    const Y4mHeader &header = *read.header;
    if (askedSize && !(*askedSize == FrameDimensions { header.width, header.height }))
        return "-s " + std::to_string(askedSize->width) + "x" + std::to_string(askedSize->height)
            + " disagrees with its y4m header, which says " + std::to_string(header.width) + "x"
            + std::to_string(header.height) + ".";
    const std::string layout = layoutOrYuv420p(header.format).name;
    if (askedFormat && layoutOrYuv420p(*askedFormat).name != layout)
        return "-f " + std::string(layoutOrYuv420p(*askedFormat).name)
            + " disagrees with its y4m header, which says " + layout + ".";
    record.path = path;
    record.kind = Y4mFile;
    record.width = header.width;
    record.height = header.height;
    record.format = header.format;
    record.scan = header.scan;
    if (header.range != Y4mRange::Unstated)
        record.range = std::int32_t(
            header.range == Y4mRange::Full ? ColourRange::Full : ColourRange::Limited);
    if (header.rateDenominator > 0) {
        record.speed = header.rateNumerator;
        record.speedDivisor = header.rateDenominator;
    }
    return {};
}
