#include "sessionmodel.h"

#include <cstdint>
#include <cstdlib>
#include <iterator>

namespace {

constexpr int zoomPresets[] = { 12, 25, 50, 75, 100, 150, 200, 400, 800, 1600, 3200 };

// The grid lines lie as far apart as each choice of the combo box says:
// "none", "4x4", "8x8", "16x16", "32x32".
constexpr int gridSteps[] = { 0, 4, 8, 16, 32 };

int gridChoiceFor(int step)
{
    for (int choice = 1; choice < int(std::size(gridSteps)); ++choice) {
        if (gridSteps[choice] == step)
            return choice;
    }
    return 0;
}

} // namespace

int SessionModel::zoomPreset(int sliderPosition)
{
    return zoomPresets[sliderPosition / 10];
}

int SessionModel::sliderPosition(int zoomPercent)
{
    for (int i = 1; i < int(std::size(zoomPresets)); ++i) {
        if (zoomPresets[i] == zoomPercent)
            return i * 10;
    }
    return 0;
}

VideoState *SessionModel::currentVideo()
{
    if (current < 0 || current >= int(videos.size()))
        return nullptr;
    return &videos[static_cast<std::size_t>(current)];
}

void SessionModel::add(const ClipSpec &clip, const ImageView *window)
{
    VideoState video;
    video.clip = clip;
    video.window = window;
    video.greyEntry = added++ % 2 != 0;
    videos.push_back(video);
    current = int(videos.size()) - 1;
    syncPanel();
    panel.intervalMax = QString::number(clip.frames - 1);
    panel.videoPosition = panel.intervalMax;
    goToStart();
}

void SessionModel::select(int row)
{
    if (row == current)
        return;
    current = row;
    syncPanel();
}

void SessionModel::closeCurrent(int newCurrent)
{
    if (!currentVideo())
        return;
    videos.erase(videos.begin() + current);
    current = newCurrent;
    if (currentVideo())
        syncPanel();
}

void SessionModel::step(int delta)
{
    for (VideoState &video : videos)
        showFrame(video, video.frame + delta);
}

void SessionModel::goToStart()
{
    for (VideoState &video : videos)
        showFrame(video, 0);
}

void SessionModel::goToEnd()
{
    for (VideoState &video : videos)
        showFrame(video, video.clip.frames - 1);
}

void SessionModel::play()
{
    for (VideoState &video : videos)
        video.playing = true;
}

void SessionModel::stop()
{
    for (VideoState &video : videos)
        video.playing = false;
}

void SessionModel::tick(int row)
{
    VideoState &video = videos[static_cast<std::size_t>(row)];
    // A file shorter than one frame has nothing to play.
    if (video.clip.frames <= 0) {
        video.playing = false;
        return;
    }
    const int c = video.frame;
    const int last = video.clip.frames - 1;
    if (panel.loopNormal) {
        video.bounceDirection = 1;
        showFrame(video, c < last ? c + 1 : 0);
    } else if (panel.loopBounce) {
        if (c == 0) {
            video.bounceDirection = 1;
            showFrame(video, 1);
        } else if (c < last) {
            showFrame(video, c + video.bounceDirection);
        } else {
            video.bounceDirection = -1;
            showFrame(video, c - 1);
        }
    } else if (c >= last) {
        video.playing = false;
    } else {
        showFrame(video, c + 1);
    }
}

void SessionModel::moveZoomSlider(int position)
{
    if (position == panel.zoomPosition)
        return;
    panel.zoomPosition = position;
    VideoState *video = currentVideo();
    if (!video)
        return;
    const int percent = zoomPreset(position);
    // A request within 10 points of the zoom in force is dropped; presets lie further apart.
    if (std::abs(percent - video->zoomPercent) > 10) {
        video->zoomPercent = percent;
        video->visible = true;
    }
}

void SessionModel::chooseComponent(int component)
{
    panel.component = component;
    if (VideoState *video = currentVideo()) {
        video->component = component;
        video->visible = true;
    }
}

void SessionModel::clickGridBox()
{
    panel.gridChecked = !panel.gridChecked;
    applyGrid();
}

void SessionModel::chooseGrid(int choice)
{
    if (choice == panel.gridChoice)
        return;
    panel.gridChoice = choice;
    applyGrid();
}

void SessionModel::applyGrid()
{
    if (VideoState *video = currentVideo()) {
        video->gridStep = panel.gridChecked ? gridSteps[panel.gridChoice] : 0;
        showFrame(*video, video->frame);
    }
}

void SessionModel::clickTooltipBox()
{
    panel.tooltipChecked = !panel.tooltipChecked;
    if (VideoState *video = currentVideo())
        video->tooltip = panel.tooltipChecked;
}

void SessionModel::hideCurrent()
{
    if (VideoState *video = currentVideo())
        video->visible = false;
}

void SessionModel::closeWindow(int row)
{
    videos[static_cast<std::size_t>(row)].visible = false;
}

void SessionModel::showFrame(VideoState &video, int n)
{
    // Frame numbers are 16-bit in videos of up to 65536 frames; longer ones take a
    // number below 0 as the last frame. Either way they stop at the last frame.
    const int last = video.clip.frames - 1;
    int frame
        = video.clip.frames <= 65536 ? int(static_cast<std::uint16_t>(n)) : (n < 0 ? last : n);
    if (last < 0)
        frame = 0;
    else if (frame > last)
        frame = last;
    video.frame = frame;
    video.visible = true;
}

// The selection brings the panel in line with the video; the grid combo's own
// handler re-applies the grid when its index moves, which redraws the video.
void SessionModel::syncPanel()
{
    VideoState *video = currentVideo();
    if (!video)
        return;
    panel.gridChecked = video->gridStep > 0;
    const int choice = gridChoiceFor(video->gridStep);
    if (choice != panel.gridChoice) {
        panel.gridChoice = choice;
        applyGrid();
    }
    panel.tooltipChecked = video->tooltip;
    panel.zoomPosition = sliderPosition(video->zoomPercent);
    panel.component = video->component;
}
