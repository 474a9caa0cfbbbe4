#include "samplelayout.h"

#include "videoparameters.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

constexpr std::array<SampleLayout, layoutCount> layouts { {
    { YV12, "yuv420p", "i420", Subsampling::Yuv420, Storage::Planar, false, nullptr, 8, 0 },
    // The dialog's "UYVY" is read as planes, exactly as yuv422p: no name leads to it.
    { UYVY, "yuv422p", nullptr, Subsampling::Yuv422, Storage::Planar, false, nullptr, 8, 0 },
    { Planar422, "yuv422p", nullptr, Subsampling::Yuv422, Storage::Planar, false, nullptr, 8, 0 },
    { Yvu420p, "yvu420p", nullptr, Subsampling::Yuv420, Storage::Planar, true, nullptr, 8, 0 },
    { Nv12, "nv12", nullptr, Subsampling::Yuv420, Storage::SemiPlanar, false, nullptr, 8, 0 },
    { Nv21, "nv21", nullptr, Subsampling::Yuv420, Storage::SemiPlanar, true, nullptr, 8, 0 },
    { Yuyv422, "yuyv422", "yuy2", Subsampling::Yuv422, Storage::Packed, false, "YUYV", 8, 0 },
    { Uyvy422, "uyvy422", nullptr, Subsampling::Yuv422, Storage::Packed, false, "UYVY", 8, 0 },
    { Yvyu422, "yvyu422", nullptr, Subsampling::Yuv422, Storage::Packed, true, "YVYU", 8, 0 },
    { Nv16, "nv16", nullptr, Subsampling::Yuv422, Storage::SemiPlanar, false, nullptr, 8, 0 },
    { Yuv444p, "yuv444p", nullptr, Subsampling::Yuv444, Storage::Planar, false, nullptr, 8, 0 },
    { Gray, "gray", "y800", Subsampling::None, Storage::LumaOnly, false, nullptr, 8, 0 },
    { Yuv420p10le, "yuv420p10le", nullptr, Subsampling::Yuv420, Storage::Planar, false, nullptr,
        10, 0 },
    { Yuv422p10le, "yuv422p10le", nullptr, Subsampling::Yuv422, Storage::Planar, false, nullptr,
        10, 0 },
    { Yuv444p10le, "yuv444p10le", nullptr, Subsampling::Yuv444, Storage::Planar, false, nullptr,
        10, 0 },
    { Yuv420p12le, "yuv420p12le", nullptr, Subsampling::Yuv420, Storage::Planar, false, nullptr,
        12, 0 },
    { Yuv422p12le, "yuv422p12le", nullptr, Subsampling::Yuv422, Storage::Planar, false, nullptr,
        12, 0 },
    { Yuv444p12le, "yuv444p12le", nullptr, Subsampling::Yuv444, Storage::Planar, false, nullptr,
        12, 0 },
    { Gray10le, "gray10le", nullptr, Subsampling::None, Storage::LumaOnly, false, nullptr, 10, 0 },
    { Gray12le, "gray12le", nullptr, Subsampling::None, Storage::LumaOnly, false, nullptr, 12, 0 },
    { P010le, "p010le", nullptr, Subsampling::Yuv420, Storage::SemiPlanar, false, nullptr, 10, 6 },
} };

// FourCCs that name one of the layouts above without doubt, as other tools and file
// names spell them; the layouts' own aliases are not repeated. YV12 and UYVY are not
// among them: see ambiguityOfLayoutName.
struct FourCC
{
    const char *name;
    std::int32_t format;
};
constexpr FourCC fourCCs[] = {
    { "iyuv", YV12 },
    { "i422", Planar422 },
    { "yuyv", Yuyv422 },
    { "yvyu", Yvyu422 },
    { "i444", Yuv444p },
    { "grey", Gray },
    { "y10", Gray10le },
    { "y12", Gray12le },
};

// layoutOf and layoutOrYuv420p index the table by PixelFormat value.
static_assert([] {
    for (std::size_t i = 0; i < layouts.size(); ++i) {
        if (layouts[i].format != static_cast<std::int32_t>(i))
            return false;
    }
    return true;
}());

bool sameLetters(std::string_view a, const char *b)
{
    if (!b)
        return false;
    const std::string_view other(b);
    return a.size() == other.size()
        && std::equal(a.begin(), a.end(), other.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x))
                   == std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

const std::array<SampleLayout, layoutCount> &sampleLayouts()
{
    return layouts;
}

const SampleLayout *layoutOf(std::int32_t format)
{
    for (const SampleLayout &layout : layouts) {
        if (layout.format == format)
            return &layout;
    }
    return nullptr;
}

const SampleLayout &layoutOrYuv420p(std::int32_t format)
{
    const SampleLayout *layout = layoutOf(format);
    return layout ? *layout : layouts[YV12];
}

std::int32_t sampleDepth(std::int32_t format)
{
    return layoutOrYuv420p(format).depth;
}

std::size_t bytesPerSample(std::int32_t format)
{
    return sampleDepth(format) > 8 ? 2 : 1;
}

std::int32_t depthAbove8(std::int32_t format)
{
    return sampleDepth(format) - 8;
}

bool halvesChromaAcross(std::int32_t format)
{
    const Subsampling s = layoutOrYuv420p(format).subsampling;
    return s == Subsampling::Yuv420 || s == Subsampling::Yuv422;
}

std::size_t chromaRowLength(std::int32_t format, std::int32_t width)
{
    const auto w = static_cast<std::size_t>(width > 0 ? width : 0);
    return halvesChromaAcross(format) ? w / 2 : w;
}

std::size_t chromaRowOf(std::int32_t format, std::int32_t lumaRow)
{
    const auto row = static_cast<std::size_t>(lumaRow);
    switch (layoutOrYuv420p(format).subsampling) {
    case Subsampling::Yuv420:
        return row / 2;
    case Subsampling::Yuv422:
    case Subsampling::Yuv444:
        return row;
    case Subsampling::None:
        break;
    }
    return 0;
}

std::size_t chromaColumnOf(std::int32_t format, std::int32_t lumaColumn)
{
    const auto column = static_cast<std::size_t>(lumaColumn);
    return halvesChromaAcross(format) ? column / 2 : column;
}

std::size_t chromaRows(std::int32_t format, std::int32_t height)
{
    return height > 0 ? chromaRowOf(format, height - 1) + 1 : 0;
}

namespace {

// The first entry of a name wins: yuv422p is Planar422, not the dialog's UYVY.
const SampleLayout *layoutOfName(std::string_view name)
{
    for (const SampleLayout &layout : layouts) {
        if (layout.format != UYVY
            && (sameLetters(name, layout.name) || sameLetters(name, layout.alias)))
            return &layout;
    }
    for (const FourCC &code : fourCCs) {
        if (sameLetters(name, code.name))
            return &layouts[static_cast<std::size_t>(code.format)];
    }
    return nullptr;
}

} // namespace

const SampleLayout *layoutNamed(std::string_view name)
{
    if (const SampleLayout *layout = layoutOfName(name))
        return layout;
    // As in ffmpeg, a deep layout's name without its byte order means the host's, which
    // is little-endian here: "p010", "yuv420p10".
    const SampleLayout *layout = layoutOfName(std::string(name) + "le");
    return layout && layout->depth > 8 ? layout : nullptr;
}

std::vector<std::string> otherLayoutNames(std::int32_t format)
{
    std::vector<std::string> names;
    for (const FourCC &code : fourCCs) {
        if (code.format == format)
            names.emplace_back(code.name);
    }
    return names;
}

std::optional<std::string> ambiguityOfLayoutName(std::string_view name)
{
    if (sameLetters(name, "yv12"))
        return std::string("yuv420p (U before V, the dialog's YV12) or yvu420p (V before U)");
    if (sameLetters(name, "uyvy"))
        return std::string("yuv422p (planes, the dialog's UYVY) or uyvy422 (packed U Y0 V Y1)");
    return std::nullopt;
}
