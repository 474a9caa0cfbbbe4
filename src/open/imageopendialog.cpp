#include "imageopendialog.h"

#include "mainwindow.h"
#include "ui_imageopendialog.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

namespace {

std::unique_ptr<ImageOpenDialog> &instanceHolder()
{
    static std::unique_ptr<ImageOpenDialog> dialog;
    return dialog;
}

// Text that is not a base-10 integer counts as 0.
std::int32_t numberIn(const QLineEdit *edit)
{
    return edit->text().toInt(nullptr, 10);
}

QString sizeProblemText(SizeField field, SizeProblem problem)
{
    const bool width = field == SizeField::Width;
    switch (problem) {
    case SizeProblem::NotPositive:
        return width ? ImageOpenDialog::tr("Width: enter a whole number above 0.")
                     : ImageOpenDialog::tr("Height: enter a whole number above 0.");
    case SizeProblem::Odd:
        return width ? ImageOpenDialog::tr("Width must be even.")
                     : ImageOpenDialog::tr("Height must be even.");
    case SizeProblem::TooLarge:
        return width ? ImageOpenDialog::tr("Width must be at most %1.").arg(maxFrameDimension)
                     : ImageOpenDialog::tr("Height must be at most %1.").arg(maxFrameDimension);
    case SizeProblem::None:
        break;
    }
    return QString();
}

} // namespace

ImageOpenDialog &ImageOpenDialog::instance()
{
    auto &dialog = instanceHolder();
    if (!dialog)
        dialog = std::make_unique<ImageOpenDialog>();
    return *dialog;
}

void ImageOpenDialog::releaseInstance()
{
    instanceHolder().reset();
}

ImageOpenDialog::ImageOpenDialog(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::ImageOpenDialog)
{
    ui->setupUi(this);
}

ImageOpenDialog::~ImageOpenDialog()
{
    delete ui;
}

void ImageOpenDialog::showForFile(const std::string &path)
{
    parameters.path = path;
    ui->labelMessage->clear();
    setModal(true);
    show();
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
    record.speed = numberIn(ui->leImageSpeed);
    record.scan = ui->comboBoxScan->currentIndex() == 1 ? Interlaced : Progressive;
    record.format = ui->comboBoxFormat->currentIndex() == 1 ? UYVY : YV12;
    record.frameCount
        = ::frameCount(fileSize, ::frameSize(record.format, record.width, record.height));

    parameters = record;
    ui->labelMessage->clear();
    accept();
    MainWindow::instance().addVideo(parameters);
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
    refuse(sizeProblemText(check.field, check.problem));
    return false;
}

bool ImageOpenDialog::readFileSize(const std::string &path, qint64 &size)
{
    const QFileInfo file(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!file.exists()) {
        refuseFile(tr("%1 cannot be found."), path);
        return false;
    }
    if (!file.isFile()) {
        refuseFile(tr("%1 is not a regular file."), path);
        return false;
    }
    if (!file.isReadable()) {
        refuseFile(tr("%1 cannot be read."), path);
        return false;
    }
    size = file.size();
    return true;
}

void ImageOpenDialog::refuse(const QString &message)
{
    ui->labelMessage->setText(message);
}

void ImageOpenDialog::refuseFile(const QString &messageTemplate, const std::string &path)
{
    const QString name = QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).fileName();
    // The message has one line; a long file name gives up its middle, not the reason.
    const QFontMetrics metrics = ui->labelMessage->fontMetrics();
    const int room
        = ui->labelMessage->width() - metrics.horizontalAdvance(messageTemplate.arg(QString()));
    refuse(messageTemplate.arg(metrics.elidedText(name, Qt::ElideMiddle, room)));
}
