#include "frameformat.h"
#include "samplelayout.h"
#include "videoparameters.h"

#include <QtTest>

#include <cstdint>
#include <limits>

Q_DECLARE_METATYPE(SizeField)
Q_DECLARE_METATYPE(SizeProblem)

class TestVideoParameters : public QObject
{
    Q_OBJECT

private slots:
    void newRecordIsEmpty();
    void frameSizeFollowsTheFormat_data();
    void frameSizeFollowsTheFormat();
    void frameCountIgnoresPartialFrames_data();
    void frameCountIgnoresPartialFrames();
    void checkFrameSizeNamesTheWrongField_data();
    void checkFrameSizeNamesTheWrongField();
    void planeSizesFollowTheLayout_data();
    void planeSizesFollowTheLayout();
    void speedIsShownAsItsRate_data();
    void speedIsShownAsItsRate();
};

void TestVideoParameters::newRecordIsEmpty()
{
    const VideoParameters record;
    QVERIFY(record.path.empty());
    QCOMPARE(record.scan, 0);
    QCOMPARE(record.format, 0);
    QCOMPARE(record.width, 0);
    QCOMPARE(record.height, 0);
    QCOMPARE(record.speed, 0);
    QCOMPARE(record.frameCount, 0);
    QCOMPARE(record.speedDivisor, 1);
    QCOMPARE(record.kind, int(RawFile));
    QCOMPARE(int(YV12), 0);
    QCOMPARE(int(UYVY), 1);
    QCOMPARE(int(Planar422), 2);
    QCOMPARE(int(Progressive), 0);
    QCOMPARE(int(Interlaced), 1);
}

void TestVideoParameters::frameSizeFollowsTheFormat_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("bytes");

    QTest::newRow("176x144 YV12 is 38016 bytes") << int(YV12) << 176 << 144 << 38016;
    QTest::newRow("176x144 UYVY is 50688 bytes") << int(UYVY) << 176 << 144 << 50688;
    QTest::newRow("176x144 Planar422 is 50688 bytes") << int(Planar422) << 176 << 144 << 50688;
    QTest::newRow("3x3 YV12 is 9 + 4 bytes") << int(YV12) << 3 << 3 << 13;
    QTest::newRow("1920x1080 YV12") << int(YV12) << 1920 << 1080 << 3110400;
    QTest::newRow("unknown format 99 counts as YV12") << 99 << 176 << 144 << 38016;
    QTest::newRow("176x144 yuv420p10le is twice YV12") << int(Yuv420p10le) << 176 << 144 << 76032;
    QTest::newRow("176x143 yuv422p12le is 4p") << int(Yuv422p12le) << 176 << 143 << 100672;
    QTest::newRow("175x143 gray10le is 2p") << int(Gray10le) << 175 << 143 << 50050;
    QTest::newRow("176x144 p010le as yuv420p10le") << int(P010le) << 176 << 144 << 76032;
    QTest::newRow("largest yuv444p12le frame still fits")
        << int(Yuv444p12le) << 16384 << 16384 << 1610612736;
    QTest::newRow("176x144 nv12 as YV12") << int(Nv12) << 176 << 144 << 38016;
    QTest::newRow("176x144 yuyv422 as Planar422") << int(Yuyv422) << 176 << 144 << 50688;
    QTest::newRow("176x143 nv16 is 2p") << int(Nv16) << 176 << 143 << 50336;
    QTest::newRow("175x143 yuv444p is 3p") << int(Yuv444p) << 175 << 143 << 75075;
    QTest::newRow("175x143 gray is p") << int(Gray) << 175 << 143 << 25025;
    QTest::newRow("largest yuv444p frame still fits")
        << int(Yuv444p) << 16384 << 16384 << 805306368;
    QTest::newRow("negative format counts as YV12") << -1 << 4 << 2 << 12;
    QTest::newRow("largest UYVY frame still fits") << int(UYVY) << 16384 << 16384 << (1 << 29);
    QTest::newRow("zero width gives 0") << int(YV12) << 0 << 144 << 0;
    QTest::newRow("negative width truncates towards zero") << int(YV12) << -3 << 3 << -13;
    QTest::newRow("size beyond 32 bits gives 0") << int(UYVY) << 40000 << 40000 << 0;
    QTest::newRow("pixel count beyond 32 bits gives 0") << int(YV12) << 100000 << 100000 << 0;
    QTest::newRow("largest int sizes give 0, not a wrapped size")
        << int(Yuv444p12le) << std::numeric_limits<int>::max() << std::numeric_limits<int>::max()
        << 0;
    QTest::newRow("smallest int sizes give 0")
        << int(Yuv444p12le) << std::numeric_limits<int>::min() << std::numeric_limits<int>::min()
        << 0;
    QTest::newRow("opposite int extremes give 0")
        << int(Yuv444p) << std::numeric_limits<int>::min() << std::numeric_limits<int>::max() << 0;
}

void TestVideoParameters::frameSizeFollowsTheFormat()
{
    QFETCH(int, format);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, bytes);
    QCOMPARE(frameSize(format, width, height), bytes);
    // The frame format of a video gives the same size, and takes only the sizes that its
    // layout can have.
    const std::optional<FrameFormat> made = FrameFormat::make(format, width, height);
    QCOMPARE(made.has_value(), layoutOf(format) && checkFrameSize(format, width, height).ok());
    if (made) {
        QCOMPARE(made->frameBytes(), std::int64_t(bytes));
        QCOMPARE(made->lumaBytes() + 2 * made->chromaBytes(),
            std::size_t(bytes)
                + (format == Gray || format == Gray10le || format == Gray12le
                        ? 2 * made->chromaBytes()
                        : 0));
    }
}

void TestVideoParameters::frameCountIgnoresPartialFrames_data()
{
    QTest::addColumn<qint64>("fileSize");
    QTest::addColumn<int>("frameBytes");
    QTest::addColumn<int>("frames");

    const int qcif = 38016;
    const int full = 3110400;
    QTest::newRow("380160 bytes of 176x144 YV12 hold 10 frames") << qint64(380160) << qcif << 10;
    QTest::newRow("418175 bytes still hold 10") << qint64(418175) << qcif << 10;
    QTest::newRow("418176 bytes hold 11") << qint64(418176) << qcif << 11;
    QTest::newRow("empty file holds none") << qint64(0) << qcif << 0;
    QTest::newRow("file smaller than a frame holds none") << qint64(qcif - 1) << qcif << 0;
    QTest::newRow("frame size 0 does not divide") << qint64(1000) << 0 << 0;
    QTest::newRow("negative frame size holds none") << qint64(1000) << -6 << 0;
    QTest::newRow("3 GiB of 1080p YV12 hold 1035 frames") << (qint64(3) << 30) << full << 1035;
    QTest::newRow("8 GiB of 1080p YV12 hold 2761 frames") << (qint64(8) << 30) << full << 2761;
    QTest::newRow("count limited to the largest 32-bit value")
        << std::numeric_limits<qint64>::max() << 1 << std::numeric_limits<int>::max();
}

void TestVideoParameters::frameCountIgnoresPartialFrames()
{
    QFETCH(qint64, fileSize);
    QFETCH(int, frameBytes);
    QFETCH(int, frames);
    QCOMPARE(frameCount(fileSize, frameBytes), frames);
}

void TestVideoParameters::checkFrameSizeNamesTheWrongField_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<SizeField>("field");
    QTest::addColumn<SizeProblem>("problem");
    QTest::addColumn<int>("format");

    const SizeField none = SizeField::None;
    const SizeField width = SizeField::Width;
    const SizeField height = SizeField::Height;
    QTest::newRow("176x144 is accepted") << 176 << 144 << none << SizeProblem::None << int(YV12);
    QTest::newRow("2x2 is accepted") << 2 << 2 << none << SizeProblem::None << int(YV12);
    QTest::newRow("16384x16384 is accepted")
        << 16384 << 16384 << none << SizeProblem::None << int(YV12);
    QTest::newRow("width 0") << 0 << 144 << width << SizeProblem::NotPositive << int(YV12);
    QTest::newRow("text that is not a number reaches it as 0")
        << 176 << 0 << height << SizeProblem::NotPositive << int(YV12);
    QTest::newRow("negative width")
        << -176 << 144 << width << SizeProblem::NotPositive << int(YV12);
    QTest::newRow("most negative width")
        << std::numeric_limits<int>::min() << 144 << width << SizeProblem::NotPositive << int(YV12);
    QTest::newRow("odd width") << 175 << 144 << width << SizeProblem::Odd << int(YV12);
    QTest::newRow("width 1") << 1 << 144 << width << SizeProblem::Odd << int(YV12);
    QTest::newRow("width 16386") << 16386 << 144 << width << SizeProblem::TooLarge << int(YV12);
    QTest::newRow("odd width above the limit is too large")
        << 16385 << 144 << width << SizeProblem::TooLarge << int(YV12);
    QTest::newRow("largest width")
        << std::numeric_limits<int>::max() << 144 << width << SizeProblem::TooLarge << int(YV12);
    QTest::newRow("negative height")
        << 176 << -2 << height << SizeProblem::NotPositive << int(YV12);
    QTest::newRow("odd height") << 176 << 143 << height << SizeProblem::Odd << int(YV12);
    QTest::newRow("height 16386") << 176 << 16386 << height << SizeProblem::TooLarge << int(YV12);
    QTest::newRow("both wrong: width is named first")
        << 3 << 0 << width << SizeProblem::Odd << int(YV12);
    // A dimension may be odd where the layout does not halve chroma along it.
    const SizeProblem odd = SizeProblem::Odd;
    const SizeProblem fine = SizeProblem::None;
    QTest::newRow("yuv422p takes an odd height") << 176 << 143 << none << fine << int(Planar422);
    QTest::newRow("the dialog's UYVY keeps an even height")
        << 176 << 143 << height << odd << int(UYVY);
    QTest::newRow("yuyv422 refuses an odd width") << 175 << 144 << width << odd << int(Yuyv422);
    QTest::newRow("nv12 refuses an odd height") << 176 << 143 << height << odd << int(Nv12);
    QTest::newRow("yuv444p takes 175x143") << 175 << 143 << none << fine << int(Yuv444p);
    QTest::newRow("gray takes 1x1") << 1 << 1 << none << fine << int(Gray);
    QTest::newRow("yuv420p10le refuses an odd height")
        << 176 << 143 << height << odd << int(Yuv420p10le);
    QTest::newRow("p010le refuses an odd width") << 175 << 144 << width << odd << int(P010le);
    QTest::newRow("yuv422p12le takes an odd height")
        << 176 << 143 << none << fine << int(Yuv422p12le);
    QTest::newRow("yuv444p12le takes 16384x16384")
        << 16384 << 16384 << none << fine << int(Yuv444p12le);
    QTest::newRow("gray10le takes 1x1") << 1 << 1 << none << fine << int(Gray10le);
    QTest::newRow("gray width 16385 is too large")
        << 16385 << 1 << width << SizeProblem::TooLarge << int(Gray);
    QTest::newRow("yuv444p height 0")
        << 3 << 0 << height << SizeProblem::NotPositive << int(Yuv444p);
}

void TestVideoParameters::checkFrameSizeNamesTheWrongField()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(SizeField, field);
    QFETCH(SizeProblem, problem);
    QFETCH(int, format);
    const SizeCheck check = checkFrameSize(format, width, height);
    QCOMPARE(check.field, field);
    QCOMPARE(check.problem, problem);
    QCOMPARE(check.ok(), problem == SizeProblem::None);
    // Without a format: the dialog's rules.
    if (format == YV12) {
        QCOMPARE(checkFrameSize(width, height).field, field);
        QCOMPARE(checkFrameSize(width, height).problem, problem);
    }
}

void TestVideoParameters::planeSizesFollowTheLayout_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<qulonglong>("luma");
    QTest::addColumn<qulonglong>("chroma");
    QTest::addColumn<bool>("planar422");
    // Bytes of each sample in the planes.
    QTest::addColumn<int>("sampleBytes");

    QTest::newRow("4x2 YV12") << int(YV12) << 4 << 2 << 8ull << 2ull << false << 1;
    QTest::newRow("4x2 UYVY") << int(UYVY) << 4 << 2 << 8ull << 4ull << true << 1;
    QTest::newRow("4x2 Planar422") << int(Planar422) << 4 << 2 << 8ull << 4ull << true << 1;
    QTest::newRow("unknown format is YV12") << 99 << 4 << 2 << 8ull << 2ull << false << 1;
    QTest::newRow("4x2 nv12 as YV12") << int(Nv12) << 4 << 2 << 8ull << 2ull << false << 1;
    QTest::newRow("4x3 yuyv422: 2 x 3") << int(Yuyv422) << 4 << 3 << 12ull << 6ull << false << 1;
    QTest::newRow("3x2 yuv444p as large as luma")
        << int(Yuv444p) << 3 << 2 << 6ull << 6ull << false << 1;
    QTest::newRow("3x2 gray: one row of 3") << int(Gray) << 3 << 2 << 6ull << 3ull << false << 1;
    QTest::newRow("4x2 yuv420p10le in words")
        << int(Yuv420p10le) << 4 << 2 << 8ull << 2ull << false << 2;
    QTest::newRow("4x2 p010le in words") << int(P010le) << 4 << 2 << 8ull << 2ull << false << 2;
    QTest::newRow("3x2 yuv444p12le in words")
        << int(Yuv444p12le) << 3 << 2 << 6ull << 6ull << false << 2;
    QTest::newRow("3x2 gray12le: one row of 3 words")
        << int(Gray12le) << 3 << 2 << 6ull << 3ull << false << 2;
    QTest::newRow("16384x16384 UYVY")
        << int(UYVY) << 16384 << 16384 << (1ull << 28) << (1ull << 27) << true << 1;
    QTest::newRow("no planes for width 0") << int(YV12) << 0 << 2 << 0ull << 0ull << false << 1;
    QTest::newRow("no planes for a negative height")
        << int(UYVY) << 4 << -2 << 0ull << 0ull << true << 1;
}

void TestVideoParameters::planeSizesFollowTheLayout()
{
    QFETCH(int, format);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(qulonglong, luma);
    QFETCH(qulonglong, chroma);
    QFETCH(bool, planar422);
    QFETCH(int, sampleBytes);
    QCOMPARE(qulonglong(lumaPlaneSize(width, height)), luma);
    QCOMPARE(qulonglong(chromaPlaneSize(format, width, height)), chroma);
    QCOMPARE(qulonglong(lumaPlaneBytes(format, width, height)), luma * qulonglong(sampleBytes));
    QCOMPARE(qulonglong(chromaPlaneBytes(format, width, height)), chroma * qulonglong(sampleBytes));
    QCOMPARE(isPlanar422(format), planar422);
}

void TestVideoParameters::speedIsShownAsItsRate_data()
{
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("divisor");
    QTest::addColumn<QString>("shown");

    QTest::newRow("the dialog's 25") << 25 << 1 << "25";
    QTest::newRow("the dialog's 0") << 0 << 1 << "0";
    QTest::newRow("a whole rate over a divisor") << 50 << 2 << "25";
    QTest::newRow("30000:1001 to two decimals, its third a 0") << 30000 << 1001 << "29.97";
    QTest::newRow("24000:1001 to three decimals") << 24000 << 1001 << "23.976";
    QTest::newRow("60000:1001 rounds up") << 60000 << 1001 << "59.94";
    QTest::newRow("1:3 rounds down") << 1 << 3 << "0.333";
    QTest::newRow("2:3 rounds up") << 2 << 3 << "0.667";
    QTest::newRow("a halve") << 25 << 2 << "12.5";
    QTest::newRow("rounding up to the next whole") << 999999 << 10000 << "100";
    QTest::newRow("the largest numerator does not overflow")
        << std::numeric_limits<std::int32_t>::max() << 3 << "715827882.333";
}

void TestVideoParameters::speedIsShownAsItsRate()
{
    QFETCH(int, speed);
    QFETCH(int, divisor);
    QFETCH(QString, shown);
    QCOMPARE(QString::fromStdString(speedText(speed, divisor)), shown);
}

QTEST_APPLESS_MAIN(TestVideoParameters)
#include "test_videoparameters.moc"
