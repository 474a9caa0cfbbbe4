#pragma once

#include <QImage>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

struct _XDisplay;

// The program seen and driven only through the X server, as a user at the screen would:
// xdotool finds windows and sends the mouse and keys, ImageMagick's import takes pictures.
namespace xdriver {

using WindowId = QString;

struct DisplayCloser
{
    void operator()(_XDisplay *display) const;
};
using DisplayConnection = std::unique_ptr<_XDisplay, DisplayCloser>;

// A connection to the display named by $DISPLAY; null when there is none.
DisplayConnection connectToDisplay();

// Visible windows whose whole title matches the regular expression.
QStringList visibleWindows(const QString &titlePattern);
QString windowTitle(const WindowId &window);
QRect windowGeometry(const WindowId &window);

// Polls until exactly one visible window matches; nullopt after timeoutMs.
std::optional<WindowId> waitForWindow(const QString &titlePattern, int timeoutMs);
// Polls until a visible window that is not in `before` appears, such as a popup.
std::optional<WindowId> waitForNewWindow(const QStringList &before, int timeoutMs);
// Polls until no visible window matches; false after timeoutMs.
bool waitForNoWindow(const QString &titlePattern, int timeoutMs);
// Polls until the window's title is `title`; false after timeoutMs.
bool waitForTitle(const WindowId &window, const QString &title, int timeoutMs);

// Polls until the window has the keyboard focus: keys sent before that go elsewhere.
bool waitForFocus(const WindowId &window, int timeoutMs);

// Button 1 is the left one, 3 the right one.
void click(const WindowId &window, QPoint at, int button = 1);
void typeText(const QString &text);
// Key names as xdotool knows them: "Return", "Tab", "ctrl+a".
void pressKey(const QString &key);

// The window's pixels as RGB888; a null image when the grab failed.
QImage grab(const WindowId &window);

// What a window manager sends when the user clicks the title bar's close button.
void requestClose(_XDisplay *display, const WindowId &window);

// Whether a window manager has announced itself on the root window.
bool windowManagerRuns(_XDisplay *display);
// Removes what a window manager that has ended announced there.
void forgetWindowManager(_XDisplay *display);
// The frame that the window manager reports around the window (_NET_FRAME_EXTENTS);
// nullopt while it reports none.
std::optional<QMargins> frameExtents(_XDisplay *display, const WindowId &window);
QRect screenGeometry(_XDisplay *display);
// Where the window's own area lies on the screen, whatever frame it is reparented into.
QRect placeOnScreen(_XDisplay *display, const WindowId &window);
QPoint pointerPosition(_XDisplay *display);
// Moves the window's top-left corner to a point of the screen, as a user's drag would.
void moveWindow(const WindowId &window, QPoint to);
// Moves the pointer to a point of the window, as a user's mouse would.
void movePointer(const WindowId &window, QPoint at);
// A drag by hand: the left button held down at a point of one window, the pointer taken
// to a point of another in even steps, each window on the way seeing it pass, and the
// button let go.
void pressButton(const WindowId &window, QPoint at);
void movePointerInSteps(_XDisplay *display, const WindowId &window, QPoint at, int steps);
void releaseButton();

QString escapedForPattern(const QString &text);

} // namespace xdriver
