#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Which frame comes next: a play tick's rule, and where the transport's steps land.

// How playback goes on at a video's ends; the values are those of MainWindow::LoopMode.
enum class PlayLoop : std::int32_t { None = 0, Normal = 1, Bounce = 2 };

// What one play tick does: stop the timer and show nothing new, or set the bounce
// direction to `direction` and show `frame`.
struct PlayTick
{
    bool stops = false;
    std::int64_t frame = 0;
    std::int32_t direction = 1;
};

// The tick of a video at frame `current` of `frameCount`, travelling in `direction` (+1 or
// -1). Normal wraps from the last frame to 0 and travels forward; Bounce turns at both ends
// and shows each end once a turn; None stops at the last frame. A video of no frames stops.
PlayTick nextPlayTick(
    std::int64_t current, std::int64_t frameCount, std::int32_t direction, PlayLoop loop);

// Videos of up to this many frames number them in 16 bits, as they always have: every
// frame is reachable that way, and a request wraps as it always did.
constexpr std::int64_t sixteenBitFrames = 65536;

// The frame shown when frame `requested` is asked for, 0 when there is none. Up to
// sixteenBitFrames frames, the request is taken modulo 65536 and then limited to the last
// frame, so a step back from frame 0 shows the last one. A longer video takes the request
// as it is: below 0 it shows the last frame too, past the end the last frame.
std::int64_t shownFrameFor(std::int64_t requested, std::int64_t frameCount);

// The transport's steps, one for each step button.
enum class TransportStep { ToFirst, Back5, Back1, Forward1, Forward5, ToLast };

// Where `step` takes a video at frame `current`, as its button would.
std::int64_t frameAfterStep(std::int64_t current, std::int64_t frameCount, TransportStep step);

// The frame number that `text` spells, as the user types one: decimal digits alone, no
// sign and no spaces; nothing for any other text. A number past the largest 64-bit one
// gives that, which lies past the end of every video.
std::optional<std::int64_t> frameNumberFrom(std::string_view text);
