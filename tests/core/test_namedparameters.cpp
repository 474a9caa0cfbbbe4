#include "namedparameters.h"
#include "samplelayout.h"

#include <QtTest>

class TestNamedParameters : public QObject
{
    Q_OBJECT

private slots:
    void fileNameFillsInWhatTheOptionsLeaveOpen_data();
    void fileNameFillsInWhatTheOptionsLeaveOpen();
};

void TestNamedParameters::fileNameFillsInWhatTheOptionsLeaveOpen_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("sizeOption");
    QTest::addColumn<QString>("formatOption");
    QTest::addColumn<bool>("straightAway");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("layout");

    const bool dialog = false;
    const bool straight = true;
    // Test sequences: a size alone is confirmed in the dialog.
    QTest::newRow("BasketballDrive_1920x1080_50.yuv") << "BasketballDrive_1920x1080_50.yuv"
                                                      << ""
                                                      << "" << dialog << "1920x1080"
                                                      << "";
    QTest::newRow("foreman_cif.yuv") << "foreman_cif.yuv"
                                     << ""
                                     << "" << dialog << "352x288"
                                     << "";
    QTest::newRow("akiyo_qcif.yuv") << "akiyo_qcif.yuv"
                                    << ""
                                    << "" << dialog << "176x144"
                                    << "";
    QTest::newRow("crew_4cif_30fps.yuv") << "crew_4cif_30fps.yuv"
                                         << ""
                                         << "" << dialog << "704x576"
                                         << "";
    QTest::newRow("Johnny_1280x720_60.yuv") << "Johnny_1280x720_60.yuv"
                                            << ""
                                            << "" << dialog << "1280x720"
                                            << "";
    QTest::newRow("8bit is no depth to refuse: ParkScene_1920x1080_24_8bit_420.yuv")
        << "ParkScene_1920x1080_24_8bit_420.yuv"
        << ""
        << "" << dialog << "1920x1080"
        << "";
    QTest::newRow("the same size twice: foreman_cif_352x288.yuv") << "foreman_cif_352x288.yuv"
                                                                  << ""
                                                                  << "" << dialog << "352x288"
                                                                  << "";
    // Size and layout: straight away.
    QTest::newRow("out_1280x720_nv12.yuv") << "out_1280x720_nv12.yuv"
                                           << ""
                                           << "" << straight << "1280x720"
                                           << "nv12";
    QTest::newRow("cam-640x480-yuyv422.raw") << "cam-640x480-yuyv422.raw"
                                             << ""
                                             << "" << straight << "640x480"
                                             << "yuyv422";
    QTest::newRow("news_sqcif_yuv420p.yuv") << "news_sqcif_yuv420p.yuv"
                                            << ""
                                            << "" << straight << "128x96"
                                            << "yuv420p";
    QTest::newRow("CrowdRun_3840x2160_50fps_yuv420p.yuv") << "CrowdRun_3840x2160_50fps_yuv420p.yuv"
                                                          << ""
                                                          << "" << straight << "3840x2160"
                                                          << "yuv420p";
    QTest::newRow("park_joy_2160p_50fps_yuv420p.yuv") << "park_joy_2160p_50fps_yuv420p.yuv"
                                                      << ""
                                                      << "" << straight << "3840x2160"
                                                      << "yuv420p";
    QTest::newRow("decoded_1920x1088_nv12.yuv") << "decoded_1920x1088_nv12.yuv"
                                                << ""
                                                << "" << straight << "1920x1088"
                                                << "nv12";
    QTest::newRow("android_1280x720_nv21.yuv") << "android_1280x720_nv21.yuv"
                                               << ""
                                               << "" << straight << "1280x720"
                                               << "nv21";
    QTest::newRow("screen_1920x1080_yuv444p.yuv") << "screen_1920x1080_yuv444p.yuv"
                                                  << ""
                                                  << "" << straight << "1920x1080"
                                                  << "yuv444p";
    QTest::newRow("depth_640x480_gray.raw") << "depth_640x480_gray.raw"
                                            << ""
                                            << "" << straight << "640x480"
                                            << "gray";
    QTest::newRow("capital X and an alias: ir_camera_640X512_Y800.raw")
        << "ir_camera_640X512_Y800.raw"
        << ""
        << "" << straight << "640x512"
        << "gray";
    QTest::newRow("capture_720p_uyvy422.yuv") << "capture_720p_uyvy422.yuv"
                                              << ""
                                              << "" << straight << "1280x720"
                                              << "uyvy422";
    QTest::newRow("alias i420: clip_1920x1080_i420.yuv") << "clip_1920x1080_i420.yuv"
                                                         << ""
                                                         << "" << straight << "1920x1080"
                                                         << "yuv420p";
    QTest::newRow("alias yuy2: clip_1920x1080_yuy2.yuv") << "clip_1920x1080_yuy2.yuv"
                                                         << ""
                                                         << "" << straight << "1920x1080"
                                                         << "yuyv422";
    QTest::newRow("an odd size is left to the size rules: odd_1279x719_gray.yuv")
        << "odd_1279x719_gray.yuv"
        << ""
        << "" << straight << "1279x719"
        << "gray";
    // Deep samples: a depth takes the layout to it; 4:2:0 when the name gives no chroma.
    QTest::newRow("10bit and 420: Kimono1_1920x1080_24_10bit_420.yuv")
        << "Kimono1_1920x1080_24_10bit_420.yuv"
        << ""
        << "" << straight << "1920x1080"
        << "yuv420p10le";
    QTest::newRow("p010: video_p010_1920x1080.yuv") << "video_p010_1920x1080.yuv"
                                                    << ""
                                                    << "" << straight << "1920x1080"
                                                    << "p010le";
    QTest::newRow("an ffmpeg name: x_1920x1080_yuv422p12le.yuv") << "x_1920x1080_yuv422p12le.yuv"
                                                                 << ""
                                                                 << "" << straight << "1920x1080"
                                                                 << "yuv422p12le";
    QTest::newRow("10bit takes yuv420p to 10 bits: Tango2_3840x2160_60fps_10bit_yuv420p.yuv")
        << "Tango2_3840x2160_60fps_10bit_yuv420p.yuv"
        << ""
        << "" << straight << "3840x2160"
        << "yuv420p10le";
    QTest::newRow("12b alone is 4:2:0: Cactus_1920x1080_50_12b.yuv")
        << "Cactus_1920x1080_50_12b.yuv"
        << ""
        << "" << straight << "1920x1080"
        << "yuv420p12le";
    QTest::newRow("10-bit apart with 422: Market_1920x1080_10-bit_422.yuv")
        << "Market_1920x1080_10-bit_422.yuv"
        << ""
        << "" << straight << "1920x1080"
        << "yuv422p10le";
    QTest::newRow("12bit and 444: screen_3840x2160_12bit_444.yuv")
        << "screen_3840x2160_12bit_444.yuv"
        << ""
        << "" << straight << "3840x2160"
        << "yuv444p12le";
    QTest::newRow("12 bits with an alias: ir_640X512_Y800_12bits.raw")
        << "ir_640X512_Y800_12bits.raw"
        << ""
        << "" << straight << "640x512"
        << "gray12le";
    QTest::newRow("ffmpeg's name without its byte order: tof_640x480_gray10.raw")
        << "tof_640x480_gray10.raw"
        << ""
        << "" << straight << "640x480"
        << "gray10le";
    QTest::newRow("the layout's own depth stated again: hdr_3840x2160_10bit_yuv420p10le.yuv")
        << "hdr_3840x2160_10bit_yuv420p10le.yuv"
        << ""
        << "" << straight << "3840x2160"
        << "yuv420p10le";
    // Names that say nothing.
    QTest::newRow("recording.yuv") << "recording.yuv"
                                   << ""
                                   << "" << dialog << ""
                                   << "";
    QTest::newRow("a depth nv12 lacks, 10-bit apart: frame-1920x1080-10-bit-nv12.yuv")
        << "frame-1920x1080-10-bit-nv12.yuv"
        << ""
        << "" << dialog << ""
        << "";
    QTest::newRow("a depth yuyv422 lacks: cam_1920x1080_yuyv422_10bit.yuv")
        << "cam_1920x1080_yuyv422_10bit.yuv"
        << ""
        << "" << dialog << ""
        << "";
    QTest::newRow("8bit against a 10-bit layout: x_1920x1080_8bit_yuv420p10le.yuv")
        << "x_1920x1080_8bit_yuv420p10le.yuv"
        << ""
        << "" << dialog << ""
        << "";
    QTest::newRow("12bit against p010: x_1920x1080_12bit_p010.yuv") << "x_1920x1080_12bit_p010.yuv"
                                                                    << ""
                                                                    << "" << dialog << ""
                                                                    << "";
    QTest::newRow("two depths: x_1920x1080_10bit_12bit.yuv") << "x_1920x1080_10bit_12bit.yuv"
                                                             << ""
                                                             << "" << dialog << ""
                                                             << "";
    QTest::newRow("422 against yuv420p: x_1920x1080_10bit_422_yuv420p.yuv")
        << "x_1920x1080_10bit_422_yuv420p.yuv"
        << ""
        << "" << dialog << ""
        << "";
    QTest::newRow("two chromas: x_1920x1080_10bit_420_444.yuv") << "x_1920x1080_10bit_420_444.yuv"
                                                                << ""
                                                                << "" << dialog << ""
                                                                << "";
    QTest::newRow("210bits is no 10bit: x_1920x1080_210bits_yuv420p.yuv")
        << "x_1920x1080_210bits_yuv420p.yuv"
        << ""
        << "" << dialog << ""
        << "";
    QTest::newRow("big-endian: hdr_3840x2160_yuv420p10be.yuv") << "hdr_3840x2160_yuv420p10be.yuv"
                                                               << ""
                                                               << "" << dialog << ""
                                                               << "";
    QTest::newRow("a deep layout with no size: clip_yuv444p10le.yuv") << "clip_yuv444p10le.yuv"
                                                                      << ""
                                                                      << "" << dialog << ""
                                                                      << "";
    QTest::newRow("gray16: tof_640x480_gray16.raw") << "tof_640x480_gray16.raw"
                                                    << ""
                                                    << "" << dialog << ""
                                                    << "";
    QTest::newRow("ambiguous yv12: testcard-352x288-yv12.yuv") << "testcard-352x288-yv12.yuv"
                                                               << ""
                                                               << "" << dialog << ""
                                                               << "";
    QTest::newRow("ambiguous uyvy: capture_1920x1080_uyvy.yuv") << "capture_1920x1080_uyvy.yuv"
                                                                << ""
                                                                << "" << dialog << ""
                                                                << "";
    QTest::newRow("two sizes: scaled_1920x1080_to_1280x720.yuv")
        << "scaled_1920x1080_to_1280x720.yuv"
        << ""
        << "" << dialog << ""
        << "";
    QTest::newRow("two named sizes: mobile_cif_qcif.yuv") << "mobile_cif_qcif.yuv"
                                                          << ""
                                                          << "" << dialog << ""
                                                          << "";
    QTest::newRow("two layouts: stefan_352x288_nv12_nv21.yuv") << "stefan_352x288_nv12_nv21.yuv"
                                                               << ""
                                                               << "" << dialog << ""
                                                               << "";
    QTest::newRow("a size in the folder only: /data/352x288_nv12/clip.yuv")
        << "/data/352x288_nv12/clip.yuv"
        << ""
        << "" << dialog << ""
        << "";
    QTest::newRow("not a size: 0x1F_dump_1920x1080p50.yuv") << "0x1F_dump_1920x1080p50.yuv"
                                                            << ""
                                                            << "" << dialog << ""
                                                            << "";
    QTest::newRow("a layout the dialog lacks, no size: sample.nv12") << "sample.nv12"
                                                                     << ""
                                                                     << "" << dialog << ""
                                                                     << "";
    QTest::newRow("a layout the dialog offers, no size: recording_yuv422p.yuv")
        << "recording_yuv422p.yuv"
        << ""
        << "" << dialog << ""
        << "yuv422p";
    // The options win over the name.
    QTest::newRow("-s wins: out_1280x720_nv12.yuv") << "out_1280x720_nv12.yuv"
                                                    << "640x360"
                                                    << "" << straight << "640x360"
                                                    << "nv12";
    QTest::newRow("-f wins: out_1280x720_nv12.yuv") << "out_1280x720_nv12.yuv"
                                                    << ""
                                                    << "gray" << straight << "1280x720"
                                                    << "gray";
    QTest::newRow("-s alone opens straight away: recording.yuv") << "recording.yuv"
                                                                 << "352x288"
                                                                 << "" << straight << "352x288"
                                                                 << "";
    QTest::newRow("-f the dialog lacks with the name's size: BQTerrace_1920x1080_60.yuv")
        << "BQTerrace_1920x1080_60.yuv"
        << ""
        << "nv12" << straight << "1920x1080"
        << "nv12";
    QTest::newRow("-f a deep layout with the name's size: BQTerrace_1920x1080_60.yuv")
        << "BQTerrace_1920x1080_60.yuv"
        << ""
        << "yuv420p10le" << straight << "1920x1080"
        << "yuv420p10le";
    QTest::newRow("-f the dialog offers with the name's size: BQTerrace_1920x1080_60.yuv")
        << "BQTerrace_1920x1080_60.yuv"
        << ""
        << "yuv422p" << dialog << "1920x1080"
        << "yuv422p";
    QTest::newRow("-f the dialog lacks, no size anywhere: recording.yuv") << "recording.yuv"
                                                                          << ""
                                                                          << "nv12" << dialog << ""
                                                                          << "";
    QTest::newRow("the options over a 10-bit name: Kimono1_1920x1080_24_10bit_420.yuv")
        << "Kimono1_1920x1080_24_10bit_420.yuv"
        << "1920x1080"
        << "gray" << straight << "1920x1080"
        << "gray";
}

void TestNamedParameters::fileNameFillsInWhatTheOptionsLeaveOpen()
{
    QFETCH(QString, path);
    QFETCH(QString, sizeOption);
    QFETCH(QString, formatOption);
    QFETCH(bool, straightAway);
    QFETCH(QString, size);
    QFETCH(QString, layout);

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
}

QTEST_APPLESS_MAIN(TestNamedParameters)
#include "test_namedparameters.moc"
