#pragma once

#include "frameorder.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <vector>

class VideoDocument;

// The listed videos and their playback: the one place that decides which frame each
// video shows next. Transport acts on every listed video in list order, each from its
// own frame; one clock ticks every playing video in lockstep, and reads ahead the frame
// each will show at the next tick.
class Player : public QObject
{
    Q_OBJECT

public:
    // Milliseconds between two ticks; playback shows at most 25 frames a second.
    static constexpr int tickInterval = 40;

    explicit Player(QObject *parent = nullptr);
    ~Player() override;

    // Appends the video to the list; it is not playing.
    void add(VideoDocument &video);
    // Takes the video off the list and stops it; nothing for a video not listed.
    void remove(VideoDocument &video);
    const std::vector<VideoDocument *> &videos() const { return videos_; }

    // How the videos go on at their ends, from the next tick on.
    void setLoop(PlayLoop loop);
    PlayLoop loop() const { return loop_; }

    // Every listed video takes the step from its own frame.
    void step(TransportStep step);
    // Every listed video takes `steps` in order, and shows only where they lead.
    void stepThrough(const std::vector<TransportStep> &steps);
    // Every listed video shows frame `frame`, or its last frame when it has fewer.
    void goTo(std::int64_t frame);
    // The video alone counts its frames again and shows its frame afresh, or its new last
    // frame when the file no longer holds it.
    void reload(VideoDocument &video);

    // Starts every listed video playing and the clock from now; stops them all.
    void play();
    void stop();
    bool anyPlaying() const;
    // The clock, for its interval and what remains of it.
    const QTimer &clock() const { return clock_; }
    // tickInterval unless a test or benchmark that ticks by hand sets another.
    void setClockInterval(int milliseconds) { clock_.setInterval(milliseconds); }

    // One tick of one video, listed or not, as the clock gives it to each playing video:
    // the next frame by the loop, or the video stops at its end.
    void tick(VideoDocument &video);
    // Shows the frame that `requested` bounds to in the video: the one way a video's
    // frame changes, so that it is read ahead when it plays.
    void show(VideoDocument &video, std::int64_t requested);

signals:
    // A tick of the video has shown its next frame, or stopped it at its end.
    void ticked(VideoDocument *video);

private:
    void tickAll();
    void readAheadFor(VideoDocument &video);

    std::vector<VideoDocument *> videos_;
    PlayLoop loop_ = PlayLoop::None;
    QTimer clock_;
};
