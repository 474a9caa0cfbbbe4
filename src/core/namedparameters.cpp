#include "namedparameters.h"

#include "samplelayout.h"
#include "videoparameters.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string>
#include <vector>

namespace {

struct NamedSize
{
    const char *name;
    FrameDimensions size;
};

// The sizes that test sequences and ffmpeg's -s call by name.
constexpr NamedSize namedSizes[] = {
    { "sqcif", { 128, 96 } },
    { "qcif", { 176, 144 } },
    { "cif", { 352, 288 } },
    { "4cif", { 704, 576 } },
    { "720p", { 1280, 720 } },
    { "1080p", { 1920, 1080 } },
    { "2160p", { 3840, 2160 } },
};

struct NamedMatrix
{
    // The option's name; the word without its "bt" is taken as well.
    const char *name;
    const char *shown;
    ColourMatrix matrix;
};

constexpr NamedMatrix namedMatrices[] = {
    { "bt601", "BT.601", ColourMatrix::Bt601 },
    { "bt709", "BT.709", ColourMatrix::Bt709 },
    { "bt2020", "BT.2020", ColourMatrix::Bt2020 },
};

// ffmpeg calls the ranges tv and pc.
struct NamedRange
{
    const char *names[3];
    ColourRange range;
};

constexpr NamedRange namedRanges[] = {
    { { "limited", "tv", "videorange" }, ColourRange::Limited },
    { { "full", "pc", "fullrange" }, ColourRange::Full },
};

std::string lowered(std::string_view text)
{
    std::string result(text);
    for (char &c : result)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool allDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), isDigit);
}

// A positive number that fits 32 bits; nothing otherwise.
std::optional<std::int32_t> positiveNumber(std::string_view digits)
{
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (!allDigits(digits) || error != std::errc() || end != digits.data() + digits.size()
        || value <= 0)
        return std::nullopt;
    return value;
}

bool startsWith(std::string_view text, std::string_view start)
{
    return text.substr(0, start.size()) == start;
}

bool endsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// A lower-case word that states a sample depth: "10bit", "12bits", "10b"; the digits, or
// nothing for any other word.
std::optional<std::string_view> depthStated(std::string_view token)
{
    for (std::string_view unit : { "bits", "bit", "b" }) {
        if (endsWith(token, unit) && token.size() > unit.size()) {
            const std::string_view number = token.substr(0, token.size() - unit.size());
            if (allDigits(number))
                return number;
        }
    }
    return std::nullopt;
}

// A lower-case word that names deep samples in a layout of nobody's here: "y210", "v210",
// "p016", "yuv420p10be", "gray16".
bool namesOtherDeepSamples(std::string_view token)
{
    // P010-style FourCCs: 10 to 16 bits in 4:2:0, 4:2:2 or 4:4:4.
    if (token.size() >= 4 && (token[0] == 'p' || token[0] == 'y' || token[0] == 'v')
        && (token[1] == '0' || token[1] == '2' || token[1] == '4') && token[2] == '1'
        && isDigit(token[3])
        && (token.size() == 4 || token.substr(4) == "le" || token.substr(4) == "be"))
        return true;
    // ffmpeg's names of deep layouts put the depth after the layout: yuv420p10le, gray12.
    std::string_view stem = token;
    if (endsWith(stem, "le") || endsWith(stem, "be"))
        stem.remove_suffix(2);
    std::size_t digits = 0;
    while (digits < stem.size() && isDigit(stem[stem.size() - 1 - digits]))
        ++digits;
    if (digits == 0 || digits == stem.size())
        return false;
    const std::string_view before = stem.substr(0, stem.size() - digits);
    return ((startsWith(before, "yuv") || startsWith(before, "gbr")) && endsWith(before, "p"))
        || before == "gray";
}

// The chroma that a word "420", "422" or "444" gives; nothing for any other word.
std::optional<Subsampling> chromaStated(std::string_view token)
{
    if (token == "420")
        return Subsampling::Yuv420;
    if (token == "422")
        return Subsampling::Yuv422;
    if (token == "444")
        return Subsampling::Yuv444;
    return std::nullopt;
}

// The layout that stores its samples as `like` does, at `depth` bits; nullptr for none.
// 10-bit semi-planar files keep their bits high (p010) or low, so nv12 with a depth
// names neither.
const SampleLayout *likeAtDepth(const SampleLayout &like, std::int32_t depth)
{
    if (like.depth == depth)
        return &like;
    if (like.depth != 8 || like.storage == Storage::SemiPlanar)
        return nullptr;
    for (const SampleLayout &layout : sampleLayouts()) {
        if (layout.depth == depth && layout.storage == like.storage
            && layout.subsampling == like.subsampling && layout.vBeforeU == like.vBeforeU)
            return &layout;
    }
    return nullptr;
}

// Rates above this in a name are taken for something else, such as a frame count.
constexpr std::int32_t highestRate = 1000;

// A frame rate stated in digits; nothing outside 1 .. highestRate.
std::optional<std::int32_t> rateOf(std::string_view digits)
{
    // "0001" counts frames or parts, not time.
    if (startsWith(digits, "0"))
        return std::nullopt;
    const std::optional<std::int32_t> rate = positiveNumber(digits);
    return rate && *rate <= highestRate ? rate : std::nullopt;
}

// A lower-case word that gives a frame size, and perhaps its scan and rate as broadcast
// names write them after it: "1080p", "1080p50", "1920x1080p50", "720x576i".
struct SizeWord
{
    FrameDimensions size;
    std::optional<std::int32_t> scan;
    std::optional<std::int32_t> rate;
    bool rateUnreadable = false;
};

std::optional<SizeWord> sizeWordOf(std::string_view token)
{
    if (const std::optional<FrameDimensions> size = frameSizeNamed(token)) {
        SizeWord word { *size, std::nullopt, std::nullopt, false };
        if (endsWith(token, "p") && token.find('x') == std::string_view::npos)
            word.scan = Progressive;
        return word;
    }
    std::size_t digits = 0;
    while (digits < token.size() && isDigit(token[token.size() - 1 - digits]))
        ++digits;
    if (digits + 1 >= token.size())
        return std::nullopt;
    const char letter = token[token.size() - 1 - digits];
    if (letter != 'p' && letter != 'i')
        return std::nullopt;
    const std::string_view before = token.substr(0, token.size() - 1 - digits);
    // The named sizes that a scan letter follows are the "p" ones: 1080p, 1080i50.
    std::optional<FrameDimensions> size;
    if (before.find('x') != std::string_view::npos)
        size = frameSizeNamed(before);
    else if (allDigits(before))
        size = frameSizeNamed(std::string(before) + "p");
    if (!size)
        return std::nullopt;
    SizeWord word { *size, letter == 'i' ? Interlaced : Progressive, std::nullopt, false };
    if (digits > 0) {
        word.rate = rateOf(token.substr(token.size() - digits));
        word.rateUnreadable = !word.rate;
    }
    return word;
}

// A lower-case word "50fps": the rate, or nothing for any other word.
std::optional<std::string_view> rateStated(std::string_view token)
{
    if (!endsWith(token, "fps") || token.size() == 3)
        return std::nullopt;
    const std::string_view number = token.substr(0, token.size() - 3);
    return allDigits(number) ? std::optional<std::string_view>(number) : std::nullopt;
}

template <typename T> void addOnce(std::vector<T> &values, T value)
{
    if (std::find(values.begin(), values.end(), value) == values.end())
        values.push_back(value);
}

// What the name says, once its tokens have been read.
struct NameHints
{
    std::vector<FrameDimensions> sizes;
    std::vector<const SampleLayout *> layouts;
    std::vector<std::int32_t> depths;
    std::vector<Subsampling> chromas;
    std::vector<std::int32_t> scans;
    std::vector<std::int32_t> rates;
    std::vector<ColourMatrix> matrices;
    std::vector<ColourRange> ranges;
    bool unclear = false;
    // What the words say together, once settleLayout has read them.
    std::optional<std::int32_t> format;
};

// Reads a depth stated in digits: 8, 10 or 12; any other says nothing.
void addDepth(NameHints &hints, std::string_view digits)
{
    if (digits == "8" || digits == "10" || digits == "12")
        addOnce(hints.depths, digits == "8" ? 8 : digits == "10" ? 10 : 12);
    else
        hints.unclear = true;
}

// The layout the words give together. A depth takes a layout named in 8 bits to that
// depth ("10bit" and "yuv422p": yuv422p10le). With no layout named, 420, 422 or 444
// gives the planar layout at the depth, and a depth above 8 alone gives 4:2:0. Words
// that disagree say nothing.
void settleLayout(NameHints &hints)
{
    if (hints.layouts.size() > 1 || hints.depths.size() > 1 || hints.chromas.size() > 1)
        hints.unclear = true;
    if (hints.unclear)
        return;
    const SampleLayout *named = hints.layouts.empty() ? nullptr : hints.layouts.front();
    if (named && !hints.depths.empty()) {
        named = likeAtDepth(*named, hints.depths.front());
        if (!named) {
            hints.unclear = true;
            return;
        }
    }
    if (named && !hints.chromas.empty() && hints.chromas.front() != named->subsampling) {
        hints.unclear = true;
        return;
    }
    const std::int32_t depth = hints.depths.empty() ? 8 : hints.depths.front();
    // "8bit" alone changes nothing: the size's yuv420p is read anyway.
    if (!named && (depth > 8 || !hints.chromas.empty())) {
        const Subsampling chroma
            = hints.chromas.empty() ? Subsampling::Yuv420 : hints.chromas.front();
        // Planar 4:2:2 in 8 bits is listed twice; the later, yuv422p's own, is the one.
        for (const SampleLayout &layout : sampleLayouts()) {
            if (layout.storage == Storage::Planar && !layout.vBeforeU
                && layout.subsampling == chroma && layout.depth == depth)
                named = &layout;
        }
        if (!named) {
            hints.unclear = true;
            return;
        }
    }
    if (named)
        hints.format = named->format;
}

NameHints hintsOf(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    const std::string name
        = lowered(slash == std::string_view::npos ? path : path.substr(slash + 1));
    NameHints hints;
    // Tokens run between separators: anything but a letter or a digit.
    std::vector<std::string_view> tokens;
    const std::string_view whole(name);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= whole.size(); ++i) {
        if (i == whole.size() || !std::isalnum(static_cast<unsigned char>(whole[i]))) {
            if (i > start)
                tokens.push_back(whole.substr(start, i - start));
            start = i + 1;
        }
    }
    // The index of the token after the last size word, where a lone number is its rate.
    std::size_t afterSize = tokens.size();
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::string_view token = tokens[i];
        const bool numberBeforeUnit = i + 1 < tokens.size()
            && (tokens[i + 1] == "bit" || tokens[i + 1] == "bits" || tokens[i + 1] == "fps");
        if (ambiguityOfLayoutName(token)) {
            hints.unclear = true;
            // Before the rate: "709" right after the size names the matrix.
        } else if (const std::optional<ColourMatrix> matrix = colourMatrixNamed(token);
                   matrix && !numberBeforeUnit) {
            addOnce(hints.matrices, *matrix);
        } else if (const std::optional<ColourRange> range = colourRangeNamed(token)) {
            addOnce(hints.ranges, *range);
        } else if (const std::optional<SizeWord> word = sizeWordOf(token)) {
            addOnce(hints.sizes, word->size);
            if (word->scan)
                addOnce(hints.scans, *word->scan);
            if (word->rate)
                addOnce(hints.rates, *word->rate);
            if (word->rateUnreadable)
                addOnce(hints.rates, 0);
            afterSize = i + 1;
        } else if (i == afterSize && !chromaStated(token) && !numberBeforeUnit && rateOf(token)) {
            addOnce(hints.rates, *rateOf(token));
        } else if (token == "fps" && i > 0 && allDigits(tokens[i - 1])) {
            addOnce(hints.rates, rateOf(tokens[i - 1]).value_or(0));
        } else if (const std::optional<std::string_view> rate = rateStated(token)) {
            addOnce(hints.rates, rateOf(*rate).value_or(0));
        } else if (const SampleLayout *layout = layoutNamed(token)) {
            addOnce(hints.layouts, layout);
            // "10-bit" and "10 bit" as well as "10bit".
        } else if ((token == "bit" || token == "bits") && i > 0 && allDigits(tokens[i - 1])) {
            addDepth(hints, tokens[i - 1]);
        } else if (const std::optional<std::string_view> digits = depthStated(token)) {
            addDepth(hints, *digits);
        } else if (const std::optional<Subsampling> chroma = chromaStated(token)) {
            addOnce(hints.chromas, *chroma);
        } else if (namesOtherDeepSamples(token)) {
            hints.unclear = true;
        }
    }
    if (hints.sizes.size() > 1)
        hints.unclear = true;
    settleLayout(hints);
    return hints;
}

std::string sizeText(FrameDimensions size)
{
    return std::to_string(size.width) + 'x' + std::to_string(size.height);
}

// A matrix's entry; the first for a value that names none.
const NamedMatrix &namedMatrix(ColourMatrix matrix)
{
    for (const NamedMatrix &named : namedMatrices) {
        if (named.matrix == matrix)
            return named;
    }
    return namedMatrices[0];
}

// The option's words for a matrix and a range, for messages.
std::string matrixWord(ColourMatrix matrix)
{
    return namedMatrix(matrix).name;
}

std::string rangeWord(ColourRange range)
{
    for (const NamedRange &named : namedRanges) {
        if (named.range == range)
            return named.names[0];
    }
    return {};
}

} // namespace

std::optional<FrameDimensions> frameSizeNamed(std::string_view text)
{
    const std::string name = lowered(text);
    for (const NamedSize &named : namedSizes) {
        if (name == named.name)
            return named.size;
    }
    const std::size_t x = name.find('x');
    if (x == std::string::npos)
        return std::nullopt;
    const std::optional<std::int32_t> width = positiveNumber(std::string_view(name).substr(0, x));
    const std::optional<std::int32_t> height = positiveNumber(std::string_view(name).substr(x + 1));
    if (!width || !height)
        return std::nullopt;
    return FrameDimensions { *width, *height };
}

std::string frameSizeNames()
{
    std::string names;
    for (const NamedSize &named : namedSizes)
        names += (names.empty() ? "" : ", ") + std::string(named.name);
    return names;
}

std::optional<ColourMatrix> colourMatrixNamed(std::string_view text)
{
    const std::string word = lowered(text);
    for (const NamedMatrix &named : namedMatrices) {
        if (word == named.name || word == named.name + 2)
            return named.matrix;
    }
    return std::nullopt;
}

std::optional<ColourRange> colourRangeNamed(std::string_view text)
{
    const std::string word = lowered(text);
    for (const NamedRange &named : namedRanges) {
        for (const char *name : named.names) {
            if (word == name)
                return named.range;
        }
    }
    return std::nullopt;
}

std::string colourMatrixNames()
{
    std::string names;
    for (const NamedMatrix &named : namedMatrices)
        names += (names.empty() ? "" : ", ") + std::string(named.name) + ", " + (named.name + 2);
    return names;
}

std::string colourRangeNames()
{
    std::string names;
    for (const NamedRange &named : namedRanges) {
        for (const char *name : named.names)
            names += (names.empty() ? "" : ", ") + std::string(name);
    }
    return names;
}

std::string colourMatrixText(ColourMatrix matrix)
{
    return namedMatrix(matrix).shown;
}

std::string colourText(ColourMatrix matrix, ColourRange range)
{
    return colourMatrixText(matrix) + (range == ColourRange::Full ? " full" : " limited");
}

bool dialogOffersLayout(std::int32_t format)
{
    return format == YV12 || format == UYVY || format == Planar422;
}

OpenPlan planOpen(std::string_view path, const AskedParameters &asked)
{
    const NameHints hints = hintsOf(path);
    std::optional<FrameDimensions> nameSize;
    std::optional<std::int32_t> nameFormat;
    if (!hints.unclear) {
        if (!hints.sizes.empty())
            nameSize = hints.sizes.front();
        nameFormat = hints.format;
    }

    std::optional<ColourMatrix> nameMatrix;
    std::optional<ColourRange> nameRange;
    if (!hints.unclear && hints.matrices.size() == 1)
        nameMatrix = hints.matrices.front();
    if (!hints.unclear && hints.ranges.size() == 1)
        nameRange = hints.ranges.front();

    OpenPlan plan;
    plan.matrix = asked.matrix ? asked.matrix : nameMatrix;
    plan.range = asked.range ? asked.range : nameRange;
    plan.size = asked.size ? asked.size : nameSize;
    plan.format = asked.format ? asked.format : nameFormat;
    plan.straightAway = plan.size.has_value();
    if (!plan.straightAway && plan.format && !dialogOffersLayout(*plan.format))
        plan.format.reset();
    // Without a size of its own, a number in the name is too weak a sign of a rate.
    if (nameSize) {
        if (hints.rates.size() == 1 && hints.rates.front() > 0)
            plan.rate = hints.rates.front();
        if (hints.scans.size() == 1)
            plan.scan = hints.scans.front();
    }

    std::vector<std::string> overruled;
    if (asked.size && nameSize && !(*asked.size == *nameSize))
        overruled.push_back(
            "-s " + sizeText(*asked.size) + " wins over the name's " + sizeText(*nameSize));
    if (asked.format && nameFormat && *asked.format != *nameFormat)
        overruled.push_back(std::string("-f ") + layoutOf(*asked.format)->name
            + " wins over the name's " + layoutOf(*nameFormat)->name);
    if (asked.matrix && nameMatrix && *asked.matrix != *nameMatrix)
        overruled.push_back(
            "-m " + matrixWord(*asked.matrix) + " wins over the name's " + matrixWord(*nameMatrix));
    if (asked.range && nameRange && *asked.range != *nameRange)
        overruled.push_back(
            "-r " + rangeWord(*asked.range) + " wins over the name's " + rangeWord(*nameRange));
    for (const std::string &part : overruled)
        plan.overruled += (plan.overruled.empty() ? std::string(path) + ": " : "; ") + part;
    return plan;
}
