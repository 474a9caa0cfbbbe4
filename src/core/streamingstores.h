#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <optional>

// Whether a pass writes its output around the cache (streaming stores) or through it.
// Which is faster depends on the processor, on the output's size against its caches and
// on what else loads the memory: for a grey view's picture, around the cache was 10-30 %
// faster at 3840 x 2160 on one machine and slower at 1920 x 1080, and streaming
// conversion kernels were several times slower on another. So it is measured on the
// running machine while the frames are drawn, once for each size of output. Both ways
// write the same bytes: the choice never changes a pixel.

// The measurement for one size: the first frames alternate between the two ways, and the
// one with the lower median time is kept.
class StoreTrial
{
public:
    // Frames timed each way before the choice is made.
    static constexpr int framesEach = 3;

    // The way to draw the next frame: the choice, or the next to time.
    bool nextStreams() const
    {
        if (choice_)
            return *choice_;
        return timed_[0] > timed_[1];
    }
    void record(bool streamed, double microseconds)
    {
        int &timed = timed_[streamed ? 1 : 0];
        if (choice_ || timed == framesEach)
            return;
        times_[streamed ? 1 : 0][static_cast<std::size_t>(timed++)] = microseconds;
        if (timed_[0] == framesEach && timed_[1] == framesEach)
            choice_ = median(times_[1]) < median(times_[0]);
    }
    std::optional<bool> choice() const { return choice_; }

private:
    static double median(std::array<double, framesEach> times)
    {
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    }

    int timed_[2] = { 0, 0 };
    std::array<double, framesEach> times_[2] = {};
    std::optional<bool> choice_;
};

// The choices of one kind of pass, one trial for each output size rounded down to a power
// of two. Safe to call from several threads: a frame drawn while its size is still being
// timed takes the next way to time, and once chosen a way is read without a lock.
class StoreChoice
{
public:
    // Calls draw(stream) once, for an output of `bytes`, with the way chosen for its size.
    template <class Draw> void run(std::size_t bytes, Draw draw)
    {
        Size &size = sizes_[sizeIndex(bytes)];
        const int chosen = size.chosen.load(std::memory_order_acquire);
        if (chosen != undecided) {
            draw(chosen == streams);
            return;
        }
        bool stream;
        {
            const std::lock_guard<std::mutex> lock(size.mutex);
            stream = size.trial.nextStreams();
        }
        const auto start = std::chrono::steady_clock::now();
        draw(stream);
        const std::chrono::duration<double, std::micro> spent
            = std::chrono::steady_clock::now() - start;
        const std::lock_guard<std::mutex> lock(size.mutex);
        size.trial.record(stream, spent.count());
        if (const std::optional<bool> choice = size.trial.choice())
            size.chosen.store(*choice ? streams : caches, std::memory_order_release);
    }

private:
    static constexpr int undecided = -1;
    static constexpr int caches = 0;
    static constexpr int streams = 1;

    struct Size
    {
        std::mutex mutex;
        StoreTrial trial;
        std::atomic<int> chosen { undecided };
    };

    static std::size_t sizeIndex(std::size_t bytes)
    {
        std::size_t index = 0;
        while (bytes >>= 1)
            ++index;
        return index;
    }

    std::array<Size, 8 * sizeof(std::size_t)> sizes_;
};
