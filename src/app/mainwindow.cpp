#include "mainwindow.h"

#include "chosenfile.h"
#include "framecomparison.h"
#include "frameorder.h"
#include "gridchoices.h"
#include "imageopendialog.h"
#include "imageview.h"
#include "listwidgetitemext.h"
#include "openrefusal.h"
#include "samplelayout.h"
#include "ui_mainwindow.h"
#include "videodocument.h"
#include "videofile.h"
#include "y4mheader.h"
#include "zoompresets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QPixmapCache>
#include <QSettings>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

namespace {

// A plain pointer, which exit() leaves alone: when Qt ends the process because the
// display went away, a window destroyed then would call into the dead connection.
MainWindow *&instanceHolder()
{
    static MainWindow *window = nullptr;
    return window;
}

// The dialog's two layouts by the dialog's names, the others by ffmpeg's.
QString formatName(std::int32_t format)
{
    if (format == UYVY)
        return QStringLiteral("UYVY");
    const SampleLayout *layout = layoutOf(format);
    if (!layout || format == YV12)
        return QStringLiteral("YV12");
    return QString::fromLatin1(layout->name);
}

const QColor secondEntryBackground(242, 242, 242, 255);

static_assert(int(PlayLoop::None) == MainWindow::NoLoop
    && int(PlayLoop::Normal) == MainWindow::Normal && int(PlayLoop::Bounce) == MainWindow::Bounce);

// Stops, closes and deletes the entry's window; the entry stays, pointing nowhere. The
// window takes its video off the player's list as it goes.
void deleteVideoWindow(ListWidgetItemExt *entry)
{
    ImageView *view = std::exchange(entry->imageView, nullptr);
    if (!view)
        return;
    view->document().setPlaying(false);
    view->close();
    delete view;
}

// The fixed layout was drawn for narrower letters than DejaVu Sans has. These texts take
// a condensed face, the size read-out also a smaller size, so that "16384 x 16384" and the
// captions fit whole; sizes and weights the form gives are kept.
void condenseCrampedTexts(Ui::MainWindow *ui)
{
    QFont caption;
    caption.setBold(true);
    caption.setStretch(QFont::Condensed);
    ui->label_12->setFont(caption);
    ui->label_13->setFont(caption);
    caption.setPointSize(8);
    ui->label_11->setFont(caption);

    QFont narrow;
    narrow.setStretch(QFont::Condensed);
    for (QLabel *label : { ui->label_17, ui->label_18, ui->label_19, ui->label_20 })
        label->setFont(narrow);
    // The values alike, though only the size and the colour need the smaller letters.
    narrow.setPointSize(7);
    for (QLabel *value : { ui->labelVideoInfoSize, ui->labelVideoInfoFormat,
             ui->labelVideoInfoSpeed, ui->labelVideoInfoColour })
        value->setFont(narrow);
}

// The local files among dropped things, as the file system's bytes; empty when there is
// none. The bytes come from the URL's escapes, not through a QString, which would replace
// those that are not UTF-8.
std::vector<std::string> droppedFiles(const QMimeData *data)
{
    std::vector<std::string> paths;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            paths.push_back(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1())
                                .toStdString());
    }
    return paths;
}

// Qt's file chooser keeps its history and last folder in the user's settings, which every
// Qt program shares, and rewrites them each time a chooser closes. This program writes
// nothing, so Qt's user settings are looked for among its own read-only resources, where
// none exist and none can be made: Qt then neither reads nor writes them on disk.
void keepToolkitSettingsOffDisk()
{
    for (const QSettings::Format format : { QSettings::NativeFormat, QSettings::IniFormat })
        QSettings::setPath(format, QSettings::UserScope, QStringLiteral(":/no-settings"));
}

// A y4m file's header says what the dialog would ask: it is listed as its header says, or
// refused. Returns the sentence that refuses it, or an empty one.
QString openY4mFile(MainWindow &window, const std::string &path, const OpenPlan &asked)
{
    const QString name = QFile::decodeName(QByteArray::fromStdString(path));
    VideoParameters record;
    // A header without a rate takes the form's, as other files opened straight away do.
    ImageOpenDialog::instance().readSpeedAndScan(record);
    const std::string problem = fillY4mRecord(path, asked.size, asked.format, record);
    if (!problem.empty())
        return name + QStringLiteral(": ") + QString::fromStdString(problem);
    if (asked.matrix)
        record.matrix = std::int32_t(*asked.matrix);
    if (asked.range)
        record.range = std::int32_t(*asked.range);
    try {
        window.addVideo(record);
    } catch (const std::bad_alloc &) {
        return name + QStringLiteral(": ") + openrefusal::memoryTextInFull(record);
    } catch (const std::invalid_argument &changed) {
        return name + QStringLiteral(": ") + QString::fromUtf8(changed.what());
    }
    return QString();
}

} // namespace

std::int32_t MainWindow::addedCount = 0;

MainWindow &MainWindow::instance()
{
    MainWindow *&window = instanceHolder();
    if (!window)
        window = new MainWindow;
    return *window;
}

void MainWindow::releaseInstance()
{
    delete std::exchange(instanceHolder(), nullptr);
}

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
{
    ui->setupUi(this);
    ui->comboBoxGrid->addItems({ tr("none"), tr("4x4"), tr("8x8"), tr("16x16"), tr("32x32") });
    setWindowIcon(QIcon(QStringLiteral(":/ico/Dozud.ico")));
    setMouseTracking(true);
    condenseCrampedTexts(ui);
    setAcceptDrops(true);
    keepToolkitSettingsOffDisk();
    // The player goes on as the boxes say from its next tick, as if it read them there.
    for (QCheckBox *box : { ui->cbLoopNormal, ui->cbLoopBouncing })
        connect(box, &QCheckBox::toggled, this, [this] { player_.setLoop(PlayLoop(loopMode())); });
}

MainWindow::~MainWindow()
{
    // The by-name connection to our own destroyed() would otherwise call a slot on
    // an object that is no longer a MainWindow.
    disconnect(this, &QObject::destroyed, this, nullptr);
    for (int row = 0; row < ui->lwImageItems->count(); ++row)
        deleteVideoWindow(static_cast<ListWidgetItemExt *>(ui->lwImageItems->item(row)));
    delete ui;
    ui = nullptr;
}

MainWindow::LoopMode MainWindow::loopMode() const
{
    if (ui->cbLoopNormal->isChecked())
        return Normal;
    if (ui->cbLoopBouncing->isChecked())
        return Bounce;
    return NoLoop;
}

ImageView *MainWindow::videoAt(int row) const
{
    auto *entry = static_cast<ListWidgetItemExt *>(ui->lwImageItems->item(row));
    return entry ? entry->imageView : nullptr;
}

// Runs `action` on every listed video in list order; the count is read again on
// every pass.
template <typename Action> void MainWindow::forEachVideo(Action action)
{
    for (int row = 0; row < ui->lwImageItems->count(); ++row) {
        if (ImageView *view = videoAt(row))
            action(*view);
    }
}

void MainWindow::addVideo(const VideoParameters &parameters)
{
    // A frame too large for the memory at hand throws here, before anything is listed.
    listWindow(std::make_unique<ImageView>(
        std::make_unique<VideoDocument>(parameters), player_, parentWidget()));
}

QString MainWindow::addDifference(VideoDocument &a, VideoDocument &b)
{
    const QString name = QFile::decodeName(QByteArray::fromStdString(a.name()))
        + QStringLiteral(" vs ") + QFile::decodeName(QByteArray::fromStdString(b.name()));
    const std::string why = whyNotComparable(a.format(), b.format());
    if (!why.empty())
        return tr("%1 cannot be compared: %2.").arg(name, QString::fromStdString(why));
    try {
        listWindow(std::make_unique<ImageView>(
            std::make_unique<VideoDocument>(a, b), player_, parentWidget()));
    } catch (const std::bad_alloc &) {
        return name + QStringLiteral(": ")
            + openrefusal::memoryText(a.format().width(), a.format().height());
    }
    return QString();
}

void MainWindow::openComparison(
    const std::string &a, const std::string &b, const AskedParameters &asked)
{
    pendingComparison = PendingComparison { a, b, player_.videos().size() };
    openFiles({ a, b }, asked);
}

void MainWindow::openPendingComparison()
{
    if (!pendingComparison)
        return;
    const PendingComparison comparison = *std::exchange(pendingComparison, std::nullopt);
    // The first video of each file listed since, in the order given.
    const std::vector<VideoDocument *> &videos = player_.videos();
    VideoDocument *first = nullptr;
    VideoDocument *second = nullptr;
    for (std::size_t i = std::min(comparison.listedBefore, videos.size()); i < videos.size(); ++i) {
        if (!first && videos[i]->path() == comparison.a)
            first = videos[i];
        else if (first && !second && videos[i]->path() == comparison.b)
            second = videos[i];
    }
    QString problem;
    if (first && second) {
        problem = addDifference(*first, *second);
    } else {
        const std::string &missing = first ? comparison.b : comparison.a;
        problem = tr("No difference shown: %1 is not open.")
                      .arg(QFile::decodeName(QByteArray::fromStdString(missing)));
    }
    if (problem.isEmpty())
        return;
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()),
        QFile::encodeName(problem).constData());
    refusals << problem;
}

void MainWindow::moveToDifference(ImageView *view, int direction)
{
    applyPendingKeys();
    // Frames are read and compared until one differs, which may take a while on a long video.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<std::int64_t> frame
        = view->document().nextDifference(view->currentFrame(), direction);
    QApplication::restoreOverrideCursor();
    if (frame)
        player_.goTo(*frame);
}

void MainWindow::listWindow(std::unique_ptr<ImageView> window)
{
    player_.add(window->document());
    connectWindow(window.get());
    const QString lastFrame = QString::number(window->frameCount() - 1);
    auto *entry
        = new ListWidgetItemExt(QFile::decodeName(QByteArray::fromStdString(window->videoName())),
            ui->lwImageItems, window.get());
    ImageView *view = window.release();
    if (addedCount++ % 2 != 0)
        entry->setBackground(secondEntryBackground);
    ui->lwImageItems->setCurrentRow(ui->lwImageItems->count() - 1);

    ui->leIntervalMax->setText(lastFrame);
    ui->leVideoPos->setText(lastFrame);
    // A video of 0 frames keeps the range at 0 rather than dragging the minimum to -1; the
    // slider's range is 32-bit, as no slider can tell more frames apart.
    const int lastPosition
        = int(std::clamp<std::int64_t>(view->frameCount() - 1, 0, std::numeric_limits<int>::max()));
    ui->sliderVideoPos->setMinimum(0);
    ui->sliderVideoPos->setMaximum(lastPosition);
    ui->sliderVideoPos->setTickInterval(lastPosition);
    ui->sliderVideoPos->setSliderPosition(
        int(std::min<std::int64_t>(view->currentFrame(), lastPosition)));

    on_pbGoToStart_clicked();
}

void MainWindow::connectWindow(ImageView *view)
{
    connect(view, &ImageView::clicked, this, [this, view] { selectVideo(view); });
    connect(view, &ImageView::stepKeyPressed, this, &MainWindow::pressStepKey);
    connect(view, &ImageView::playKeyPressed, this, &MainWindow::pressPlayKey);
    connect(
        view, &ImageView::zoomKeyPressed, this, [this, view](int steps) { stepZoom(view, steps); });
    connect(view, &ImageView::differenceKeyPressed, this,
        [this, view](int direction) { moveToDifference(view, direction); });
    connect(view, &ImageView::colourChosen, this, [this, view] {
        if (view == currentVideoWindow())
            showVideoInfo(view->document());
    });
    connect(view, &ImageView::compareRequested, this, [this, view](VideoDocument *other) {
        const QString problem = addDifference(view->document(), *other);
        if (!problem.isEmpty()) {
            refusals << problem;
            showRefusals();
        }
    });
}

ImageView *MainWindow::currentVideoWindow() const
{
    return videoAt(ui->lwImageItems->currentRow());
}

int MainWindow::zoomSliderPosition(int percent)
{
    return sliderPositionForZoom(percent);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    player_.stop();
    forEachVideo([](ImageView &view) { view.close(); });
    QMainWindow::closeEvent(event);
}

void MainWindow::openFiles(const std::vector<std::string> &paths, const AskedParameters &asked)
{
    if (paths.empty())
        return;
    for (const std::string &path : paths) {
        // A y4m file opens straight away whatever its name; only the options count: -s and
        // -f, to be checked against its header, and -m and -r, which win over it.
        OpenPlan y4m;
        y4m.straightAway = true;
        y4m.size = asked.size;
        y4m.format = asked.format;
        y4m.matrix = asked.matrix;
        y4m.range = asked.range;
        pendingFiles.emplace_back(path, isY4mFile(path) ? y4m : planOpen(path, asked));
    }
    ImageOpenDialog &dialog = ImageOpenDialog::instance();
    // Queued: the dialog's own handlers finish with it (Cancel hides it once more) before
    // it is shown for the next file.
    connect(&dialog, &QDialog::finished, this, &MainWindow::openNextFile,
        Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
    if (!dialog.isVisible())
        openNextFile();
}

void MainWindow::openNextFile()
{
    ImageOpenDialog &dialog = ImageOpenDialog::instance();
    while (!pendingFiles.empty()) {
        const auto [path, plan] = pendingFiles.front();
        pendingFiles.pop_front();
        // Here, once for each file, whether it came from the command line or a drop.
        if (!plan.overruled.empty())
            std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()),
                plan.overruled.c_str());
        if (!plan.straightAway) {
            dialog.askAboutFile(path, plan);
            return;
        }
        const QString problem = openStraightAway(path, plan);
        if (problem.isEmpty())
            continue;
        std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()),
            QFile::encodeName(problem).constData());
        refusals << problem;
    }
    openPendingComparison();
    // Every opening returns the listed videos to frame 0, so the start frame comes last.
    if (pendingStartFrame)
        player_.goTo(*std::exchange(pendingStartFrame, std::nullopt));
    showRefusals();
}

void MainWindow::startAtFrame(std::int64_t frame)
{
    pendingStartFrame = frame;
}

QString MainWindow::openStraightAway(const std::string &path, const OpenPlan &plan)
{
    if (isY4mFile(path))
        return openY4mFile(*this, path, plan);
    VideoParameters record;
    record.path = path;
    record.format = plan.format.value_or(YV12);
    if (plan.size) {
        record.width = plan.size->width;
        record.height = plan.size->height;
    }
    // Shown as the file system's bytes read as text; opened by the bytes themselves.
    const QString name = QFile::decodeName(QByteArray::fromStdString(path));
    const SizeCheck check = checkFrameSize(record.format, record.width, record.height);
    if (!check.ok())
        return name + QStringLiteral(": ") + openrefusal::sizeText(check);
    const FileCheck file = checkVideoFile(path);
    if (file.problem != FileProblem::None)
        return openrefusal::fileText(file.problem).arg(name);
    ImageOpenDialog::instance().readSpeedAndScan(record);
    record.speed = plan.rate.value_or(record.speed);
    record.scan = plan.scan.value_or(record.scan);
    record.matrix = std::int32_t(plan.matrix.value_or(ColourMatrix::Bt601));
    record.range = std::int32_t(plan.range.value_or(ColourRange::Limited));
    record.frameCount
        = ::frameCount(file.size, ::frameSize(record.format, record.width, record.height));
    try {
        addVideo(record);
    } catch (const std::bad_alloc &) {
        return name + QStringLiteral(": ") + openrefusal::memoryTextInFull(record);
    }
    return QString();
}

void MainWindow::showRefusals()
{
    if (refusals.isEmpty())
        return;
    // One message for the files of one start or one drop; more refused while it is up
    // join it.
    if (!refusalMessage) {
        refusalMessage = new QMessageBox(
            QMessageBox::Warning, tr("Files not opened"), QString(), QMessageBox::Ok, this);
        refusalMessage->setObjectName(QStringLiteral("refusalMessage"));
        refusalMessage->setAttribute(Qt::WA_DeleteOnClose);
        refusalMessage->setModal(false);
    } else {
        refusals.prepend(refusalMessage->text());
    }
    refusalMessage->setText(refusals.join(QLatin1Char('\n')));
    refusals.clear();
    refusalMessage->show();
}

void MainWindow::selectVideo(const ImageView *view)
{
    for (int row = 0; row < ui->lwImageItems->count(); ++row) {
        if (videoAt(row) == view && ui->lwImageItems->currentRow() != row)
            ui->lwImageItems->setCurrentRow(row);
    }
}

void MainWindow::pressPlayKey()
{
    applyPendingKeys();
    (player_.anyPlaying() ? ui->pbStopPlay : ui->pbStartPlay)->click();
}

void MainWindow::pressStepKey(TransportStep step)
{
    pendingSteps.push_back(step);
    queueKeys();
}

void MainWindow::stepZoom(ImageView *view, int steps)
{
    pendingZooms.emplace_back(view, steps);
    queueKeys();
}

void MainWindow::queueKeys()
{
    // Queued behind the events already waiting, keys typed meanwhile among them.
    if (!std::exchange(keysQueued, true))
        QMetaObject::invokeMethod(
            this, [this] { applyPendingKeys(); }, Qt::QueuedConnection);
}

void MainWindow::applyPendingKeys()
{
    keysQueued = false;
    const std::vector<TransportStep> steps = std::exchange(pendingSteps, {});
    std::vector<std::pair<QPointer<ImageView>, int>> zooms = std::exchange(pendingZooms, {});
    if (steps.size() == 1)
        stepButton(steps.front())->click();
    else if (!steps.empty())
        player_.stepThrough(steps);

    // Each video once, at the preset its keys lead to one step at a time.
    QSlider *slider = ui->sliderImageZoom;
    for (auto first = zooms.begin(); first != zooms.end(); ++first) {
        ImageView *view = first->first;
        if (!view)
            continue;
        int position = zoomSliderPosition(static_cast<int>(100.0 * view->zoomFactor()));
        for (auto step = first; step != zooms.end(); ++step) {
            if (step->first == view) {
                position = qBound(slider->minimum(), position + step->second * slider->singleStep(),
                    slider->maximum());
                step->first = nullptr;
            }
        }
        zoomTo(view, position);
    }
}

QAbstractButton *MainWindow::stepButton(TransportStep step) const
{
    switch (step) {
    case TransportStep::ToFirst:
        return ui->pbGoToStart;
    case TransportStep::Back5:
        return ui->pb5stepRew;
    case TransportStep::Back1:
        return ui->pb1stepRew;
    case TransportStep::Forward1:
        return ui->pb1stepFF;
    case TransportStep::Forward5:
        return ui->pb5stepFF;
    case TransportStep::ToLast:
        break;
    }
    return ui->pbGoToEnd;
}

void MainWindow::zoomTo(ImageView *view, int sliderPosition)
{
    // The slider's own handler zooms the selected video, as a step of the slider would.
    if (view == currentVideoWindow())
        ui->sliderImageZoom->setValue(sliderPosition);
    else
        view->setZoomPercent(zoomPresetAt(sliderPosition));
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    // Refused, the drop cursor tells the user that nothing here takes the thing dragged.
    if (!droppedFiles(event->mimeData()).empty())
        event->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent *event)
{
    if (!droppedFiles(event->mimeData()).empty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const std::vector<std::string> paths = droppedFiles(event->mimeData());
    if (paths.empty())
        return;
    event->acceptProposedAction();
    openFiles(paths);
}

void MainWindow::on_pbOpenImage_clicked()
{
    const QString chosen = QFileDialog::getOpenFileName(this, tr("Choose a file to open"));
    // Every chooser makes its icons afresh, and the pixmaps drawn from them are cached under
    // those icons' own keys, which nothing asks for once the chooser is gone; left there,
    // they would fill Qt's pixmap cache to its limit, one chooser at a time.
    QPixmapCache::clear();
    if (chosen.isEmpty())
        return;
    const std::string file = chosenFileBytes(chosen);
    if (isY4mFile(file))
        openFiles({ file });
    else
        ImageOpenDialog::instance().showForFile(file);
}

void MainWindow::on_sliderImageZoom_valueChanged(int)
{
    // The position, not the value: both are the same once the handle is released.
    const int position = ui->sliderImageZoom->sliderPosition();
    const int percent = zoomPresetAt(position);
    ui->sliderImageZoom->setValue(position);
    ui->sliderImageZoom->setSliderPosition(position);
    ui->lineEditImageZoom->setText(QString::number(percent));
    if (ui->lwImageItems->count() == 0)
        return;
    if (ImageView *view = currentVideoWindow())
        view->setZoomPercent(percent);
}

void MainWindow::on_sliderImageZoom_sliderMoved(int position)
{
    QSlider *slider = ui->sliderImageZoom;
    const int value = slider->value();
    const int snapped = snappedZoomPosition(value, position, slider->singleStep());
    slider->setSliderPosition(snapped);
    // The field announces the preset that the release will apply.
    if (snapped != value)
        ui->lineEditImageZoom->setText(QString::number(zoomPresetAt(snapped)));
}

void MainWindow::on_pbCloseImage_clicked()
{
    if (ui->lwImageItems->count() == 0)
        return;
    auto *entry = static_cast<ListWidgetItemExt *>(ui->lwImageItems->currentItem());
    if (!entry)
        return;
    deleteVideoWindow(entry);
    // The list moves the current row to a neighbour, whose video the panel then shows.
    delete entry;
}

void MainWindow::on_pb1stepFF_clicked()
{
    applyPendingKeys();
    player_.step(TransportStep::Forward1);
}

void MainWindow::on_pb5stepFF_clicked()
{
    applyPendingKeys();
    player_.step(TransportStep::Forward5);
}

void MainWindow::on_pb1stepRew_clicked()
{
    applyPendingKeys();
    player_.step(TransportStep::Back1);
}

void MainWindow::on_pb5stepRew_clicked()
{
    applyPendingKeys();
    player_.step(TransportStep::Back5);
}

void MainWindow::on_pbGoToEnd_clicked()
{
    applyPendingKeys();
    player_.step(TransportStep::ToLast);
}

void MainWindow::on_pbGoToStart_clicked()
{
    applyPendingKeys();
    player_.step(TransportStep::ToFirst);
}

void MainWindow::on_pbHideImageWnd_clicked()
{
    if (ImageView *view = currentVideoWindow())
        view->hide();
}

void MainWindow::on_pbShowImageWnd_clicked()
{
    if (ImageView *view = currentVideoWindow())
        view->show();
}

void MainWindow::on_pbMoveUpImageItem_clicked()
{
    if (ImageView *view = currentVideoWindow())
        view->setZoomPercent(50);
}

void MainWindow::on_checkBoxGrid_clicked()
{
    applyGridControls();
}

void MainWindow::on_comboBoxGrid_currentIndexChanged(int)
{
    if (ui->lwImageItems->count() == 0)
        return;
    applyGridControls();
}

void MainWindow::applyGridControls()
{
    if (ImageView *view = currentVideoWindow())
        view->setGridStep(
            gridStepForControls(ui->comboBoxGrid->currentIndex(), ui->checkBoxGrid->isChecked()));
}

void MainWindow::on_rbCompColor_clicked()
{
    showComponent(ui->rbCompColor, ImageView::Color);
}

void MainWindow::on_rbCompY_clicked()
{
    showComponent(ui->rbCompY, ImageView::Y);
}

void MainWindow::on_rbCompU_clicked()
{
    showComponent(ui->rbCompU, ImageView::U);
}

void MainWindow::on_rbCompV_clicked()
{
    showComponent(ui->rbCompV, ImageView::V);
}

void MainWindow::on_rbCompR_clicked()
{
    showComponent(ui->rbCompR, ImageView::R);
}

void MainWindow::on_rbCompG_clicked()
{
    showComponent(ui->rbCompG, ImageView::G);
}

void MainWindow::on_rbCompB_clicked()
{
    showComponent(ui->rbCompB, ImageView::B);
}

void MainWindow::showComponent(const QRadioButton *button, int view)
{
    if (ui->lwImageItems->count() == 0 || !button->isChecked())
        return;
    if (ImageView *video = currentVideoWindow())
        video->setComponentView(view);
}

void MainWindow::on_lwImageItems_currentRowChanged(int currentRow)
{
    if (currentRow < 0)
        return;
    const ImageView *view = videoAt(currentRow);
    if (!view)
        return;

    // The combo and the slider run their own handlers when they change; those
    // re-apply the video's own grid and zoom to it.
    ui->checkBoxGrid->setChecked(view->gridStep() > 0);
    ui->comboBoxGrid->setCurrentIndex(gridChoiceForStep(view->gridStep()));
    ui->checkBoxToolTip->setChecked(view->tooltipEnabled());

    const int percent = static_cast<int>(100.0 * view->zoomFactor());
    const int position = zoomSliderPosition(percent);
    ui->sliderImageZoom->setSliderPosition(position);
    ui->sliderImageZoom->setValue(position);
    ui->lineEditImageZoom->setText(QString::number(percent));

    showVideoInfo(view->document());

    QRadioButton *const componentButtons[] = { ui->rbCompColor, ui->rbCompY, ui->rbCompU,
        ui->rbCompV, ui->rbCompR, ui->rbCompG, ui->rbCompB };
    const int component = view->component();
    if (component >= 0 && component < int(std::size(componentButtons)))
        componentButtons[component]->setChecked(true);
}

void MainWindow::showVideoInfo(const VideoDocument &video)
{
    const FrameFormat &format = video.format();
    ui->labelVideoInfoSize->setText(
        QStringLiteral("%1 x %2").arg(format.width()).arg(format.height()));
    ui->labelVideoInfoFormat->setText(formatName(format.pixelFormat()));
    ui->labelVideoInfoSpeed->setText(
        QString::fromStdString(speedText(video.speed(), video.speedDivisor())));
    // A difference is drawn in no colour of its videos'.
    ui->labelVideoInfoColour->setText(video.isDifference()
            ? QString()
            : QString::fromStdString(colourText(format.matrix(), format.range())));
}

void MainWindow::on_checkBoxToolTip_clicked()
{
    if (ImageView *view = currentVideoWindow())
        view->setTooltipEnabled(ui->checkBoxToolTip->isChecked());
}

void MainWindow::on_pbStartPlay_clicked()
{
    player_.play();
}

void MainWindow::on_pbStopPlay_clicked()
{
    player_.stop();
}

// Connected by name to our own destroyed(); the destructor cuts that connection
// before the form goes, so this only ever runs while the form exists.
void MainWindow::on_MainWindow_destroyed()
{
    if (ui)
        on_pbCloseImage_clicked();
}
