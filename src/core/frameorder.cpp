#include "frameorder.h"

#include <cstdint>
#include <limits>

PlayTick nextPlayTick(
    std::int64_t current, std::int64_t frameCount, std::int32_t direction, PlayLoop loop)
{
    const std::int64_t last = frameCount - 1;
    PlayTick tick { false, current, direction };
    if (frameCount <= 0) {
        tick.stops = true;
        return tick;
    }
    switch (loop) {
    case PlayLoop::Normal:
        tick.direction = 1;
        tick.frame = current < last ? current + 1 : 0;
        break;
    case PlayLoop::Bounce:
        // Frame 0 turns forward whatever the direction was.
        if (current == 0) {
            tick.direction = 1;
            tick.frame = 1;
        } else if (current < last) {
            tick.frame = current + direction;
        } else {
            tick.direction = -1;
            tick.frame = current - 1;
        }
        break;
    case PlayLoop::None:
        if (current >= last)
            tick.stops = true;
        else
            tick.frame = current + 1;
        break;
    }
    // A one-frame video in Bounce asks for frame 1 and shows frame 0.
    tick.frame = shownFrameFor(tick.frame, frameCount);
    return tick;
}

std::int64_t shownFrameFor(std::int64_t requested, std::int64_t frameCount)
{
    if (frameCount <= 0)
        return 0;
    const std::int64_t last = frameCount - 1;
    if (frameCount > sixteenBitFrames)
        return requested < 0 || requested > last ? last : requested;
    const std::int64_t frame = static_cast<std::uint16_t>(requested);
    return frame < frameCount ? frame : last;
}

std::int64_t frameAfterStep(std::int64_t current, std::int64_t frameCount, TransportStep step)
{
    switch (step) {
    case TransportStep::ToFirst:
        return shownFrameFor(0, frameCount);
    case TransportStep::Back5:
        return shownFrameFor(current - 5, frameCount);
    case TransportStep::Back1:
        return shownFrameFor(current - 1, frameCount);
    case TransportStep::Forward1:
        return shownFrameFor(current + 1, frameCount);
    case TransportStep::Forward5:
        return shownFrameFor(current + 5, frameCount);
    case TransportStep::ToLast:
        break;
    }
    return shownFrameFor(frameCount - 1, frameCount);
}

std::optional<std::int64_t> frameNumberFrom(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    constexpr std::int64_t largest = std::numeric_limits<std::int64_t>::max();
    std::int64_t number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const int digit = c - '0';
        number = number > (largest - digit) / 10 ? largest : number * 10 + digit;
    }
    return number;
}
