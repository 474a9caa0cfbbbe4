#pragma once

#include "frameformat.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What a file's name and the -s, -f, -m and -r options say about how to read the file: its
// frame size, its layout and its colour. The name fills in what the options leave open.

struct FrameDimensions
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool operator==(const FrameDimensions &other) const
    {
        return width == other.width && height == other.height;
    }
};

// "WxH" (x or X, digits only, both above 0) or a named size such as "cif" or "1080p", in
// any letter case; nothing for any other text.
std::optional<FrameDimensions> frameSizeNamed(std::string_view text);

// The names of the named sizes, for messages: "sqcif, qcif, ...".
std::string frameSizeNames();

// The matrix a word names: "bt601" or "601", "bt709" or "709", "bt2020" or "2020"; the
// range: "limited", "tv" or "videorange", "full", "pc" or "fullrange". Any letter case;
// nothing for any other word.
std::optional<ColourMatrix> colourMatrixNamed(std::string_view text);
std::optional<ColourRange> colourRangeNamed(std::string_view text);
// The words of each, for messages: "bt601, 601, bt709, ...".
std::string colourMatrixNames();
std::string colourRangeNames();
// The choice as the windows show it: "BT.709 limited", "BT.601 full"; the matrix alone:
// "BT.709".
std::string colourText(ColourMatrix matrix, ColourRange range);
std::string colourMatrixText(ColourMatrix matrix);

// True for the PixelFormat values that the dialog's format list can hold.
bool dialogOffersLayout(std::int32_t format);

// What -s, -f, -m and -r asked for; empty for an option not given.
struct AskedParameters
{
    std::optional<FrameDimensions> size;
    std::optional<std::int32_t> format;
    std::optional<ColourMatrix> matrix;
    std::optional<ColourRange> range;
};

// How one file is opened: straight away with `size` and `format` (yuv420p when no format
// is known), or, without a size, through the dialog with what is known put into it
// (`format` then only when the dialog offers it).
struct OpenPlan
{
    bool straightAway = false;
    std::optional<FrameDimensions> size;
    std::optional<std::int32_t> format;
    // The frame rate and ScanType the name gives beside its size; empty otherwise.
    std::optional<std::int32_t> rate;
    std::optional<std::int32_t> scan;
    // The colour that the options or the name give; empty for BT.601 limited by default.
    std::optional<ColourMatrix> matrix;
    std::optional<ColourRange> range;
    // Where -s or -f differs from what the name says: "PATH: -s 640x360 wins over the
    // name's 1280x720", with "; " before a second such part. Empty when they agree.
    std::string overruled;
};

// `path` as given; only its last component counts. A size word may carry a scan and a
// rate ("1080p50", "720x576i"); "50fps", or a number right after the size, gives the
// rate. A depth ("10bit", "12b", "10-bit") takes the layout the name gives to that depth;
// with no layout named, "420", "422" or "444" gives the planar layout at the name's
// depth (8 without one), and a depth alone gives 4:2:0. Deep names such as "yuv420p10le"
// and "p010" give their layout. A name that gives two different sizes, layouts, depths
// or chromas, an ambiguous layout name ("yv12"), a depth or layout of nobody's here
// ("16bit", "y210", "yuv420p10be"), or a depth that its layout lacks ("nv12" with
// "10bit") says nothing; two different rates or scans say nothing of the rate or scan.
OpenPlan planOpen(std::string_view path, const AskedParameters &asked);
