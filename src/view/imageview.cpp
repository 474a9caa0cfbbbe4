#include "imageview.h"

#include "gotoframedialog.h"
#include "mainwindow.h"
#include "namedparameters.h"
#include "pixelreadout.h"
#include "player.h"
#include "psnrreport.h"
#include "samplevalues.h"
#include "samplevaluesitem.h"
#include "ui_imageview.h"
#include "videodocument.h"
#include "zoomgeometry.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QtMath>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

// The window's views are the document's, numbered alike.
static_assert(int(ImageView::Color) == int(VideoDocument::Color)
    && int(ImageView::B) == int(VideoDocument::B));

// The step that a transport key stands for, as its button would take it.
std::optional<TransportStep> transportStepForKey(int key)
{
    switch (key) {
    case Qt::Key_Right:
        return TransportStep::Forward1;
    case Qt::Key_Left:
        return TransportStep::Back1;
    case Qt::Key_PageDown:
        return TransportStep::Forward5;
    case Qt::Key_PageUp:
        return TransportStep::Back5;
    case Qt::Key_End:
        return TransportStep::ToLast;
    case Qt::Key_Home:
        return TransportStep::ToFirst;
    default:
        return std::nullopt;
    }
}

QString fromFileName(const std::string &bytes)
{
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

} // namespace

ImageView::ImageView(const VideoParameters &parameters, QWidget *parent)
    : ImageView(
        std::make_unique<VideoDocument>(parameters), MainWindow::instance().player(), parent)
{
}

ImageView::ImageView(std::unique_ptr<VideoDocument> document, Player &player, QWidget *parent)
    : QMainWindow(nullptr)
    , document_(std::move(document))
    , player_(player)
{
    ui = new Ui::ImageView;
    ui->setupUi(this);
    // The form loads its icon afresh for every window, and the window system's pixmaps of
    // each new icon stay in Qt's pixmap cache after the window is gone. Every window shows
    // the first form's icon, so those pixmaps are made once.
    static const QIcon formIcon = windowIcon();
    setWindowIcon(formIcon);

    pixelLabel_ = new QLabel(parent, Qt::ToolTip);
    pixelLabel_->setStyleSheet(
        QStringLiteral("background-color: yellow; border-style: solid; border: 2px solid black;"));
    pixelLabel_->setAutoFillBackground(true);
    // Six lines of up to " Y = 4095   R = 255" must fit the fixed 100 x 80 box, with room
    // to spare after the last digit, so the readout takes a small condensed font.
    QFont readoutFont;
    // A difference's readout is a table of three columns, which a fixed pitch keeps aligned.
    if (document_->isDifference())
        readoutFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    readoutFont.setPixelSize(10);
    readoutFont.setStretch(QFont::Condensed);
    pixelLabel_->setFont(readoutFont);

    QGraphicsView *view = ui->gvVideoDisplay;
    view->viewport()->installEventFilter(this);
    view->viewport()->setMouseTracking(true);
    // The view has the keyboard focus; its keys step the videos instead of scrolling.
    view->installEventFilter(this);
    // Replaces the form's central widget, which takes its unused label along.
    setCentralWidget(view);

    const FrameFormat &format = document_->format();
    scene_ = new QGraphicsScene(this);
    scene_->setSceneRect(0, 0, format.width(), format.height());
    scene_->setItemIndexMethod(QGraphicsScene::NoIndex);

    // Pixel (0, 0) stays at the viewport's corner whatever the zoom, so the readout
    // reads the pixel under the pointer until the user pans.
    view->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    view->setCacheMode(QGraphicsView::CacheBackground);
    fitToScreen(zoomedSize());

    connect(document_.get(), &VideoDocument::frameShown, this, &ImageView::frameShown);
    connect(document_.get(), &VideoDocument::pictureChanged, this, [this] {
        if (document_->pictureDrawn())
            presentPicture();
    });
}

ImageView::~ImageView()
{
    player_.remove(*document_);
    delete ui;
    delete pixelLabel_;
}

void ImageView::showFrame(std::int64_t n)
{
    player_.show(*document_, n);
}

void ImageView::setComponentView(int view)
{
    document_->setView(view);
}

void ImageView::setGridStep(int step)
{
    document_->setGridStep(step);
}

std::string ImageView::videoName() const
{
    return document_->name();
}

std::int64_t ImageView::currentFrame() const
{
    return document_->currentFrame();
}

std::int64_t ImageView::frameCount() const
{
    return document_->frameCount();
}

int ImageView::component() const
{
    return document_->view();
}

std::int32_t ImageView::gridStep() const
{
    return document_->gridStep();
}

std::int32_t ImageView::bounceDirection() const
{
    return document_->direction();
}

bool ImageView::isPlaying() const
{
    return document_->isPlaying();
}

void ImageView::setZoomPercent(int percent)
{
    // A scale of 0 or less leaves no picture and no way back to a frame pixel.
    if (percent <= 0)
        return;
    const double z = percent / 100.0;
    if (!isZoomChange(zoomFactor_, z))
        return;
    ui->gvVideoDisplay->setTransform(QTransform::fromScale(z, z));
    zoomFactor_ = z;
    updateValues();
    fitToScreen(zoomedSize());
    scrollToOrigin();
    // Drawn again from memory, as every draw brings the window on screen.
    if (document_->pictureDrawn())
        presentPicture();
}

bool ImageView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->gvVideoDisplay)
        return event->type() == QEvent::KeyPress && takeKey(*static_cast<QKeyEvent *>(event));
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        // Only a click selects: a window that shows itself leaves the selection alone.
        emit clicked();
        break;
    case QEvent::MouseMove:
        if (tooltipEnabled_) {
            const QPointF position = static_cast<QMouseEvent *>(event)->position();
            showReadout(QPoint(qFloor(position.x()), qFloor(position.y())));
        } else {
            pixelLabel_->hide();
        }
        break;
    case QEvent::Leave:
        pixelLabel_->hide();
        break;
    case QEvent::ContextMenu:
        makeContextMenu()->exec(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    default:
        break;
    }
    return false;
}

bool ImageView::takeKey(const QKeyEvent &key)
{
    if (key.matches(QKeySequence::Copy)) {
        copyPicture();
        return true;
    }
    // Shift is how many keyboards type "+"; other modifiers leave the key to Qt.
    if (key.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))
        return false;
    if (key.key() == Qt::Key_N && document_->isDifference()) {
        emit differenceKeyPressed(key.modifiers() & Qt::ShiftModifier ? -1 : 1);
        return true;
    }
    switch (key.key()) {
    case Qt::Key_Plus:
        emit zoomKeyPressed(1);
        return true;
    case Qt::Key_Minus:
        emit zoomKeyPressed(-1);
        return true;
    case Qt::Key_Space:
        emit playKeyPressed();
        return true;
    case Qt::Key_G:
        goToFrame();
        return true;
    case Qt::Key_F5:
        reload();
        return true;
    default:
        break;
    }
    const std::optional<TransportStep> step = transportStepForKey(key.key());
    if (step)
        emit stepKeyPressed(*step);
    return step.has_value();
}

void ImageView::setValuesShown(bool shown)
{
    valuesShown_ = shown && !document_->isDifference();
    updateValues();
}

void ImageView::updateValues()
{
    // Compared as whole percent, as the zoom is set.
    const bool wanted = valuesShown_ && qRound(zoomFactor_ * 100) >= valuesZoomPercent;
    if (wanted && !valuesItem_) {
        valuesItem_ = new SampleValuesItem(*document_);
        scene_->addItem(valuesItem_);
    } else if (!wanted && valuesItem_) {
        delete valuesItem_;
        valuesItem_ = nullptr;
    }
}

void ImageView::copyPicture()
{
    // copy() takes the pixels into memory of the image's own; the picture's are rewritten
    // at the next frame.
    QGuiApplication::clipboard()->setImage(document_->picture().copy());
}

void ImageView::playTimerTimeout()
{
    player_.tick(*document_);
}

void ImageView::frameShown()
{
    updateTitle();
    if (document_->pictureDrawn())
        presentPicture();
}

void ImageView::updateTitle()
{
    // The path holds the file name's bytes as the file system has them.
    QString title = fromFileName(videoName()) + QLatin1String(" - ")
        + QString::number(document_->currentFrame()) + QLatin1Char('/')
        + QString::number(document_->frameCount());
    switch (document_->frameRead()) {
    case LoadResult::Complete:
        if (document_->isDifference())
            title += QLatin1String(" - ")
                + QString::fromStdString(
                    psnrTitleText(document_->comparison(), document_->format().depth()));
        break;
    case LoadResult::Partial:
        title += tr(" - only partly read");
        break;
    case LoadResult::Nothing:
        title += tr(" - could not be read");
        break;
    }
    setWindowTitle(title);
}

void ImageView::presentPicture()
{
    // The scene holds one pixmap item, the picture on show; the pixmap shares the
    // document's pixels, so nothing is copied on the way to the screen.
    const QPixmap pixmap = QPixmap::fromImage(document_->picture());
    if (pictureItem_)
        pictureItem_->setPixmap(pixmap);
    else
        pictureItem_ = scene_->addPixmap(pixmap);
    const bool sceneIsNew = ui->gvVideoDisplay->scene() != scene_;
    if (sceneIsNew)
        ui->gvVideoDisplay->setScene(scene_);
    const bool appearing = !isVisible();
    show();
    // Showing delivers the view's pending resize, to which it answers by centring the scene.
    if (sceneIsNew || appearing)
        scrollToOrigin();
}

WindowSize ImageView::zoomedSize() const
{
    return zoomedWindowSize(zoomFactor_, document_->format().width(), document_->format().height());
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
    fittedFrame_ = frame;
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
    if (expectedFrame() != fittedFrame_)
        fitToScreen(zoomedSize());
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
    const FrameFormat &format = document_->format();
    const std::optional<PixelPosition> pixel
        = pixelAt(scenePoint.x(), scenePoint.y(), format.width(), format.height());
    if (!pixel) {
        pixelLabel_->hide();
        return;
    }
    const bool difference = document_->isDifference();
    const std::int32_t boxWidth = difference ? differenceReadoutWidth : readoutWidth;
    const QPoint beside = pos() + viewportPos + QPoint(readoutOffsetX, readoutOffsetY);
    const QPoint pointer = ui->gvVideoDisplay->viewport()->mapToGlobal(viewportPos);
    const QRect onScreen = screen() ? screen()->geometry() : QRect(beside, pixelLabel_->size());
    pixelLabel_->setGeometry(
        readoutStart(beside.x(), pointer.x(), boxWidth, onScreen.left(), onScreen.right() + 1),
        readoutStart(beside.y(), pointer.y(), readoutHeight, onScreen.top(), onScreen.bottom() + 1),
        boxWidth, readoutHeight);
    const PixelSample s = document_->sampleAt(*pixel);
    if (difference) {
        const PixelSample t = document_->comparedSampleAt(*pixel);
        const auto line = [](char plane, int a, int b) {
            return QStringLiteral(" %1 %2 %3 %4\n")
                .arg(QLatin1Char(plane))
                .arg(a, 5)
                .arg(b, 5)
                .arg(a - b, 6);
        };
        pixelLabel_->setText(
            tr(" X = %1  Y = %2\n        A     B    A-B\n").arg(pixel->x).arg(pixel->y)
            + line('Y', s.y, t.y) + line('U', s.u, t.u) + line('V', s.v, t.v).chopped(1));
        pixelLabel_->show();
        return;
    }
    pixelLabel_->setText(
        tr(" X = %1\n Y = %2\n %9\n Y = %3   R = %6\n U = %4   G = %7\n V = %5   B = %8")
            .arg(QString::number(pixel->x), QString::number(pixel->y), QString::number(s.y),
                QString::number(s.u), QString::number(s.v), QString::number(s.r),
                QString::number(s.g), QString::number(s.b),
                QString::fromStdString(colourText(format.matrix(), format.range()))));
    pixelLabel_->show();
}

std::unique_ptr<QMenu> ImageView::makeContextMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    QMenu *compare = menu->addMenu(tr("Compare with"));
    std::vector<VideoDocument *> others;
    if (!document_->isDifference()) {
        for (VideoDocument *other : player_.videos()) {
            if (other != document_.get() && !other->isDifference()
                && comparable(document_->format(), other->format()))
                others.push_back(other);
        }
    }
    const std::vector<VideoDocument *> &listed = player_.videos();
    for (VideoDocument *other : others) {
        // Two listed videos of one name, this one among them, are told apart by their paths.
        const bool nameShared
            = std::count_if(listed.begin(), listed.end(),
                  [other](const VideoDocument *video) { return video->name() == other->name(); })
            > 1;
        const QString text = fromFileName(nameShared ? other->path() : other->name());
        // The video may be closed while the menu is open; its entry then does nothing.
        connect(compare->addAction(text), &QAction::triggered, this, [this, other] {
            const std::vector<VideoDocument *> &listed = player_.videos();
            if (std::find(listed.begin(), listed.end(), other) != listed.end())
                emit compareRequested(other);
        });
    }
    compare->setEnabled(!others.empty());
    connect(menu->addAction(tr("Go to frame…")), &QAction::triggered, this, &ImageView::goToFrame);
    connect(menu->addAction(tr("Reload")), &QAction::triggered, this, &ImageView::reload);
    menu->addAction(tr("&Copy picture"), this, &ImageView::copyPicture)
        ->setObjectName("copyPicture");
    QAction *values = menu->addAction(tr("Show &values"), this, &ImageView::setValuesShown);
    values->setObjectName("showValues");
    values->setCheckable(true);
    values->setChecked(valuesShown_);
    values->setEnabled(!document_->isDifference());
    addColourMenus(*menu);
    return menu;
}

void ImageView::addColourMenus(QMenu &menu)
{
    const FrameFormat &format = document_->format();
    const auto choose = [this](ColourMatrix matrix, ColourRange range) {
        document_->setColour(matrix, range);
        emit colourChosen();
    };
    QMenu *matrices = menu.addMenu(tr("Matrix"));
    auto *matrixGroup = new QActionGroup(matrices);
    for (const ColourMatrix matrix :
        { ColourMatrix::Bt601, ColourMatrix::Bt709, ColourMatrix::Bt2020 }) {
        QAction *entry = matrices->addAction(QString::fromStdString(colourMatrixText(matrix)));
        entry->setCheckable(true);
        entry->setChecked(format.matrix() == matrix);
        matrixGroup->addAction(entry);
        connect(entry, &QAction::triggered, this,
            [this, choose, matrix] { choose(matrix, document_->format().range()); });
    }
    QMenu *ranges = menu.addMenu(tr("Range"));
    auto *rangeGroup = new QActionGroup(ranges);
    for (const auto &[range, text] : { std::pair(ColourRange::Limited, tr("Limited")),
             std::pair(ColourRange::Full, tr("Full")) }) {
        QAction *entry = ranges->addAction(text);
        entry->setCheckable(true);
        entry->setChecked(format.range() == range);
        rangeGroup->addAction(entry);
        connect(entry, &QAction::triggered, this,
            [this, choose, range = range] { choose(document_->format().matrix(), range); });
    }
    // A difference shows which samples differ, in no colour of its videos'.
    matrices->setEnabled(!document_->isDifference());
    ranges->setEnabled(!document_->isDifference());
}

void ImageView::goToFrame()
{
    // The longest listed video sets the range; shorter ones stop at their last frame.
    std::int64_t frames = document_->frameCount();
    for (const VideoDocument *video : player_.videos())
        frames = std::max(frames, video->frameCount());
    QPointer<GoToFrameDialog> dialog
        = new GoToFrameDialog(std::max<std::int64_t>(frames - 1, 0), this);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    // The window, and the dialog with it, may have gone while the dialog was up.
    if (!dialog)
        return;
    const std::int64_t frame = dialog->frame();
    delete dialog;
    if (accepted)
        player_.goTo(frame);
}

void ImageView::reload()
{
    player_.reload(*document_);
}
