#include "imageviewtesting.h"

#include "imageview.h"
#include "samplelayout.h"
#include "videodocument.h"
#include "yuvreference.h"

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

void startPlaying(ImageView &view)
{
    view.document().setPlaying(true);
}

const FrameFormat &formatOf(const ImageView &view)
{
    return view.document().format();
}

QGraphicsView *graphicsView(ImageView &view)
{
    return view.findChild<QGraphicsView *>(QStringLiteral("gvVideoDisplay"));
}

namespace {

QList<QGraphicsItem *> sceneItems(ImageView &view)
{
    const QGraphicsScene *scene = graphicsView(view)->scene();
    return scene ? scene->items() : QList<QGraphicsItem *>();
}

} // namespace

QImage shownPicture(ImageView &view)
{
    const QList<QGraphicsItem *> items = sceneItems(view);
    if (items.size() != 1 || items.first()->pos() != QPointF(0, 0))
        return {};
    const auto *pixmap = qgraphicsitem_cast<QGraphicsPixmapItem *>(items.first());
    if (!pixmap)
        return {};
    // A copy of its own: the pixmap shares pixels that the window writes again.
    return pixmap->pixmap().toImage().convertToFormat(QImage::Format_RGB32).copy();
}

qint64 shownPixmapKey(ImageView &view)
{
    const QList<QGraphicsItem *> items = sceneItems(view);
    const auto *pixmap
        = items.size() == 1 ? qgraphicsitem_cast<QGraphicsPixmapItem *>(items.first()) : nullptr;
    return pixmap ? pixmap->pixmap().cacheKey() : 0;
}

viewreference::Planes planesOf(const ImageView &view)
{
    const Frame &frame = view.document().frame();
    // The video's colour: the frame keeps the format it was read in.
    const FrameFormat &format = formatOf(view);
    viewreference::Planes planes { frame.y(), frame.u(), frame.v(), {}, {}, {} };
    for (SamplePlane *plane : { &planes.r, &planes.g, &planes.b })
        plane->resize(format.lumaSamples());
    convertFrameReference(format.pixelFormat(), planes.y.data(), planes.u.data(), planes.v.data(),
        planes.r.data(), planes.g.data(), planes.b.data(), format.width(), format.height(),
        referenceCoefficients(int(format.matrix()), int(format.range())));
    return planes;
}

int firstWrongPixel(const ImageView &view, const QImage &picture, viewreference::View drawn)
{
    const FrameFormat &format = formatOf(view);
    const int width = format.width();
    if (picture.size() != QSize(width, format.height()))
        return 0;
    const viewreference::Planes planes = planesOf(view);
    for (int y = 0; y < format.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            if (line[x] != viewreference::pixel(planes, drawn, format.pixelFormat(), width, x, y))
                return y * width + x;
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
    const auto i = std::size_t(y * formatOf(view).width() + x);
    const viewreference::Planes planes = planesOf(view);
    // Layouts deeper than 8 bits keep 16-bit words, whose low `depth` bits are shown.
    const int depth = formatOf(view).depth();
    const auto sample = [depth](const SamplePlane &plane, std::size_t at) {
        return depth > 8 ? unsigned(plane[2 * at] | plane[2 * at + 1] << 8) & ((1u << depth) - 1)
                         : unsigned(plane[at]);
    };
    const FrameFormat &format = formatOf(view);
    const char *const matrices[] = { "BT.601", "BT.709", "BT.2020" };
    const QString colour = QLatin1String(matrices[int(format.matrix())])
        + (format.range() == ColourRange::Full ? QLatin1String(" full")
                                               : QLatin1String(" limited"));
    return QStringLiteral(
        " X = %1\n Y = %2\n %9\n Y = %3   R = %6\n U = %4   G = %7\n V = %5   B = %8")
        .arg(x)
        .arg(y)
        .arg(sample(planes.y, i))
        .arg(sample(planes.u, chroma))
        .arg(sample(planes.v, chroma))
        .arg(planes.r[i])
        .arg(planes.g[i])
        .arg(planes.b[i])
        .arg(colour);
}

} // namespace imageviewtesting
