#include "frame.h"
#include "rawfilesource.h"
#include "samplelayout.h"
#include "tempdir.h"
#include "videoparameters.h"
#include "y4mfilesource.h"
#include "y4mheader.h"

#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace {

bool writeBytes(const std::string &path, const QByteArray &bytes,
    std::ios::openmode mode = std::ios::binary | std::ios::trunc)
{
    std::ofstream out(path, mode | std::ios::out);
    out.write(bytes.constData(), bytes.size());
    return bool(out);
}

// A frame of a 4 x 2 mono file: its eight samples all `value`, after its FRAME line.
QByteArray monoFrame(char value, const QByteArray &line = "FRAME\n")
{
    return line + QByteArray(8, value);
}

const QByteArray monoHeader = "YUV4MPEG2 W4 H2 F25:1 Ip Cmono\n";

Y4mHeader headerOf(const std::string &path)
{
    const Y4mHeaderRead read = readY4mHeader(path);
    if (!read.header)
        qFatal("no header in %s: %s", path.c_str(), read.problem.c_str());
    return *read.header;
}

// The first sample of each frame the source holds, 0 for one not read whole.
QByteArray firstSamples(const FrameSource &source)
{
    QByteArray samples;
    Frame frame(source.format());
    for (std::int64_t n = 0; n < source.frameCount(); ++n)
        samples += source.read(n, frame) == LoadResult::Complete ? char(frame.y()[0]) : '\0';
    return samples;
}

} // namespace

class TestY4mFileSource : public QObject
{
    Q_OBJECT

private slots:
    void headerIsReadAsWritten_data();
    void headerIsReadAsWritten();
    void framesAreThoseOfFfmpegsRawFile_data();
    void framesAreThoseOfFfmpegsRawFile();
    void framesAreFoundByTheirLines_data();
    void framesAreFoundByTheirLines();
    void recountGoesOnFromTheLastFrame_data();
    void recountGoesOnFromTheLastFrame();

private:
    TempDir dir;
};

void TestY4mFileSource::headerIsReadAsWritten_data()
{
    QTest::addColumn<QByteArray>("bytes");
    // The header's fields as "WxH format scan rate range length"; empty when refused.
    QTest::addColumn<QString>("read");
    QTest::addColumn<QString>("problem");

    QTest::newRow("ffmpeg's yuv420p header")
        << QByteArray("YUV4MPEG2 W16 H8 F25:1 Ip A1:1 C420jpeg XYSCSS=420JPEG\nFRAME\n")
        << "16x8 yuv420p p 25:1 unstated 55" << QString();
    QTest::newRow("no C is 420jpeg; NTSC's rate; top field first")
        << QByteArray("YUV4MPEG2 W64 H48 F30000:1001 It\n")
        << "64x48 yuv420p i 30000:1001 unstated 33" << QString();
    QTest::newRow("C420mpeg2, bottom field first, full range")
        << QByteArray("YUV4MPEG2 W2 H2 C420mpeg2 Ib XCOLORRANGE=FULL\n")
        << "2x2 yuv420p i 0:0 full 46" << QString();
    QTest::newRow("C420paldv, mixed fields, limited range")
        << QByteArray("YUV4MPEG2 W2 H2 C420paldv Im XCOLORRANGE=LIMITED\n")
        << "2x2 yuv420p i 0:0 limited 49" << QString();
    QTest::newRow("C420, a comment tag, an unknown rate")
        << QByteArray("YUV4MPEG2 C420 W2 H2 XCOMMENT=by-hand F0:0\n")
        << "2x2 yuv420p p 0:0 unstated 43" << QString();
    QTest::newRow("C422 takes an odd height, tags after W and H count")
        << QByteArray("YUV4MPEG2 W6 H3 C422 W8\n") << "8x3 yuv422p p 0:0 unstated 24" << QString();
    QTest::newRow("C444 takes an odd width")
        << QByteArray("YUV4MPEG2 W5 H3 C444\n") << "5x3 yuv444p p 0:0 unstated 21" << QString();
    QTest::newRow("an unknown range value is no range")
        << QByteArray("YUV4MPEG2 W4 H2 Cmono12 XCOLORRANGE=WIDE\n")
        << "4x2 gray12le p 0:0 unstated 41" << QString();
    QTest::newRow("16384 wide is taken")
        << QByteArray("YUV4MPEG2 W16384 H2\n") << "16384x2 yuv420p p 0:0 unstated 20" << QString();
    const QByteArray longest = "YUV4MPEG2 W2 H2 XCOMMENT=";
    QTest::newRow("a header of 4096 bytes with its line break is taken")
        << longest + QByteArray(4096 - longest.size() - 1, 'a') + '\n'
        << "2x2 yuv420p p 0:0 unstated 4096" << QString();

    QTest::newRow("a header of 4097 bytes is refused")
        << longest + QByteArray(4097 - longest.size() - 1, 'a') + '\n'
        << QString() << "The y4m header does not end within 4096 bytes.";
    QTest::newRow("a header that the file ends in") << QByteArray(
        "YUV4MPEG2 W16 H8") << QString() << "The y4m header does not end before the file does.";
    QTest::newRow("no W") << QByteArray("YUV4MPEG2 H8\n") << QString()
                          << "The y4m header gives no width (W).";
    QTest::newRow("no H") << QByteArray("YUV4MPEG2 W16 C444\n") << QString()
                          << "The y4m header gives no height (H).";
    QTest::newRow("W past 16384") << QByteArray("YUV4MPEG2 W16386 H8\n") << QString()
                                  << "The y4m header's width W16386 is more than 16384.";
    QTest::newRow("H of more digits than any integer holds")
        << QByteArray("YUV4MPEG2 W16 H123456789012345678901234\n") << QString()
        << "The y4m header's height H123456789012345678901234 is more than 16384.";
    QTest::newRow("H0") << QByteArray("YUV4MPEG2 W16 H0\n") << QString()
                        << "The y4m header's height H0 is not above 0.";
    QTest::newRow("an odd width for 4:2:0")
        << QByteArray("YUV4MPEG2 W15 H8 C420jpeg\n") << QString()
        << "The y4m header's width W15 is odd, which yuv420p cannot have.";
    QTest::newRow("W that is no number") << QByteArray("YUV4MPEG2 W-16 H8\n") << QString()
                                         << "The y4m header's width W-16 is not a whole number.";
    QTest::newRow("C411") << QByteArray("YUV4MPEG2 W16 H8 C411\n") << QString()
                          << "The y4m header's colour space C411 is not one this program reads.";
    QTest::newRow("C420p16")
        << QByteArray("YUV4MPEG2 W16 H8 C420p16\n") << QString()
        << "The y4m header's colour space C420p16 is not one this program reads.";
    QTest::newRow("C444alpha")
        << QByteArray("YUV4MPEG2 W16 H8 C444alpha\n") << QString()
        << "The y4m header's colour space C444alpha is not one this program reads.";
    QTest::newRow("Ix") << QByteArray("YUV4MPEG2 W16 H8 Ix\n") << QString()
                        << "The y4m header's interlacing Ix is none of Ip, It, Ib and Im.";
    QTest::newRow("a rate without a divisor")
        << QByteArray("YUV4MPEG2 W16 H8 F25\n") << QString()
        << "The y4m header's frame rate F25 is not a rate such as F25:1.";
    QTest::newRow("a rate over 0 seconds")
        << QByteArray("YUV4MPEG2 W16 H8 F25:0\n") << QString()
        << "The y4m header's frame rate F25:0 is not a rate such as F25:1.";
    QTest::newRow("the signature without its space") << QByteArray(
        "YUV4MPEG2\nW16 H8\n") << QString() << "The file does not begin with YUV4MPEG2.";
}

void TestY4mFileSource::headerIsReadAsWritten()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, read);
    QFETCH(QString, problem);

    // Read from a file, as a file's first bytes, the longest header's and one more: a
    // header that ends is followed by more than that.
    const std::string path = dir.filePath("header.y4m");
    QVERIFY(writeBytes(path, bytes.endsWith('\n') ? bytes + QByteArray(5000, 'F') : bytes));
    const Y4mHeaderRead parsed = readY4mHeader(path);
    QCOMPARE(QString::fromStdString(parsed.problem), problem);
    QCOMPARE(parsed.header.has_value(), problem.isEmpty());
    if (!parsed.header)
        return;
    const Y4mHeader &h = *parsed.header;
    const char *ranges[] = { "unstated", "full", "limited" };
    QCOMPARE(QStringLiteral("%1x%2 %3 %4 %5:%6 %7 %8")
                 .arg(h.width)
                 .arg(h.height)
                 .arg(QString::fromLatin1(layoutOrYuv420p(h.format).name))
                 .arg(QLatin1Char(h.scan == Interlaced ? 'i' : 'p'))
                 .arg(h.rateNumerator)
                 .arg(h.rateDenominator)
                 .arg(QString::fromLatin1(ranges[int(h.range)]))
                 .arg(h.length),
        read);
}

void TestY4mFileSource::framesAreThoseOfFfmpegsRawFile_data()
{
    QTest::addColumn<QString>("pixelFormat");
    QTest::addColumn<int>("format");
    QTest::addColumn<QByteArray>("colourSpace");

    QTest::newRow("C420jpeg") << "yuv420p" << int(YV12) << QByteArray("C420jpeg");
    QTest::newRow("C422") << "yuv422p" << int(Planar422) << QByteArray("C422");
    QTest::newRow("C444") << "yuv444p" << int(Yuv444p) << QByteArray("C444");
    QTest::newRow("Cmono") << "gray" << int(Gray) << QByteArray("Cmono");
    QTest::newRow("C420p10") << "yuv420p10le" << int(Yuv420p10le) << QByteArray("C420p10");
    QTest::newRow("C422p10") << "yuv422p10le" << int(Yuv422p10le) << QByteArray("C422p10");
    QTest::newRow("C444p10") << "yuv444p10le" << int(Yuv444p10le) << QByteArray("C444p10");
    QTest::newRow("C420p12") << "yuv420p12le" << int(Yuv420p12le) << QByteArray("C420p12");
    QTest::newRow("C422p12") << "yuv422p12le" << int(Yuv422p12le) << QByteArray("C422p12");
    QTest::newRow("C444p12") << "yuv444p12le" << int(Yuv444p12le) << QByteArray("C444p12");
    QTest::newRow("Cmono10") << "gray10le" << int(Gray10le) << QByteArray("Cmono10");
    QTest::newRow("Cmono12") << "gray12le" << int(Gray12le) << QByteArray("Cmono12");
}

void TestY4mFileSource::framesAreThoseOfFfmpegsRawFile()
{
    QFETCH(QString, pixelFormat);
    QFETCH(int, format);
    QFETCH(QByteArray, colourSpace);

    // One source, two outputs: the y4m file and the raw frames that it wraps.
    const std::string y4m = dir.filePath(pixelFormat.toStdString() + ".y4m");
    const std::string raw = dir.filePath(pixelFormat.toStdString() + ".yuv");
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral(FFMPEG_EXECUTABLE),
        { "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
            "testsrc2=size=46x26:rate=30000/1001", "-frames:v", "3", "-pix_fmt", pixelFormat,
            "-strict", "-1", "-f", "yuv4mpegpipe", QString::fromStdString(y4m), "-frames:v", "3",
            "-pix_fmt", pixelFormat, "-f", "rawvideo", QString::fromStdString(raw) });
    QVERIFY(ffmpeg.waitForFinished(60000));
    QVERIFY2(ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0,
        ffmpeg.readAllStandardError().constData());
    std::ifstream in(y4m, std::ios::binary);
    std::string firstLine;
    std::getline(in, firstLine);
    QVERIFY2(
        QByteArray::fromStdString(firstLine).split(' ').contains(colourSpace), firstLine.c_str());

    const Y4mHeader header = headerOf(y4m);
    QCOMPARE(header.format, format);
    QCOMPARE(header.rateNumerator, 30000);
    QCOMPARE(header.rateDenominator, 1001);
    const Y4mFileSource source(y4m, header);
    const std::optional<FrameFormat> rawFormat = FrameFormat::make(format, 46, 26);
    QVERIFY(rawFormat);
    // ffmpeg marks its grey layouts full range; the header's word reaches the format.
    const bool full = QByteArray::fromStdString(firstLine).split(' ').contains("XCOLORRANGE=FULL");
    QCOMPARE(source.format(),
        rawFormat->withColour(
            ColourMatrix::Bt601, full ? ColourRange::Full : ColourRange::Limited));
    const RawFileSource rawSource(raw, *rawFormat,
        RawFileSource::framesIn(QFileInfo(QString::fromStdString(raw)).size(), *rawFormat));
    QCOMPARE(rawSource.frameCount(), std::int64_t(3));
    QCOMPARE(source.frameCount(), std::int64_t(3));
    Frame fromY4m(source.format());
    Frame fromRaw(*rawFormat);
    for (std::int64_t n = 0; n < 3; ++n) {
        QCOMPARE(source.read(n, fromY4m), LoadResult::Complete);
        QCOMPARE(rawSource.read(n, fromRaw), LoadResult::Complete);
        QVERIFY2(fromY4m.y() == fromRaw.y(), qPrintable(QStringLiteral("Y of frame %1").arg(n)));
        QVERIFY2(fromY4m.u() == fromRaw.u(), qPrintable(QStringLiteral("U of frame %1").arg(n)));
        QVERIFY2(fromY4m.v() == fromRaw.v(), qPrintable(QStringLiteral("V of frame %1").arg(n)));
    }
    QCOMPARE(source.read(3, fromY4m), LoadResult::Nothing);
}

void TestY4mFileSource::framesAreFoundByTheirLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    // The first sample of each frame counted: frame n holds n + 1 in this table.
    QTest::addColumn<QByteArray>("firsts");
    // The note on the count, after the file's path; empty for none.
    QTest::addColumn<QString>("note");

    const QByteArray three = monoFrame(1) + monoFrame(2) + monoFrame(3);
    QTest::newRow("three plain FRAME lines")
        << monoHeader + three << QByteArray("\1\2\3") << QString();
    QTest::newRow("FRAME lines with parameters, each of its own length")
        << monoHeader + monoFrame(1, "FRAME Ib\n") + monoFrame(2)
            + monoFrame(3, "FRAME Ip XCOMMENT=made-by-hand\n")
        << QByteArray("\1\2\3") << QString();
    QTest::newRow("a comment tag in the header")
        << "YUV4MPEG2 W4 H2 XYSCSS=MONO XCOMMENT=by-hand Cmono\n" + three << QByteArray("\1\2\3")
        << QString();
    QTest::newRow("a header alone has no frames") << monoHeader << QByteArray() << QString();
    QTest::newRow("a last frame cut short is not counted")
        << monoHeader + monoFrame(1) + monoFrame(2) + "FRAME\n" + QByteArray(7, 3)
        << QByteArray("\1\2") << QString();
    QTest::newRow("a last FRAME line cut short is not counted")
        << monoHeader + monoFrame(1) + "FRAM" << QByteArray("\1") << QString();
    QTest::newRow("a last FRAME line without its line break is not counted")
        << monoHeader + monoFrame(1) + "FRAME Ip" << QByteArray("\1") << QString();
    QTest::newRow("garbage where the third FRAME line should be ends the count")
        << monoHeader + monoFrame(1) + monoFrame(2) + "garbage\n" + monoFrame(3)
        << QByteArray("\1\2")
        << "no FRAME line where frame 2 should begin; the video ends before it.";
    QTest::newRow("FRAMES is no FRAME line")
        << monoHeader + monoFrame(1, "FRAMES\n") << QByteArray()
        << "no FRAME line where frame 0 should begin; the video ends before it.";
    QTest::newRow("a FRAME line longer than a header may be")
        << monoHeader + monoFrame(1) + monoFrame(2, "FRAME X" + QByteArray(4096, 'x') + '\n')
        << QByteArray("\1")
        << "no FRAME line where frame 1 should begin; the video ends before it.";
}

void TestY4mFileSource::framesAreFoundByTheirLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, firsts);
    QFETCH(QString, note);

    const std::string path = dir.filePath("lines.y4m");
    QVERIFY(writeBytes(path, bytes));
    QStringList notes;
    const Y4mFileSource source(path, headerOf(path),
        [&](const std::string &text) { notes << QString::fromStdString(text); });
    QCOMPARE(source.frameCount(), firsts.size());
    QCOMPARE(firstSamples(source), firsts);
    QCOMPARE(notes,
        note.isEmpty() ? QStringList()
                       : QStringList { QString::fromStdString(path) + ": " + note });
    // A frame past the count reads nothing, and leaves the frame as it was.
    Frame frame(source.format());
    QCOMPARE(source.read(firsts.size(), frame), LoadResult::Nothing);
    QCOMPARE(frame.y()[0], std::uint8_t(16));
    // A copy holds the same table.
    const std::unique_ptr<FrameSource> copy = source.copy();
    QCOMPARE(copy->frameCount(), firsts.size());
    QCOMPARE(firstSamples(*copy), firsts);
}

void TestY4mFileSource::recountGoesOnFromTheLastFrame_data()
{
    QTest::addColumn<QByteArray>("before");
    // Appended to the file; with a size of -1 instead, the file is cut to `cutTo` bytes.
    QTest::addColumn<QByteArray>("appended");
    QTest::addColumn<int>("cutTo");
    QTest::addColumn<QByteArray>("firstsBefore");
    QTest::addColumn<QByteArray>("firstsAfter");

    const QByteArray two = monoHeader + monoFrame(1) + monoFrame(2);
    QTest::newRow("two frames grow to four") << two << monoFrame(3, "FRAME Ip\n") + monoFrame(4)
                                             << -1 << QByteArray("\1\2") << QByteArray("\1\2\3\4");
    QTest::newRow("a frame cut short is counted once whole")
        << two + "FRAME\n" + QByteArray(5, 3) << QByteArray(3, 3) << -1 << QByteArray("\1\2")
        << QByteArray("\1\2\3");
    QTest::newRow("a FRAME line cut short is counted once whole")
        << two + "FRA"
        << "ME\n" + QByteArray(8, 3) << -1 << QByteArray("\1\2") << QByteArray("\1\2\3");
    QTest::newRow("nothing appended, nothing changes")
        << two << QByteArray() << -1 << QByteArray("\1\2") << QByteArray("\1\2");
    QTest::newRow("cut inside the second frame, one is left")
        << two << QByteArray() << int(monoHeader.size()) + 14 + 3 << QByteArray("\1\2")
        << QByteArray("\1");
}

void TestY4mFileSource::recountGoesOnFromTheLastFrame()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, appended);
    QFETCH(int, cutTo);
    QFETCH(QByteArray, firstsBefore);
    QFETCH(QByteArray, firstsAfter);

    const std::string path = dir.filePath("growing.y4m");
    QVERIFY(writeBytes(path, before));
    Y4mFileSource source(path, headerOf(path));
    QCOMPARE(firstSamples(source), firstsBefore);

    // The first FRAME line spoilt: a count from the start would now find no frame.
    QFile file(QString::fromStdString(path));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(monoHeader.size()));
    QCOMPARE(file.write("JUNK!"), qint64(5));
    if (cutTo >= 0)
        QVERIFY(file.resize(cutTo));
    QVERIFY(file.seek(file.size()));
    QCOMPARE(file.write(appended), qint64(appended.size()));
    file.close();

    QCOMPARE(source.recount(), firstsAfter.size());
    QCOMPARE(source.frameCount(), firstsAfter.size());
    QCOMPARE(firstSamples(source), firstsAfter);
}

QTEST_APPLESS_MAIN(TestY4mFileSource)
#include "test_y4mfilesource.moc"
