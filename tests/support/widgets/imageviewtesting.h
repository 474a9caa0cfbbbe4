#pragma once

#include "videoparameters.h"
#include "viewreference.h"

#include <QImage>
#include <QPoint>

#include <string>

class ImageView;
class QGraphicsView;
class TempDir;

// Shared by the video window tests: clips on disk, the picture on show, pointer events.
namespace imageviewtesting {

// Writes a generated clip of `frames` frames into dir and describes it.
VideoParameters writeClip(const TempDir &dir, const std::string &name, std::int32_t format,
    std::int32_t width, std::int32_t height, std::int32_t frames);

QGraphicsView *graphicsView(ImageView &view);

// The scene's only item as an RGB32 image; a null image unless the scene holds
// exactly one pixmap at the origin.
QImage shownPicture(ImageView &view);

// The window's six planes, for viewreference::pixel.
viewreference::Planes planesOf(const ImageView &view);

// Index of the first pixel of `picture` that differs from the view drawn by the
// formula from the window's planes, or -1 when all match.
int firstWrongPixel(const ImageView &view, const QImage &picture, viewreference::View drawn);

void moveMouse(ImageView &view, QPoint viewportPos, Qt::MouseButtons buttons = Qt::NoButton);
void pressMouse(ImageView &view, QPoint viewportPos);
void releaseMouse(ImageView &view, QPoint viewportPos);
void leaveViewport(ImageView &view);

} // namespace imageviewtesting
