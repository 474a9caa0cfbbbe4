#pragma once

#include "mainwindow.h"
#include "testclips.h"
#include "videoparameters.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <string>

class ImageView;
class QListWidget;
class QSlider;
class TempDir;

// Shared by the main window tests: the one main window's widgets, listed videos,
// clicks and timer ticks.
namespace apptesting {

// Registers the icons, picks the style and shows the main window.
void startApplication();
// Destroys the dialog and then the main window, before the application object goes.
void stopApplication();

template <typename T> T *mainWidget(const char *name)
{
    return MainWindow::instance().findChild<T *>(QString::fromLatin1(name));
}

QListWidget *videoList();
QSlider *zoomSlider();
ImageView *videoAt(int row);
int videoCount();

// The tests write their clips with testclips' writers, in their one argument order.
using testclips::writeClip;
// Writes the clip as writeClip does and lists it through MainWindow::addVideo; returns its
// window.
ImageView *addClip(const TempDir &dir, const std::string &name, std::int32_t format,
    std::int32_t width, std::int32_t height, std::int32_t frames);

// Clicks the main window's widget of that name where a user would.
void click(const char *name);
// Sets a check box of the main window without raising its click handler.
void setChecked(const char *name, bool checked);
// Selects a row of the video list as a click on it would.
void selectRow(int row);
// Closes every listed video with the Close button.
void closeAllVideos();

// The text of a QLineEdit or QLabel of the main window.
QString shownText(const char *name);
// The text a widget shows: a group box's title, or the text of a button, label or line
// edit; empty for any other widget.
QString shownText(const QWidget *widget);

// Calls a slot of the main window by name, as the connection made by name would.
void invokeSlot(const char *slot);

// Runs `answer` on the first QFileDialog that becomes the active modal widget.
void whenFileChooserOpens(std::function<void(QWidget *chooser)> answer);

// Runs `answer` on the first dialog named `objectName` that becomes the active modal widget.
void whenDialogOpens(const char *objectName, std::function<void(QWidget *dialog)> answer);

// Types `path` into the file chooser's name field and presses Return; true when the chooser
// took it and closed. A chooser that did not take it is cancelled, leaving nothing open.
bool typeIntoChooser(QWidget *chooser, const QString &path);

} // namespace apptesting
