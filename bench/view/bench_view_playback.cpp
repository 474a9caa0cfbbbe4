// Plays N 3840x2160 videos of one layout together (two yuv420p unless told otherwise) for
// ten seconds and prints how many frames each window showed per second, and the slowest;
// with "diff" after the layout, the difference of the first two videos plays beside them.
// Meant for a real X server, e.g.
//   QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1920x1080x24" ./bench_view_playback 3 nv12

#include "imageview.h"
#include "mainwindow.h"
#include "samplelayout.h"
#include "tempdir.h"
#include "testclips.h"
#include "testfiles.h"
#include "videoparameters.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QGraphicsView>
#include <QTimer>
#include <QtTest/QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int width = 3840;
constexpr int height = 2160;
constexpr int clipFrames = 10;
constexpr int playMilliseconds = 10000;

// Counts the frames a window draws and how many of them reach the screen: a paint
// of the viewport after a new frame is one frame shown.
class FrameCounter : public QObject
{
public:
    explicit FrameCounter(ImageView &view)
        : view(view)
    {
        connect(&view, &QWidget::windowTitleChanged, this, [this] {
            ++drawn;
            pending = true;
        });
        view.findChild<QGraphicsView *>(QStringLiteral("gvVideoDisplay"))
            ->viewport()
            ->installEventFilter(this);
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && pending) {
            ++shown;
            pending = false;
        }
        return false;
    }

    ImageView &view;
    int drawn = 0;
    int shown = 0;
    bool pending = false;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(icons);
    const int videos = argc > 1 ? std::atoi(argv[1]) : 2;
    const SampleLayout *layout = layoutNamed(argc > 2 ? argv[2] : "yuv420p");
    // "diff": the difference of the first two videos plays beside them.
    const bool difference = argc > 3 && std::string(argv[3]) == "diff";
    if (videos < 1 || !layout || argc > 4 || (argc > 3 && (!difference || videos < 2))) {
        std::fprintf(stderr, "usage: %s [VIDEOS [LAYOUT [diff]]]\n", argv[0]);
        return 2;
    }
    TempDir dir;
    MainWindow &window = MainWindow::instance();
    std::vector<ImageView *> views;
    for (int i = 0; i < videos; ++i) {
        const VideoParameters clip = testclips::writeClip(
            dir, "video" + std::to_string(i + 1) + ".yuv", layout->format, width, height, clipFrames);
        // Read once so that playback finds the file in the page cache.
        testfiles::readWhole(clip.path);
        window.addVideo(clip);
        views.push_back(window.currentVideoWindow());
    }
    if (difference) {
        const std::vector<VideoDocument *> &listed = window.player().videos();
        if (!window.addDifference(*listed[0], *listed[1]).isEmpty()) {
            std::fprintf(stderr, "the difference did not open\n");
            return 1;
        }
        views.push_back(window.currentVideoWindow());
    }

    window.findChild<QCheckBox *>(QStringLiteral("cbLoopNormal"))->setChecked(true);
    std::vector<std::unique_ptr<FrameCounter>> counters;
    for (ImageView *view : views) {
        if (!QTest::qWaitForWindowExposed(view))
            std::fprintf(stderr, "window not exposed\n");
        counters.push_back(std::make_unique<FrameCounter>(*view));
    }

    // As the Play and Stop buttons do.
    QElapsedTimer clock;
    clock.start();
    window.player().play();
    QTimer::singleShot(playMilliseconds, &app, [&window] {
        window.player().stop();
        QApplication::quit();
    });
    QApplication::exec();
    const double seconds = double(clock.elapsed()) / 1000.0;

    std::printf("platform %s, %d videos of %dx%d %s played together for %.2f s%s\n",
        qPrintable(QApplication::platformName()), int(views.size()), width, height, layout->name,
        seconds, difference ? ", the last the difference of the first two" : "");
    int slowest = counters.front()->shown;
    for (std::size_t i = 0; i < counters.size(); ++i) {
        const FrameCounter &c = *counters[i];
        std::printf("video %zu: %d frames drawn, %d shown: %.1f frames shown per second "
                    "(window %dx%d)\n",
            i + 1, c.drawn, c.shown, c.shown / seconds, c.view.size().width(),
            c.view.size().height());
        slowest = std::min(slowest, c.shown);
    }
    std::printf("slowest video: %.1f frames shown per second\n", slowest / seconds);
    MainWindow::releaseInstance();
    return 0;
}
