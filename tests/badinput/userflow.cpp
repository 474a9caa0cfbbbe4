#include "userflow.h"

#include "apptesting.h"
#include "imageopendialog.h"
#include "imageview.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

namespace userflow {

namespace {

template <typename T> T *dialogWidget(const char *name)
{
    return ImageOpenDialog::instance().findChild<T *>(QString::fromLatin1(name));
}

void typeInto(const char *name, const QString &text)
{
    auto *edit = dialogWidget<QLineEdit>(name);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

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

// One key event carrying the whole text, as an input method delivers it, then Return.
void typeAndReturn(QLineEdit *field, const QString &text)
{
    field->clear();
    QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, text, Qt::NoModifier);
    QTest::keyClick(field, Qt::Key_Return);
}

Outcome open(const QString &path, const Answer &answer)
{
    Outcome outcome;
    apptesting::whenFileChooserOpens([path, &outcome](QWidget *widget) {
        auto *chooser = static_cast<QFileDialog *>(widget);
        auto *field = chooser->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (!field) {
            chooser->reject();
            return;
        }
        typeAndReturn(field, path);
        outcome.chosen = !chooser->isVisible();
        // A path the chooser did not take leaves the user only Cancel.
        if (chooser->isVisible())
            chooser->reject();
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
    QTest::mouseClick(
        dialogWidget<QDialogButtonBox>("bbConfirmation")->button(QDialogButtonBox::Ok),
        Qt::LeftButton);
    outcome.refused = dialog.isVisible();
    outcome.refusal = dialogWidget<QLabel>("labelMessage")->text();
    return outcome;
}

void cancelDialog()
{
    ImageOpenDialog &dialog = ImageOpenDialog::instance();
    if (!dialog.isVisible())
        return;
    QTest::mouseClick(
        dialogWidget<QDialogButtonBox>("bbConfirmation")->button(QDialogButtonBox::Cancel),
        Qt::LeftButton);
}

QImage shownPicture(const ImageView *view)
{
    for (QGraphicsItem *item : view->scene->items()) {
        if (auto *pixmap = qgraphicsitem_cast<QGraphicsPixmapItem *>(item))
            return pixmap->pixmap().toImage();
    }
    return QImage();
}

} // namespace userflow
