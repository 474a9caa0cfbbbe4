#include "player.h"

#include "videodocument.h"

#include <algorithm>

Player::Player(QObject *parent)
    : QObject(parent)
{
    clock_.setInterval(tickInterval);
    // A coarse timer may stretch each 40 ms by up to 5 %, below 25 frames per second.
    clock_.setTimerType(Qt::PreciseTimer);
    connect(&clock_, &QTimer::timeout, this, &Player::tickAll);
}

Player::~Player() = default;

void Player::add(VideoDocument &video)
{
    video.setPlaying(false);
    videos_.push_back(&video);
}

void Player::remove(VideoDocument &video)
{
    video.setPlaying(false);
    videos_.erase(std::remove(videos_.begin(), videos_.end(), &video), videos_.end());
    if (!anyPlaying())
        clock_.stop();
}

void Player::setLoop(PlayLoop loop)
{
    loop_ = loop;
}

void Player::step(TransportStep step)
{
    stepThrough({ step });
}

void Player::stepThrough(const std::vector<TransportStep> &steps)
{
    // Indexed, with the count read again on every pass, as a show may change the list.
    for (std::size_t i = 0; i < videos_.size(); ++i) {
        VideoDocument &video = *videos_[i];
        std::int64_t frame = video.currentFrame();
        for (TransportStep step : steps)
            frame = frameAfterStep(frame, video.frameCount(), step);
        show(video, frame);
    }
}

void Player::goTo(std::int64_t frame)
{
    for (std::size_t i = 0; i < videos_.size(); ++i) {
        VideoDocument &video = *videos_[i];
        show(video,
            std::clamp<std::int64_t>(frame, 0, std::max<std::int64_t>(video.frameCount() - 1, 0)));
    }
}

void Player::reload(VideoDocument &video)
{
    video.recount();
    // Bounded here, not by show: a 16-bit count would wrap a frame past it.
    show(video, std::min(video.currentFrame(), std::max<std::int64_t>(video.frameCount() - 1, 0)));
}

void Player::play()
{
    for (VideoDocument *video : videos_)
        video->setPlaying(true);
    // start() restarts a running clock: the next tick comes a whole interval from now.
    clock_.start();
    for (VideoDocument *video : videos_)
        readAheadFor(*video);
}

void Player::stop()
{
    for (VideoDocument *video : videos_)
        video->setPlaying(false);
    clock_.stop();
}

bool Player::anyPlaying() const
{
    return std::any_of(videos_.begin(), videos_.end(),
        [](const VideoDocument *video) { return video->isPlaying(); });
}

void Player::tickAll()
{
    for (std::size_t i = 0; i < videos_.size(); ++i) {
        if (videos_[i]->isPlaying())
            tick(*videos_[i]);
    }
    if (!anyPlaying())
        clock_.stop();
}

void Player::tick(VideoDocument &video)
{
    const PlayTick next
        = nextPlayTick(video.currentFrame(), video.frameCount(), video.direction(), loop_);
    if (next.stops) {
        video.setPlaying(false);
    } else {
        video.setDirection(next.direction);
        show(video, next.frame);
    }
    emit ticked(&video);
}

void Player::show(VideoDocument &video, std::int64_t requested)
{
    video.show(shownFrameFor(requested, video.frameCount()));
    readAheadFor(video);
}

void Player::readAheadFor(VideoDocument &video)
{
    if (!video.isPlaying())
        return;
    const PlayTick next
        = nextPlayTick(video.currentFrame(), video.frameCount(), video.direction(), loop_);
    if (next.stops || next.frame == video.currentFrame())
        return;
    const PlayTick after = nextPlayTick(next.frame, video.frameCount(), next.direction, loop_);
    video.readAhead(next.frame, after.stops ? -1 : after.frame);
}
