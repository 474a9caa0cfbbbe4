#include "memoryfloor.h"

#include <algorithm>
#include <cstring>

namespace {

// Small enough to stay in the first-level cache while it is copied to every output.
constexpr std::size_t bandBytes = 16 * 1024;

} // namespace

MemoryFloor::MemoryFloor(std::size_t inputBytes, const std::vector<std::size_t> &outputBytes)
    : input(inputBytes, 0x5a)
{
    for (const std::size_t bytes : outputBytes)
        outputs.emplace_back(bytes, 0);
}

void MemoryFloor::pass()
{
    const std::size_t total = input.size();
    for (std::size_t start = 0; start < total; start += bandBytes) {
        const std::size_t end = std::min(total, start + bandBytes);
        // Each output takes the share of its bytes that this band of the input stands for.
        for (std::vector<std::uint8_t> &output : outputs) {
            const std::size_t from = output.size() * start / total;
            const std::size_t to = output.size() * end / total;
            for (std::size_t at = from; at < to; at += end - start)
                std::memcpy(
                    output.data() + at, input.data() + start, std::min(end - start, to - at));
        }
    }
}

double MemoryFloor::medianMicroseconds(int passes)
{
    pass();
    return ::medianMicroseconds([this] { pass(); }, passes);
}
