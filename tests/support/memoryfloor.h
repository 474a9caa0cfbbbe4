#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

// What the memory alone needs for one pass over a frame: `inputBytes` read once and
// every output written once, with memcpy. It goes band by band, so that each band of
// the input comes from memory once, however many outputs are written from it.
class MemoryFloor
{
public:
    MemoryFloor(std::size_t inputBytes, const std::vector<std::size_t> &outputBytes);

    void pass();
    // The median of `passes` passes, in microseconds.
    double medianMicroseconds(int passes);

private:
    std::vector<std::uint8_t> input;
    std::vector<std::vector<std::uint8_t>> outputs;
};

// The median time of `runs` calls of `work`, in microseconds.
template <typename Work> double medianMicroseconds(Work work, int runs)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[std::size_t(runs / 2)];
}
