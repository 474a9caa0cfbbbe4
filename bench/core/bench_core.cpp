#include "cachelineallocator.h"
#include "differencekernels.h"
#include "differencerenderer.h"
#include "frame.h"
#include "framebuffers.h"
#include "framecomparison.h"
#include "frameloader.h"
#include "memoryfloor.h"
#include "processorfeatures.h"
#include "squarederror.h"
#include "tempdir.h"
#include "testclips.h"
#include "videoparameters.h"
#include "viewrenderer.h"
#include "yuvconvert.h"
#include "yuvrowkernel.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#ifdef ZENTAVO_HAVE_LIBYUV
#include <libyuv.h>
#endif

namespace {

// A frame's planes with clip content in the inputs, filled once.
FrameBuffers clipFrame(std::int32_t format, int width, int height)
{
    FrameBuffers frame(format, width, height);
    const auto luma = std::int64_t(frame.y.size());
    const auto chroma = std::int64_t(frame.u.size());
    testclips::fillClipBytes(frame.y.data(), frame.y.size(), 0, 0);
    testclips::fillClipBytes(frame.u.data(), frame.u.size(), 0, luma);
    testclips::fillClipBytes(frame.v.data(), frame.v.size(), 0, luma + chroma);
    return frame;
}

// A colour argument: 0 BT.601 limited, 1 BT.601 full, 2 BT.709 limited, and so on.
ColourMatrix matrixOf(std::int64_t colour)
{
    return ColourMatrix(colour / 2);
}
ColourRange rangeOf(std::int64_t colour)
{
    return ColourRange(colour % 2);
}
std::string colourName(std::int64_t colour)
{
    const char *matrices[] = { "BT.601", "BT.709", "BT.2020" };
    return std::string(matrices[colour / 2]) + (colour % 2 ? " full" : " limited");
}

// The colour of argument `index`, named in the case's label.
const YuvCoefficients &colourArgument(benchmark::State &state, int index)
{
    const std::int64_t colour = state.range(index);
    state.SetLabel(colourName(colour));
    return yuvCoefficients(matrixOf(colour), rangeOf(colour));
}

// Every matrix and range, for the cases that compare them.
constexpr int colours = 6;

void setPixelRate(benchmark::State &state, const FrameBuffers &frame)
{
    state.SetItemsProcessed(state.iterations() * std::int64_t(frame.width) * frame.height);
}

constexpr int referencePasses = 21;

// Runs the benchmark's loop over `work` and returns the mean time of one call in
// microseconds.
template <typename Work> double timedLoop(benchmark::State &state, Work work)
{
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        work();
        benchmark::ClobberMemory();
    }
    const std::chrono::duration<double, std::micro> spent
        = std::chrono::steady_clock::now() - start;
    return spent.count() / double(std::max<benchmark::IterationCount>(1, state.iterations()));
}

// Beside the case's own time: what it costs the memory to read the frame once and write
// the three colour planes once, and the ratio of the two.
void reportFloor(benchmark::State &state, const FrameBuffers &frame, double own)
{
    const std::size_t luma = frame.y.size();
    MemoryFloor floor(luma + frame.u.size() + frame.v.size(), { luma, luma, luma });
    const double floorTime = floor.medianMicroseconds(referencePasses);
    state.counters["floor_us"] = floorTime;
    state.counters["x_floor"] = own / floorTime;
}

#ifdef ZENTAVO_HAVE_LIBYUV
// RAW is libyuv's name for packed bytes in R, G, B order (its RGB24 is B, G, R).
void libyuvI420ToRaw(const FrameBuffers &frame, std::vector<std::uint8_t> &raw)
{
    const int chromaStride = frame.width / 2;
    libyuv::I420ToRAW(frame.y.data(), frame.width, frame.u.data(), chromaStride, frame.v.data(),
        chromaStride, raw.data(), frame.width * 3, frame.width, frame.height);
}
#endif

void BM_ConvertYuv420ToRgb(benchmark::State &state)
{
    FrameBuffers frame = clipFrame(YV12, int(state.range(0)), int(state.range(1)));
    const YuvCoefficients &colour = colourArgument(state, 2);
    const double own = timedLoop(state, [&frame, &colour] {
        convertYuv420ToRgb(frame.y.data(), frame.u.data(), frame.v.data(), frame.r.data(),
            frame.g.data(), frame.b.data(), frame.width, frame.height, {}, {}, colour);
    });
    setPixelRate(state, frame);
    reportFloor(state, frame, own);
#ifdef ZENTAVO_HAVE_LIBYUV
    std::vector<std::uint8_t> raw(frame.y.size() * 3);
    const double libyuv
        = medianMicroseconds([&frame, &raw] { libyuvI420ToRaw(frame, raw); }, referencePasses);
    state.counters["libyuv_us"] = libyuv;
    state.counters["x_libyuv"] = own / libyuv;
#endif
}

// yuv420p10le: the 8-bit clip's samples times 4, so both convert the same picture from
// twice the input bytes. Its floor reads those bytes.
void BM_ConvertYuv420p10leToRgb(benchmark::State &state)
{
    const FrameBuffers eightBit = clipFrame(YV12, int(state.range(0)), int(state.range(1)));
    using WordPlane = std::vector<std::uint16_t, CacheLineAllocator<std::uint16_t>>;
    const auto widened = [](const SamplePlane &plane) {
        WordPlane words(plane.size());
        std::transform(plane.begin(), plane.end(), words.begin(),
            [](std::uint8_t sample) { return std::uint16_t(sample << 2); });
        return words;
    };
    const WordPlane y = widened(eightBit.y);
    const WordPlane u = widened(eightBit.u);
    const WordPlane v = widened(eightBit.v);
    SamplePlane r(y.size()), g(y.size()), b(y.size());
    const YuvCoefficients &colour = colourArgument(state, 2);
    const double own = timedLoop(state, [&] {
        convertWideToRgb(Subsampling::Yuv420, 10, y.data(), u.data(), v.data(), r.data(), g.data(),
            b.data(), eightBit.width, eightBit.height, {}, {}, colour);
    });
    state.SetItemsProcessed(state.iterations() * std::int64_t(eightBit.width) * eightBit.height);
    const std::size_t luma = y.size();
    MemoryFloor floor(2 * (luma + u.size() + v.size()), { luma, luma, luma });
    const double floorTime = floor.medianMicroseconds(referencePasses);
    state.counters["floor_us"] = floorTime;
    state.counters["x_floor"] = own / floorTime;
}

void BM_ConvertYuv422ToRgb(benchmark::State &state)
{
    FrameBuffers frame = clipFrame(Planar422, int(state.range(0)), int(state.range(1)));
    timedLoop(state, [&frame] {
        convertYuv422ToRgb(frame.y.data(), frame.u.data(), frame.v.data(), frame.r.data(),
            frame.g.data(), frame.b.data(), frame.width, frame.height);
    });
    setPixelRate(state, frame);
}

// One view of a frame drawn into a picture as the window draws it: arguments width,
// height, layout, view (FrameView), whether R, G and B planes are given too, and the
// colour (colourArgument). Without
// them the colour and primary views are one pass into the picture, and the Y, U and V
// views convert nothing.
void BM_RenderView(benchmark::State &state)
{
    const auto format = std::int32_t(state.range(2));
    FrameBuffers frame = clipFrame(format, int(state.range(0)), int(state.range(1)));
    const std::int64_t colour = state.range(5);
    const std::optional<FrameFormat> frameFormat
        = FrameFormat::make(format, frame.width, frame.height, matrixOf(colour), rangeOf(colour));
    if (!frameFormat) {
        state.SkipWithError("no such frame format");
        return;
    }
    const int view = int(state.range(3));
    const bool withPlanes = state.range(4) != 0;
    SamplePlane picture(frame.r.size() * sizeof(std::uint32_t));
    mapInNow(picture);
    FramePlanes planes = frame.planes();
    if (!withPlanes)
        planes.r = planes.g = planes.b = nullptr;
    planes.picture = { picture.data(), std::ptrdiff_t(frame.width) * 4 };
    const char *views[] = { "Color", "Y", "U", "V", "R", "G", "B" };
    state.SetLabel(std::string(layoutOrYuv420p(format).name) + " " + views[view]
        + (withPlanes ? " with R, G, B planes" : "") + ", " + colourName(colour));
    timedLoop(state, [&] { renderView(view, *frameFormat, planes); });
    setPixelRate(state, frame);
}

void viewCases(benchmark::internal::Benchmark *bench)
{
    bench->ArgNames({ "w", "h", "format", "view", "planes", "colour" });
    for (const auto &[width, height] : { std::pair { 1920, 1080 }, std::pair { 3840, 2160 } }) {
        for (const std::int32_t format : { std::int32_t(YV12), std::int32_t(Yuv420p10le) }) {
            for (const FrameView view : { FrameView::Color, FrameView::Y, FrameView::R }) {
                for (const int planes : { 0, 1 })
                    bench->Args({ width, height, format, int(view), planes, 0 });
            }
        }
    }
    // The colour picture by every other matrix and range, beside BT.601 limited's above.
    for (int colour = 1; colour < colours; ++colour)
        bench->Args({ 3840, 2160, YV12, int(FrameView::Color), 0, colour });
    bench->Unit(benchmark::kMicrosecond);
}

// A frame's planes filled with frame `index` of the clip.
void fillClipFrame(Frame &frame, std::int32_t index)
{
    const FrameFormat &format = frame.format();
    const FramePlanes planes = frame.planes();
    const auto luma = std::int64_t(format.lumaBytes());
    const auto chroma = std::int64_t(format.chromaBytes());
    testclips::fillClipBytes(planes.y, format.lumaBytes(), index, 0);
    testclips::fillClipBytes(planes.u, format.chromaBytes(), index, luma);
    testclips::fillClipBytes(planes.v, format.chromaBytes(), index, luma + chroma);
}

// One difference view of two successive frames of the clip: arguments width, height,
// layout, view (FrameView), and 1 for the baseline build of the loops instead of the one
// renderDifference picks. Its floor reads the planes that the view reads in both frames and
// writes the picture once.
void BM_RenderDifference(benchmark::State &state)
{
    const auto pixelFormat = std::int32_t(state.range(2));
    const std::optional<FrameFormat> format = FrameFormat::make(
        pixelFormat, std::int32_t(state.range(0)), std::int32_t(state.range(1)));
    if (!format) {
        state.SkipWithError("no such frame format");
        return;
    }
    Frame a(*format);
    Frame b(*format);
    fillClipFrame(a, 0);
    fillClipFrame(b, 1);
    const int view = int(state.range(3));
    const std::size_t pictureBytes = format->lumaSamples() * sizeof(std::uint32_t);
    SamplePlane picture(pictureBytes);
    mapInNow(picture);
    const PictureRows rows { picture.data(), std::ptrdiff_t(format->width()) * 4 };
    const bool baseline = state.range(4) != 0;
    const DifferenceRenderer render = baseline ? renderDifferenceBaseline : renderDifference;
    const char *views[] = { "Color", "Y", "U", "V", "R", "G", "B" };
    state.SetLabel(
        std::string(format->layout().name) + " " + views[view] + (baseline ? " baseline" : ""));
    const double own = timedLoop(state, [&] { render(view, a, b, rows); });
    state.SetItemsProcessed(state.iterations() * std::int64_t(format->lumaSamples()));
    const std::size_t read = view == int(FrameView::Y)
        ? format->lumaBytes()
        : format->lumaBytes() + 2 * format->chromaBytes();
    MemoryFloor floor(2 * read, { pictureBytes });
    const double floorTime = floor.medianMicroseconds(referencePasses);
    state.counters["floor_us"] = floorTime;
    state.counters["x_floor"] = own / floorTime;
}

void differenceCases(benchmark::internal::Benchmark *bench)
{
    bench->ArgNames({ "w", "h", "format", "view", "baseline" });
    for (const std::int32_t format : { std::int32_t(YV12), std::int32_t(Yuv420p10le) }) {
        for (const FrameView view : { FrameView::Color, FrameView::Y }) {
            for (const int baseline : { 0, 1 })
                bench->Args({ 3840, 2160, format, int(view), baseline });
        }
    }
    bench->Unit(benchmark::kMicrosecond);
}

// The Y view through the grey kernel of this processor, through the cache (third argument
// 0) or around it (1): what the views' trial of the two ways measures (streamingstores.h).
void BM_GreyViewStores(benchmark::State &state)
{
    FrameBuffers frame = clipFrame(YV12, int(state.range(0)), int(state.range(1)));
    const FrameFormat format = *FrameFormat::make(YV12, frame.width, frame.height);
    SamplePlane picture(frame.y.size() * sizeof(std::uint32_t));
    mapInNow(picture);
    const PictureRows rows { picture.data(), std::ptrdiff_t(frame.width) * 4 };
    const GreyRowKernels kernels = bestGreyRowKernels();
    const bool stream = state.range(2) != 0;
    state.SetLabel(stream ? "around the cache" : "through the cache");
    timedLoop(state, [&] {
        renderGreyWith(stream ? kernels.streaming : kernels.cached, frame.y.data(), format, rows);
    });
    setPixelRate(state, frame);
}

#ifdef ZENTAVO_HAVE_LIBYUV
void BM_LibyuvI420ToRAW(benchmark::State &state)
{
    FrameBuffers frame = clipFrame(YV12, int(state.range(0)), int(state.range(1)));
    std::vector<std::uint8_t> raw(frame.y.size() * 3);
    timedLoop(state, [&frame, &raw] { libyuvI420ToRaw(frame, raw); });
    setPixelRate(state, frame);
}
#endif

// Frames of the clip that the load benchmark cycles through: 311 MB at 1080p,
// far more than the processor's caches, so every frame comes from the page cache
// in memory, as it does for a decoder that streams the file.
constexpr std::int32_t clipFrames = 100;

// The whole per-frame path minus drawing: open, read from the page cache, convert, close.
void BM_LoadYV12Frame(benchmark::State &state)
{
    constexpr std::int32_t frames = clipFrames;
    const int width = int(state.range(0));
    const int height = int(state.range(1));
    TempDir dir;
    const std::string path = dir.filePath("clip.yuv");
    if (!dir.isValid() || !testclips::writeClip(path, YV12, width, height, frames)) {
        state.SkipWithError("cannot write the clip");
        return;
    }
    FrameBuffers frame(YV12, width, height);
    const FramePlanes planes = frame.planes();
    const FrameFormat format = *FrameFormat::make(YV12, width, height);
    std::int32_t index = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(readPlanarFrame(path, format, { index }, planes));
        convertFrame(format, planes);
        benchmark::ClobberMemory();
        index = (index + 1) % frames;
    }
    state.counters["fps"]
        = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

// Frame `index` of the clip's bytes in each plane of a frame, whatever the depth: words
// then carry bits above it, which the comparison must mask.
Frame clipFrameOf(const FrameFormat &format, std::int32_t index)
{
    Frame frame(format);
    const FramePlanes planes = frame.planes();
    testclips::fillClipBytes(planes.y, format.lumaBytes(), index, 0);
    testclips::fillClipBytes(planes.u, format.chromaBytes(), index, 1);
    testclips::fillClipBytes(planes.v, format.chromaBytes(), index, 2);
    return frame;
}

// The squared errors of a pair of frames as the report takes them for each frame, and
// beside them the time that each set of kernels this processor runs takes on the same
// planes, so that the choice among them stays a measured one.
void BM_CompareFrames(benchmark::State &state)
{
    const FrameFormat format = *FrameFormat::make(
        std::int32_t(state.range(2)), std::int32_t(state.range(0)), std::int32_t(state.range(1)));
    const Frame a = clipFrameOf(format, 0);
    const Frame b = clipFrameOf(format, 1);
    timedLoop(state, [&a, &b] { benchmark::DoNotOptimize(compareFrames(a, b)); });
    state.SetBytesProcessed(
        state.iterations() * 2 * std::int64_t(format.lumaBytes() + 2 * format.chromaBytes()));

    const auto kernelTime = [&](const SquaredErrorKernels &kernels) {
        const int depth = format.depth();
        return medianMicroseconds(
            [&] {
                for (const SamplePlane *plane : { &a.y(), &a.u(), &a.v() }) {
                    const SamplePlane &other = plane == &a.y() ? b.y()
                        : plane == &a.u()                      ? b.u()
                                                               : b.v();
                    const std::size_t count = plane->size() / format.bytesPerSample();
                    benchmark::DoNotOptimize(depth > 8
                            ? kernels.words(reinterpret_cast<const std::uint16_t *>(plane->data()),
                                reinterpret_cast<const std::uint16_t *>(other.data()), count, depth)
                            : kernels.bytes(plane->data(), other.data(), count));
                }
            },
            referencePasses);
    };
    state.counters["portable_us"] = kernelTime(portableSquaredErrorKernels());
#if defined(ZENTAVO_X86_KERNELS)
    state.counters["sse2_us"] = kernelTime(sse2SquaredErrorKernels());
    if (processorHasAvx2())
        state.counters["avx2_us"] = kernelTime(avx2SquaredErrorKernels());
#endif
}

void frameSizes(benchmark::internal::Benchmark *bench)
{
    bench->Args({ 1920, 1080 })->Args({ 3840, 2160 })->Unit(benchmark::kMicrosecond);
}

// Both sizes in BT.601 limited, and 3840 x 2160 in every other matrix and range.
void frameSizesAndColours(benchmark::internal::Benchmark *bench)
{
    bench->ArgNames({ "w", "h", "colour" })->Args({ 1920, 1080, 0 });
    for (int colour = 0; colour < colours; ++colour)
        bench->Args({ 3840, 2160, colour });
    bench->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_ConvertYuv420ToRgb)->Apply(frameSizesAndColours);
BENCHMARK(BM_ConvertYuv420p10leToRgb)->Apply(frameSizesAndColours);
#ifdef ZENTAVO_HAVE_LIBYUV
BENCHMARK(BM_LibyuvI420ToRAW)->Apply(frameSizes);
#endif
BENCHMARK(BM_ConvertYuv422ToRgb)->Apply(frameSizes);
BENCHMARK(BM_RenderView)->Apply(viewCases);
BENCHMARK(BM_RenderDifference)->Apply(differenceCases);
BENCHMARK(BM_GreyViewStores)
    ->Args({ 1920, 1080, 0 })
    ->Args({ 1920, 1080, 1 })
    ->Args({ 3840, 2160, 0 })
    ->Args({ 3840, 2160, 1 })
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadYV12Frame)->Args({ 1920, 1080 })->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CompareFrames)
    ->Args({ 1920, 1080, YV12 })
    ->Args({ 1920, 1080, Yuv420p10le })
    ->Args({ 3840, 2160, YV12 })
    ->Args({ 3840, 2160, Yuv420p10le })
    ->Unit(benchmark::kMicrosecond);

// --write-clip=PATH writes the 1080p YV12 clip that the load benchmark reads,
// so an external decoder can be timed on the same bytes.
bool writeClipRequested(int argc, char **argv, int &status)
{
    const char prefix[] = "--write-clip=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], prefix, sizeof prefix - 1) == 0) {
            const bool ok
                = testclips::writeClip(argv[i] + sizeof prefix - 1, YV12, 1920, 1080, clipFrames);
            if (!ok)
                std::fprintf(stderr, "cannot write %s\n", argv[i] + sizeof prefix - 1);
            status = ok ? EXIT_SUCCESS : EXIT_FAILURE;
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    int status = EXIT_SUCCESS;
    if (writeClipRequested(argc, argv, status))
        return status;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return EXIT_FAILURE;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return EXIT_SUCCESS;
}
