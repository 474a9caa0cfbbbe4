#include "apptesting.h"
#include "imageview.h"
#include "imageviewtesting.h"
#include "soaktesting.h"
#include "tempdir.h"
#include "testfiles.h"

#include <QApplication>
#include <QListWidget>
#include <QTest>

#include <vector>

using namespace apptesting;
using imageviewtesting::tick;

namespace {

// Sizes from QCIF to 720p in both layouts, so that a window left behind at any
// size shows in the resident memory.
const soaktesting::ClipShape shapes[] = {
    { "qcif.yuv", UYVY, 176, 144, 3 },
    { "cif.yuv", YV12, 352, 288, 4 },
    { "wide.yuv", UYVY, 640, 360, 2 },
    { "hd.yuv", YV12, 1280, 720, 2 },
};

constexpr int videosOpened = 200;
// Caches of the toolkit and the allocator settle during the first rounds.
constexpr int warmUpVideos = 20;

int topLevelWidgets()
{
    return int(QApplication::topLevelWidgets().size());
}

void flushDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace

class TestOpenClose : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void twoHundredVideosLeaveNothingBehind();

private:
    // Opens the n-th video through the dialog, plays and views it a little, and closes it.
    void openUseAndClose(int n);

    TempDir dir;
    std::vector<VideoParameters> clips;
};

void TestOpenClose::initTestCase()
{
    QVERIFY(dir.isValid());
    for (const soaktesting::ClipShape &shape : shapes)
        clips.push_back(
            writeClip(dir, shape.name, shape.format, shape.width, shape.height, shape.frames));
    startApplication();
}

void TestOpenClose::cleanupTestCase()
{
    closeAllVideos();
    stopApplication();
}

void TestOpenClose::openUseAndClose(int n)
{
    const VideoParameters &clip = clips[static_cast<std::size_t>(n) % clips.size()];
    QVERIFY2(soaktesting::openThroughDialog(clip), qPrintable(QString::number(n)));
    QCOMPARE(videoCount(), 1);
    ImageView *view = videoAt(0);
    click("pb1stepFF");
    click("rbCompU");
    click("checkBoxGrid");
    tick(*view);
    QCOMPARE(view->windowTitle(),
        QStringLiteral("%1 - %2/%3")
            .arg(QString::fromStdString(view->videoName()))
            .arg(2 % clip.frameCount)
            .arg(clip.frameCount));
    click("checkBoxGrid");
    click("rbCompColor");
    click("pbCloseImage");
    QCOMPARE(videoCount(), 0);
    flushDeferredDeletes();
}

// Every window, label, timer, plane and file descriptor of a closed video goes
// with it: LeakSanitizer checks the heap at exit in the sanitizer build, and the
// resident memory returns to where it stood after the warm-up.
void TestOpenClose::twoHundredVideosLeaveNothingBehind()
{
    setChecked("cbLoopNormal", true);
    for (int n = 0; n < warmUpVideos; ++n) {
        openUseAndClose(n);
        if (QTest::currentTestFailed())
            return;
    }
    const int widgets = topLevelWidgets();
    const int descriptors = testfiles::openDescriptors();
    const std::int64_t resident = soaktesting::residentBytes();
    QVERIFY(resident > 0);

    for (int n = warmUpVideos; n < videosOpened; ++n) {
        openUseAndClose(n);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(topLevelWidgets(), widgets);
    }
    QCOMPARE(testfiles::openDescriptors(), descriptors);

    const std::int64_t after = soaktesting::residentBytes();
    qInfo("resident memory after %d videos: %.1f MiB, after %d: %.1f MiB", warmUpVideos,
        resident / 1048576.0, videosOpened, after / 1048576.0);
#if ZENTAVO_CHECK_RESIDENT_MEMORY
    QVERIFY2(qAbs(after - resident) * 20 <= resident,
        qPrintable(
            QStringLiteral("resident memory moved from %1 to %2 bytes").arg(resident).arg(after)));
#endif
}

QTEST_MAIN(TestOpenClose)
#include "test_openclose.moc"
