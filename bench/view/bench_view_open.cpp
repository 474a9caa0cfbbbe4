// Opens a 16384 x 16384 YV12 video as the dialog's OK does and prints how long the program
// is held before the video's window is on screen, or, under an address-space limit in MiB,
// before the refusal. FRAMES 0 opens a file shorter than one frame. Meant for a real
// X server, e.g.
//   QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1920x1080x24" ./bench_view_open 1
//   QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1920x1080x24" ./bench_view_open 1 2048

#include "imageview.h"
#include "mainwindow.h"
#include "tempdir.h"
#include "testclips.h"
#include "testfiles.h"
#include "videoparameters.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QtTest/QTest>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

constexpr int side = 16384;

VideoParameters writeVideo(const TempDir &dir, int frames)
{
    VideoParameters parameters;
    parameters.path = dir.filePath("large.yuv");
    parameters.format = YV12;
    parameters.width = side;
    parameters.height = side;
    parameters.speed = 25;
    parameters.frameCount = frames;
    if (frames > 0) {
        if (!testclips::writeClip(parameters.path, YV12, side, side, frames))
            parameters.path.clear();
    } else {
        std::ofstream(parameters.path) << "shorter than one frame";
    }
    // Read once so that the open finds the file in the page cache.
    testfiles::readWhole(parameters.path);
    return parameters;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(icons);
    const int frames = argc > 1 ? std::atoi(argv[1]) : 1;
    const long limitMib = argc > 2 ? std::atol(argv[2]) : 0;
    if (frames < 0 || limitMib < 0) {
        std::fprintf(stderr, "usage: %s [FRAMES [ADDRESS_SPACE_MIB]]\n", argv[0]);
        return 2;
    }
    TempDir dir;
    const VideoParameters video = writeVideo(dir, frames);
    if (video.path.empty()) {
        std::fprintf(stderr, "cannot write the clip under %s\n", dir.path().c_str());
        return 1;
    }
    MainWindow &window = MainWindow::instance();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::fprintf(stderr, "main window not exposed\n");
    if (limitMib > 0) {
        const rlim_t bytes = rlim_t(limitMib) << 20;
        const rlimit limit { bytes, bytes };
        if (::setrlimit(RLIMIT_AS, &limit) != 0)
            std::perror("setrlimit");
    }

    QElapsedTimer clock;
    clock.start();
    bool refused = false;
    try {
        window.addVideo(video);
    } catch (const std::bad_alloc &) {
        refused = true;
    }
    const double listed = double(clock.nsecsElapsed()) / 1e9;
    std::printf("platform %s, %dx%d YV12, %d frames, address space %s\n",
        qPrintable(QApplication::platformName()), side, side, frames,
        limitMib > 0 ? (std::to_string(limitMib) + " MiB").c_str() : "unlimited");
    if (refused) {
        std::printf("refused after %.3f s\n", listed);
    } else {
        ImageView *view = window.currentVideoWindow();
        const bool exposed = view && QTest::qWaitForWindowExposed(view);
        std::printf("addVideo returned after %.3f s, window %s after %.3f s\n", listed,
            exposed ? "on screen" : "NOT on screen", double(clock.nsecsElapsed()) / 1e9);
    }
    MainWindow::releaseInstance();
    return 0;
}
