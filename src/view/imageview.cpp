#include "imageview.h"

#include "frameorder.h"
#include "mainwindow.h"
#include "pixelreadout.h"
#include "samplelayout.h"
#include "ui_imageview.h"
#include "viewrenderer.h"
#include "zoomgeometry.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QtMath>

#include <algorithm>

namespace {

constexpr int playInterval = 40;

static_assert(int(PlayLoop::None) == MainWindow::NoLoop
    && int(PlayLoop::Normal) == MainWindow::Normal && int(PlayLoop::Bounce) == MainWindow::Bounce);

// The main window's Loop boxes, read afresh on every tick.
PlayLoop loopMode()
{
    return PlayLoop(MainWindow::instance().loopMode());
}

} // namespace

ImageView::ImageView(const VideoParameters &parameters, QWidget *parent)
    : QMainWindow(nullptr)
    , ui(nullptr)
    , scene(nullptr)
    , scan(Progressive)
    , format(YV12)
    , width(0)
    , height(0)
    , speed(0)
    , frameCount(0)
    , currentFrame(0)
    , zoomFactor(1.0)
    , component(Color)
    , tooltipEnabled(false)
    , gridStep(0)
    , bounceDirection(1)
    , playTimer(nullptr)
    , pixelLabel(nullptr)
{
    format = parameters.format;
    height = parameters.height;
    scan = parameters.scan;
    speed = parameters.speed;
    width = parameters.width;
    path = parameters.path;
    frameCount = parameters.frameCount;
    // First, so that a frame too large for the memory at hand throws before anything
    // that the members do not free themselves exists.
    allocateFrame();

    ui = new Ui::ImageView;
    ui->setupUi(this);
    // The form loads its icon afresh for every window, and the window system's pixmaps of
    // each new icon stay in Qt's pixmap cache after the window is gone. Every window shows
    // the first form's icon, so those pixmaps are made once.
    static const QIcon formIcon = windowIcon();
    setWindowIcon(formIcon);

    pixelLabel = new QLabel(parent, Qt::ToolTip);
    pixelLabel->setStyleSheet(
        QStringLiteral("background-color: yellow; border-style: solid; border: 2px solid black;"));
    pixelLabel->setAutoFillBackground(true);
    // Six lines of up to " Y = 255   R = 255" must fit the fixed 100 x 80 box, with room
    // to spare after the last digit, so the readout takes a small condensed font.
    QFont readoutFont;
    readoutFont.setPixelSize(10);
    readoutFont.setStretch(QFont::Condensed);
    pixelLabel->setFont(readoutFont);

    QGraphicsView *view = ui->gvVideoDisplay;
    view->viewport()->installEventFilter(this);
    view->viewport()->setMouseTracking(true);
    // The view has the keyboard focus; its keys step the videos instead of scrolling.
    view->installEventFilter(this);
    // Replaces the form's central widget, which takes its unused label along.
    setCentralWidget(view);

    scene = new QGraphicsScene;
    scene->setSceneRect(0, 0, width, height);
    scene->setItemIndexMethod(QGraphicsScene::NoIndex);

    // Pixel (0, 0) stays at the viewport's corner whatever the zoom, so the readout
    // reads the pixel under the pointer until the user pans.
    view->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    view->setCacheMode(QGraphicsView::CacheBackground);
    fitToScreen(zoomedWindowSize(zoomFactor, width, height));

    playTimer = new QTimer(parent);
    playTimer->setInterval(playInterval);
    // A coarse timer may stretch each 40 ms by up to 5 %, below 25 frames per second.
    playTimer->setTimerType(Qt::PreciseTimer);
    connect(playTimer, &QTimer::timeout, this, &ImageView::playTimerTimeout);
}

ImageView::~ImageView()
{
    playTimer->stop();
    delete playTimer;
    delete ui;
    delete scene;
    delete pixelLabel;
}

void ImageView::showFrame(int n)
{
    currentFrame = static_cast<quint16>(shownFrameFor(n, frameCount));

    // A file shorter than one frame has no frame 0 to read.
    if (frameCount > 0 && layoutOf(format)) {
        readFrame(
            path, format, width, height, currentFrame, planes(), readChunk.data(), upcomingFrame());
        markGrid(format, yPlane.data(), width, height, gridStep);
    }

    // The path holds the file name's bytes as QFile::encodeName gave them.
    setWindowTitle(QFile::decodeName(QByteArray::fromStdString(videoName())) + QLatin1String(" - ")
        + QString::number(currentFrame) + QLatin1Char('/') + QString::number(frameCount));
    drawComponent();
}

void ImageView::setComponentView(int view)
{
    component = view;
    drawComponent();
}

void ImageView::setGridStep(int step)
{
    gridStep = step;
    showFrame(currentFrame);
}

std::string ImageView::videoName() const
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void ImageView::setZoomPercent(int percent)
{
    // A scale of 0 or less leaves no picture and no way back to a frame pixel.
    if (percent <= 0)
        return;
    const double z = percent / 100.0;
    if (!isZoomChange(zoomFactor, z))
        return;
    ui->gvVideoDisplay->setTransform(QTransform::fromScale(z, z));
    zoomFactor = z;
    fitToScreen(zoomedWindowSize(zoomFactor, width, height));
    scrollToOrigin();
    drawComponent();
}

bool ImageView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->gvVideoDisplay)
        return event->type() == QEvent::KeyPress && takeKey(*static_cast<QKeyEvent *>(event));
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        // Only a click selects: a window that shows itself leaves the selection alone.
        MainWindow::instance().selectVideo(this);
        break;
    case QEvent::MouseMove:
        if (tooltipEnabled) {
            const QPointF position = static_cast<QMouseEvent *>(event)->position();
            showReadout(QPoint(qFloor(position.x()), qFloor(position.y())));
        } else {
            pixelLabel->hide();
        }
        break;
    case QEvent::Leave:
        pixelLabel->hide();
        break;
    default:
        break;
    }
    return false;
}

bool ImageView::takeKey(const QKeyEvent &key)
{
    // Shift is how many keyboards type "+"; other modifiers leave the key to Qt.
    if (key.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))
        return false;
    switch (key.key()) {
    case Qt::Key_Plus:
        MainWindow::instance().stepZoom(this, 1);
        return true;
    case Qt::Key_Minus:
        MainWindow::instance().stepZoom(this, -1);
        return true;
    default:
        return MainWindow::instance().pressTransportKey(key.key());
    }
}

void ImageView::playTimerTimeout()
{
    const PlayTick tick = nextPlayTick(currentFrame, frameCount, bounceDirection, loopMode());
    if (tick.stops) {
        playTimer->stop();
        return;
    }
    bounceDirection = tick.direction;
    showFrame(tick.frame);
}

void ImageView::allocateFrame()
{
    const std::size_t luma = lumaPlaneSize(width, height);
    const std::size_t lumaBytes = lumaPlaneBytes(format, width, height);
    const std::size_t chromaBytes = chromaPlaneBytes(format, width, height);
    // Sized before anything is written: new planes read as zero without costing memory, so
    // a frame too large for the address space is refused at once, not after gigabytes of
    // writes. R, G, B and the picture stay zero, which is black.
    yPlane.resize(lumaBytes);
    for (SamplePlane *plane : { &rPlane, &gPlane, &bPlane })
        plane->resize(luma);
    uPlane.resize(chromaBytes);
    vPlane.resize(chromaBytes);
    pictureBytes.resize(luma * sizeof(std::uint32_t));
    if (readsThroughChunk(format))
        readChunk.resize(readChunkBytes);
    // The first frame shown writes these whole; without a frame, R, G, B are only read.
    for (SamplePlane *plane : { &yPlane, &uPlane, &vPlane, &pictureBytes })
        mapInNow(*plane);
    if (frameCount > 0) {
        for (SamplePlane *plane : { &rPlane, &gPlane, &bPlane })
            mapInNow(*plane);
    }
    fillBlackFrame(format, width, height, planes());
    picture = QImage(pictureBytes.data(), width, height, width * int(sizeof(std::uint32_t)),
        QImage::Format_RGB32);
}

// The picture is written through its buffer, never through QImage::bits(), which would
// copy pixels that a pixmap still shares.
FramePlanes ImageView::planes()
{
    return { yPlane.data(), uPlane.data(), vPlane.data(), rPlane.data(), gPlane.data(),
        bPlane.data(),
        { pictureBytes.data(), std::ptrdiff_t(width) * std::ptrdiff_t(sizeof(std::uint32_t)) } };
}

std::int32_t ImageView::upcomingFrame() const
{
    if (!playTimer->isActive())
        return -1;
    const PlayTick tick = nextPlayTick(currentFrame, frameCount, bounceDirection, loopMode());
    return tick.stops ? -1 : tick.frame;
}

// The window's views are the core's, numbered alike.
static_assert(ImageView::Color == static_cast<int>(FrameView::Color)
    && ImageView::B == static_cast<int>(FrameView::B));

void ImageView::drawComponent()
{
    const std::optional<FrameFormat> frameFormat = FrameFormat::make(format, width, height);
    if (frameFormat && renderView(component, *frameFormat, planes()))
        presentPicture();
}

void ImageView::presentPicture()
{
    // The scene holds one pixmap item, the picture on show; the pixmap shares the
    // picture's pixels, so nothing is copied on the way to the screen.
    const QPixmap pixmap = QPixmap::fromImage(picture);
    if (pictureItem)
        pictureItem->setPixmap(pixmap);
    else
        pictureItem = scene->addPixmap(pixmap);
    const bool sceneIsNew = ui->gvVideoDisplay->scene() != scene;
    if (sceneIsNew)
        ui->gvVideoDisplay->setScene(scene);
    const bool appearing = !isVisible();
    show();
    // Showing delivers the view's pending resize, to which it answers by centring the scene.
    if (sceneIsNew || appearing)
        scrollToOrigin();
}

void ImageView::fitToScreen(WindowSize wanted)
{
    const QScreen *on = screen() ? screen() : QGuiApplication::primaryScreen();
    const QMargins frame = expectedFrame();
    const QRect available = on ? on->availableGeometry() : QRect();
    WindowSize size = wanted;
    if (on) {
        size = limitedTo(wanted,
            { available.width() - frame.left() - frame.right(),
                available.height() - frame.top() - frame.bottom() });
    }
    fittedFrame = frame;
    setFixedSize(size.width, size.height);
    QGraphicsView *view = ui->gvVideoDisplay;
    view->setFixedSize(size.width, size.height);
    const bool cut = size.width < wanted.width || size.height < wanted.height;
    view->setDragMode(cut ? QGraphicsView::ScrollHandDrag : QGraphicsView::NoDrag);

    // A window not yet on screen is placed by the window manager, which keeps it there.
    if (!on || !isVisible())
        return;
    const QPoint corner = pos();
    const QPoint inside(keptInside(corner.x(), size.width + frame.left() + frame.right(),
                            available.left(), available.right() + 1),
        keptInside(corner.y(), size.height + frame.top() + frame.bottom(), available.top(),
            available.bottom() + 1));
    if (inside != corner)
        move(inside);
}

QMargins ImageView::expectedFrame() const
{
    // Before the window manager has framed this window, another framed window tells what
    // its frame will be.
    const auto marginsOf = [](const QWidget *window) {
        const QRect outer = window->frameGeometry();
        const QRect inner = window->geometry();
        return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
            outer.right() - inner.right(), outer.bottom() - inner.bottom());
    };
    if (isVisible())
        return marginsOf(this);
    for (const QWidget *other : QApplication::topLevelWidgets()) {
        if (other->isVisible() && other->windowType() == Qt::Window && !marginsOf(other).isNull())
            return marginsOf(other);
    }
    return QMargins();
}

void ImageView::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    // The window manager tells the frame's size only once it has framed the window.
    if (expectedFrame() != fittedFrame)
        fitToScreen(zoomedWindowSize(zoomFactor, width, height));
}

void ImageView::scrollToOrigin()
{
    QGraphicsView *view = ui->gvVideoDisplay;
    view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->minimum());
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->minimum());
}

void ImageView::showReadout(const QPoint &viewportPos)
{
    const QPointF scenePoint = ui->gvVideoDisplay->mapToScene(viewportPos);
    const std::optional<PixelPosition> pixel
        = pixelAt(scenePoint.x(), scenePoint.y(), width, height);
    const std::optional<FrameFormat> frameFormat = FrameFormat::make(format, width, height);
    if (!pixel || !frameFormat) {
        pixelLabel->hide();
        return;
    }
    const PixelSample s = samplePixel(planes(), *frameFormat, *pixel);
    const QPoint beside = pos() + viewportPos + QPoint(readoutOffsetX, readoutOffsetY);
    const QPoint pointer = ui->gvVideoDisplay->viewport()->mapToGlobal(viewportPos);
    const QRect onScreen = screen() ? screen()->geometry() : QRect(beside, pixelLabel->size());
    pixelLabel->setGeometry(
        readoutStart(beside.x(), pointer.x(), readoutWidth, onScreen.left(), onScreen.right() + 1),
        readoutStart(beside.y(), pointer.y(), readoutHeight, onScreen.top(), onScreen.bottom() + 1),
        readoutWidth, readoutHeight);
    pixelLabel->setText(
        tr(" X = %1\n Y = %2\n\n Y = %3   R = %6\n U = %4   G = %7\n V = %5   B = %8")
            .arg(QString::number(pixel->x), QString::number(pixel->y), QString::number(s.y),
                QString::number(s.u), QString::number(s.v), QString::number(s.r),
                QString::number(s.g), QString::number(s.b)));
    pixelLabel->show();
}
