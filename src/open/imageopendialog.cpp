#include "imageopendialog.h"

#include "mainwindow.h"
#include "openrefusal.h"
#include "ui_imageopendialog.h"
#include "videofile.h"

#include <QFile>
#include <QFileInfo>

#include <new>
#include <utility>

namespace {

// A plain pointer, which exit() leaves alone, as the main window's is.
ImageOpenDialog *&instanceHolder()
{
    static ImageOpenDialog *dialog = nullptr;
    return dialog;
}

// Text that is not a base-10 integer counts as 0.
std::int32_t numberIn(const QLineEdit *edit)
{
    return edit->text().toInt(nullptr, 10);
}

// The dialog's list holds YV12 and UYVY; yuv422p is read as UYVY is.
int formatIndex(std::int32_t format)
{
    return isPlanar422(format) ? 1 : 0;
}

} // namespace

ImageOpenDialog &ImageOpenDialog::instance()
{
    ImageOpenDialog *&dialog = instanceHolder();
    if (!dialog)
        dialog = new ImageOpenDialog;
    return *dialog;
}

void ImageOpenDialog::releaseInstance()
{
    delete std::exchange(instanceHolder(), nullptr);
}

ImageOpenDialog::ImageOpenDialog(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::ImageOpenDialog)
{
    // The main window's 8 points, condensed: the form's fixed fields were drawn for
    // narrower letters than the desktop's DejaVu Sans, and "Progressive" or the longest
    // message would be cut off.
    ui->setupUi(this);
    QFont font;
    font.setPointSize(8);
    font.setStretch(QFont::Condensed);
    setFont(font);
}

ImageOpenDialog::~ImageOpenDialog()
{
    delete ui;
}

void ImageOpenDialog::showForFile(const std::string &path)
{
    parameters.path = path;
    // The dialog does not ask for the colour: BT.601 limited unless the file's plan says.
    parameters.matrix = std::int32_t(ColourMatrix::Bt601);
    parameters.range = std::int32_t(ColourRange::Limited);
    clearMessage();
    // The fields keep the last answer, but not its undo history: the one dialog serves the
    // whole session, and every opening's typing would pile up there.
    for (QLineEdit *field : { ui->leImageWidth, ui->leImageHeight, ui->leImageSpeed })
        field->setText(field->text());
    setModal(true);
    show();
}

void ImageOpenDialog::askAboutFile(const std::string &path, const OpenPlan &plan)
{
    if (plan.size) {
        ui->leImageWidth->setText(QString::number(plan.size->width));
        ui->leImageHeight->setText(QString::number(plan.size->height));
    }
    if (plan.format && dialogOffersLayout(*plan.format))
        ui->comboBoxFormat->setCurrentIndex(formatIndex(*plan.format));
    showForFile(path);
    parameters.matrix = std::int32_t(plan.matrix.value_or(ColourMatrix::Bt601));
    parameters.range = std::int32_t(plan.range.value_or(ColourRange::Limited));
    showWithName(
        tr("File: %1"), QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).fileName());
}

void ImageOpenDialog::on_bbConfirmation_rejected()
{
    hide();
}

// The button box's accepted signal reaches only this slot, not QDialog::accept, so a
// refused OK leaves the dialog open and modal with the reason shown in it.
void ImageOpenDialog::on_bbConfirmation_accepted()
{
    VideoParameters record = parameters;
    if (!readFrameSize(record))
        return;
    qint64 fileSize = 0;
    if (!readFileSize(record.path, fileSize))
        return;
    readSpeedAndScan(record);
    record.format = ui->comboBoxFormat->currentIndex() == 1 ? UYVY : YV12;
    record.frameCount
        = ::frameCount(fileSize, ::frameSize(record.format, record.width, record.height));

    // Listed before the dialog hides, so that a video too large for the memory at hand
    // leaves it open with the reason.
    try {
        MainWindow::instance().addVideo(record);
    } catch (const std::bad_alloc &) {
        refuse(openrefusal::memoryText(record.width, record.height),
            openrefusal::memoryTextInFull(record));
        return;
    }
    parameters = record;
    clearMessage();
    accept();
}

void ImageOpenDialog::readSpeedAndScan(VideoParameters &record) const
{
    record.speed = numberIn(ui->leImageSpeed);
    record.scan = ui->comboBoxScan->currentIndex() == 1 ? Interlaced : Progressive;
}

bool ImageOpenDialog::readFrameSize(VideoParameters &record)
{
    record.width = numberIn(ui->leImageWidth);
    record.height = numberIn(ui->leImageHeight);
    const SizeCheck check = checkFrameSize(record.width, record.height);
    if (check.ok())
        return true;
    QLineEdit *field = check.field == SizeField::Width ? ui->leImageWidth : ui->leImageHeight;
    field->setFocus();
    field->selectAll();
    refuse(openrefusal::sizeText(check));
    return false;
}

bool ImageOpenDialog::readFileSize(const std::string &path, qint64 &size)
{
    // The path's own bytes, which no character set need be able to spell.
    const FileCheck file = checkVideoFile(path);
    if (file.problem != FileProblem::None) {
        refuseFile(openrefusal::fileText(file.problem), path);
        return false;
    }
    size = file.size;
    return true;
}

void ImageOpenDialog::refuse(const QString &message, const QString &whole)
{
    ui->labelMessage->setText(message);
    ui->labelMessage->setToolTip(whole.isEmpty() ? message : whole);
}

void ImageOpenDialog::clearMessage()
{
    ui->labelMessage->clear();
    ui->labelMessage->setToolTip(QString());
}

void ImageOpenDialog::refuseFile(const QString &messageTemplate, const std::string &path)
{
    showWithName(
        messageTemplate, QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).fileName());
}

void ImageOpenDialog::showWithName(const QString &messageTemplate, const QString &name)
{
    // The message has one line; a long file name gives up its middle, not the reason.
    const QFontMetrics metrics = ui->labelMessage->fontMetrics();
    const int room
        = ui->labelMessage->width() - metrics.horizontalAdvance(messageTemplate.arg(QString()));
    refuse(messageTemplate.arg(metrics.elidedText(name, Qt::ElideMiddle, room)),
        messageTemplate.arg(name));
}
