#pragma once

#include "cachelineallocator.h"
#include "frameloader.h"
#include "videoparameters.h"
#include "zoomgeometry.h"

#include <QImage>
#include <QMainWindow>
#include <QMargins>

#include <cstdint>
#include <string>
#include <vector>

class QGraphicsPixmapItem;
class QGraphicsScene;
class QKeyEvent;
class QLabel;
class QTimer;

namespace Ui {
class ImageView;
}

// The window of one opened video: holds the frame on show and draws one view of it.
class ImageView : public QMainWindow
{
    Q_OBJECT

public:
    enum ComponentView { Color, Y, U, V, R, G, B };

    // Throws std::bad_alloc, having freed what it took, when the frame's planes and
    // picture do not fit the memory at hand.
    explicit ImageView(const VideoParameters &parameters, QWidget *parent = nullptr);
    ~ImageView() override;

    void showFrame(int n);
    void setComponentView(int view);
    void setGridStep(int step);
    std::string videoName() const;
    void setZoomPercent(int percent);

    bool eventFilter(QObject *watched, QEvent *event) override;

    Ui::ImageView *ui;
    QGraphicsScene *scene;
    std::string path;
    std::int32_t scan;
    std::int32_t format;
    std::int32_t width;
    std::int32_t height;
    std::int32_t speed;
    std::int32_t frameCount;
    SamplePlane yPlane;
    SamplePlane uPlane;
    SamplePlane vPlane;
    SamplePlane rPlane;
    SamplePlane gPlane;
    SamplePlane bPlane;
    quint16 currentFrame;
    double zoomFactor;
    int component;
    bool tooltipEnabled;
    std::int32_t gridStep;
    std::int32_t bounceDirection;
    QTimer *playTimer;
    QLabel *pixelLabel;

protected:
    void moveEvent(QMoveEvent *event) override;

private slots:
    void playTimerTimeout();

private:
    // The frame that the next play tick is likely to show, or -1 when nothing plays.
    std::int32_t upcomingFrame() const;

    void allocateFrame();
    // Draws the view that `component` names; any other value draws nothing.
    void drawComponent();
    void presentPicture();
    FramePlanes planes();
    // Sizes the window to `wanted`, or to what the screen's available area leaves once
    // the window's frame is counted, and moves a window on screen back inside that area.
    void fitToScreen(WindowSize wanted);
    QMargins expectedFrame() const;
    void scrollToOrigin();
    void showReadout(const QPoint &viewportPos);
    // The keys that step, play and zoom; false for any other, which the view then gets.
    bool takeKey(const QKeyEvent &key);

    // The picture's pixels, reused by every draw, on whole cache lines for the
    // conversion's streaming stores; the picture and the scene's pixmap share them.
    SamplePlane pictureBytes;
    QImage picture;
    // The bytes through which an interleaved layout's frames are read; empty for others.
    SamplePlane readChunk;
    // The scene's one item, made at the first draw and given each new picture.
    QGraphicsPixmapItem *pictureItem = nullptr;
    // The frame that the last fitToScreen counted; the window manager may report another.
    QMargins fittedFrame;
};
