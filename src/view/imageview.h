#pragma once

#include "frameorder.h"
#include "videodocument.h"
#include "videoparameters.h"
#include "zoomgeometry.h"

#include <QMainWindow>
#include <QMargins>

#include <cstdint>
#include <memory>
#include <string>

class Player;
class QGraphicsPixmapItem;
class QGraphicsScene;
class QKeyEvent;
class QLabel;
class QMenu;
class SampleValuesItem;

namespace Ui {
class ImageView;
}

// The window of one opened video: shows the frames that its document holds, and reports
// the clicks and keys that it is given.
class ImageView : public QMainWindow
{
    Q_OBJECT

public:
    enum ComponentView { Color, Y, U, V, R, G, B };

    // A window for a video of its own, opened from the record and played by the main
    // window's player. Throws as VideoDocument's constructor does.
    explicit ImageView(const VideoParameters &parameters, QWidget *parent = nullptr);
    // A window that shows `document`, which it owns, played by `player`. `parent` is the
    // parent of its readout, not of the window, which is a top-level window of its own.
    ImageView(std::unique_ptr<VideoDocument> document, Player &player, QWidget *parent = nullptr);
    ~ImageView() override;

    VideoDocument &document() { return *document_; }
    const VideoDocument &document() const { return *document_; }

    // Shows frame n of the video, bounded to it: 16-bit and wrapped up to 65536 frames.
    void showFrame(std::int64_t n);
    void setComponentView(int view);
    void setGridStep(int step);
    std::string videoName() const;
    void setZoomPercent(int percent);

    // The video's state, as its document and the player keep it.
    std::int64_t currentFrame() const;
    std::int64_t frameCount() const;
    int component() const;
    std::int32_t gridStep() const;
    std::int32_t bounceDirection() const;
    bool isPlaying() const;

    double zoomFactor() const { return zoomFactor_; }
    // Whether the pixel readout follows the pointer.
    bool tooltipEnabled() const { return tooltipEnabled_; }
    void setTooltipEnabled(bool enabled) { tooltipEnabled_ = enabled; }
    QLabel *pixelLabel() const { return pixelLabel_; }
    // Whether the samples' values are written over the pixels once the zoom is
    // valuesZoomPercent or more (samplevalues.h); never in a difference window.
    bool valuesShown() const { return valuesShown_; }
    void setValuesShown(bool shown);
    // Puts the picture on show, as drawn in the current view at 100 %, on the clipboard:
    // a copy of its own, which later frames and the window's end leave as it is.
    void copyPicture();

    bool eventFilter(QObject *watched, QEvent *event) override;
    // The right-click menu as it stands now: "Compare with" lists the other listed videos
    // that this one can be compared with; "Matrix" and "Range" choose the colour that the
    // video is drawn in, and are greyed in a difference window.
    std::unique_ptr<QMenu> makeContextMenu();
    // G: asks for a frame, which every listed video then shows, bounded by its own count.
    void goToFrame();
    // F5: this video counts its frames again and shows its frame read afresh.
    void reload();

signals:
    // The user pressed a mouse button on the picture.
    void clicked();
    // A transport key: a step, or Space for Play and Stop.
    void stepKeyPressed(TransportStep step);
    void playKeyPressed();
    // + or -: the zoom one preset up or down.
    void zoomKeyPressed(int steps);
    // N or Shift+N in a difference window: every video to the next (1) or previous (-1)
    // frame where the two differ.
    void differenceKeyPressed(int direction);
    // The user chose to compare this video with `other` in the right-click menu.
    void compareRequested(VideoDocument *other);
    // The user chose another matrix or range in the right-click menu, and the picture
    // shows it.
    void colourChosen();

protected:
    void moveEvent(QMoveEvent *event) override;

private slots:
    void playTimerTimeout();

private:
    void frameShown();
    void updateTitle();
    void presentPicture();
    // The window's size at the zoom in force, before the screen limits it.
    WindowSize zoomedSize() const;
    // Sizes the window to `wanted`, or to what the screen's available area leaves once
    // the window's frame is counted, and moves a window on screen back inside that area.
    void fitToScreen(WindowSize wanted);
    QMargins expectedFrame() const;
    void scrollToOrigin();
    void showReadout(const QPoint &viewportPos);
    // The right-click menu's Matrix and Range, which set the document's colour.
    void addColourMenus(QMenu &menu);
    // The keys that step, play, zoom and copy; false for any other, which the view then gets.
    bool takeKey(const QKeyEvent &key);
    void updateValues();

    std::unique_ptr<VideoDocument> document_;
    Player &player_;
    Ui::ImageView *ui = nullptr;
    QGraphicsScene *scene_ = nullptr;
    QLabel *pixelLabel_ = nullptr;
    double zoomFactor_ = 1.0;
    bool tooltipEnabled_ = false;
    // The scene's one item, made at the first draw and given each new picture.
    QGraphicsPixmapItem *pictureItem_ = nullptr;
    bool valuesShown_ = false;
    // Made while values are shown, so that the scene holds the picture alone otherwise.
    SampleValuesItem *valuesItem_ = nullptr;
    // The frame that the last fitToScreen counted; the window manager may report another.
    QMargins fittedFrame_;
};
