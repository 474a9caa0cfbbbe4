#include "namedparameters.h"
#include "samplelayout.h"
#include "videoparameters.h"

#include <QtTest>

class TestNamedParameters : public QObject
{
    Q_OBJECT

private slots:
    void fileNameFillsInWhatTheOptionsLeaveOpen_data();
    void fileNameFillsInWhatTheOptionsLeaveOpen();
    void colourComesFromTheOptionsOrTheName_data();
    void colourComesFromTheOptionsOrTheName();
};

void TestNamedParameters::fileNameFillsInWhatTheOptionsLeaveOpen_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("sizeOption");
    QTest::addColumn<QString>("formatOption");
    QTest::addColumn<bool>("straightAway");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("layout");
    // The rate's digits, then "p" or "i" for the scan; empty where the plan has neither.
    QTest::addColumn<QString>("rateAndScan");
    // The line that says which option overrules the name; empty for none.
    QTest::addColumn<QString>("overruled");

    const bool dialog = false;
    const bool straight = true;
    // A row named after the file alone, or after `why` and the file.
    const auto row = [](const char *why, const QString &path, const QString &sizeOption,
                         const QString &formatOption, bool straightAway, const QString &size,
                         const QString &layout, const QString &rateAndScan,
                         const QString &overruled = QString()) {
        const QByteArray name = *why ? QByteArray(why) + ": " + path.toUtf8() : path.toUtf8();
        QTest::newRow(name.constData()) << path << sizeOption << formatOption << straightAway
                                        << size << layout << rateAndScan << overruled;
    };
    // Test sequences: a size alone opens as yuv420p; a number right after it is the rate.
    row("", "BasketballDrive_1920x1080_50.yuv", "", "", straight, "1920x1080", "", "50");
    row("", "foreman_cif.yuv", "", "", straight, "352x288", "", "");
    row("", "akiyo_qcif.yuv", "", "", straight, "176x144", "", "");
    row("", "crew_4cif_30fps.yuv", "", "", straight, "704x576", "", "30");
    row("", "Johnny_1280x720_60.yuv", "", "", straight, "1280x720", "", "60");
    row("8bit and 420", "ParkScene_1920x1080_24_8bit_420.yuv", "", "", straight, "1920x1080",
        "yuv420p", "24");
    row("the same size twice", "foreman_cif_352x288.yuv", "", "", straight, "352x288", "", "");
    row("words of codecs and 4k", "enc_x264_h265_4k_1280x720.yuv", "", "", straight, "1280x720", "",
        "");
    // Chroma with no depth gives the planar layout.
    row("444 with no depth", "screen_1280x720_444.yuv", "", "", straight, "1280x720", "yuv444p",
        "");
    row("422 with no depth", "cam_640x480_422.yuv", "", "", straight, "640x480", "yuv422p", "");
    // Size words that carry a scan and a rate.
    row("", "ducks_take_off_1080p50.yuv", "", "", straight, "1920x1080", "", "50p");
    row("", "crowd_run_2160p50.yuv", "", "", straight, "3840x2160", "", "50p");
    row("", "stockholm_720p60_nv12.yuv", "", "", straight, "1280x720", "nv12", "60p");
    row("0x1F is no size", "0x1F_dump_1920x1080p50.yuv", "", "", straight, "1920x1080", "", "50p");
    row("", "mobcal_720x576i.yuv", "", "", straight, "720x576", "", "i");
    row("", "EBU_1080i25_422.yuv", "", "", straight, "1920x1080", "yuv422p", "25i");
    row("a named size is progressive", "capture_720p_uyvy422.yuv", "", "", straight, "1280x720",
        "uyvy422", "p");
    // Rates that say nothing.
    row("a number apart from the size", "clip_1920x1080_nv12_25.yuv", "", "", straight, "1920x1080",
        "nv12", "");
    row("a frame number", "seq_1920x1080_0001.yuv", "", "", straight, "1920x1080", "", "");
    row("two rates", "x_1920x1080_50_60fps.yuv", "", "", straight, "1920x1080", "", "");
    row("a rate beyond 1000", "x_1920x1080_5000fps.yuv", "", "", straight, "1920x1080", "", "");
    row("p and i", "x_1080p_1920x1080i.yuv", "", "", straight, "1920x1080", "", "");
    // Size and layout.
    row("", "out_1280x720_nv12.yuv", "", "", straight, "1280x720", "nv12", "");
    row("", "out_640x480.nv12", "", "", straight, "640x480", "nv12", "");
    row("", "dump_320x240_nv21.yuv", "", "", straight, "320x240", "nv21", "");
    row("", "cam-640x480-yuyv422.raw", "", "", straight, "640x480", "yuyv422", "");
    row("", "news_sqcif_yuv420p.yuv", "", "", straight, "128x96", "yuv420p", "");
    row("", "CrowdRun_3840x2160_50fps_yuv420p.yuv", "", "", straight, "3840x2160", "yuv420p", "50");
    row("", "park_joy_2160p_50fps_yuv420p.yuv", "", "", straight, "3840x2160", "yuv420p", "50p");
    row("", "decoded_1920x1088_nv12.yuv", "", "", straight, "1920x1088", "nv12", "");
    row("", "android_1280x720_nv21.yuv", "", "", straight, "1280x720", "nv21", "");
    row("", "screen_1920x1080_yuv444p.yuv", "", "", straight, "1920x1080", "yuv444p", "");
    row("", "depth_640x480_gray.raw", "", "", straight, "640x480", "gray", "");
    row("capital X and an alias", "ir_camera_640X512_Y800.raw", "", "", straight, "640x512", "gray",
        "");
    row("alias i420", "clip_1920x1080_i420.yuv", "", "", straight, "1920x1080", "yuv420p", "");
    row("alias yuy2", "clip_1920x1080_yuy2.yuv", "", "", straight, "1920x1080", "yuyv422", "");
    row("FourCC yuyv", "cam_1280x720.yuyv", "", "", straight, "1280x720", "yuyv422", "");
    row("FourCC i444 and 444 agree", "x_1280x720_I444_444.yuv", "", "", straight, "1280x720",
        "yuv444p", "");
    row("an odd size is left to the size rules", "odd_1279x719_gray.yuv", "", "", straight,
        "1279x719", "gray", "");
    // Deep samples: a depth takes the layout to it; 4:2:0 when the name gives no chroma.
    row("10bit and 420", "Kimono1_1920x1080_24_10bit_420.yuv", "", "", straight, "1920x1080",
        "yuv420p10le", "24");
    row("", "Tango2_3840x2160_60fps_10bit_420.yuv", "", "", straight, "3840x2160", "yuv420p10le",
        "60");
    row("", "EBU_1920x1080_50_10bit_422.yuv", "", "", straight, "1920x1080", "yuv422p10le", "50");
    row("p010", "video_p010_1920x1080.yuv", "", "", straight, "1920x1080", "p010le", "");
    row("an ffmpeg name", "x_1920x1080_yuv422p12le.yuv", "", "", straight, "1920x1080",
        "yuv422p12le", "");
    row("10bit takes yuv420p to 10 bits", "Tango2_3840x2160_60fps_10bit_yuv420p.yuv", "", "",
        straight, "3840x2160", "yuv420p10le", "60");
    row("12b alone is 4:2:0", "Cactus_1920x1080_50_12b.yuv", "", "", straight, "1920x1080",
        "yuv420p12le", "50");
    row("10-bit apart with 422, not a rate", "Market_1920x1080_10-bit_422.yuv", "", "", straight,
        "1920x1080", "yuv422p10le", "");
    row("12bit and 444", "screen_3840x2160_12bit_444.yuv", "", "", straight, "3840x2160",
        "yuv444p12le", "");
    row("12 bits with an alias", "ir_640X512_Y800_12bits.raw", "", "", straight, "640x512",
        "gray12le", "");
    row("ffmpeg's name without its byte order", "tof_640x480_gray10.raw", "", "", straight,
        "640x480", "gray10le", "");
    row("the layout's own depth stated again", "hdr_3840x2160_10bit_yuv420p10le.yuv", "", "",
        straight, "3840x2160", "yuv420p10le", "");
    // Names that say nothing.
    row("", "recording.yuv", "", "", dialog, "", "", "");
    row("", "x264_out.yuv", "", "", dialog, "", "", "");
    row("", "test_4k.yuv", "", "", dialog, "", "", "");
    row("two sizes", "a_320x240_to_640x480.yuv", "", "", dialog, "", "", "");
    row("a rate without a size", "clip_50fps.yuv", "", "", dialog, "", "", "");
    row("a depth nv12 lacks, 10-bit apart", "frame-1920x1080-10-bit-nv12.yuv", "", "", dialog, "",
        "", "");
    row("a depth yuyv422 lacks", "cam_1920x1080_yuyv422_10bit.yuv", "", "", dialog, "", "", "");
    row("8bit against a 10-bit layout", "x_1920x1080_8bit_yuv420p10le.yuv", "", "", dialog, "", "",
        "");
    row("12bit against p010", "x_1920x1080_12bit_p010.yuv", "", "", dialog, "", "", "");
    row("two depths", "x_1920x1080_10bit_12bit.yuv", "", "", dialog, "", "", "");
    row("422 against yuv420p", "x_1920x1080_10bit_422_yuv420p.yuv", "", "", dialog, "", "", "");
    row("444 against nv12, no depth", "x_1920x1080_nv12_444.yuv", "", "", dialog, "", "", "");
    row("two chromas", "x_1920x1080_10bit_420_444.yuv", "", "", dialog, "", "", "");
    row("two chromas, no depth", "x_1920x1080_420_422.yuv", "", "", dialog, "", "", "");
    row("210bits is no 10bit", "x_1920x1080_210bits_yuv420p.yuv", "", "", dialog, "", "", "");
    row("big-endian", "hdr_3840x2160_yuv420p10be.yuv", "", "", dialog, "", "", "");
    row("a deep layout with no size", "clip_yuv444p10le.yuv", "", "", dialog, "", "", "");
    row("gray16", "tof_640x480_gray16.raw", "", "", dialog, "", "", "");
    row("ambiguous yv12", "testcard-352x288-yv12.yuv", "", "", dialog, "", "", "");
    row("ambiguous uyvy", "capture_1920x1080_uyvy.yuv", "", "", dialog, "", "", "");
    row("two sizes", "scaled_1920x1080_to_1280x720.yuv", "", "", dialog, "", "", "");
    row("two named sizes", "mobile_cif_qcif.yuv", "", "", dialog, "", "", "");
    row("two layouts", "stefan_352x288_nv12_nv21.yuv", "", "", dialog, "", "", "");
    row("a size in the folder only", "/data/352x288_nv12/clip.yuv", "", "", dialog, "", "", "");
    row("a layout the dialog lacks, no size", "sample.nv12", "", "", dialog, "", "", "");
    row("a layout the dialog offers, no size", "recording_yuv422p.yuv", "", "", dialog, "",
        "yuv422p", "");
    row("a chroma the dialog offers, no size", "recording_422.yuv", "", "", dialog, "", "yuv422p",
        "");
    // The options win over the name, and say so where they differ from it.
    row("-s wins", "out_1280x720_nv12.yuv", "640x360", "", straight, "640x360", "nv12", "",
        "out_1280x720_nv12.yuv: -s 640x360 wins over the name's 1280x720");
    row("-f wins", "out_1280x720_nv12.yuv", "", "gray", straight, "1280x720", "gray", "",
        "out_1280x720_nv12.yuv: -f gray wins over the name's nv12");
    row("-s and -f win", "/data/out_1280x720_nv12.yuv", "cif", "gray", straight, "352x288", "gray",
        "",
        "/data/out_1280x720_nv12.yuv: -s 352x288 wins over the name's 1280x720; -f gray wins "
        "over the name's nv12");
    row("-s over a size word keeps its rate", "crowd_run_2160p50.yuv", "1080p", "", straight,
        "1920x1080", "", "50p",
        "crowd_run_2160p50.yuv: -s 1920x1080 wins over the name's 3840x2160");
    row("-s and -f that agree with the name", "clip_1920x1080_i420.yuv", "1920X1080", "yuv420p",
        straight, "1920x1080", "yuv420p", "");
    row("-s alone opens straight away", "recording.yuv", "352x288", "", straight, "352x288", "",
        "");
    row("-s gives no rate to a name without a size", "clip_50fps.yuv", "352x288", "", straight,
        "352x288", "", "");
    row("-f the dialog lacks with the name's size", "BQTerrace_1920x1080_60.yuv", "", "nv12",
        straight, "1920x1080", "nv12", "60");
    row("-f a deep layout with the name's size", "BQTerrace_1920x1080_60.yuv", "", "yuv420p10le",
        straight, "1920x1080", "yuv420p10le", "60");
    row("-f the dialog offers with the name's size", "BQTerrace_1920x1080_60.yuv", "", "yuv422p",
        straight, "1920x1080", "yuv422p", "60");
    row("-f the dialog lacks, no size anywhere", "recording.yuv", "", "nv12", dialog, "", "", "");
    row("-f over a name's chroma", "screen_1280x720_444.yuv", "", "yuv420p", straight, "1280x720",
        "yuv420p", "", "screen_1280x720_444.yuv: -f yuv420p wins over the name's yuv444p");
    row("the options over a 10-bit name", "Kimono1_1920x1080_24_10bit_420.yuv", "1920x1080", "gray",
        straight, "1920x1080", "gray", "24",
        "Kimono1_1920x1080_24_10bit_420.yuv: -f gray wins over the name's yuv420p10le");
}

void TestNamedParameters::fileNameFillsInWhatTheOptionsLeaveOpen()
{
    QFETCH(QString, path);
    QFETCH(QString, sizeOption);
    QFETCH(QString, formatOption);
    QFETCH(bool, straightAway);
    QFETCH(QString, size);
    QFETCH(QString, layout);
    QFETCH(QString, rateAndScan);
    QFETCH(QString, overruled);

    AskedParameters asked;
    if (!sizeOption.isEmpty())
        asked.size = frameSizeNamed(sizeOption.toStdString());
    if (!formatOption.isEmpty())
        asked.format = layoutNamed(formatOption.toStdString())->format;
    const OpenPlan plan = planOpen(path.toStdString(), asked);

    QCOMPARE(plan.straightAway, straightAway);
    const QString sizeFound = plan.size
        ? QStringLiteral("%1x%2").arg(plan.size->width).arg(plan.size->height)
        : QString();
    QCOMPARE(sizeFound, size);
    const QString layoutFound
        = plan.format ? QString::fromLatin1(layoutOf(*plan.format)->name) : QString();
    QCOMPARE(layoutFound, layout);
    QString rateAndScanFound = plan.rate ? QString::number(*plan.rate) : QString();
    if (plan.scan)
        rateAndScanFound += *plan.scan == Interlaced ? QLatin1Char('i') : QLatin1Char('p');
    QCOMPARE(rateAndScanFound, rateAndScan);
    QCOMPARE(QString::fromStdString(plan.overruled), overruled);
}

void TestNamedParameters::colourComesFromTheOptionsOrTheName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("matrixOption");
    QTest::addColumn<QString>("rangeOption");
    // As the windows show it, each part "-" where the plan leaves it to the default.
    QTest::addColumn<QString>("colour");
    // The rate the name gives, 0 for none, where a colour number sits after the size.
    QTest::addColumn<int>("rate");
    QTest::addColumn<QString>("overruled");

    const auto row = [](const char *why, const char *path, const char *matrix, const char *range,
                         const char *colour, int rate = 0, const char *overruled = "") {
        QTest::newRow(why) << path << matrix << range << colour << rate << overruled;
    };
    row("bt601", "a_352x288_bt601.yuv", "", "", "BT.601 -");
    row("709 right after the size is no rate", "a_1920x1080_709.yuv", "", "", "BT.709 -");
    row("BT2020 in capitals, 10-bit", "HDR_3840x2160_BT2020_10bit.yuv", "", "", "BT.2020 -");
    row("2020 beside a rate", "a_1920x1080_50_2020.yuv", "", "", "BT.2020 -", 50);
    row("601 before fps is a rate", "a_1920x1080_601_fps.yuv", "", "", "- -", 601);
    row("full", "a_1920x1080_full.yuv", "", "", "- full");
    row("fullrange and bt709", "a_1920x1080_bt709_fullrange.yuv", "", "", "BT.709 full");
    row("pc", "screen.pc.yuv", "", "", "- full");
    row("limited", "a_1920x1080_limited.yuv", "", "", "- limited");
    row("videorange", "a_1920x1080_videorange.yuv", "", "", "- limited");
    row("tv", "a_1920x1080_tv_709.yuv", "", "", "BT.709 limited");
    row("no size still gives the colour", "capture_709_pc.yuv", "", "", "BT.709 full");
    row("two matrices say nothing of the matrix", "a_1920x1080_601_709_full.yuv", "", "", "- full");
    row("two ranges say nothing of the range", "a_1920x1080_tv_pc_709.yuv", "", "", "BT.709 -");
    row("words inside other words", "fullhd_bt7090_tvshow_2020x.yuv", "", "", "- -");
    row("a name that says nothing says no colour", "a_320x240_to_640x480_709.yuv", "", "", "- -");
    row("the options alone", "recording.yuv", "BT709", "pc", "BT.709 full");
    row("options that agree with the name", "a_1920x1080_709_full.yuv", "bt709", "full",
        "BT.709 full");
    row("the options win over the name", "/d/a_1920x1080_709_tv.yuv", "2020", "full",
        "BT.2020 full", 0,
        "/d/a_1920x1080_709_tv.yuv: -m bt2020 wins over the name's bt709; -r full wins over "
        "the name's limited");
}

void TestNamedParameters::colourComesFromTheOptionsOrTheName()
{
    QFETCH(QString, path);
    QFETCH(QString, matrixOption);
    QFETCH(QString, rangeOption);
    QFETCH(QString, colour);
    QFETCH(int, rate);
    QFETCH(QString, overruled);

    AskedParameters asked;
    if (!matrixOption.isEmpty())
        asked.matrix = colourMatrixNamed(matrixOption.toStdString()).value();
    if (!rangeOption.isEmpty())
        asked.range = colourRangeNamed(rangeOption.toStdString()).value();
    const OpenPlan plan = planOpen(path.toStdString(), asked);

    const QString shown = QString::fromStdString(colourText(
        plan.matrix.value_or(ColourMatrix::Bt601), plan.range.value_or(ColourRange::Limited)));
    const QStringList parts = shown.split(QLatin1Char(' '));
    QCOMPARE((plan.matrix ? parts[0] : QStringLiteral("-")) + QLatin1Char(' ')
            + (plan.range ? parts[1] : QStringLiteral("-")),
        colour);
    QCOMPARE(plan.rate.value_or(0), rate);
    QCOMPARE(QString::fromStdString(plan.overruled), overruled);
}

QTEST_APPLESS_MAIN(TestNamedParameters)
#include "test_namedparameters.moc"
