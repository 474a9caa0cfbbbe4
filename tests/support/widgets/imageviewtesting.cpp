#include "imageviewtesting.h"

#include "imageview.h"
#include "samplelayout.h"

#include <QApplication>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QMouseEvent>

namespace imageviewtesting {

namespace {

void sendMouse(ImageView &view, QEvent::Type type, QPoint pos, Qt::MouseButton button,
    Qt::MouseButtons buttons)
{
    QWidget *viewport = graphicsView(view)->viewport();
    QMouseEvent event(type, pos, viewport->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
}

} // namespace

void tick(ImageView &view)
{
    if (!QMetaObject::invokeMethod(&view, "playTimerTimeout", Qt::DirectConnection))
        qFatal("the video window has no playTimerTimeout slot");
}

QGraphicsView *graphicsView(ImageView &view)
{
    return view.findChild<QGraphicsView *>(QStringLiteral("gvVideoDisplay"));
}

QImage shownPicture(ImageView &view)
{
    const QList<QGraphicsItem *> items = view.scene->items();
    if (items.size() != 1 || items.first()->pos() != QPointF(0, 0))
        return {};
    const auto *pixmap = qgraphicsitem_cast<QGraphicsPixmapItem *>(items.first());
    if (!pixmap)
        return {};
    return pixmap->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
}

qint64 shownPixmapKey(ImageView &view)
{
    const QList<QGraphicsItem *> items = view.scene->items();
    const auto *pixmap
        = items.size() == 1 ? qgraphicsitem_cast<QGraphicsPixmapItem *>(items.first()) : nullptr;
    return pixmap ? pixmap->pixmap().cacheKey() : 0;
}

viewreference::Planes planesOf(const ImageView &view)
{
    return { view.yPlane, view.uPlane, view.vPlane, view.rPlane, view.gPlane, view.bPlane };
}

int firstWrongPixel(const ImageView &view, const QImage &picture, viewreference::View drawn)
{
    if (picture.size() != QSize(view.width, view.height))
        return 0;
    const viewreference::Planes planes = planesOf(view);
    for (int y = 0; y < view.height; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        for (int x = 0; x < view.width; ++x) {
            if (line[x] != viewreference::pixel(planes, drawn, view.format, view.width, x, y))
                return y * view.width + x;
        }
    }
    return -1;
}

void moveMouse(ImageView &view, QPoint viewportPos, Qt::MouseButtons buttons)
{
    sendMouse(view, QEvent::MouseMove, viewportPos, Qt::NoButton, buttons);
}

void pressMouse(ImageView &view, QPoint viewportPos)
{
    sendMouse(view, QEvent::MouseButtonPress, viewportPos, Qt::LeftButton, Qt::LeftButton);
}

void releaseMouse(ImageView &view, QPoint viewportPos)
{
    sendMouse(view, QEvent::MouseButtonRelease, viewportPos, Qt::LeftButton, Qt::NoButton);
}

void leaveViewport(ImageView &view)
{
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(graphicsView(view)->viewport(), &leave);
}

QString readoutText(const ImageView &view, int x, int y, std::size_t chroma)
{
    const auto i = std::size_t(y * view.width + x);
    // Layouts deeper than 8 bits keep 16-bit words, whose low `depth` bits are shown.
    const int depth = sampleDepth(view.format);
    const auto sample = [depth](const SamplePlane &plane, std::size_t at) {
        return depth > 8 ? unsigned(plane[2 * at] | plane[2 * at + 1] << 8) & ((1u << depth) - 1)
                         : unsigned(plane[at]);
    };
    return QStringLiteral(
        " X = %1\n Y = %2\n\n Y = %3   R = %6\n U = %4   G = %7\n V = %5   B = %8")
        .arg(x)
        .arg(y)
        .arg(sample(view.yPlane, i))
        .arg(sample(view.uPlane, chroma))
        .arg(sample(view.vPlane, chroma))
        .arg(view.rPlane[i])
        .arg(view.gPlane[i])
        .arg(view.bPlane[i]);
}

} // namespace imageviewtesting
