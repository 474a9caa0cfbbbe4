#pragma once

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

class ImageView;

// A clip on disk and what the parameters dialog is told about it.
struct ClipSpec
{
    std::string path;
    QString name;
    std::int32_t format = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t frames = 0;
    std::int32_t speed = 0;
    // Holds zeros only.
    bool sparse = false;
};

// What one listed video should be doing.
struct VideoState
{
    ClipSpec clip;
    const ImageView *window = nullptr;
    int frame = 0;
    int bounceDirection = 1;
    int zoomPercent = 100;
    int component = 0;
    int gridStep = 0;
    bool tooltip = false;
    bool playing = false;
    bool visible = false;
    bool greyEntry = false;
};

// What the main window's controls should show.
struct PanelState
{
    int zoomPosition = 40;
    int gridChoice = 0;
    bool gridChecked = false;
    bool tooltipChecked = false;
    int component = 0;
    bool loopNormal = false;
    bool loopBounce = false;
    QString intervalMax;
    QString videoPosition;
};

// The expected state of the whole window set after each user action, worked out
// from the rules of the program's behaviour, independently of its code.
class SessionModel
{
public:
    std::vector<VideoState> videos;
    int current = -1;
    PanelState panel;

    void add(const ClipSpec &clip, const ImageView *window);
    void select(int row);
    // The list picked `newCurrent` after the current entry went.
    void closeCurrent(int newCurrent);

    void step(int delta);
    void goToStart();
    void goToEnd();
    void play();
    void stop();
    void tick(int row);

    void moveZoomSlider(int position);
    void chooseComponent(int component);
    void clickGridBox();
    void chooseGrid(int choice);
    void clickTooltipBox();
    void hideCurrent();
    void closeWindow(int row);

    static int zoomPreset(int sliderPosition);
    static int sliderPosition(int zoomPercent);

private:
    VideoState *currentVideo();
    void showFrame(VideoState &video, int n);
    void applyGrid();
    void syncPanel();

    int added = 0;
};
