#include "frame.h"
#include "framecomparison.h"
#include "psnrreport.h"
#include "psnrrun.h"
#include "rawfilesource.h"
#include "samplelayout.h"
#include "tempdir.h"
#include "testfiles.h"
#include "videoparameters.h"
#include "yuvreference.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <algorithm>
#include <random>
#include <sstream>
#include <vector>

namespace {

using Samples = ReferenceSamplePlanes;

// How ffmpeg 5.1 takes a layout to a format its psnr filter compares, with the same
// samples: by its -pix_fmt name, through a filter on each input, or (nv16, which its
// scaler cannot read) from a planar copy of the samples that the test writes.
struct FfmpegInput
{
    QString pixelFormat;
    QString filter;
    std::int32_t copyFormat = -1;
};

FfmpegInput ffmpegInput(const SampleLayout &layout)
{
    switch (layout.format) {
    case Yvu420p:
        // Read as yuv420p, its second plane is V: swapped back into place.
        return { QStringLiteral("yuv420p"), QStringLiteral("shuffleplanes=0:2:1,format=yuv420p") };
    case P010le:
        // Left alone, ffmpeg widens it to 16 bits.
        return { QStringLiteral("p010le"), QStringLiteral("format=yuv420p10le") };
    case Nv16:
        return { QStringLiteral("yuv422p"), QString(), Planar422 };
    default:
        return { QString::fromLatin1(layout.name), QString() };
    }
}

// The figures ffmpeg gives for two files: its stats file, and its summary line without
// the filter's name before it.
struct FfmpegFigures
{
    QByteArray stats;
    QByteArray summary;
};

FfmpegFigures ffmpegPsnr(const FfmpegInput &input, QSize size, const std::string &first,
    const std::string &second, const std::string &statsPath)
{
    QStringList arguments { QStringLiteral("-nostdin"), QStringLiteral("-hide_banner") };
    for (const std::string &path : { first, second })
        arguments << QStringLiteral("-f") << QStringLiteral("rawvideo")
                  << QStringLiteral("-pix_fmt") << input.pixelFormat << QStringLiteral("-s")
                  << QStringLiteral("%1x%2").arg(size.width()).arg(size.height())
                  << QStringLiteral("-i") << QString::fromStdString(path);
    const QString psnr = QStringLiteral("psnr=stats_file=") + QString::fromStdString(statsPath);
    const QString graph = input.filter.isEmpty()
        ? QStringLiteral("[0:v][1:v]") + psnr
        : QStringLiteral("[0:v]%1[a];[1:v]%1[b];[a][b]").arg(input.filter) + psnr;
    arguments << QStringLiteral("-lavfi") << graph << QStringLiteral("-f") << QStringLiteral("null")
              << QStringLiteral("-");

    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral(FFMPEG_EXECUTABLE), arguments);
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitStatus() != QProcess::NormalExit
        || ffmpeg.exitCode() != 0)
        qFatal("%s %s failed: %s", FFMPEG_EXECUTABLE, qPrintable(arguments.join(QLatin1Char(' '))),
            ffmpeg.readAllStandardError().constData());
    FfmpegFigures figures;
    QFile stats(QString::fromStdString(statsPath));
    if (stats.open(QIODevice::ReadOnly))
        figures.stats = stats.readAll();
    static const QRegularExpression summary(
        QStringLiteral(R"(^\[Parsed_psnr_\d+ @ 0x[0-9a-f]+\] (PSNR .*)$)"),
        QRegularExpression::MultilineOption);
    figures.summary
        = summary.match(QString::fromUtf8(ffmpeg.readAllStandardError())).captured(1).toUtf8();
    return figures;
}

// The samples of each plane: w x h of Y, and of U and V as the layout's chroma has them.
struct PlaneSizes
{
    std::size_t luma;
    std::size_t chromaRow;
    std::size_t chromaRows;
};

PlaneSizes planeSizes(const SampleLayout &layout, QSize size)
{
    const auto w = std::size_t(size.width());
    const auto h = std::size_t(size.height());
    switch (layout.subsampling) {
    case Subsampling::Yuv420:
        return { w * h, w / 2, h / 2 };
    case Subsampling::Yuv422:
        return { w * h, w / 2, h };
    case Subsampling::Yuv444:
        return { w * h, w, h };
    case Subsampling::None:
        break;
    }
    return { w * h, 0, 0 };
}

Samples randomFrame(const PlaneSizes &sizes, int depth, std::mt19937 &random)
{
    Samples frame { std::vector<std::uint16_t>(sizes.luma),
        std::vector<std::uint16_t>(sizes.chromaRow * sizes.chromaRows),
        std::vector<std::uint16_t>(sizes.chromaRow * sizes.chromaRows) };
    for (std::vector<std::uint16_t> *plane : { &frame.y, &frame.u, &frame.v }) {
        for (std::uint16_t &sample : *plane)
            sample = std::uint16_t(random() >> (32 - depth));
    }
    return frame;
}

std::vector<std::uint16_t> &planeAt(Samples &frame, int plane)
{
    return plane == 0 ? frame.y : plane == 1 ? frame.u : frame.v;
}

const std::vector<std::uint16_t> &planeAt(const Samples &frame, int plane)
{
    return plane == 0 ? frame.y : plane == 1 ? frame.u : frame.v;
}

// The four pairs of frames of every case: identical; one sample apart in the last column
// of U (of Y without chroma), half-way down; a few samples in each plane anywhere, from
// 0 to the largest; every sample a little apart, as a codec leaves it.
std::vector<std::pair<Samples, Samples>> framePairs(
    const SampleLayout &layout, QSize size, std::mt19937 &random)
{
    const PlaneSizes sizes = planeSizes(layout, size);
    const int depth = layout.depth;
    const int largest = (1 << depth) - 1;
    const int planes = sizes.chromaRow ? 3 : 1;
    std::vector<std::pair<Samples, Samples>> pairs;
    for (int kind = 0; kind < 4; ++kind) {
        Samples a = randomFrame(sizes, depth, random);
        Samples b = a;
        if (kind == 1) {
            const int plane = planes == 3 ? 1 : 0;
            const std::size_t row = planes == 3 ? sizes.chromaRow : std::size_t(size.width());
            const std::size_t rows = planes == 3 ? sizes.chromaRows : std::size_t(size.height());
            std::uint16_t &sample = planeAt(b, plane)[(rows / 2) * row + row - 1];
            sample = std::uint16_t(sample == largest ? 0 : sample + 1);
        } else if (kind == 2) {
            for (int p = 0; p < planes; ++p) {
                std::vector<std::uint16_t> &samples = planeAt(b, p);
                for (std::size_t i = random() % std::min<std::size_t>(samples.size(), 97);
                     i < samples.size(); i += 500 + random() % 500)
                    samples[i]
                        = std::uint16_t(random() % 3 == 0 ? (samples[i] > largest / 2 ? 0 : largest)
                                                          : random() >> (32 - depth));
            }
        } else if (kind == 3) {
            for (int p = 0; p < planes; ++p) {
                for (std::uint16_t &sample : planeAt(b, p))
                    sample = std::uint16_t(
                        std::clamp(int(sample) + int(random() % 9) - 4, 0, largest));
            }
        }
        pairs.emplace_back(std::move(a), std::move(b));
    }
    return pairs;
}

bool writeFrames(const std::string &path, std::int32_t format, QSize size,
    const std::vector<const Samples *> &frames)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(std::size_t(frameSize(format, size.width(), size.height())) * frames.size());
    for (const Samples *frame : frames) {
        const std::vector<std::uint8_t> one = referenceFrameBytes(
            format, std::size_t(size.width()), std::size_t(size.height()), *frame);
        bytes.insert(bytes.end(), one.begin(), one.end());
    }
    return testfiles::writeFile(path, bytes);
}

std::uint64_t squaredError(const std::vector<std::uint16_t> &a, const std::vector<std::uint16_t> &b)
{
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const std::int64_t d = std::int64_t(a[i]) - std::int64_t(b[i]);
        sum += std::uint64_t(d * d);
    }
    return sum;
}

// What a window's title shows for a frame of ffmpeg's line: its planes' PSNRs as ffmpeg
// prints them, or "identical" where every one is infinite.
QByteArray titleOfLine(const QByteArray &line, int planes)
{
    QByteArray title = "PSNR";
    bool identical = true;
    for (int p = 0; p < planes; ++p) {
        const QByteArray key = QByteArray("psnr_") + "yuv"[p] + ':';
        const qsizetype at = line.indexOf(key) + key.size();
        const QByteArray value = line.mid(at, line.indexOf(' ', at) - at);
        identical = identical && value == "inf";
        title += ' ' + QByteArray(1, "YUV"[p]) + ' ' + value;
    }
    return identical ? QByteArray("identical") : title;
}

} // namespace

class TestPsnrFfmpeg : public QObject
{
    Q_OBJECT

private slots:
    void figuresAreFfmpegs_data();
    void figuresAreFfmpegs();
};

void TestPsnrFfmpeg::figuresAreFfmpegs_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QSize>("size");

    for (const SampleLayout &layout : sampleLayouts()) {
        // The dialog's UYVY is yuv422p by another value.
        if (layout.format == UYVY)
            continue;
        // Each dimension odd where the layout allows it, and chroma planes of odd width.
        const QSize odd = layout.subsampling == Subsampling::Yuv420 ? QSize(38, 10)
            : layout.subsampling == Subsampling::Yuv422             ? QSize(38, 9)
                                                                    : QSize(37, 9);
        for (const QSize size : { odd, QSize(1920, 1080) })
            QTest::addRow("%s %dx%d", layout.name, size.width(), size.height())
                << int(layout.format) << size;
    }
}

void TestPsnrFfmpeg::figuresAreFfmpegs()
{
    QFETCH(int, format);
    QFETCH(QSize, size);

    const SampleLayout &layout = *layoutOf(format);
    const FrameFormat frameFormat = *FrameFormat::make(format, size.width(), size.height());
    const int planes = layout.subsampling == Subsampling::None ? 1 : 3;
    std::mt19937 random(std::uint32_t(format * 7919 + size.width()));
    const std::vector<std::pair<Samples, Samples>> pairs = framePairs(layout, size, random);
    std::vector<const Samples *> firsts, seconds;
    for (const auto &[a, b] : pairs) {
        firsts.push_back(&a);
        seconds.push_back(&b);
    }

    const TempDir dir;
    QVERIFY(dir.isValid());
    const std::string first = dir.filePath("first.yuv");
    const std::string second = dir.filePath("second.yuv");
    QVERIFY(writeFrames(first, format, size, firsts));
    QVERIFY(writeFrames(second, format, size, seconds));
    const FfmpegInput input = ffmpegInput(layout);
    std::string ffmpegFirst = first;
    std::string ffmpegSecond = second;
    if (input.copyFormat >= 0) {
        ffmpegFirst = dir.filePath("first-copy.yuv");
        ffmpegSecond = dir.filePath("second-copy.yuv");
        QVERIFY(writeFrames(ffmpegFirst, input.copyFormat, size, firsts));
        QVERIFY(writeFrames(ffmpegSecond, input.copyFormat, size, seconds));
    }
    const FfmpegFigures ffmpeg
        = ffmpegPsnr(input, size, ffmpegFirst, ffmpegSecond, dir.filePath("stats.txt"));
    const QList<QByteArray> ffmpegLines = ffmpeg.stats.split('\n');
    QCOMPARE(ffmpegLines.size(), qsizetype(pairs.size()) + 1);

    const std::int64_t frames = std::int64_t(pairs.size());
    const RawFileSource sourceA(first, frameFormat, frames);
    const RawFileSource sourceB(second, frameFormat, frames);
    Frame a(frameFormat);
    Frame b(frameFormat);
    PsnrSummary summary(layout.depth);
    QByteArray stats;
    for (std::int64_t n = 0; n < frames; ++n) {
        QCOMPARE(sourceA.read(n, a), LoadResult::Complete);
        QCOMPARE(sourceB.read(n, b), LoadResult::Complete);
        const FrameComparison comparison = compareFrames(a, b);
        const auto &[samplesA, samplesB] = pairs[std::size_t(n)];
        const std::uint64_t expected[3] = { squaredError(samplesA.y, samplesB.y),
            squaredError(samplesA.u, samplesB.u), squaredError(samplesA.v, samplesB.v) };
        QCOMPARE(comparison.planes, planes);
        for (int p = 0; p < planes; ++p)
            QCOMPARE(comparison.squaredError[std::size_t(p)], expected[p]);
        QCOMPARE(QByteArray::fromStdString(psnrTitleText(comparison, layout.depth)),
            titleOfLine(ffmpegLines[n], planes));
        stats += QByteArray::fromStdString(psnrStatsLine(n + 1, comparison, layout.depth));
        summary.add(comparison);
    }

    QCOMPARE(stats, ffmpeg.stats);
    QCOMPARE(QByteArray::fromStdString(summary.line()), ffmpeg.summary + '\n');

    // The report on the same files, as the command line asks for it: ffmpeg's lines, then
    // the sample that frame 1 changed.
    PsnrRequest request { "zentavo", first, second,
        { FrameDimensions { size.width(), size.height() }, format, {}, {} } };
    std::ostringstream out;
    std::ostringstream err;
    QCOMPARE(int(runPsnrReport(request, out, err)), int(PsnrDifferent));
    QCOMPARE(QByteArray::fromStdString(err.str()), QByteArray());
    const PlaneSizes sizes = planeSizes(layout, size);
    const std::size_t row = planes == 3 ? sizes.chromaRow : std::size_t(size.width());
    const std::size_t rows = planes == 3 ? sizes.chromaRows : std::size_t(size.height());
    const std::size_t changed = (rows / 2) * row + row - 1;
    const int plane = planes == 3 ? 1 : 0;
    const QByteArray difference
        = QStringLiteral("first difference: frame 1 counted from 0, plane %1, x %2, y %3: %4 "
                         "against %5\n")
              .arg(QLatin1Char("YU"[plane]))
              .arg(row - 1)
              .arg(rows / 2)
              .arg(planeAt(pairs[1].first, plane)[changed])
              .arg(planeAt(pairs[1].second, plane)[changed])
              .toUtf8();
    QCOMPARE(
        QByteArray::fromStdString(out.str()), ffmpeg.stats + ffmpeg.summary + '\n' + difference);
}

QTEST_APPLESS_MAIN(TestPsnrFfmpeg)
#include "test_psnrffmpeg.moc"
