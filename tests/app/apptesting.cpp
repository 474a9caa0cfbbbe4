#include "apptesting.h"

#include "imageopendialog.h"
#include "imageview.h"
#include "listwidgetitemext.h"
#include "tempdir.h"
#include "testclips.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLoggingCategory>
#include <QTest>
#include <QTimer>

// Outside any namespace: the macro declares the collection's entry point where it stands.
static void initIcons()
{
    Q_INIT_RESOURCE(icons);
}

namespace apptesting {

void startApplication()
{
    initIcons();
    QLoggingCategory::setFilterRules(
        QStringLiteral("qt.core.qmetaobject.connectslotsbyname.warning=false"));
    QApplication::setStyle(QStringLiteral("Fusion"));
    MainWindow::instance().show();
    QVERIFY(QTest::qWaitForWindowExposed(&MainWindow::instance()));
}

void stopApplication()
{
    ImageOpenDialog::releaseInstance();
    MainWindow::releaseInstance();
}

QListWidget *videoList()
{
    return mainWidget<QListWidget>("lwImageItems");
}

ImageView *videoAt(int row)
{
    auto *entry = static_cast<ListWidgetItemExt *>(videoList()->item(row));
    return entry ? entry->imageView : nullptr;
}

int videoCount()
{
    return videoList()->count();
}

VideoParameters writeClip(const TempDir &dir, const std::string &name, std::int32_t frames,
    std::int32_t format, std::int32_t width, std::int32_t height)
{
    return testclips::writeVideo(dir, name, format, width, height, frames);
}

ImageView *addClip(const TempDir &dir, const std::string &name, std::int32_t frames,
    std::int32_t format, std::int32_t width, std::int32_t height)
{
    MainWindow::instance().addVideo(writeClip(dir, name, frames, format, width, height));
    return videoAt(videoCount() - 1);
}

void click(const char *name)
{
    auto *button = mainWidget<QAbstractButton>(name);
    if (!button)
        qFatal("no button %s", name);
    // Near the left edge: check boxes and radio buttons answer only on their
    // indicator and text, not on the whole of their geometry.
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier,
        QPoint(qMin(6, button->width() / 2), button->height() / 2));
}

void setChecked(const char *name, bool checked)
{
    mainWidget<QCheckBox>(name)->setChecked(checked);
}

void selectRow(int row)
{
    QListWidget *list = videoList();
    const QRect place = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, place.center());
}

void closeAllVideos()
{
    while (videoCount() > 0) {
        const int before = videoCount();
        click("pbCloseImage");
        if (videoCount() == before)
            qFatal("Close left the list as it was");
    }
}

void tick(ImageView *view)
{
    if (!QMetaObject::invokeMethod(view, "playTimerTimeout", Qt::DirectConnection))
        qFatal("the video window has no playTimerTimeout slot");
}

QString shownText(const char *name)
{
    QWidget *widget = mainWidget<QWidget>(name);
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        return edit->text();
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    qFatal("no line edit or label %s", name);
}

void whenFileChooserOpens(std::function<void(QWidget *chooser)> answer)
{
    auto *poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
        auto *chooser = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!chooser)
            return;
        poll->deleteLater();
        poll->stop();
        answer(chooser);
    });
    poll->start(10);
}

void typeIntoFileChooser(QWidget *chooser, const QString &path)
{
    auto *dialog = static_cast<QFileDialog *>(chooser);
    auto *field = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    if (!field) {
        dialog->reject();
        return;
    }
    // One key event carrying the whole path, as an input method delivers text: typed
    // letter by letter, the chooser's completer popup would take the Return key.
    QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, path, Qt::NoModifier);
    QTest::keyClick(field, Qt::Key_Return);
    // A chooser still open means the typed path was not taken; do not hang.
    if (dialog->isVisible())
        dialog->reject();
}

} // namespace apptesting
