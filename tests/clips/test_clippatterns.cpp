#include "clippatterns.h"
#include "tempdir.h"
#include "videoparameters.h"

#include <QProcess>
#include <QtTest>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr std::int32_t cardWidth = 352;
constexpr std::int32_t cardHeight = 288;
// Frame size of the sample card: 352 * 288 * 3 / 2.
constexpr qint64 cardFrameSize = 152064;
constexpr std::uint8_t ink = 235;
constexpr std::uint8_t paper = 16;

std::vector<std::uint8_t> testCard(std::int32_t frame, std::int32_t format = YV12,
    std::int32_t width = cardWidth, std::int32_t height = cardHeight)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(frameSize(format, width, height)));
    clips::fillTestCard(bytes.data(), format, width, height, frame);
    return bytes;
}

std::uint8_t luma(const std::vector<std::uint8_t> &card, std::int32_t x, std::int32_t y)
{
    return card[std::size_t(y) * cardWidth + x];
}

// The middle of cell (column, row) of digit `digit` (0 leftmost) of the 352x288 counter, drawn
// four times its 5x7 size inside a box at (8, 8) with a one-cell margin.
std::uint8_t counterCell(const std::vector<std::uint8_t> &card, int digit, int column, int row)
{
    return luma(card, 8 + 4 * (1 + digit * 6 + column) + 2, 8 + 4 * (1 + row) + 2);
}

std::int64_t fileSize(const std::string &path)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    return file ? static_cast<std::int64_t>(file.tellg()) : -1;
}

std::vector<std::uint8_t> readFile(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>() };
}

} // namespace

class TestClipPatterns : public QObject
{
    Q_OBJECT

private slots:
    void writesWholeFrames_data();
    void writesWholeFrames();
    void refusesTestCardSizesThatOpenRefuses_data();
    void refusesTestCardSizesThatOpenRefuses();
    void reportsAnUnwritablePath();
    void hashClipHoldsHashBytes();

    void counterDrawsTheFrameNumber();
    void counterDigitsChangeOnlyWhereTheNumberDoes();
    void barsScrollFourPixelsPerFrame();
    void barsCarryTheirChroma();
    void squareBouncesAcross();
    void planar422CardHasChromaOnEveryRow();

    void makeclipWritesTheSampleByDefault();
    void makeclipTakesSizeFramesAndLayout();
    void makeclipRefusesBadArguments_data();
    void makeclipRefusesBadArguments();
};

void TestClipPatterns::writesWholeFrames_data()
{
    QTest::addColumn<int>("pattern");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("frames");
    QTest::addColumn<qint64>("size");
    const int card = int(clips::Pattern::TestCard);
    const int hash = int(clips::Pattern::Hash);
    QTest::newRow("3 frames of the 352x288 YV12 card")
        << card << int(YV12) << 352 << 288 << 3 << 3 * cardFrameSize;
    QTest::newRow("2 frames of a 32x16 UYVY card")
        << card << int(UYVY) << 32 << 16 << 2 << qint64(2 * 1024);
    QTest::newRow("no frames make an empty file") << card << int(YV12) << 16 << 8 << 0 << qint64(0);
    QTest::newRow("hash clips may be 3x3: 13 bytes a frame")
        << hash << int(YV12) << 3 << 3 << 4 << qint64(52);
}

void TestClipPatterns::writesWholeFrames()
{
    QFETCH(int, pattern);
    QFETCH(int, format);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, frames);
    QFETCH(qint64, size);
    TempDir dir;
    const std::string path = dir.filePath("clip.yuv");
    QVERIFY(clips::writeClip(path, clips::Pattern(pattern), format, width, height, frames));
    QCOMPARE(fileSize(path), size);
}

void TestClipPatterns::refusesTestCardSizesThatOpenRefuses_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("frames");
    QTest::newRow("odd width") << 351 << 288 << 1;
    QTest::newRow("zero height") << 352 << 0 << 1;
    QTest::newRow("width above 16384") << 16386 << 2 << 1;
    QTest::newRow("negative frame count") << 352 << 288 << -1;
}

void TestClipPatterns::refusesTestCardSizesThatOpenRefuses()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, frames);
    TempDir dir;
    const std::string path = dir.filePath("refused.yuv");
    QVERIFY(!clips::writeClip(path, clips::Pattern::TestCard, YV12, width, height, frames));
    QCOMPARE(fileSize(path), qint64(-1));
}

void TestClipPatterns::reportsAnUnwritablePath()
{
    TempDir dir;
    QVERIFY(!clips::writeClip(
        dir.filePath("missing/clip.yuv"), clips::Pattern::TestCard, YV12, 16, 8, 1));
}

void TestClipPatterns::hashClipHoldsHashBytes()
{
    TempDir dir;
    const std::string path = dir.filePath("hash.yuv");
    QVERIFY(clips::writeClip(path, clips::Pattern::Hash, UYVY, 4, 2, 3));
    const std::vector<std::uint8_t> bytes = readFile(path);
    QCOMPARE(bytes.size(), std::size_t(48));
    for (std::size_t i = 0; i < bytes.size(); ++i)
        QCOMPARE(bytes[i], clips::hashByte(std::int32_t(i / 16), std::int64_t(i % 16)));
}

void TestClipPatterns::counterDrawsTheFrameNumber()
{
    // "00001": the top row of a 1 has ink in its middle column only.
    const std::vector<std::uint8_t> one = testCard(1);
    QCOMPARE(counterCell(one, 4, 2, 0), ink);
    QCOMPARE(counterCell(one, 4, 0, 0), paper);
    QCOMPARE(counterCell(one, 4, 4, 0), paper);
    // The middle row of a 0 is its diagonal stroke: columns 0, 2 and 4.
    QCOMPARE(counterCell(one, 0, 0, 3), ink);
    QCOMPARE(counterCell(one, 0, 1, 3), paper);
    QCOMPARE(counterCell(one, 0, 2, 3), ink);
    QCOMPARE(counterCell(one, 0, 4, 3), ink);
    // The gap column between digits and the margin stay paper.
    QCOMPARE(counterCell(one, 0, 5, 3), paper);
    QCOMPARE(luma(one, 8, 8), paper);
    // "65535", the last frame an index can name: a 6's top row has ink in columns 2 and 3,
    // a 5's top row is all ink.
    const std::vector<std::uint8_t> last = testCard(65535);
    QCOMPARE(counterCell(last, 0, 1, 0), paper);
    QCOMPARE(counterCell(last, 0, 2, 0), ink);
    QCOMPARE(counterCell(last, 0, 3, 0), ink);
    QCOMPARE(counterCell(last, 0, 4, 0), paper);
    for (int column = 0; column < 5; ++column)
        QCOMPARE(counterCell(last, 1, column, 0), ink);
}

void TestClipPatterns::counterDigitsChangeOnlyWhereTheNumberDoes()
{
    const std::vector<std::uint8_t> three = testCard(3);
    const std::vector<std::uint8_t> thirteen = testCard(13);
    const std::vector<std::uint8_t> twentyThree = testCard(23);
    const std::vector<std::uint8_t> four = testCard(4);
    int unitsDiffer = 0;
    int tensDiffer = 0;
    for (int row = 0; row < 7; ++row) {
        for (int column = 0; column < 5; ++column) {
            QCOMPARE(counterCell(three, 4, column, row), counterCell(thirteen, 4, column, row));
            QCOMPARE(
                counterCell(thirteen, 4, column, row), counterCell(twentyThree, 4, column, row));
            QCOMPARE(counterCell(three, 2, column, row), counterCell(twentyThree, 2, column, row));
            tensDiffer += counterCell(thirteen, 3, column, row)
                != counterCell(twentyThree, 3, column, row);
            unitsDiffer += counterCell(three, 4, column, row) != counterCell(four, 4, column, row);
        }
    }
    QVERIFY(tensDiffer > 0);
    QVERIFY(unitsDiffer > 0);
}

void TestClipPatterns::barsScrollFourPixelsPerFrame()
{
    const std::vector<std::uint8_t> first = testCard(0);
    const std::vector<std::uint8_t> second = testCard(1);
    // Row 100 runs under the counter and above the bouncing square.
    for (std::int32_t x = 0; x + 4 < cardWidth; ++x)
        QCOMPARE(luma(second, x, 100), luma(first, x + 4, 100));
    QVERIFY(luma(second, cardWidth - 1, 100) != luma(first, cardWidth - 1, 100));
}

void TestClipPatterns::barsCarryTheirChroma()
{
    const std::vector<std::uint8_t> card = testCard(0);
    const std::size_t u = std::size_t(cardWidth) * cardHeight;
    const std::size_t v = u + u / 4;
    const std::size_t chromaRow50 = 50 * (cardWidth / 2);
    // Frame 0 starts with the white bar and ends with the blue one (Y 35, U 212, V 114).
    QCOMPARE(luma(card, 0, 100), std::uint8_t(180));
    QCOMPARE(card[u + chromaRow50], std::uint8_t(128));
    QCOMPARE(card[v + chromaRow50], std::uint8_t(128));
    QCOMPARE(luma(card, cardWidth - 1, 100), std::uint8_t(35));
    QCOMPARE(card[u + chromaRow50 + cardWidth / 2 - 1], std::uint8_t(212));
    QCOMPARE(card[v + chromaRow50 + cardWidth / 2 - 1], std::uint8_t(114));
    // The ramp under the bars runs from black to white with neutral chroma.
    QCOMPARE(luma(card, 0, cardHeight - 1), std::uint8_t(16));
    QCOMPARE(luma(card, cardWidth - 1, cardHeight - 1), std::uint8_t(235));
    QCOMPARE(card[v - 1], std::uint8_t(128));
}

void TestClipPatterns::squareBouncesAcross()
{
    // A 48-pixel square on rows 120 to 167, moving 8 pixels a frame over 304 pixels of travel.
    const std::vector<std::uint8_t> first = testCard(0);
    QCOMPARE(luma(first, 0, 144), ink);
    QCOMPARE(luma(first, 47, 144), ink);
    QVERIFY(luma(first, 48, 144) != ink);
    const std::vector<std::uint8_t> second = testCard(1);
    QVERIFY(luma(second, 7, 144) != ink);
    QCOMPARE(luma(second, 8, 144), ink);
    QCOMPARE(luma(testCard(38), cardWidth - 1, 144), ink);
    QCOMPARE(luma(testCard(39), 296, 144), ink);
    QVERIFY(luma(testCard(39), cardWidth - 1, 144) != ink);
}

void TestClipPatterns::planar422CardHasChromaOnEveryRow()
{
    const std::vector<std::uint8_t> card = testCard(0, UYVY, 96, 16);
    QCOMPARE(card.size(), std::size_t(3072));
    // 96x16: the blue bar ends row 11, an odd row that only 4:2:2 has chroma for; the ramp
    // below it is neutral.
    const std::size_t u = 1536;
    const std::size_t v = 2304;
    QCOMPARE(card[u + 11 * 48 + 47], std::uint8_t(212));
    QCOMPARE(card[v + 11 * 48 + 47], std::uint8_t(114));
    QCOMPARE(card[u + 12 * 48 + 47], std::uint8_t(128));
}

void TestClipPatterns::makeclipWritesTheSampleByDefault()
{
    TempDir dir;
    const std::string path = dir.filePath("sample.yuv");
    QCOMPARE(
        QProcess::execute(QStringLiteral(MAKECLIP_EXECUTABLE), { QString::fromStdString(path) }),
        0);
    const std::vector<std::uint8_t> bytes = readFile(path);
    QCOMPARE(qint64(bytes.size()), 75 * cardFrameSize);
    const std::vector<std::uint8_t> frame74 = testCard(74);
    QVERIFY(std::equal(frame74.begin(), frame74.end(), bytes.end() - cardFrameSize));
}

void TestClipPatterns::makeclipTakesSizeFramesAndLayout()
{
    TempDir dir;
    const std::string path = dir.filePath("small.yuv");
    QCOMPARE(QProcess::execute(QStringLiteral(MAKECLIP_EXECUTABLE),
                 { QString::fromStdString(path), "64", "32", "5", "uyvy" }),
        0);
    const std::vector<std::uint8_t> bytes = readFile(path);
    QCOMPARE(bytes.size(), std::size_t(5 * 4096));
    const std::vector<std::uint8_t> frame2 = testCard(2, UYVY, 64, 32);
    QVERIFY(std::equal(frame2.begin(), frame2.end(), bytes.begin() + 2 * 4096));
}

void TestClipPatterns::makeclipRefusesBadArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("no output") << QStringList() << 2;
    QTest::newRow("width without height") << QStringList { "352" } << 2;
    QTest::newRow("odd width") << QStringList { "351", "288" } << 2;
    QTest::newRow("height is no number") << QStringList { "352", "tall" } << 2;
    QTest::newRow("negative frames") << QStringList { "352", "288", "-1" } << 2;
    QTest::newRow("unknown layout") << QStringList { "352", "288", "5", "nv12" } << 2;
}

void TestClipPatterns::makeclipRefusesBadArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    TempDir dir;
    const QString path = QString::fromStdString(dir.filePath("refused.yuv"));
    if (!arguments.isEmpty())
        arguments.prepend(path);
    QProcess process;
    process.start(QStringLiteral(MAKECLIP_EXECUTABLE), arguments);
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitCode(), exitCode);
    QVERIFY(!process.readAllStandardError().isEmpty());
    QCOMPARE(fileSize(path.toStdString()), qint64(-1));
}

QTEST_APPLESS_MAIN(TestClipPatterns)
#include "test_clippatterns.moc"
