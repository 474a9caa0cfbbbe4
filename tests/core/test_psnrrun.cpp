#include "psnrrun.h"
#include "samplelayout.h"
#include "tempdir.h"
#include "testfiles.h"
#include "yuvreference.h"

#include <QtTest>

#include <filesystem>
#include <sstream>

namespace {

// A file of generated frames: every sample known from its frame, plane and place.
struct Clip
{
    QString name;
    QString layout;
    QSize size;
    // -1: no such file; -2: a folder of that name.
    int frames = 0;
    // Bits above the depth set in every word, which the comparison ignores.
    bool garbage = false;
    // A y4m file of 4:2:0 8-bit frames, its header and FRAME lines before the samples.
    bool y4m = false;
};

} // namespace

Q_DECLARE_METATYPE(Clip)

namespace {

const int missing = -1;
const int folder = -2;

std::uint16_t sampleOf(int frame, int plane, std::size_t index, int depth)
{
    return std::uint16_t(
        (std::size_t(frame) * 131 + std::size_t(plane) * 17 + index * 7) & ((1u << depth) - 1));
}

// Writes the clip, with `changes` (frame, plane, index, sample; four numbers each) made
// to its samples.
bool writeClip(const std::string &path, const Clip &clip, const QList<int> &changes)
{
    if (clip.frames == missing)
        return true;
    if (clip.frames == folder)
        return std::filesystem::create_directory(path);
    const SampleLayout &layout = *layoutNamed(clip.layout.toStdString());
    const auto w = std::size_t(clip.size.width());
    const auto h = std::size_t(clip.size.height());
    const std::size_t chroma = layout.subsampling == Subsampling::Yuv444 ? w * h
        : layout.subsampling == Subsampling::Yuv422                      ? w / 2 * h
        : layout.subsampling == Subsampling::Yuv420                      ? w / 2 * (h / 2)
                                                                         : 0;
    const std::uint16_t above = clip.garbage ? std::uint16_t(0xffff << layout.depth) : 0;
    std::vector<std::uint8_t> bytes;
    const auto append = [&bytes](const std::string &line) {
        bytes.insert(bytes.end(), line.begin(), line.end());
    };
    if (clip.y4m)
        append("YUV4MPEG2 W" + std::to_string(w) + " H" + std::to_string(h) + " F25:1 C420jpeg\n");
    for (int frame = 0; frame < clip.frames; ++frame) {
        if (clip.y4m)
            append("FRAME\n");
        ReferenceSamplePlanes planes { std::vector<std::uint16_t>(w * h),
            std::vector<std::uint16_t>(chroma), std::vector<std::uint16_t>(chroma) };
        int p = 0;
        for (std::vector<std::uint16_t> *plane : { &planes.y, &planes.u, &planes.v }) {
            for (std::size_t i = 0; i < plane->size(); ++i)
                (*plane)[i] = sampleOf(frame, p, i, layout.depth) | above;
            ++p;
        }
        for (int c = 0; c + 3 < changes.size(); c += 4) {
            if (changes[c] != frame)
                continue;
            std::vector<std::uint16_t> &plane = changes[c + 1] == 0 ? planes.y
                : changes[c + 1] == 1                               ? planes.u
                                                                    : planes.v;
            plane[std::size_t(changes[c + 2])] = std::uint16_t(changes[c + 3]) | above;
        }
        const std::vector<std::uint8_t> one = referenceFrameBytes(layout.format, w, h, planes);
        bytes.insert(bytes.end(), one.begin(), one.end());
    }
    return testfiles::writeFile(path, bytes);
}

QString text(const std::ostringstream &stream)
{
    return QString::fromStdString(stream.str());
}

} // namespace

class TestPsnrRun : public QObject
{
    Q_OBJECT

private slots:
    void reportSaysHowTheFilesCompare_data();
    void reportSaysHowTheFilesCompare();
};

void TestPsnrRun::reportSaysHowTheFilesCompare_data()
{
    QTest::addColumn<Clip>("first");
    QTest::addColumn<Clip>("second");
    // Frame, plane, index and sample, four at a time, made to the second file.
    QTest::addColumn<QList<int>>("changes");
    // -s and -f: empty for an option not given.
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("status");
    // How many stats lines, each followed by the summary; then the lines after them. In
    // the lines on standard error, %1 is the first file and %2 the second.
    QTest::addColumn<int>("statsLines");
    QTest::addColumn<QString>("outEnd");
    QTest::addColumn<QString>("err");

    const QSize size(64, 32);
    QTest::newRow("identical samples in nv12 and in yuv420p, sizes and layouts in the names")
        << Clip { "a_64x32_nv12.yuv", "nv12", size, 3 }
        << Clip { "b_64x32_yuv420p.yuv", "yuv420p", size, 3 } << QList<int> {} << ""
        << "" << 0 << 3 << "identical\n"
        << "";
    QTest::newRow("one sample of V apart in frame 1, the last of its row")
        << Clip { "a.yuv", "yuv420p", size, 3 } << Clip { "b_nv21.yuv", "nv21", size, 3 }
        << QList<int> { 1, 2, 15 * 32 + 31, 200 } << "64x32"
        << "" << 1 << 3
        << "first difference: frame 1 counted from 0, plane V, x 31, y 15: 158 against 200\n"
        << "";
    QTest::newRow("-f for both: words with garbage above 10 bits match")
        << Clip { "a.yuv", "yuv422p10le", size, 2 }
        << Clip { "b.yuv", "yuv422p10le", size, 2, true } << QList<int> {} << "64x32"
        << "yuv422p10le" << 0 << 2 << "identical\n"
        << "";
    QTest::newRow("the first of two differences, in grey")
        << Clip { "a_33x7_gray12le.yuv", "gray12le", QSize(33, 7), 2 }
        << Clip { "b_33x7_gray12le.yuv", "gray12le", QSize(33, 7), 2 }
        << QList<int> { 1, 0, 40, 4095, 0, 0, 70, 0 } << ""
        << "" << 1 << 2
        << "first difference: frame 0 counted from 0, plane Y, x 4, y 2: 490 against 0\n"
        << "";
    QTest::newRow("more frames in the first: the shorter compared")
        << Clip { "a_64x32.yuv", "yuv420p", size, 3 } << Clip { "b_64x32.yuv", "yuv420p", size, 2 }
        << QList<int> {} << ""
        << "" << 1 << 2 << "identical\nframe counts differ: 3 against 2; the first 2 compared\n"
        << "";
    QTest::newRow("files shorter than a frame: nothing to compare")
        << Clip { "a_64x32.yuv", "yuv420p", size, 0 } << Clip { "b_64x32.yuv", "yuv420p", size, 0 }
        << QList<int> {} << ""
        << "" << 0 << 0 << "identical\n"
        << "";
    QTest::newRow("a missing file")
        << Clip { "a_64x32.yuv", "yuv420p", size, 1 } << Clip { "b_64x32.yuv", "", size, missing }
        << QList<int> {} << ""
        << "" << 2 << 0 << ""
        << "zentavo: %2 cannot be found\n";
    QTest::newRow("a folder, and a name without a size: a line each")
        << Clip { "a_64x32.yuv", "", size, folder } << Clip { "b.yuv", "yuv420p", size, 1 }
        << QList<int> {} << ""
        << "" << 2 << 0 << ""
        << "zentavo: %1 is not a regular file\nzentavo: %2: no frame size: give -s WxH or put "
           "the size in the file's name\n";
    QTest::newRow("an odd width for 4:2:2")
        << Clip { "a_63x32_yuyv422.yuv", "gray", QSize(63, 32), 1 }
        << Clip { "b_63x32.yuv", "gray", QSize(63, 32), 1 } << QList<int> {} << ""
        << "" << 2 << 0 << ""
        << "zentavo: %1: 63x32 does not fit yuyv422: its width must be even\nzentavo: %2: 63x32 "
           "does not fit yuv420p: its width must be even\n";
    QTest::newRow("a y4m file against the raw file of its samples, whatever its name")
        << Clip { "a_32x16_nv12.y4m", "yuv420p", size, 3, false, true }
        << Clip { "b_64x32.yuv", "yuv420p", size, 3 } << QList<int> {} << ""
        << "" << 0 << 3 << "identical\n"
        << "";
    QTest::newRow("-f that disagrees with a y4m header")
        << Clip { "a.y4m", "yuv420p", size, 1, false, true }
        << Clip { "b_64x32.yuv", "yuv420p", size, 1 } << QList<int> {} << ""
        << "nv12" << 2 << 0 << ""
        << "zentavo: %1: -f nv12 disagrees with its y4m header, which says yuv420p.\n";
    QTest::newRow("chroma and depth that differ")
        << Clip { "a_64x32_nv16.yuv", "nv16", size, 1 }
        << Clip { "b_64x32_p010le.yuv", "p010le", size, 1 } << QList<int> {} << ""
        << "" << 2 << 0 << ""
        << "zentavo: %1 and %2 cannot be compared: their chroma differs: 4:2:2 against 4:2:0; "
           "their depths differ: 8 bits against 10 bits\n";
}

void TestPsnrRun::reportSaysHowTheFilesCompare()
{
    QFETCH(Clip, first);
    QFETCH(Clip, second);
    QFETCH(QList<int>, changes);
    QFETCH(QString, size);
    QFETCH(QString, layout);
    QFETCH(int, status);
    QFETCH(int, statsLines);
    QFETCH(QString, outEnd);
    QFETCH(QString, err);

    const TempDir dir;
    QVERIFY(dir.isValid());
    PsnrRequest request;
    request.program = "zentavo";
    request.first = dir.filePath(first.name.toStdString());
    request.second = dir.filePath(second.name.toStdString());
    QVERIFY(writeClip(request.first, first, {}));
    QVERIFY(writeClip(request.second, second, changes));
    if (!size.isEmpty())
        request.asked.size = frameSizeNamed(size.toStdString());
    if (!layout.isEmpty())
        request.asked.format = layoutNamed(layout.toStdString())->format;

    std::ostringstream out;
    std::ostringstream errors;
    QCOMPARE(int(runPsnrReport(request, out, errors)), status);

    const QString firstPath = QString::fromStdString(request.first);
    const QString secondPath = QString::fromStdString(request.second);
    QCOMPARE(text(errors),
        QString(err)
            .replace(QStringLiteral("%1"), firstPath)
            .replace(QStringLiteral("%2"), secondPath));
    const QStringList lines = text(out).split(QLatin1Char('\n'));
    for (int n = 0; n < statsLines; ++n)
        QVERIFY2(lines.value(n).startsWith(QStringLiteral("n:%1 mse_avg:").arg(n + 1)),
            qPrintable(lines.value(n)));
    const int summary = statsLines > 0 ? 1 : 0;
    if (summary)
        QVERIFY2(lines.value(statsLines).startsWith(QStringLiteral("PSNR y:")),
            qPrintable(lines.value(statsLines)));
    QCOMPARE(lines.mid(statsLines + summary).join(QLatin1Char('\n')), outEnd);
}

QTEST_APPLESS_MAIN(TestPsnrRun)
#include "test_psnrrun.moc"
