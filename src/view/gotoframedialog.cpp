#include "gotoframedialog.h"

#include "frameorder.h"
#include "ui_gotoframedialog.h"

#include <optional>

GoToFrameDialog::GoToFrameDialog(std::int64_t lastFrame, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::GoToFrameDialog)
    , lastFrame_(lastFrame)
{
    ui->setupUi(this);
    ui->labelRange->setText(tr("Frame, from 0 to %1:").arg(lastFrame_));
}

GoToFrameDialog::~GoToFrameDialog()
{
    delete ui;
}

void GoToFrameDialog::accept()
{
    const QString text = ui->leFrame->text().trimmed();
    const std::optional<std::int64_t> frame = frameNumberFrom(text.toStdString());
    if (!frame) {
        ui->labelMessage->setText(tr("Enter a whole number from 0 to %1.").arg(lastFrame_));
    } else if (*frame > lastFrame_) {
        // As typed: a number past 64 bits is read as the largest one.
        ui->labelMessage->setText(
            tr("There is no frame %1: the last is %2.").arg(text).arg(lastFrame_));
    } else {
        frame_ = *frame;
        QDialog::accept();
    }
}
