// Lists UHD 3840x2160 and SMALL 352x288 YV12 videos (8 and 20 unless told otherwise), then
// sends KEYS transport and zoom key presses (1000) to the last video's window, spread over
// MS milliseconds (800), from another thread, as the X server queues a held key while the
// program is busy. Prints how long the program stays busy after the last key arrived, and
// where the videos ended. Meant for a real X server, e.g.
//   QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1920x1080x24" ./bench_view_keys 8 20 1000 800

#include "imageview.h"
#include "listwidgetitemext.h"
#include "mainwindow.h"
#include "tempdir.h"
#include "testclips.h"
#include "testfiles.h"
#include "videoparameters.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QListWidget>
#include <QtTest/QTest>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int uhdFrames = 10;
constexpr int smallFrames = 75;

// Net two frames forward and no zoom change a round; Home and End are left out so that
// the round's steps all count.
const Qt::Key keyRound[] = { Qt::Key_Right, Qt::Key_Right, Qt::Key_PageDown, Qt::Key_Left,
    Qt::Key_Plus, Qt::Key_PageUp, Qt::Key_Minus, Qt::Key_Right, Qt::Key_Left, Qt::Key_Right };

// Counts the key presses that reach the picture and, after the last, notes when the
// program is done with everything they set going.
class KeyCounter : public QObject
{
public:
    KeyCounter(QObject *view, int expected)
        : expected(expected)
    {
        view->installEventFilter(this);
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && ++received == expected) {
            // Two hops: the first runs after whatever the last key's handler queues.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    QMetaObject::invokeMethod(
                        this,
                        [this] {
                            doneNs = clock->nsecsElapsed();
                            QApplication::quit();
                        },
                        Qt::QueuedConnection);
                },
                Qt::QueuedConnection);
        }
        return false;
    }

    const int expected;
    int received = 0;
    qint64 doneNs = 0;
    const QElapsedTimer *clock = nullptr;
};


} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(icons);
    const int uhd = argc > 1 ? std::atoi(argv[1]) : 8;
    const int small = argc > 2 ? std::atoi(argv[2]) : 20;
    const int keys = argc > 3 ? std::atoi(argv[3]) : 1000;
    const int burstMs = argc > 4 ? std::atoi(argv[4]) : 800;
    if (uhd < 0 || small < 0 || uhd + small < 1 || keys < 1 || burstMs < 0) {
        std::fprintf(stderr, "usage: %s [UHD [SMALL [KEYS [MS]]]]\n", argv[0]);
        return 2;
    }

    TempDir dir;
    const VideoParameters uhdClip
        = testclips::writeClip(dir, "uhd.yuv", YV12, 3840, 2160, uhdFrames);
    const VideoParameters smallClip
        = testclips::writeClip(dir, "small.yuv", YV12, 352, 288, smallFrames);
    testfiles::readWhole(uhdClip.path);
    testfiles::readWhole(smallClip.path);
    MainWindow &window = MainWindow::instance();
    window.show();
    for (int i = 0; i < uhd + small; ++i)
        window.addVideo(i < uhd ? uhdClip : smallClip);
    ImageView *typedIn = window.currentVideoWindow();
    if (!QTest::qWaitForWindowExposed(typedIn))
        std::fprintf(stderr, "video window not exposed\n");
    QWidget *picture = typedIn->findChild<QGraphicsView *>(QStringLiteral("gvVideoDisplay"));

    KeyCounter counter(picture, keys);
    QElapsedTimer clock;
    counter.clock = &clock;
    std::atomic<qint64> lastSentNs { 0 };
    clock.start();
    std::thread sender([&] {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < keys; ++i) {
            std::this_thread::sleep_until(
                start + std::chrono::microseconds(std::int64_t { burstMs } * 1000 * i / keys));
            const Qt::Key key = keyRound[i % std::size(keyRound)];
            const QString text = key == Qt::Key_Plus ? QStringLiteral("+")
                : key == Qt::Key_Minus               ? QStringLiteral("-")
                                                     : QString();
            QCoreApplication::postEvent(
                picture, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
        }
        lastSentNs = clock.nsecsElapsed();
    });
    QApplication::exec();
    sender.join();

    std::printf("platform %s, %d videos of 3840x2160 and %d of 352x288 YV12, %d keys in %d ms\n",
        qPrintable(QApplication::platformName()), uhd, small, keys, burstMs);
    std::printf("last key sent after %.3f s; busy until %.3f s: %.3f s behind the keys\n",
        double(lastSentNs) / 1e9, double(counter.doneNs) / 1e9,
        double(counter.doneNs - lastSentNs) / 1e9);
    const auto *list = window.findChild<QListWidget *>(QStringLiteral("lwImageItems"));
    std::printf("typed-in video at frame %d, zoom %.0f %%; first video at frame %d\n",
        int(typedIn->currentFrame()), typedIn->zoomFactor() * 100,
        int(static_cast<ListWidgetItemExt *>(list->item(0))->imageView->currentFrame()));
    MainWindow::releaseInstance();
    return 0;
}
