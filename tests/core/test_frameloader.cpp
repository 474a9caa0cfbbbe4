#include "deinterleave.h"
#include "frame.h"
#include "framebuffers.h"
#include "frameloader.h"
#include "rawfilesource.h"
#include "tempdir.h"
#include "testclips.h"
#include "testfiles.h"
#include "videoparameters.h"
#include "yuvconvert.h"
#include "yuvreference.h"

#include <QtTest>

#include <sys/stat.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

namespace {

// A frame's way up to its picture: read, mark the grid, convert.
LoadResult loadFrame(std::int32_t format, const std::string &path, FrameBuffers &frame,
    std::int32_t index, std::int32_t gridStep = 0)
{
    const FrameFormat frameFormat = *FrameFormat::make(format, frame.width, frame.height);
    const LoadResult result = readPlanarFrame(path, frameFormat, { index }, frame.planes());
    markGrid(frameFormat, frame.y.data(), gridStep);
    convertFrame(frameFormat, frame.planes());
    return result;
}

// Bytes 0, 1, 2, ... (mod 251, so frames of any size differ): the value is the offset.
Bytes countingBytes(std::size_t size)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = std::uint8_t(i % 251);
    return bytes;
}

SamplePlane slice(const Bytes &bytes, std::size_t offset, std::size_t size)
{
    return SamplePlane(
        bytes.begin() + std::ptrdiff_t(offset), bytes.begin() + std::ptrdiff_t(offset + size));
}

// R, G and B must be the conversion of whatever Y, U and V now hold.
bool colourMatchesPlanes(std::int32_t format, FrameBuffers &frame)
{
    SamplePlane r(frame.r.size()), g(r.size()), b(r.size());
    const auto convert = format == YV12 ? convertYuv420ToRgbReference : convertYuv422ToRgbReference;
    convert(frame.y.data(), frame.u.data(), frame.v.data(), r.data(), g.data(), b.data(),
        frame.width, frame.height);
    return r == frame.r && g == frame.g && b == frame.b;
}

// Whether the format keeps its samples in 16-bit words.
bool inWords(std::int32_t format)
{
    return referenceSamples(format).depth > 8;
}

// Sample `index` of a plane in bytes, or in words for the deeper layouts: the word's low
// `depth` bits.
std::uint16_t sampleIn(const SamplePlane &plane, std::int32_t format, std::size_t index)
{
    if (!inWords(format))
        return plane[index];
    const int depth = referenceSamples(format).depth;
    return std::uint16_t((plane[2 * index] | plane[2 * index + 1] << 8) & ((1 << depth) - 1));
}

// Every sample of a plane, as the stages after the load take them.
std::vector<int> samplesOf(const SamplePlane &plane, std::int32_t format)
{
    std::vector<int> samples(plane.size() / (inWords(format) ? 2 : 1));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = sampleIn(plane, format, i);
    return samples;
}

void setSample(SamplePlane &plane, std::int32_t format, std::size_t index, std::uint16_t value)
{
    if (!inWords(format)) {
        plane[index] = std::uint8_t(value);
        return;
    }
    plane[2 * index] = std::uint8_t(value);
    plane[2 * index + 1] = std::uint8_t(value >> 8);
}

} // namespace

class TestFrameLoader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void frameStartsAtIndexTimesFrameSize_data();
    void frameStartsAtIndexTimesFrameSize();
    void yv12BlockIsColouredByItsOneChromaPair();
    void planar422RowsTakeTheirOwnChroma_data();
    void planar422RowsTakeTheirOwnChroma();
    void gridMarksRowsAndColumns_data();
    void gridMarksRowsAndColumns();
    void gridStepEightOnSixteenBySixteen();
    void frameNotYetReadIsBlack_data();
    void frameNotYetReadIsBlack();
    void unreadableFrameKeepsThePlanes_data();
    void unreadableFrameKeepsThePlanes();
    void truncatedFrameFillsOnlyWhatExists_data();
    void truncatedFrameFillsOnlyWhatExists();
    void everyLayoutFillsThePlanesItDefines_data();
    void everyLayoutFillsThePlanesItDefines();
    void splittingPlacesEveryByteAndNoMore_data();
    void splittingPlacesEveryByteAndNoMore();
    void fileDeletedBetweenLoadsKeepsThePicture();
    void rawSourceCountsAgainAndTellsAChangedFile();
    void fifoDoesNotBlock();
    void noDescriptorSurvivesALoad();
    void lastFrameOfThreeGiBFileLoads();

private:
    TempDir dir_;
};

void TestFrameLoader::initTestCase()
{
    QVERIFY(dir_.isValid());
}

void TestFrameLoader::frameStartsAtIndexTimesFrameSize_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("offset");

    QTest::newRow("frame 0 of 4x2 YV12 starts at byte 0") << int(YV12) << 4 << 2 << 0 << 0;
    QTest::newRow("frame 1 of 4x2 YV12 starts at byte 12") << int(YV12) << 4 << 2 << 1 << 12;
    QTest::newRow("frame 1 of 4x2 UYVY starts at byte 16") << int(UYVY) << 4 << 2 << 1 << 16;
    QTest::newRow("frame 1 of 4x2 Planar422 starts at byte 16")
        << int(Planar422) << 4 << 2 << 1 << 16;
    QTest::newRow("frame 3 of 6x4 YV12 starts at byte 108") << int(YV12) << 6 << 4 << 3 << 108;
    QTest::newRow("frame 2 of 66x2 UYVY starts at byte 528") << int(UYVY) << 66 << 2 << 2 << 528;
}

void TestFrameLoader::frameStartsAtIndexTimesFrameSize()
{
    QFETCH(int, format);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, index);
    QFETCH(int, offset);
    const std::string path = dir_.filePath("offsets.yuv");
    const std::size_t frameBytes = std::size_t(frameSize(format, width, height));
    const Bytes file = countingBytes(frameBytes * std::size_t(index + 2));
    QVERIFY(testfiles::writeFile(path, file));

    FrameBuffers frame(format, width, height);
    frame.fill(0xa5);
    QCOMPARE(loadFrame(format, path, frame, index), LoadResult::Complete);
    const std::size_t luma = frame.y.size();
    const std::size_t chroma = frame.u.size();
    QCOMPARE(frame.y, slice(file, std::size_t(offset), luma));
    QCOMPARE(frame.u, slice(file, std::size_t(offset) + luma, chroma));
    QCOMPARE(frame.v, slice(file, std::size_t(offset) + luma + chroma, chroma));
    QVERIFY(colourMatchesPlanes(format, frame));
}

void TestFrameLoader::yv12BlockIsColouredByItsOneChromaPair()
{
    const std::string path = dir_.filePath("block.yuv");
    QVERIFY(testfiles::writeFile(path, { 16, 81, 126, 235, 90, 240 }));
    FrameBuffers frame(YV12, 2, 2);
    QCOMPARE(loadFrame(YV12, path, frame, 0), LoadResult::Complete);
    QCOMPARE(frame.y, SamplePlane({ 16, 81, 126, 235 }));
    QCOMPARE(frame.u, SamplePlane({ 90 }));
    QCOMPARE(frame.v, SamplePlane({ 240 }));
    for (std::size_t i = 0; i < 4; ++i) {
        const Rgb expected = yuvToRgbReference(frame.y[i], 90, 240);
        QCOMPARE(frame.r[i], expected.r);
        QCOMPARE(frame.g[i], expected.g);
        QCOMPARE(frame.b[i], expected.b);
    }
}

void TestFrameLoader::planar422RowsTakeTheirOwnChroma_data()
{
    QTest::addColumn<int>("format");
    QTest::newRow("UYVY") << int(UYVY);
    QTest::newRow("Planar422") << int(Planar422);
}

// Y0 Y1 Y2 Y3 U0 U1 V0 V1: the upper row takes U0 V0, the lower row U1 V1.
void TestFrameLoader::planar422RowsTakeTheirOwnChroma()
{
    QFETCH(int, format);
    const std::string path = dir_.filePath("block422.yuv");
    QVERIFY(testfiles::writeFile(path, { 81, 126, 200, 60, 90, 200, 240, 30 }));
    FrameBuffers frame(format, 2, 2);
    QCOMPARE(loadFrame(format, path, frame, 0), LoadResult::Complete);
    QCOMPARE(frame.u, SamplePlane({ 90, 200 }));
    QCOMPARE(frame.v, SamplePlane({ 240, 30 }));
    const int chromaOfPixel[4] = { 0, 0, 1, 1 };
    for (std::size_t i = 0; i < 4; ++i) {
        const int k = chromaOfPixel[i];
        const Rgb expected = yuvToRgbReference(frame.y[i], frame.u[k], frame.v[k]);
        QCOMPARE(frame.r[i], expected.r);
        QCOMPARE(frame.g[i], expected.g);
        QCOMPARE(frame.b[i], expected.b);
    }
    QVERIFY(frame.r[2] != yuvToRgbReference(200, 90, 240).r);
}

void TestFrameLoader::gridMarksRowsAndColumns_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("step");

    QTest::addColumn<int>("gridLuma");

    for (const int format : { int(YV12), int(UYVY) }) {
        const QByteArray name = format == YV12 ? "YV12" : "UYVY";
        QTest::newRow(name + ": step 0 leaves the luma as read") << format << 0 << 200;
        QTest::newRow(name + ": negative step leaves the luma as read") << format << -4 << 200;
        QTest::newRow(name + ": step 1 marks every sample") << format << 1 << 200;
        QTest::newRow(name + ": step 3") << format << 3 << 200;
        QTest::newRow(name + ": step as large as the frame marks row and column 0")
            << format << 16 << 200;
        QTest::newRow(name + ": largest step marks row and column 0")
            << format << std::numeric_limits<int>::max() << 200;
    }
    // Deeper layouts mark the same grey: 200 scaled to their depth.
    QTest::newRow("yuv420p10le: step 3 marks 800") << int(Yuv420p10le) << 3 << 800;
    QTest::newRow("gray12le: step 1 marks 3200") << int(Gray12le) << 1 << 3200;
    QTest::newRow("p010le: step 16 marks 800") << int(P010le) << 16 << 800;
}

void TestFrameLoader::gridMarksRowsAndColumns()
{
    QFETCH(int, format);
    QFETCH(int, step);
    QFETCH(int, gridLuma);
    const int width = 16;
    const int height = 10;
    const std::string path = dir_.filePath("grid.yuv");
    QVERIFY(testclips::writeClip(path, format, width, height, 1));
    FrameBuffers frame(format, width, height);
    const ReferenceSamples samples = referenceSamples(format);
    const bool words = samples.depth > 8;
    if (words) {
        SamplePlane chunk(readChunkBytes);
        const FrameFormat frameFormat = *FrameFormat::make(format, width, height);
        QCOMPARE(readFrame(path, frameFormat, { 0 }, frame.planes(), chunk.data()),
            LoadResult::Complete);
        markGrid(frameFormat, frame.y.data(), step);
    } else {
        QCOMPARE(loadFrame(format, path, frame, 0, step), LoadResult::Complete);
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool onGrid = step > 0 && (y % step == 0 || x % step == 0);
            const std::size_t i = std::size_t(y * width + x);
            const int read = words
                ? ((testclips::clipByte(0, 2 * i) | testclips::clipByte(0, 2 * i + 1) << 8)
                      >> samples.shift)
                    & ((1 << samples.depth) - 1)
                : testclips::clipSample(format, width, height, 0, testclips::Plane::Y, x, y);
            QCOMPARE(int(sampleIn(frame.y, format, i)), onGrid ? gridLuma : read);
        }
    }
    if (!words)
        QVERIFY(colourMatchesPlanes(format, frame));
}

// Rows 0 and 8 and columns 0 and 8 become 200; nothing else differs from the file.
void TestFrameLoader::gridStepEightOnSixteenBySixteen()
{
    for (const int format : { int(YV12), int(UYVY) }) {
        const std::string path = dir_.filePath("grid16.yuv");
        QVERIFY(testclips::writeClip(path, format, 16, 16, 1));
        FrameBuffers frame(format, 16, 16);
        QCOMPARE(loadFrame(format, path, frame, 0, 8), LoadResult::Complete);
        Bytes file(std::size_t(frameSize(format, 16, 16)));
        testclips::fillClipBytes(file.data(), file.size(), 0, 0);
        SamplePlane expectedY = slice(file, 0, 256);
        for (std::size_t i = 0; i < 16; ++i) {
            for (const std::size_t line : { std::size_t(0), std::size_t(8) }) {
                expectedY[line * 16 + i] = 200;
                expectedY[i * 16 + line] = 200;
            }
        }
        QCOMPARE(frame.y, expectedY);
        QCOMPARE(frame.u, slice(file, 256, frame.u.size()));
        QCOMPARE(frame.v, slice(file, 256 + frame.u.size(), frame.v.size()));
        QVERIFY(colourMatchesPlanes(format, frame));
    }
}

void TestFrameLoader::frameNotYetReadIsBlack_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("luma");
    QTest::newRow("YV12, limited range: Y 16") << int(YV12) << int(ColourRange::Limited) << 16;
    QTest::newRow("YV12, full range: Y 0") << int(YV12) << int(ColourRange::Full) << 0;
    QTest::newRow("yuv444p10le, full range: Y 0")
        << int(Yuv444p10le) << int(ColourRange::Full) << 0;
    QTest::newRow("gray12le, limited range: Y 256")
        << int(Gray12le) << int(ColourRange::Limited) << 256;
}

// A new frame's samples are black in its range, and convert to R, G, B 0.
void TestFrameLoader::frameNotYetReadIsBlack()
{
    QFETCH(int, format);
    QFETCH(int, range);
    QFETCH(int, luma);
    const std::optional<FrameFormat> made
        = FrameFormat::make(format, 6, 4, ColourMatrix::Bt709, ColourRange(range));
    QVERIFY(made);
    Frame frame(*made);
    std::vector<std::uint8_t> r(made->lumaSamples(), 0x5a), g(r), b(r);
    FramePlanes planes = frame.planes();
    const std::size_t bytes = made->bytesPerSample();
    const int first = bytes == 1 ? planes.y[0] : planes.y[0] | planes.y[1] << 8;
    QCOMPARE(first, luma);
    planes.r = r.data();
    planes.g = g.data();
    planes.b = b.data();
    convertFrame(*made, planes);
    const std::vector<std::uint8_t> black(r.size(), 0);
    QCOMPARE(r, black);
    QCOMPARE(g, black);
    QCOMPARE(b, black);
}

void TestFrameLoader::unreadableFrameKeepsThePlanes_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("index");

    for (const int format : { int(YV12), int(UYVY) }) {
        const QByteArray name = format == YV12 ? "YV12" : "UYVY";
        QTest::newRow(name + ": missing file") << format << QStringLiteral("missing.yuv") << 0;
        QTest::newRow(name + ": frame just beyond the end")
            << format << QStringLiteral("two.yuv") << 2;
        QTest::newRow(name + ": last possible frame index")
            << format << QStringLiteral("two.yuv") << std::numeric_limits<int>::max();
        QTest::newRow(name + ": a directory") << format << QString() << 0;
    }
}

// The old samples stay, the grid is still marked and the colour still converted.
void TestFrameLoader::unreadableFrameKeepsThePlanes()
{
    QFETCH(int, format);
    QFETCH(QString, file);
    QFETCH(int, index);
    const std::string twoFrames = dir_.filePath("two.yuv");
    QVERIFY(testclips::writeClip(twoFrames, format, 8, 4, 2));
    FrameBuffers frame(format, 8, 4);
    QCOMPARE(loadFrame(format, twoFrames, frame, 1), LoadResult::Complete);
    const FrameBuffers before = frame;

    const std::string path = file.isEmpty() ? dir_.path() : dir_.filePath(file.toStdString());
    QCOMPARE(loadFrame(format, path, frame, index, 4), LoadResult::Nothing);
    SamplePlane expectedY = before.y;
    for (std::size_t x = 0; x < 8; ++x)
        expectedY[x] = 200;
    for (std::size_t row = 0; row < 4; ++row)
        expectedY[row * 8] = expectedY[row * 8 + 4] = 200;
    QCOMPARE(frame.y, expectedY);
    QCOMPARE(frame.u, before.u);
    QCOMPARE(frame.v, before.v);
    QVERIFY(colourMatchesPlanes(format, frame));
}

void TestFrameLoader::truncatedFrameFillsOnlyWhatExists_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("extra");
    QTest::addColumn<int>("yBytes");
    QTest::addColumn<int>("uBytes");
    QTest::addColumn<int>("vBytes");

    // 8x4: Y 32 bytes, then U and V of 8 (YV12) or 16 (UYVY) bytes each.
    QTest::newRow("YV12 ends inside Y") << int(YV12) << 20 << 20 << 0 << 0;
    QTest::newRow("YV12 ends inside U") << int(YV12) << 35 << 32 << 3 << 0;
    QTest::newRow("YV12 ends inside V") << int(YV12) << 47 << 32 << 8 << 7;
    QTest::newRow("UYVY ends inside U") << int(UYVY) << 40 << 32 << 8 << 0;
    QTest::newRow("UYVY ends inside V") << int(UYVY) << 63 << 32 << 16 << 15;
}

void TestFrameLoader::truncatedFrameFillsOnlyWhatExists()
{
    QFETCH(int, format);
    QFETCH(int, extra);
    QFETCH(int, yBytes);
    QFETCH(int, uBytes);
    QFETCH(int, vBytes);
    const std::string path = dir_.filePath("truncated.yuv");
    const std::size_t frameBytes = std::size_t(frameSize(format, 8, 4));
    Bytes file(frameBytes + std::size_t(extra));
    testclips::fillClipBytes(file.data(), frameBytes, 0, 0);
    testclips::fillClipBytes(file.data() + frameBytes, std::size_t(extra), 1, 0);
    QVERIFY(testfiles::writeFile(path, file));

    FrameBuffers frame(format, 8, 4);
    QCOMPARE(loadFrame(format, path, frame, 0), LoadResult::Complete);
    const FrameBuffers before = frame;
    QCOMPARE(loadFrame(format, path, frame, 1), LoadResult::Partial);

    const auto expectPlane = [&](const SamplePlane &actual, const SamplePlane &old,
                                 std::size_t start, int count) {
        SamplePlane expected = old;
        std::copy_n(file.begin() + std::ptrdiff_t(frameBytes + start), count, expected.begin());
        return actual == expected;
    };
    const std::size_t luma = frame.y.size();
    QVERIFY(expectPlane(frame.y, before.y, 0, yBytes));
    QVERIFY(expectPlane(frame.u, before.u, luma, uBytes));
    QVERIFY(expectPlane(frame.v, before.v, luma + frame.u.size(), vBytes));
    QVERIFY(frame.y != before.y);
    QVERIFY(colourMatchesPlanes(format, frame));
}

void TestFrameLoader::everyLayoutFillsThePlanesItDefines_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    // Bytes of frame 1 in the file; -1 for all of them.
    QTest::addColumn<int>("arrived");

    const int whole = -1;
    // Frames of 640 x 480 cross the read chunk: nv12's pairs are 153600 bytes, yuyv's
    // frame 614400.
    QTest::newRow("yuv420p 8x4") << int(YV12) << 8 << 4 << whole;
    QTest::newRow("yvu420p 8x4: V, then U") << int(Yvu420p) << 8 << 4 << whole;
    QTest::newRow("yvu420p ends inside U") << int(Yvu420p) << 8 << 4 << 32 + 8 + 5;
    QTest::newRow("nv12 8x4") << int(Nv12) << 8 << 4 << whole;
    QTest::newRow("nv21 8x4") << int(Nv21) << 8 << 4 << whole;
    QTest::newRow("nv12 640x480") << int(Nv12) << 640 << 480 << whole;
    QTest::newRow("nv21 640x480 ends after U of a pair in the second chunk")
        << int(Nv21) << 640 << 480 << 307200 + 131072 + 3;
    QTest::newRow("nv12 ends inside Y") << int(Nv12) << 640 << 480 << 1000;
    QTest::newRow("yuv422p 8x3: odd height") << int(Planar422) << 8 << 3 << whole;
    QTest::newRow("nv16 8x3") << int(Nv16) << 8 << 3 << whole;
    QTest::newRow("nv16 640x480") << int(Nv16) << 640 << 480 << whole;
    QTest::newRow("yuyv422 8x3") << int(Yuyv422) << 8 << 3 << whole;
    QTest::newRow("uyvy422 8x3") << int(Uyvy422) << 8 << 3 << whole;
    QTest::newRow("yvyu422 8x3") << int(Yvyu422) << 8 << 3 << whole;
    QTest::newRow("yuyv422 640x480") << int(Yuyv422) << 640 << 480 << whole;
    QTest::newRow("uyvy422 640x480 ends inside a pixel pair of the second chunk")
        << int(Uyvy422) << 640 << 480 << 131072 + 4 * 5 + 3;
    QTest::newRow("yvyu422 has only its first byte") << int(Yvyu422) << 66 << 2 << 1;
    QTest::newRow("yuv444p 7x3: odd width and height") << int(Yuv444p) << 7 << 3 << whole;
    QTest::newRow("yuv444p ends inside V") << int(Yuv444p) << 66 << 4 << 3 * 264 - 1;
    QTest::newRow("gray 7x3") << int(Gray) << 7 << 3 << whole;
    QTest::newRow("gray ends inside Y") << int(Gray) << 7 << 3 << 20;
    // Words: bits above the depth, and p010's low six, never reach a sample.
    QTest::newRow("yuv420p10le 8x4") << int(Yuv420p10le) << 8 << 4 << whole;
    QTest::newRow("yuv420p10le 640x480 ends inside a word of U in the second chunk")
        << int(Yuv420p10le) << 640 << 480 << 614400 + 131072 + 7;
    QTest::newRow("yuv422p10le 6x3") << int(Yuv422p10le) << 6 << 3 << whole;
    QTest::newRow("yuv444p10le 7x3") << int(Yuv444p10le) << 7 << 3 << whole;
    QTest::newRow("yuv420p12le 8x4") << int(Yuv420p12le) << 8 << 4 << whole;
    QTest::newRow("yuv422p12le ends inside V") << int(Yuv422p12le) << 8 << 2 << 2 * 31 + 1;
    QTest::newRow("yuv444p12le 7x3") << int(Yuv444p12le) << 7 << 3 << whole;
    QTest::newRow("gray10le 7x3") << int(Gray10le) << 7 << 3 << whole;
    QTest::newRow("gray12le has only its first byte") << int(Gray12le) << 7 << 3 << 1;
    QTest::newRow("p010le 8x4") << int(P010le) << 8 << 4 << whole;
    QTest::newRow("p010le 640x480 ends after U of a pair in the second chunk")
        << int(P010le) << 640 << 480 << 614400 + 131072 + 2;
    QTest::newRow("p010le ends inside the high byte of a V word")
        << int(P010le) << 8 << 4 << 64 + 8 * 2 + 3;
    QTest::newRow("p010le ends inside a word of Y in the second piece")
        << int(P010le) << 640 << 480 << 131072 + 999;
}

// Frame 1 after frame 0: the bytes that arrived in their places as the layout defines
// them, the others as frame 0 left them, grey's U and V at 128 untouched, and the
// colour the formula applied to those planes.
void TestFrameLoader::everyLayoutFillsThePlanesItDefines()
{
    QFETCH(int, format);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, arrived);
    QVERIFY(checkFrameSize(format, width, height).ok());
    const std::size_t frameBytes = std::size_t(frameSize(format, width, height));
    const std::size_t second = arrived < 0 ? frameBytes : std::size_t(arrived);
    std::mt19937 random(std::uint32_t(format * 1000 + width));
    Bytes file(frameBytes + second);
    for (std::uint8_t &byte : file)
        byte = std::uint8_t(random() >> 24);
    const std::string path = dir_.filePath("layout.yuv");
    QVERIFY(testfiles::writeFile(path, file));

    const ReferenceSamples samples = referenceSamples(format);
    const bool words = samples.depth > 8;
    FrameBuffers frame(format, width, height);
    frame.fill(0xa5);
    if (format == Gray || format == Gray10le || format == Gray12le) {
        const auto zero = std::uint16_t(128 << (samples.depth - 8));
        for (std::size_t i = 0; i < chromaPlaneSize(format, width, height); ++i) {
            setSample(frame.u, format, i, zero);
            setSample(frame.v, format, i, zero);
        }
    }
    SamplePlane chunk(readChunkBytes, 0x5a);
    const FrameFormat frameFormat = *FrameFormat::make(format, width, height);
    QCOMPARE(
        readFrame(path, frameFormat, { 0 }, frame.planes(), chunk.data()), LoadResult::Complete);
    FrameBuffers expected = frame;
    // Each byte, or each word, that arrived goes where its place in the file says; a word
    // cut short takes 0 for its missing high byte.
    const std::size_t unit = words ? 2 : 1;
    for (std::size_t at = 0; at < second; at += unit) {
        const SampleDestination d = referenceDestination(
            samples.twin, std::size_t(width), std::size_t(height), at / unit);
        SamplePlane &plane
            = d.plane == 'Y' ? expected.y : (d.plane == 'U' ? expected.u : expected.v);
        QVERIFY(d.index * unit < plane.size());
        const std::uint8_t *bytes = &file[frameBytes + at];
        const int high = at + 1 < second ? bytes[1] : 0;
        const std::uint16_t sample = words
            ? std::uint16_t(((bytes[0] | high << 8) >> samples.shift) & ((1 << samples.depth) - 1))
            : bytes[0];
        setSample(plane, format, d.index, sample);
    }

    const LoadResult result = readFrame(path, frameFormat, { 1 }, frame.planes(), chunk.data());
    QCOMPARE(result, second == frameBytes ? LoadResult::Complete : LoadResult::Partial);
    QCOMPARE(samplesOf(frame.y, format), samplesOf(expected.y, format));
    QCOMPARE(samplesOf(frame.u, format), samplesOf(expected.u, format));
    QCOMPARE(samplesOf(frame.v, format), samplesOf(expected.v, format));

    convertFrame(*FrameFormat::make(format, width, height), frame.planes());
    convertFrameReference(format, frame.y.data(), frame.u.data(), frame.v.data(), expected.r.data(),
        expected.g.data(), expected.b.data(), width, height);
    QCOMPARE(frame.r, expected.r);
    QCOMPARE(frame.g, expected.g);
    QCOMPARE(frame.b, expected.b);
}

void TestFrameLoader::splittingPlacesEveryByteAndNoMore_data()
{
    QTest::addColumn<int>("format");
    QTest::newRow("pairs (nv12)") << int(Nv12);
    QTest::newRow("packed, luma first (yuyv422)") << int(Yuyv422);
    QTest::newRow("packed, chroma first (uyvy422)") << int(Uyvy422);
}

// Every byte count up to three steps of the widest vector loop (128 bytes of AVX2) past
// its first, odd counts included, into targets one byte off a vector boundary and between
// sentinels.
void TestFrameLoader::splittingPlacesEveryByteAndNoMore()
{
    QFETCH(int, format);
    constexpr std::size_t guard = 16;
    constexpr std::uint8_t sentinel = 0xa5;
    constexpr std::size_t longest = 4 * 128;
    std::mt19937 random { std::uint32_t(format) };
    Bytes bytes(longest);
    for (std::uint8_t &byte : bytes)
        byte = std::uint8_t(random() >> 24);
    for (std::size_t count = 0; count <= longest; ++count) {
        Bytes y(longest + 2 * guard + 1, sentinel), u(y), v(y);
        Bytes expectedY(y), expectedU(u), expectedV(v);
        // nv12's pairs are laid out as bytes after a luma plane of 0 bytes.
        const std::size_t width = 2;
        for (std::size_t at = 0; at < count; ++at) {
            const SampleDestination d = format == Nv12 ? referenceDestination(format, 0, 0, at)
                                                       : referenceDestination(format, width, 1, at);
            Bytes &plane = d.plane == 'Y' ? expectedY : (d.plane == 'U' ? expectedU : expectedV);
            plane[guard + 1 + d.index] = bytes[at];
        }
        if (format == Nv12)
            splitPairs(bytes.data(), count, u.data() + guard + 1, v.data() + guard + 1);
        else
            splitPacked(bytes.data(), count, format == Yuyv422, y.data() + guard + 1,
                u.data() + guard + 1, v.data() + guard + 1);
        QVERIFY2(y == expectedY && u == expectedU && v == expectedV,
            qPrintable(QStringLiteral("%1 bytes").arg(count)));
    }
}

void TestFrameLoader::fileDeletedBetweenLoadsKeepsThePicture()
{
    const std::string path = dir_.filePath("deleted.yuv");
    QVERIFY(testclips::writeClip(path, YV12, 64, 4, 3));
    FrameBuffers frame(YV12, 64, 4);
    QCOMPARE(loadFrame(YV12, path, frame, 0), LoadResult::Complete);
    const FrameBuffers before = frame;
    QVERIFY(testfiles::removeFile(path));
    QCOMPARE(loadFrame(YV12, path, frame, 1), LoadResult::Nothing);
    QCOMPARE(frame.y, before.y);
    QCOMPARE(frame.u, before.u);
    QCOMPARE(frame.v, before.v);
    QCOMPARE(frame.r, before.r);
    QCOMPARE(frame.g, before.g);
    QCOMPARE(frame.b, before.b);
}

// A raw file's source reads frame n into a frame, counts the file's frames again as it is
// now, and tells whether the file still holds what a frame was read from.
void TestFrameLoader::rawSourceCountsAgainAndTellsAChangedFile()
{
    const std::string path = dir_.filePath("source.yuv");
    QVERIFY(testclips::writeClip(path, YV12, 16, 8, 3));
    QVERIFY(testfiles::setModifiedAgo(path, 60));
    const FrameFormat format = *FrameFormat::make(YV12, 16, 8);
    RawFileSource source(path, format, 3);
    Frame frame(format);
    QCOMPARE(frame.index(), std::int64_t(-1));
    QCOMPARE(frame.y()[0], std::uint8_t(16));

    QCOMPARE(source.read(2, frame), LoadResult::Complete);
    QCOMPARE(frame.index(), std::int64_t(2));
    QCOMPARE(frame.y()[5], testclips::clipByte(2, 5));
    QCOMPARE(frame.u()[1], testclips::clipByte(2, 16 * 8 + 1));
    QVERIFY(source.stillHolds(frame));

    // Two frames and a half more: the count takes whole frames only.
    std::vector<std::uint8_t> more(2 * 192 + 96, 7);
    QVERIFY(testfiles::writeAt(path, 3 * 192, more.data(), more.size()));
    QVERIFY(!source.stillHolds(frame));
    QCOMPARE(source.frameCount(), std::int64_t(3));
    QCOMPARE(source.recount(), std::int64_t(5));
    QCOMPARE(source.frameCount(), std::int64_t(5));

    QCOMPARE(source.read(5, frame), LoadResult::Partial);
    QVERIFY(!source.stillHolds(frame));
    QCOMPARE(frame.y()[0], std::uint8_t(7));
    QCOMPARE(frame.y()[96], testclips::clipByte(2, 96));

    QVERIFY(testfiles::removeFile(path));
    QCOMPARE(source.read(0, frame), LoadResult::Nothing);
    QCOMPARE(frame.y()[0], std::uint8_t(7));
    // A file gone keeps its count, so that its frames fail to read rather than vanish.
    QCOMPARE(source.recount(), std::int64_t(5));
    // Back, shorter than a frame: no frames.
    QVERIFY(testfiles::makeSparseFile(path, 96));
    QCOMPARE(source.recount(), std::int64_t(0));
}

// Opening a FIFO for reading would wait for a writer; the loader must not.
void TestFrameLoader::fifoDoesNotBlock()
{
    const std::string path = dir_.filePath("fifo");
    QCOMPARE(::mkfifo(path.c_str(), 0600), 0);
    FrameBuffers frame(YV12, 4, 2);
    frame.fill(0x33);
    const SamplePlane before = frame.y;
    QCOMPARE(loadFrame(YV12, path, frame, 0), LoadResult::Nothing);
    QCOMPARE(frame.y, before);
}

void TestFrameLoader::noDescriptorSurvivesALoad()
{
    const std::string path = dir_.filePath("descriptors.yuv");
    QVERIFY(testclips::writeClip(path, UYVY, 4, 2, 2));
    FrameBuffers frame(UYVY, 4, 2);
    const int open = testfiles::openDescriptors();
    QCOMPARE(loadFrame(UYVY, path, frame, 1), LoadResult::Complete);
    QCOMPARE(loadFrame(UYVY, path, frame, 2), LoadResult::Nothing);
    QCOMPARE(testfiles::openDescriptors(), open);
}

// A sparse file costs no disk: only the last whole frame carries bytes.
void TestFrameLoader::lastFrameOfThreeGiBFileLoads()
{
    const std::int32_t width = 1920;
    const std::int32_t height = 1080;
    const std::int64_t fileSize = std::int64_t(3) << 30;
    const std::int32_t bytes = frameSize(YV12, width, height);
    const std::int32_t count = frameCount(fileSize, bytes);
    QCOMPARE(count, 1035);

    const std::string path = dir_.filePath("large.yuv");
    QVERIFY(testfiles::makeSparseFile(path, fileSize));
    const std::int32_t last = count - 1;
    Bytes content(std::size_t(bytes), 0);
    testclips::fillClipBytes(content.data(), content.size(), last, 0);
    QVERIFY(testfiles::writeAt(path, std::int64_t(last) * bytes, content.data(), content.size()));

    FrameBuffers frame(YV12, width, height);
    QCOMPARE(loadFrame(YV12, path, frame, last), LoadResult::Complete);
    const std::size_t luma = frame.y.size();
    QCOMPARE(frame.y, slice(content, 0, luma));
    QCOMPARE(frame.u, slice(content, luma, frame.u.size()));
    QCOMPARE(frame.v, slice(content, luma + frame.u.size(), frame.v.size()));
    QVERIFY(colourMatchesPlanes(YV12, frame));

    // The rest of the file is the start of one more frame, all zeros.
    const std::size_t rest = std::size_t(fileSize - std::int64_t(count) * bytes);
    QCOMPARE(loadFrame(YV12, path, frame, count), LoadResult::Partial);
    SamplePlane expectedY = slice(content, 0, luma);
    std::fill_n(expectedY.begin(), rest, std::uint8_t(0));
    QCOMPARE(frame.y, expectedY);
    QVERIFY(testfiles::removeFile(path));
}

QTEST_APPLESS_MAIN(TestFrameLoader)
#include "test_frameloader.moc"
