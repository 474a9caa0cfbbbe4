#include "imageview.h"

#include "mainwindow.h"
#include "pixelreadout.h"
#include "ui_imageview.h"
#include "viewrenderer.h"
#include "zoomgeometry.h"

#include <QApplication>
#include <QFile>
#include <QFont>
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

namespace {

constexpr int playInterval = 40;

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
    currentFrame = static_cast<quint16>(n);
    const std::int32_t last = frameCount - 1;
    if (last < 0)
        currentFrame = 0;
    else if (currentFrame > last)
        currentFrame = static_cast<quint16>(last);

    // A file shorter than one frame has no frame 0 to read.
    const bool loads = frameCount > 0 && (format == YV12 || isPlanar422(format));
    // The colour view's picture comes out of the conversion's own pass over the frame.
    const bool pictureInLoad = loads && component == Color;
    if (pictureInLoad)
        scene->clear();
    if (loads && format == YV12)
        loadYV12Frame(pictureInLoad);
    else if (loads)
        loadPlanar422Frame(pictureInLoad);

    // The path holds the file name's bytes as QFile::encodeName gave them.
    setWindowTitle(QFile::decodeName(QByteArray::fromStdString(videoName())) + QLatin1String(" - ")
        + QString::number(currentFrame) + QLatin1Char('/') + QString::number(frameCount));
    if (pictureInLoad)
        presentPicture();
    else
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
        return MainWindow::instance().pressTransportKey(key.key(), *this);
    }
}

void ImageView::playTimerTimeout()
{
    // Nothing to play in a file shorter than one frame.
    if (frameCount <= 0) {
        playTimer->stop();
        return;
    }
    const int c = currentFrame;
    const int last = frameCount - 1;
    switch (MainWindow::instance().loopMode()) {
    case MainWindow::Normal:
        bounceDirection = 1;
        showFrame(c < last ? c + 1 : 0);
        break;
    case MainWindow::Bounce:
        if (c == 0) {
            bounceDirection = 1;
            showFrame(1);
        } else if (c < last) {
            showFrame(c + bounceDirection);
        } else {
            bounceDirection = -1;
            showFrame(c - 1);
        }
        break;
    case MainWindow::NoLoop:
        if (c >= last) {
            playTimer->stop();
            return;
        }
        showFrame(c + 1);
        break;
    }
}

void ImageView::allocateFrame()
{
    // Black until a frame is read: Y 16 and U, V 128 convert to R, G, B 0.
    const std::size_t luma = lumaPlaneSize(width, height);
    const std::size_t chroma = chromaPlaneSize(format, width, height);
    yPlane.assign(luma, 16);
    uPlane.assign(chroma, 128);
    vPlane.assign(chroma, 128);
    rPlane.assign(luma, 0);
    gPlane.assign(luma, 0);
    bPlane.assign(luma, 0);
    pictureBytes.assign(luma * sizeof(std::uint32_t), 0);
    picture = QImage(pictureBytes.data(), width, height, width * int(sizeof(std::uint32_t)),
        QImage::Format_RGB32);
}

FramePlanes ImageView::planes(bool withPicture)
{
    FramePlanes frame { yPlane.data(), uPlane.data(), vPlane.data(), rPlane.data(), gPlane.data(),
        bPlane.data() };
    if (withPicture)
        frame.picture = pictureRows();
    return frame;
}

// Written through the buffer, never through QImage::bits(), which would copy pixels
// that a pixmap still shares.
PictureRows ImageView::pictureRows()
{
    return { pictureBytes.data(), std::ptrdiff_t(width) * std::ptrdiff_t(sizeof(std::uint32_t)) };
}

std::int32_t ImageView::upcomingFrame() const
{
    if (!playTimer->isActive())
        return -1;
    const std::int32_t next = currentFrame + bounceDirection;
    return next >= 0 && next < frameCount ? next : 0;
}

void ImageView::loadYV12Frame(bool withPicture)
{
    ::loadYV12Frame(
        path, width, height, currentFrame, gridStep, planes(withPicture), upcomingFrame());
}

void ImageView::loadPlanar422Frame(bool withPicture)
{
    ::loadPlanar422Frame(
        path, width, height, currentFrame, gridStep, planes(withPicture), upcomingFrame());
}

void ImageView::drawColor()
{
    drawPicture([this](PictureRows out) {
        renderColor(rPlane.data(), gPlane.data(), bPlane.data(), width, height, out);
    });
}

void ImageView::drawY()
{
    drawPicture([this](PictureRows out) { renderGrey(yPlane.data(), width, height, out); });
}

void ImageView::drawU()
{
    drawPicture(
        [this](PictureRows out) { renderChroma(uPlane.data(), format, width, height, out); });
}

void ImageView::drawV()
{
    drawPicture(
        [this](PictureRows out) { renderChroma(vPlane.data(), format, width, height, out); });
}

void ImageView::drawR()
{
    drawPicture([this](PictureRows out) {
        renderPrimary(rPlane.data(), Primary::Red, width, height, out);
    });
}

void ImageView::drawG()
{
    drawPicture([this](PictureRows out) {
        renderPrimary(gPlane.data(), Primary::Green, width, height, out);
    });
}

void ImageView::drawB()
{
    drawPicture([this](PictureRows out) {
        renderPrimary(bPlane.data(), Primary::Blue, width, height, out);
    });
}

void ImageView::drawComponent()
{
    switch (component) {
    case Color:
        drawColor();
        break;
    case Y:
        drawY();
        break;
    case U:
        drawU();
        break;
    case V:
        drawV();
        break;
    case R:
        drawR();
        break;
    case G:
        drawG();
        break;
    case B:
        drawB();
        break;
    default:
        break;
    }
}

template <typename Render> void ImageView::drawPicture(Render render)
{
    // The scene holds one pixmap: the picture on show.
    scene->clear();
    render(pictureRows());
    presentPicture();
}

void ImageView::presentPicture()
{
    // The pixmap shares the picture's pixels: nothing is copied on the way to the screen.
    scene->addPixmap(QPixmap::fromImage(picture));
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
    if (!pixel) {
        pixelLabel->hide();
        return;
    }
    const PixelSample s = samplePixel(planes(), format, width, *pixel);
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
