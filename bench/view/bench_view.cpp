#include "frameloader.h"
#include "imageview.h"
#include "memoryfloor.h"
#include "samplelayout.h"
#include "tempdir.h"
#include "testclips.h"
#include "testfiles.h"
#include "videoparameters.h"
#include "yuvconvert.h"

#include <QApplication>
#include <QPixmap>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

constexpr int clipFrames = 4;

// One clip per frame size and layout, written and read once so every run finds it in the
// page cache.
const VideoParameters &clip(int width, int height, std::int32_t format = YV12)
{
    static TempDir dir;
    static std::map<std::tuple<int, int, std::int32_t>, VideoParameters> clips;
    VideoParameters &parameters = clips[{ width, height, format }];
    if (parameters.path.empty()) {
        parameters = testclips::writeClip(dir,
            std::to_string(width) + "x" + std::to_string(height) + "_"
                + layoutOrYuv420p(format).name + ".yuv",
            format, width, height, clipFrames);
        testfiles::readWhole(parameters.path);
    }
    return parameters;
}

void setFrameRate(benchmark::State &state)
{
    state.counters["frames/s"]
        = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

// The core alone: read, convert, nothing drawn.
void BM_LoadAndConvert(benchmark::State &state)
{
    const VideoParameters &parameters = clip(int(state.range(0)), int(state.range(1)));
    const std::size_t luma = lumaPlaneSize(parameters.width, parameters.height);
    const std::size_t chroma = chromaPlaneSize(YV12, parameters.width, parameters.height);
    std::vector<std::uint8_t> y(luma), u(chroma), v(chroma), r(luma), g(luma), b(luma);
    const FramePlanes planes { y.data(), u.data(), v.data(), r.data(), g.data(), b.data() };
    const FrameFormat format = *FrameFormat::make(YV12, parameters.width, parameters.height);
    int frame = 0;
    for (auto _ : state) {
        readPlanarFrame(parameters.path, format, { frame }, planes);
        convertFrame(format, planes);
        benchmark::ClobberMemory();
        frame = (frame + 1) % clipFrames;
    }
    setFrameRate(state);
}

// What a playback tick costs the window: load, convert, draw the picture into the scene,
// for the layout of the third argument. Beside it: what it costs the memory to read the
// frame once and write the three colour planes and the 4-byte picture once, and the
// ratio of the two.
void BM_ShowFrame(benchmark::State &state)
{
    const auto format = std::int32_t(state.range(2));
    ImageView view(clip(int(state.range(0)), int(state.range(1)), format));
    state.SetLabel(layoutOrYuv420p(format).name);
    view.showFrame(0);
    int frame = 1;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        view.showFrame(frame);
        frame = (frame + 1) % clipFrames;
    }
    const std::chrono::duration<double, std::micro> spent
        = std::chrono::steady_clock::now() - start;
    setFrameRate(state);
    const std::size_t luma
        = lumaPlaneSize(view.document().format().width(), view.document().format().height());
    MemoryFloor floor(std::size_t(frameSize(format, view.document().format().width(),
                          view.document().format().height())),
        { luma, luma, luma, 4 * luma });
    const double floorTime = floor.medianMicroseconds(21);
    state.counters["floor_us"] = floorTime;
    state.counters["x_floor"] = spent.count()
        / double(std::max<benchmark::IterationCount>(1, state.iterations())) / floorTime;
}

// The same with the window painted after each frame (offscreen, at the window's size).
void BM_ShowFrameAndPaint(benchmark::State &state)
{
    ImageView view(clip(int(state.range(0)), int(state.range(1))));
    view.showFrame(0);
    QApplication::processEvents();
    int frame = 1;
    for (auto _ : state) {
        view.showFrame(frame);
        view.repaint();
        frame = (frame + 1) % clipFrames;
    }
    setFrameRate(state);
}

// The conversion QPixmap::fromImage makes from an image that is not in the screen's format.
void BM_PixmapFromImage(benchmark::State &state)
{
    const auto format = QImage::Format(state.range(2));
    QImage image(int(state.range(0)), int(state.range(1)), format);
    image.fill(Qt::darkCyan);
    for (auto _ : state) {
        QPixmap pixmap = QPixmap::fromImage(image);
        benchmark::DoNotOptimize(pixmap);
    }
    state.SetLabel(format == QImage::Format_RGB32 ? "RGB32" : "RGB888");
}

void frameSizes(benchmark::internal::Benchmark *b)
{
    b->Args({ 1920, 1080 })->Args({ 3840, 2160 });
    b->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);
}

// 1080p in the dialog's YV12; at 3840 x 2160 every layout, each interleaved or deeper one
// after the 8-bit planar one with its chroma, to be compared side by side.
void frameSizesAndLayouts(benchmark::internal::Benchmark *b)
{
    b->Args({ 1920, 1080, YV12 });
    for (const std::int32_t format :
        { YV12, Yvu420p, Nv12, Nv21, Yuv420p10le, Yuv420p12le, P010le, Planar422, Yuyv422, Uyvy422,
            Yvyu422, Nv16, Yuv422p10le, Yuv444p, Yuv444p12le, Gray, Gray10le })
        b->Args({ 3840, 2160, format });
    b->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);
}

void imageFormats(benchmark::internal::Benchmark *b)
{
    for (const QImage::Format format : { QImage::Format_RGB888, QImage::Format_RGB32 }) {
        b->Args({ 1920, 1080, format })->Args({ 3840, 2160, format });
    }
    b->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);
}

} // namespace

BENCHMARK(BM_LoadAndConvert)->Apply(frameSizes);
BENCHMARK(BM_ShowFrame)->Apply(frameSizesAndLayouts);
BENCHMARK(BM_ShowFrameAndPaint)->Apply(frameSizes);
BENCHMARK(BM_PixmapFromImage)->Apply(imageFormats);

int main(int argc, char **argv)
{
    // The figures are for the offscreen platform unless the caller chose another.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(icons);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
