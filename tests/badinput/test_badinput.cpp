#include "apptesting.h"
#include "imageopendialog.h"
#include "imageview.h"
#include "imageviewtesting.h"
#include "tempdir.h"
#include "testclips.h"
#include "testfiles.h"
#include "userflow.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

using namespace apptesting;
using imageviewtesting::tick;
using userflow::Answer;
using userflow::Outcome;

namespace {

const Answer yv12At16x8 { QStringLiteral("16"), QStringLiteral("8"), 0 };
// Opening anything must come back at once: a FIFO or device must not block the program.
constexpr int promptMs = 5000;

QString titleOf(const QString &name, int frame, int frames)
{
    return QStringLiteral("%1 - %2/%3").arg(name).arg(frame).arg(frames);
}

QString pathIn(const TempDir &dir, const QString &name)
{
    return QString::fromStdString(dir.path()) + QLatin1Char('/') + name;
}

std::string bytePath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

// Every pixel of the picture has this colour.
bool pictureIsAll(const QImage &picture, QRgb colour)
{
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if ((picture.pixel(x, y) & 0xffffff) != (colour & 0xffffff))
                return false;
        }
    }
    return !picture.isNull();
}

// Y, U and V of 0, as a sparse file reads, come out as R 0, G 135, B 0.
const QRgb zeroBytesColour = qRgb(0, 135, 0);
const QRgb white = qRgb(255, 255, 255);
// Y 235 with U and V 0: R (298 * 219 - 409 * 128 + 128) >> 8 = 50, G above 255, B below 0.
const QRgb topRowColour = qRgb(50, 255, 0);

int frameShown(const ImageView *view)
{
    return view->currentFrame();
}

} // namespace

class TestBadInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void unusableChoiceListsNothing_data();
    void unusableChoiceListsNothing();
    void fileShorterThanAFrameShowsNoFrame_data();
    void fileShorterThanAFrameShowsNoFrame();
    void oddNameOpensUnchanged_data();
    void oddNameOpensUnchanged();
    void doubleQuotedNameIsRefusedByTheChooser();
    void fileChangedWhilePlaying_data();
    void fileChangedWhilePlaying();
    void sparseFileOfThreeGiB();
    void largestFrameOpensZoomsAndCloses();

private:
    TempDir dir;
};

void TestBadInput::initTestCase()
{
    QVERIFY(dir.isValid());
    startApplication();
}

void TestBadInput::cleanupTestCase()
{
    closeAllVideos();
    stopApplication();
}

void TestBadInput::cleanup()
{
    userflow::cancelDialog();
    setChecked("cbLoopNormal", false);
    closeAllVideos();
}

void TestBadInput::unusableChoiceListsNothing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<QString>("refusal");

    QTest::newRow("directory") << "directory" << false << "";
    QTest::newRow("FIFO") << "fifo" << true << "bad.yuv is not a regular file.";
    QTest::newRow("/dev/zero") << "zero" << true << "zero is not a regular file.";
    QTest::newRow("dangling symlink") << "link" << false << "";
}

void TestBadInput::unusableChoiceListsNothing()
{
    QFETCH(QString, kind);
    QFETCH(bool, chosen);
    QFETCH(QString, refusal);

    TempDir place;
    QString path = pathIn(place, QStringLiteral("bad.yuv"));
    if (kind == "directory")
        QVERIFY(::mkdir(bytePath(path).c_str(), 0700) == 0);
    else if (kind == "fifo")
        QVERIFY(::mkfifo(bytePath(path).c_str(), 0600) == 0);
    else if (kind == "link")
        QVERIFY(::symlink(place.filePath("gone.yuv").c_str(), bytePath(path).c_str()) == 0);
    else
        path = QStringLiteral("/dev/zero");

    QElapsedTimer clock;
    clock.start();
    const Outcome outcome = userflow::open(path, yv12At16x8);
    QVERIFY2(clock.elapsed() < promptMs, qPrintable(QString::number(clock.elapsed())));

    QCOMPARE(outcome.chosen, chosen);
    QCOMPARE(outcome.refused, chosen);
    QCOMPARE(outcome.refusal, refusal);
    if (kind == "link")
        QVERIFY2(
            outcome.chooserWarning.contains("File not found"), qPrintable(outcome.chooserWarning));
    QCOMPARE(videoCount(), 0);
}

void TestBadInput::fileShorterThanAFrameShowsNoFrame_data()
{
    QTest::addColumn<int>("size");

    // A 16x8 YV12 frame is 192 bytes.
    QTest::newRow("empty file") << 0;
    QTest::newRow("one byte short of a frame") << 191;
}

void TestBadInput::fileShorterThanAFrameShowsNoFrame()
{
    QFETCH(int, size);

    const QString path = pathIn(dir, QStringLiteral("short.yuv"));
    QVERIFY(
        testfiles::writeFile(bytePath(path), std::vector<std::uint8_t>(std::size_t(size), 235)));
    const Outcome outcome = userflow::open(path, yv12At16x8);
    QVERIFY(outcome.chosen);
    QVERIFY2(!outcome.refused, qPrintable(outcome.refusal));
    QCOMPARE(videoCount(), 1);
    ImageView *view = videoAt(0);
    QCOMPARE(view->frameCount(), 0);
    QCOMPARE(shownText("leIntervalMax"), QStringLiteral("-1"));

    const QString title = titleOf(QStringLiteral("short.yuv"), 0, 0);
    const QRgb black = qRgb(0, 0, 0);
    QCOMPARE(view->windowTitle(), title);
    QVERIFY(pictureIsAll(imageviewtesting::shownPicture(*view), black));

    // Nothing a user can press finds a frame to show, nor a byte of the file.
    for (const char *button :
        { "pb1stepFF", "pb5stepFF", "pbGoToEnd", "pb1stepRew", "pb5stepRew", "pbGoToStart" }) {
        click(button);
        QCOMPARE(view->windowTitle(), title);
        QVERIFY2(pictureIsAll(imageviewtesting::shownPicture(*view), black), button);
    }
    // U is 128 where nothing was read: mid grey.
    click("rbCompU");
    QVERIFY(pictureIsAll(imageviewtesting::shownPicture(*view), qRgb(128, 128, 128)));
    click("rbCompColor");
    QVERIFY(pictureIsAll(imageviewtesting::shownPicture(*view), black));
    click("pbStartPlay");
    tick(*view);
    QCOMPARE(view->windowTitle(), title);
    QVERIFY(!view->isPlaying());
    QTest::keyClick(mainWidget<QSlider>("sliderImageZoom"), Qt::Key_Right);
    QCOMPARE(view->zoomFactor(), 1.5);
    QCOMPARE(frameShown(view), 0);
}

void TestBadInput::oddNameOpensUnchanged_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("spaces") << " two  spaces .yuv";
    QTest::newRow("single quotes and shell characters") << "it's $HOME & *?#%.yuv";
    QTest::newRow("Cyrillic and CJK") << "\u0432\u0438\u0434\u0435\u043e \u65e5\u672c.yuv";
    QTest::newRow("accents and a backslash") << "\u00e9t\u00e9\\ni\u00f1o.yuv";
}

void TestBadInput::oddNameOpensUnchanged()
{
    QFETCH(QString, name);

    const QString path = pathIn(dir, name);
    QVERIFY(testclips::writeClip(bytePath(path), YV12, 16, 8, 3));
    const Outcome outcome = userflow::open(path, yv12At16x8);
    QVERIFY(outcome.chosen);
    QVERIFY2(!outcome.refused, qPrintable(outcome.refusal));
    QCOMPARE(videoCount(), 1);
    QCOMPARE(videoList()->item(0)->text(), name);
    ImageView *view = videoAt(0);
    QCOMPARE(view->windowTitle(), titleOf(name, 0, 3));
    click("pbGoToEnd");
    QCOMPARE(view->windowTitle(), titleOf(name, 2, 3));
    QCOMPARE(view->document().frame().y()[1],
        testclips::clipSample(YV12, 16, 8, 2, testclips::Plane::Y, 1, 0));
}

// Qt's own chooser reads double quotes in its name field as a list of quoted names, so it
// cannot take such a file; it says so, and nothing half-opened is listed.
void TestBadInput::doubleQuotedNameIsRefusedByTheChooser()
{
    const QString path = pathIn(dir, QStringLiteral("\"quoted\" name.yuv"));
    QVERIFY(testclips::writeClip(bytePath(path), YV12, 16, 8, 3));
    const Outcome outcome = userflow::open(path, yv12At16x8);
    QVERIFY(!outcome.chosen);
    QVERIFY2(outcome.chooserWarning.contains("File not found"), qPrintable(outcome.chooserWarning));
    QCOMPARE(videoCount(), 0);
}

void TestBadInput::fileChangedWhilePlaying_data()
{
    QTest::addColumn<QString>("change");

    QTest::newRow("deleted") << "deleted";
    QTest::newRow("truncated to three frames") << "truncated";
    QTest::newRow("grown by five frames") << "grown";
    QTest::newRow("replaced by a FIFO") << "fifo";
    QTest::newRow("replaced by a directory") << "directory";
}

void TestBadInput::fileChangedWhilePlaying()
{
    QFETCH(QString, change);

    constexpr int frames = 10;
    const std::string path = writeClip(dir, "changing.yuv", YV12, 16, 8, frames).path;
    const Outcome outcome = userflow::open(QString::fromStdString(path), yv12At16x8);
    QVERIFY(outcome.chosen && !outcome.refused);
    ImageView *view = videoAt(0);

    std::vector<QImage> pictures;
    for (int frame = 0; frame < frames; ++frame) {
        pictures.push_back(imageviewtesting::shownPicture(*view));
        click("pb1stepFF");
    }
    click("pbGoToStart");
    for (int step = 0; step < 5; ++step)
        click("pb1stepFF");
    QCOMPARE(imageviewtesting::shownPicture(*view), pictures[5]);

    QStringList titles;
    connect(view, &QWidget::windowTitleChanged, this,
        [&titles](const QString &title) { titles << title; });
    setChecked("cbLoopNormal", true);
    click("pbStartPlay");
    // In the same turn of the event loop as Play: no tick comes between.
    const std::size_t frameBytes = 192;
    if (change == "deleted" || change == "fifo" || change == "directory") {
        QVERIFY(testfiles::removeFile(path));
        if (change == "fifo")
            QVERIFY(::mkfifo(path.c_str(), 0600) == 0);
        else if (change == "directory")
            QVERIFY(::mkdir(path.c_str(), 0700) == 0);
    } else if (change == "truncated") {
        QVERIFY(::truncate(path.c_str(), off_t(3 * frameBytes)) == 0);
    } else {
        std::vector<std::uint8_t> more(5 * frameBytes);
        testclips::fillClipBytes(more.data(), more.size(), frames, 0);
        QVERIFY(
            testfiles::writeAt(path, std::int64_t(frames * frameBytes), more.data(), more.size()));
    }
    // Twelve ticks from frame 5 pass the end and come round again.
    QTRY_VERIFY_WITH_TIMEOUT(titles.size() >= 12, 10000);
    click("pbStopPlay");

    // A frame that the file no longer holds is said to be so, and the picture stays.
    const auto titleAt = [&change](int frame) {
        const bool gone = change == "deleted" || change == "fifo" || change == "directory"
            || (change == "truncated" && frame >= 3);
        return titleOf("changing.yuv", frame, frames)
            + (gone ? QStringLiteral(" - could not be read") : QString());
    };
    for (int i = 0; i < titles.size(); ++i)
        QCOMPARE(titles[i], titleAt((6 + i) % frames));
    const int now = frameShown(view);
    QCOMPARE(view->windowTitle(), titleAt(now));
    const QImage shown = imageviewtesting::shownPicture(*view);
    if (change == "truncated")
        QCOMPARE(shown, pictures[std::min(now, 2)]);
    else if (change == "grown")
        QCOMPARE(shown, pictures[now]);
    else
        QCOMPARE(shown, pictures[5]);
    if (change == "directory")
        QVERIFY(::rmdir(path.c_str()) == 0);
    else if (change != "deleted")
        QVERIFY(testfiles::removeFile(path));
}

void TestBadInput::sparseFileOfThreeGiB()
{
    const QString path = pathIn(dir, QStringLiteral("big.yuv"));
    const std::int64_t size = std::int64_t(3) << 30;
    QVERIFY(testfiles::makeSparseFile(bytePath(path), size));
    // Frame 65535, the last that a 16-bit frame number would reach, lies past 2 GiB: make
    // it white, and the last frame grey.
    constexpr std::int64_t frameBytes = 176 * 144 * 3 / 2;
    const int frames = int(size / frameBytes);
    QCOMPARE(frames, 84733);
    std::vector<std::uint8_t> frame(std::size_t(frameBytes), 128);
    std::fill_n(frame.begin(), 176 * 144, std::uint8_t(235));
    QVERIFY(testfiles::writeAt(bytePath(path), 65535 * frameBytes, frame.data(), frame.size()));
    std::fill_n(frame.begin(), 176 * 144, std::uint8_t(126));
    QVERIFY(testfiles::writeAt(
        bytePath(path), std::int64_t(frames - 1) * frameBytes, frame.data(), frame.size()));
    const QRgb grey = qRgb(128, 128, 128);

    const Outcome outcome = userflow::open(path, { "176", "144", 0 });
    QVERIFY(outcome.chosen && !outcome.refused);
    ImageView *view = videoAt(0);
    QCOMPARE(view->windowTitle(), titleOf("big.yuv", 0, frames));
    QVERIFY(pictureIsAll(imageviewtesting::shownPicture(*view), zeroBytesColour));

    // Every frame can be reached: a step back from frame 0 lands on the last one.
    click("pb1stepRew");
    QCOMPARE(view->windowTitle(), titleOf("big.yuv", frames - 1, frames));
    QVERIFY(pictureIsAll(imageviewtesting::shownPicture(*view), grey));

    view->showFrame(65535);
    QCOMPARE(view->windowTitle(), titleOf("big.yuv", 65535, frames));
    QVERIFY(pictureIsAll(imageviewtesting::shownPicture(*view), white));
    click("pb1stepFF");
    QCOMPARE(view->windowTitle(), titleOf("big.yuv", 65536, frames));
    QVERIFY(pictureIsAll(imageviewtesting::shownPicture(*view), zeroBytesColour));

    click("pbGoToStart");
    click("pbGoToEnd");
    QCOMPARE(view->windowTitle(), titleOf("big.yuv", frames - 1, frames));
    QVERIFY(pictureIsAll(imageviewtesting::shownPicture(*view), grey));
    QVERIFY(testfiles::removeFile(bytePath(path)));
}

void TestBadInput::largestFrameOpensZoomsAndCloses()
{
    const QString path = pathIn(dir, QStringLiteral("huge.yuv"));
    constexpr int side = 16384;
    QVERIFY(testfiles::makeSparseFile(bytePath(path), std::int64_t(side) * side * 3 / 2));
    const std::vector<std::uint8_t> whiteRow(side, 235);
    QVERIFY(testfiles::writeAt(bytePath(path), 0, whiteRow.data(), whiteRow.size()));

    const Outcome outcome = userflow::open(path, { "16384", "16384", 0 });
    QVERIFY(outcome.chosen && !outcome.refused);
    ImageView *view = videoAt(0);
    QCOMPARE(view->windowTitle(), titleOf("huge.yuv", 0, 1));
    {
        const QImage shown = imageviewtesting::shownPicture(*view);
        QCOMPARE(shown.size(), QSize(side, side));
        // Row 0 has luma 235, but its chroma is the zeros of the sparse rest.
        QCOMPARE(shown.pixel(0, 0) & 0xffffff, topRowColour & 0xffffff);
        QCOMPARE(shown.pixel(0, 1) & 0xffffff, zeroBytesColour & 0xffffff);
        QCOMPARE(shown.pixel(side - 1, side - 1) & 0xffffff, zeroBytesColour & 0xffffff);
    }

    auto *slider = mainWidget<QSlider>("sliderImageZoom");
    QTest::keyClick(slider, Qt::Key_End);
    QCOMPARE(view->zoomFactor(), 32.0);
    QCOMPARE(shownText("lineEditImageZoom"), QStringLiteral("3200"));
    const QSize screen = view->screen()->availableGeometry().size();
    // The window's width and height members name the frame's; size() is the window's.
    QVERIFY(view->size().width() <= screen.width() && view->size().height() <= screen.height());

    for (int step = 0; step < 6; ++step)
        QTest::keyClick(slider, Qt::Key_Left);
    QCOMPARE(view->zoomFactor(), 1.0);
    QCOMPARE(shownText("lineEditImageZoom"), QStringLiteral("100"));
    QCOMPARE(imageviewtesting::shownPicture(*view).pixel(side - 1, 0) & 0xffffff,
        topRowColour & 0xffffff);

    click("pbCloseImage");
    QCOMPARE(videoCount(), 0);
    QVERIFY(testfiles::removeFile(bytePath(path)));
}

QTEST_MAIN(TestBadInput)
#include "test_badinput.moc"
