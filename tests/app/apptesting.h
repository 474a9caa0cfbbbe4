#pragma once

#include "mainwindow.h"
#include "videoparameters.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <string>

class ImageView;
class QListWidget;
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
ImageView *videoAt(int row);
int videoCount();

// Writes a generated clip of `frames` frames into dir and describes it.
VideoParameters writeClip(const TempDir &dir, const std::string &name, std::int32_t frames,
    std::int32_t format = YV12, std::int32_t width = 16, std::int32_t height = 8);
// Writes the clip and lists it through MainWindow::addVideo; returns its window.
ImageView *addClip(const TempDir &dir, const std::string &name, std::int32_t frames,
    std::int32_t format = YV12, std::int32_t width = 16, std::int32_t height = 8);

// Clicks the main window's widget of that name where a user would.
void click(const char *name);
// Sets a check box of the main window without raising its click handler.
void setChecked(const char *name, bool checked);
// Selects a row of the video list as a click on it would.
void selectRow(int row);
// Closes every listed video with the Close button.
void closeAllVideos();

// One tick of the window's play timer, without waiting for the clock.
void tick(ImageView *view);

// The text of a QLineEdit or QLabel of the main window.
QString shownText(const char *name);

// Runs `answer` on the first QFileDialog that becomes the active modal widget.
void whenFileChooserOpens(std::function<void(QWidget *chooser)> answer);
// Types `path` into the chooser's file name field and presses Return, as a user would;
// cancels the chooser if that left it open.
void typeIntoFileChooser(QWidget *chooser, const QString &path);

} // namespace apptesting
