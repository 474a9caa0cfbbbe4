#include "userflow.h"

#include "apptesting.h"
#include "dialogtesting.h"
#include "imageopendialog.h"

#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QTimer>

#include <memory>

namespace userflow {

using namespace dialogtesting;

namespace {

// Answers every warning box with OK, as long as it lives, noting the last text.
std::unique_ptr<QTimer> answerWarnings(QString *text)
{
    auto poll = std::make_unique<QTimer>();
    QObject::connect(poll.get(), &QTimer::timeout, [text] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        *text = box->text();
        box->accept();
    });
    poll->start(10);
    return poll;
}

} // namespace

Outcome open(const QString &path, const Answer &answer)
{
    Outcome outcome;
    apptesting::whenFileChooserOpens([path, &outcome](QWidget *chooser) {
        outcome.chosen = apptesting::typeIntoChooser(chooser, path);
    });
    {
        const std::unique_ptr<QTimer> warnings = answerWarnings(&outcome.chooserWarning);
        apptesting::click("pbOpenImage");
    }
    if (!outcome.chosen)
        return outcome;

    ImageOpenDialog &dialog = ImageOpenDialog::instance();
    typeInto("leImageWidth", answer.width);
    typeInto("leImageHeight", answer.height);
    typeInto("leImageSpeed", QStringLiteral("25"));
    dialogWidget<QComboBox>("comboBoxFormat")->setCurrentIndex(answer.format);
    pressDialogButton(QDialogButtonBox::Ok);
    outcome.refused = dialog.isVisible();
    outcome.refusal = shownMessage();
    return outcome;
}

void cancelDialog()
{
    ImageOpenDialog &dialog = ImageOpenDialog::instance();
    if (!dialog.isVisible())
        return;
    pressDialogButton(QDialogButtonBox::Cancel);
}

} // namespace userflow
