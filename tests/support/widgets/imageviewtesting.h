#pragma once

#include "testclips.h"
#include "viewreference.h"

#include "frameformat.h"

#include <QImage>
#include <QPoint>
#include <QString>

#include <cstddef>

class ImageView;
class QGraphicsView;
// Shared by the video window tests: clips on disk, the picture on show, pointer events.
namespace imageviewtesting {

// The tests write their clips with testclips' writers, in their one argument order.
using testclips::writeClip;

// One tick of the window's video, as the player's clock gives it, without waiting for it.
void tick(ImageView &view);
// Marks the window's video as playing, with no clock to tick it: the test ticks it.
void startPlaying(ImageView &view);
// The frame format, width and height of the window's video.
const FrameFormat &formatOf(const ImageView &view);

QGraphicsView *graphicsView(ImageView &view);

// The scene's only item as an RGB32 image; a null image unless the scene holds
// exactly one pixmap at the origin.
QImage shownPicture(ImageView &view);

// The cache key of the pixmap on show, new with every draw; 0 unless the scene holds
// exactly one pixmap.
qint64 shownPixmapKey(ImageView &view);

// The window's Y, U and V planes, and R, G and B converted from them by the reference
// formula, for viewreference::pixel.
viewreference::Planes planesOf(const ImageView &view);

// Index of the first pixel of `picture` that differs from the view drawn by the
// formula from the window's planes, or -1 when all match.
int firstWrongPixel(const ImageView &view, const QImage &picture, viewreference::View drawn);

void moveMouse(ImageView &view, QPoint viewportPos, Qt::MouseButtons buttons = Qt::NoButton);
void pressMouse(ImageView &view, QPoint viewportPos);
void releaseMouse(ImageView &view, QPoint viewportPos);
void leaveViewport(ImageView &view);

// The pixel read-out's text for pixel (x, y), whose chroma samples sit at index `chroma`.
QString readoutText(const ImageView &view, int x, int y, std::size_t chroma);

} // namespace imageviewtesting
