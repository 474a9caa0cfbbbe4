#include "apptesting.h"

#include "imageopendialog.h"
#include "imageview.h"
#include "listwidgetitemext.h"
#include "tempdir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLoggingCategory>
#include <QSlider>
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

QSlider *zoomSlider()
{
    return mainWidget<QSlider>("sliderImageZoom");
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

ImageView *addClip(const TempDir &dir, const std::string &name, std::int32_t format,
    std::int32_t width, std::int32_t height, std::int32_t frames)
{
    MainWindow::instance().addVideo(writeClip(dir, name, format, width, height, frames));
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

QString shownText(const char *name)
{
    QWidget *widget = mainWidget<QWidget>(name);
    if (!qobject_cast<QLineEdit *>(widget) && !qobject_cast<QLabel *>(widget))
        qFatal("no line edit or label %s", name);
    return shownText(widget);
}

QString shownText(const QWidget *widget)
{
    if (auto *box = qobject_cast<const QGroupBox *>(widget))
        return box->title();
    if (auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    if (auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (auto *edit = qobject_cast<const QLineEdit *>(widget))
        return edit->text();
    return QString();
}

void invokeSlot(const char *slot)
{
    if (!QMetaObject::invokeMethod(&MainWindow::instance(), slot))
        qFatal("no slot %s", slot);
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

void whenDialogOpens(const char *objectName, std::function<void(QWidget *dialog)> answer)
{
    auto *poll = new QTimer(qApp);
    const QString name = QString::fromLatin1(objectName);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, name, answer] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog || dialog->objectName() != name)
            return;
        poll->deleteLater();
        poll->stop();
        answer(dialog);
    });
    poll->start(10);
}

bool typeIntoChooser(QWidget *chooser, const QString &path)
{
    auto *dialog = qobject_cast<QFileDialog *>(chooser);
    auto *field = chooser->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    if (!dialog || !field) {
        if (dialog)
            dialog->reject();
        return false;
    }
    field->clear();
    // One key event carrying the whole path, as an input method delivers text: typed
    // letter by letter, the chooser's completer popup would take the Return key.
    QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, path, Qt::NoModifier);
    QTest::keyClick(field, Qt::Key_Return);
    if (!dialog->isVisible())
        return true;
    dialog->reject();
    return false;
}

} // namespace apptesting
