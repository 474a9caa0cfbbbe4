#include "frame.h"
#include "framecomparison.h"
#include "processorfeatures.h"
#include "psnrreport.h"
#include "samplelayout.h"
#include "squarederror.h"
#include "videoparameters.h"

#include <QtTest>

#include <cstring>
#include <random>
#include <vector>

Q_DECLARE_METATYPE(SquaredErrorKernels)

namespace {

FrameFormat frameFormat(std::int32_t format, std::int32_t width, std::int32_t height)
{
    const std::optional<FrameFormat> made = FrameFormat::make(format, width, height);
    if (!made)
        qFatal("no frame format %d of %dx%d", int(format), int(width), int(height));
    return *made;
}

std::uint8_t *planeOf(Frame &frame, int plane)
{
    const FramePlanes planes = frame.planes();
    return plane == 0 ? planes.y : plane == 1 ? planes.u : planes.v;
}

// The word or byte that holds sample `index` of a plane, whole.
void setStored(Frame &frame, int plane, std::size_t index, unsigned value)
{
    if (frame.format().bytesPerSample() == 1) {
        planeOf(frame, plane)[index] = std::uint8_t(value);
        return;
    }
    const auto word = std::uint16_t(value);
    std::memcpy(planeOf(frame, plane) + 2 * index, &word, sizeof word);
}

unsigned stored(const Frame &frame, int plane, std::size_t index)
{
    const SamplePlane &samples = plane == 0 ? frame.y() : plane == 1 ? frame.u() : frame.v();
    if (frame.format().bytesPerSample() == 1)
        return samples[index];
    std::uint16_t word;
    std::memcpy(&word, samples.data() + 2 * index, sizeof word);
    return word;
}

std::size_t samplesOf(const FrameFormat &format, int plane)
{
    return plane == 0 ? format.lumaSamples() : format.chromaSamples();
}

// Planes compared: Y alone without chroma.
int planesOf(const FrameFormat &format)
{
    return format.layout().subsampling == Subsampling::None ? 1 : 3;
}

// A size that the layout allows with every odd dimension it can have.
QSize oddSize(std::int32_t format)
{
    switch (layoutOf(format)->subsampling) {
    case Subsampling::Yuv420:
        return { 38, 10 };
    case Subsampling::Yuv422:
        // The dialog's UYVY keeps both even.
        return { 38, format == UYVY ? 10 : 9 };
    case Subsampling::Yuv444:
    case Subsampling::None:
        break;
    }
    return { 37, 9 };
}

struct KernelSet
{
    const char *name;
    SquaredErrorKernels kernels;
};

// Every set of kernels that this processor runs.
std::vector<KernelSet> runnableKernels()
{
    std::vector<KernelSet> sets { { "portable", portableSquaredErrorKernels() } };
#if defined(ZENTAVO_X86_KERNELS)
    sets.push_back({ "sse2", sse2SquaredErrorKernels() });
    if (processorHasAvx2())
        sets.push_back({ "avx2", avx2SquaredErrorKernels() });
#endif
    return sets;
}

} // namespace

class TestFrameComparison : public QObject
{
    Q_OBJECT

private slots:
    void kernelsSumSquaredDifferences_data();
    void kernelsSumSquaredDifferences();
    void comparisonSumsMaskedSamplesOfEveryPlane_data();
    void comparisonSumsMaskedSamplesOfEveryPlane();
    void comparableFormats_data();
    void comparableFormats();
    void firstDifferenceIsTheFirstMaskedSample_data();
    void firstDifferenceIsTheFirstMaskedSample();
    void identicalFramesReadAsFfmpegWritesThem_data();
    void identicalFramesReadAsFfmpegWritesThem();
};

void TestFrameComparison::kernelsSumSquaredDifferences_data()
{
    QTest::addColumn<SquaredErrorKernels>("kernels");
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("count");
    // Every sample pair as far apart as the depth allows (0 against 2^depth - 1, garbage
    // above), which overflows any lane kept too long; otherwise random words.
    QTest::addColumn<bool>("extremes");

    for (const KernelSet &set : runnableKernels()) {
        for (int depth : { 8, 10, 12 }) {
            // Empty, shorter than a step, a step and a tail, and past the steps after
            // which the vector lanes must be widened (16384 of 32 bytes, 64 of 16 words).
            for (int count : { 0, 1, 15, 16, 17, 31, 33, 63, 65, 1000, 16 * 64 + 3 }) {
                QTest::addRow("%s, %d bits, %d samples", set.name, depth, count)
                    << set.kernels << depth << count << false;
            }
            QTest::addRow("%s, %d bits, 2^20 + 5 samples 0 against the largest", set.name, depth)
                << set.kernels << depth << (1 << 20) + 5 << true;
        }
    }
}

void TestFrameComparison::kernelsSumSquaredDifferences()
{
    QFETCH(SquaredErrorKernels, kernels);
    QFETCH(int, depth);
    QFETCH(int, count);
    QFETCH(bool, extremes);

    std::mt19937 random(std::uint32_t(count * 31 + depth));
    const unsigned largest = (1u << depth) - 1;
    // One sample past the end on each side, which must not count.
    std::vector<std::uint16_t> a(std::size_t(count) + 2), b(a.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        const unsigned garbage = depth == 8 ? 0 : (random() & 0xffff) & ~largest;
        a[i] = std::uint16_t(extremes ? garbage : random());
        b[i] = std::uint16_t(extremes ? (largest | ((random() & 0xffff) & ~largest)) : random());
    }
    a.back() = 0;
    b.back() = std::uint16_t(largest);

    std::uint64_t expected = 0;
    for (int i = 1; i <= count; ++i) {
        const std::int64_t d
            = std::int64_t(a[std::size_t(i)] & largest) - std::int64_t(b[std::size_t(i)] & largest);
        expected += std::uint64_t(d * d);
    }
    std::uint64_t sum;
    if (depth == 8) {
        std::vector<std::uint8_t> x(a.size()), y(b.size());
        for (std::size_t i = 0; i < a.size(); ++i) {
            x[i] = std::uint8_t(a[i]);
            y[i] = std::uint8_t(b[i]);
        }
        sum = kernels.bytes(x.data() + 1, y.data() + 1, std::size_t(count));
    } else {
        sum = kernels.words(a.data() + 1, b.data() + 1, std::size_t(count), depth);
    }
    QCOMPARE(sum, expected);
}

void TestFrameComparison::comparisonSumsMaskedSamplesOfEveryPlane_data()
{
    QTest::addColumn<int>("formatA");
    QTest::addColumn<int>("formatB");

    for (const SampleLayout &layout : sampleLayouts())
        QTest::addRow("%s (%d)", layout.name, int(layout.format))
            << int(layout.format) << int(layout.format);
    // Storage is the reader's affair: the planes compare alike.
    QTest::newRow("nv12 against yuv420p") << int(Nv12) << int(YV12);
    QTest::newRow("p010le against yuv420p10le") << int(P010le) << int(Yuv420p10le);
    QTest::newRow("yuyv422 against nv16") << int(Yuyv422) << int(Nv16);
}

void TestFrameComparison::comparisonSumsMaskedSamplesOfEveryPlane()
{
    QFETCH(int, formatA);
    QFETCH(int, formatB);

    const QSize size = oddSize(formatA);
    const FrameFormat a = frameFormat(formatA, size.width(), size.height());
    const FrameFormat b = frameFormat(formatB, size.width(), size.height());
    QVERIFY(comparable(a, b));
    Frame first(a);
    Frame second(b);
    const unsigned largest = (1u << a.depth()) - 1;
    std::mt19937 random(std::uint32_t(formatA * 100 + formatB));
    // Every sample whole words of garbage; a third of them equal in their low bits but
    // not above.
    for (int p = 0; p < planesOf(a); ++p) {
        for (std::size_t i = 0; i < samplesOf(a, p); ++i) {
            const unsigned x = random() & 0xffff;
            const unsigned y = random() % 3 == 0 ? ((x & largest) | (random() & 0xffff & ~largest))
                                                 : random() & 0xffff;
            setStored(first, p, i, x);
            setStored(second, p, i, y);
        }
    }

    const FrameComparison comparison = compareFrames(first, second);

    QCOMPARE(comparison.planes, planesOf(a));
    for (int p = 0; p < 3; ++p) {
        std::uint64_t expected = 0;
        const std::size_t count = p < planesOf(a) ? samplesOf(a, p) : 0;
        for (std::size_t i = 0; i < count; ++i) {
            const std::int64_t d = std::int64_t(stored(first, p, i) & largest)
                - std::int64_t(stored(second, p, i) & largest);
            expected += std::uint64_t(d * d);
        }
        QCOMPARE(comparison.samples[std::size_t(p)], std::uint64_t(count));
        QCOMPARE(comparison.squaredError[std::size_t(p)], expected);
    }
    QVERIFY(!comparison.identical());
}

void TestFrameComparison::comparableFormats_data()
{
    QTest::addColumn<int>("formatA");
    QTest::addColumn<QSize>("sizeA");
    QTest::addColumn<int>("formatB");
    QTest::addColumn<QSize>("sizeB");
    QTest::addColumn<QString>("why");

    const QSize cif(352, 288);
    QTest::newRow("nv12 and yuv420p") << int(Nv12) << cif << int(YV12) << cif << "";
    QTest::newRow("yvu420p and yuv420p") << int(Yvu420p) << cif << int(YV12) << cif << "";
    QTest::newRow("p010le and yuv420p10le") << int(P010le) << cif << int(Yuv420p10le) << cif << "";
    QTest::newRow("the dialog's UYVY and uyvy422") << int(UYVY) << cif << int(Uyvy422) << cif << "";
    QTest::newRow("yuyv422 and nv16") << int(Yuyv422) << cif << int(Nv16) << cif << "";
    QTest::newRow("gray and gray") << int(Gray) << QSize(33, 7) << int(Gray) << QSize(33, 7) << "";
    QTest::newRow("sizes") << int(YV12) << QSize(176, 144) << int(YV12) << cif
                           << "their sizes differ: 176x144 against 352x288";
    QTest::newRow("heights alone") << int(Yuv444p) << QSize(16, 9) << int(Yuv444p) << QSize(16, 8)
                                   << "their sizes differ: 16x9 against 16x8";
    QTest::newRow("4:2:0 and 4:2:2")
        << int(Nv12) << cif << int(Uyvy422) << cif << "their chroma differs: 4:2:0 against 4:2:2";
    QTest::newRow("4:4:4 and grey")
        << int(Yuv444p) << cif << int(Gray) << cif << "their chroma differs: 4:4:4 against none";
    QTest::newRow("8 and 10 bits")
        << int(YV12) << cif << int(P010le) << cif << "their depths differ: 8 bits against 10 bits";
    QTest::newRow("gray12le and gray10le") << int(Gray12le) << cif << int(Gray10le) << cif
                                           << "their depths differ: 12 bits against 10 bits";
    QTest::newRow("all three")
        << int(Yuv422p12le) << QSize(64, 48) << int(Gray) << cif
        << "their sizes differ: 64x48 against 352x288; their chroma differs: 4:2:2 against "
           "none; their depths differ: 12 bits against 8 bits";
}

void TestFrameComparison::comparableFormats()
{
    QFETCH(int, formatA);
    QFETCH(QSize, sizeA);
    QFETCH(int, formatB);
    QFETCH(QSize, sizeB);
    QFETCH(QString, why);

    const FrameFormat a = frameFormat(formatA, sizeA.width(), sizeA.height());
    const FrameFormat b = frameFormat(formatB, sizeB.width(), sizeB.height());
    QCOMPARE(QString::fromStdString(whyNotComparable(a, b)), why);
    QCOMPARE(comparable(a, b), why.isEmpty());
    // Samples compare as stored, whatever colour either video is drawn in.
    const FrameFormat coloured = b.withColour(ColourMatrix::Bt2020, ColourRange::Full);
    QCOMPARE(QString::fromStdString(whyNotComparable(a, coloured)), why);
    QCOMPARE(comparable(coloured, a.withColour(ColourMatrix::Bt709, ColourRange::Limited)),
        why.isEmpty());
}

void TestFrameComparison::firstDifferenceIsTheFirstMaskedSample_data()
{
    QTest::addColumn<int>("format");
    // Changes to the second frame, in this order: plane, index, stored word.
    QTest::addColumn<QList<int>>("changes");
    // Plane, x, y, first's sample, second's; plane -1 for none.
    QTest::addColumn<QList<int>>("expected");

    const QSize size = oddSize(Yuv420p10le);
    const int lastY = size.width() * size.height() - 1;
    QTest::newRow("identical") << int(YV12) << QList<int> {} << QList<int> { -1 };
    QTest::newRow("last sample of Y")
        << int(YV12) << QList<int> { 0, lastY, 7 } << QList<int> { 0, 37, 9, 0, 7 };
    QTest::newRow("U at the end of its first row before V")
        << int(Planar422) << QList<int> { 2, 0, 1, 1, 18, 255 } << QList<int> { 1, 18, 0, 0, 255 };
    QTest::newRow("Y wins over an earlier index of U")
        << int(Yuv444p) << QList<int> { 1, 0, 9, 0, 40, 3 } << QList<int> { 0, 3, 1, 0, 3 };
    QTest::newRow("V alone, row 2 of 4:2:0")
        << int(Nv21) << QList<int> { 2, 2 * 19 + 5, 200 } << QList<int> { 2, 5, 2, 0, 200 };
    QTest::newRow("only above 10 bits: identical")
        << int(Yuv420p10le) << QList<int> { 0, 0, 0xfc00, 1, 7, 0x0400 } << QList<int> { -1 };
    QTest::newRow("after a change above 12 bits, the sample as masked") << int(
        Gray12le) << QList<int> { 0, 3, 0xf000, 0, 40, 0xffff } << QList<int> { 0, 3, 1, 0, 4095 };
}

void TestFrameComparison::firstDifferenceIsTheFirstMaskedSample()
{
    QFETCH(int, format);
    QFETCH(QList<int>, changes);
    QFETCH(QList<int>, expected);

    const QSize size = oddSize(format);
    const FrameFormat frame = frameFormat(format, size.width(), size.height());
    Frame first(frame);
    Frame second(frame);
    for (int p = 0; p < planesOf(frame); ++p) {
        for (std::size_t i = 0; i < samplesOf(frame, p); ++i) {
            setStored(first, p, i, 0);
            setStored(second, p, i, 0);
        }
    }
    for (int i = 0; i + 2 < changes.size(); i += 3)
        setStored(second, changes[i], std::size_t(changes[i + 1]), unsigned(changes[i + 2]));

    const std::optional<SampleDifference> difference = firstDifference(first, second);

    QCOMPARE(difference.has_value(), expected[0] >= 0);
    QCOMPARE(compareFrames(first, second).identical(), !difference);
    if (!difference)
        return;
    QCOMPARE(difference->plane, expected[0]);
    QCOMPARE(difference->x, expected[1]);
    QCOMPARE(difference->y, expected[2]);
    QCOMPARE(difference->a, std::uint32_t(expected[3]));
    QCOMPARE(difference->b, std::uint32_t(expected[4]));
}

// Zeros and infinities, which no rounding can change.
void TestFrameComparison::identicalFramesReadAsFfmpegWritesThem_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("summary");

    QTest::newRow("yuv420p, frame 1")
        << int(YV12)
        << "n:1 mse_avg:0.00 mse_y:0.00 mse_u:0.00 mse_v:0.00 psnr_avg:inf psnr_y:inf "
           "psnr_u:inf psnr_v:inf \n"
        << "PSNR y:inf u:inf v:inf average:inf min:inf max:inf\n";
    QTest::newRow("gray10le: Y alone")
        << int(Gray10le) << "n:1 mse_avg:0.00 mse_y:0.00 psnr_avg:inf psnr_y:inf \n"
        << "PSNR y:inf average:inf min:inf max:inf\n";
}

void TestFrameComparison::identicalFramesReadAsFfmpegWritesThem()
{
    QFETCH(int, format);
    QFETCH(QString, line);
    QFETCH(QString, summary);

    const Frame frame(frameFormat(format, 8, 4));
    const FrameComparison comparison = compareFrames(frame, frame);
    PsnrSummary figures(frame.format().depth());
    QCOMPARE(figures.line(), std::string());
    figures.add(comparison);

    QCOMPARE(QString::fromStdString(psnrStatsLine(1, comparison, frame.format().depth())), line);
    QCOMPARE(psnrTitleText(comparison, frame.format().depth()), std::string("identical"));
    QCOMPARE(QString::fromStdString(figures.line()), summary);
    QCOMPARE(figures.frames(), std::int64_t(1));
}

QTEST_APPLESS_MAIN(TestFrameComparison)
#include "test_framecomparison.moc"
