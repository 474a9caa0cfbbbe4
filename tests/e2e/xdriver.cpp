#include "xdriver.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <memory>

namespace xdriver {

namespace {

constexpr int pollMs = 25;

QByteArray run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000))
        qFatal("%s did not finish", qPrintable(program));
    return process.readAllStandardOutput();
}

QByteArray xdotool(const QStringList &arguments)
{
    return run(QStringLiteral("xdotool"), arguments);
}

} // namespace

void DisplayCloser::operator()(_XDisplay *display) const
{
    XCloseDisplay(display);
}

DisplayConnection connectToDisplay()
{
    return DisplayConnection(XOpenDisplay(nullptr));
}

QStringList visibleWindows(const QString &titlePattern)
{
    const QString output
        = QString::fromUtf8(xdotool({ QStringLiteral("search"), QStringLiteral("--onlyvisible"),
            QStringLiteral("--name"), QLatin1Char('^') + titlePattern + QLatin1Char('$') }));
    return output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString windowTitle(const WindowId &window)
{
    return QString::fromUtf8(xdotool({ QStringLiteral("getwindowname"), window })).trimmed();
}

QRect windowGeometry(const WindowId &window)
{
    const QString output = QString::fromUtf8(
        xdotool({ QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window }));
    QRect geometry;
    for (const QString &line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString name = line.section(QLatin1Char('='), 0, 0);
        const int value = line.section(QLatin1Char('='), 1).toInt();
        if (name == QLatin1String("X"))
            geometry.moveLeft(value);
        else if (name == QLatin1String("Y"))
            geometry.moveTop(value);
        else if (name == QLatin1String("WIDTH"))
            geometry.setWidth(value);
        else if (name == QLatin1String("HEIGHT"))
            geometry.setHeight(value);
    }
    return geometry;
}

std::optional<WindowId> waitForWindow(const QString &titlePattern, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    do {
        const QStringList found = visibleWindows(titlePattern);
        if (found.size() == 1)
            return found.front();
        QThread::msleep(pollMs);
    } while (clock.elapsed() < timeoutMs);
    return std::nullopt;
}

std::optional<WindowId> waitForNewWindow(const QStringList &before, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    do {
        for (const WindowId &window : visibleWindows(QStringLiteral(".*"))) {
            if (!before.contains(window))
                return window;
        }
        QThread::msleep(pollMs);
    } while (clock.elapsed() < timeoutMs);
    return std::nullopt;
}

bool waitForNoWindow(const QString &titlePattern, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    do {
        if (visibleWindows(titlePattern).isEmpty())
            return true;
        QThread::msleep(pollMs);
    } while (clock.elapsed() < timeoutMs);
    return false;
}

bool waitForTitle(const WindowId &window, const QString &title, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    do {
        if (windowTitle(window) == title)
            return true;
        QThread::msleep(pollMs);
    } while (clock.elapsed() < timeoutMs);
    return false;
}

bool waitForFocus(const WindowId &window, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    do {
        if (QString::fromUtf8(xdotool({ QStringLiteral("getwindowfocus") })).trimmed() == window)
            return true;
        QThread::msleep(pollMs);
    } while (clock.elapsed() < timeoutMs);
    return false;
}

void click(const WindowId &window, QPoint at, int button)
{
    // No --sync: it waits for a motion that never comes when the pointer is already there.
    xdotool(
        { QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(at.x()),
            QString::number(at.y()), QStringLiteral("click"), QString::number(button) });
}

void typeText(const QString &text)
{
    xdotool({ QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("5"), text });
}

void pressKey(const QString &key)
{
    xdotool({ QStringLiteral("key"), key });
}

QImage grab(const WindowId &window)
{
    const QRect geometry = windowGeometry(window);
    const QByteArray pixels = run(QStringLiteral("import"),
        { QStringLiteral("-silent"), QStringLiteral("-window"), window, QStringLiteral("-depth"),
            QStringLiteral("8"), QStringLiteral("rgb:-") });
    const qsizetype rowBytes = qsizetype(geometry.width()) * 3;
    if (geometry.isEmpty() || pixels.size() != rowBytes * geometry.height())
        return QImage();
    QImage image(geometry.size(), QImage::Format_RGB888);
    for (int y = 0; y < geometry.height(); ++y)
        memcpy(image.scanLine(y), pixels.constData() + y * rowBytes, size_t(rowBytes));
    return image;
}

void requestClose(Display *display, const WindowId &window)
{
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window.toULong();
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XFlush(display);
}

namespace {

// The 32-bit items of a window property, empty when the window has no such property.
QList<long> cardinals(Display *display, Window window, const char *name, Atom type)
{
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char *data = nullptr;
    QList<long> items;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 16, False, type,
            &actualType, &format, &count, &remaining, &data)
            == Success
        && actualType == type && format == 32) {
        const auto *values = reinterpret_cast<const long *>(data);
        items = QList<long>(values, values + count);
    }
    if (data)
        XFree(data);
    return items;
}

} // namespace

bool windowManagerRuns(Display *display)
{
    return !cardinals(display, DefaultRootWindow(display), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW)
                .isEmpty();
}

void forgetWindowManager(Display *display)
{
    for (const char *name : { "_NET_SUPPORTING_WM_CHECK", "_NET_SUPPORTED", "_NET_ACTIVE_WINDOW" })
        XDeleteProperty(display, DefaultRootWindow(display), XInternAtom(display, name, False));
    XSync(display, False);
}

std::optional<QMargins> frameExtents(Display *display, const WindowId &window)
{
    const QList<long> sides
        = cardinals(display, window.toULong(), "_NET_FRAME_EXTENTS", XA_CARDINAL);
    if (sides.size() != 4)
        return std::nullopt;
    return QMargins(int(sides[0]), int(sides[2]), int(sides[1]), int(sides[3]));
}

QRect screenGeometry(Display *display)
{
    return QRect(0, 0, DisplayWidth(display, DefaultScreen(display)),
        DisplayHeight(display, DefaultScreen(display)));
}

QRect placeOnScreen(Display *display, const WindowId &window)
{
    Window root = None;
    Window child = None;
    int x = 0;
    int y = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned border = 0;
    unsigned depth = 0;
    if (!XGetGeometry(display, window.toULong(), &root, &x, &y, &width, &height, &border, &depth)
        || !XTranslateCoordinates(display, window.toULong(), root, 0, 0, &x, &y, &child))
        return QRect();
    return QRect(x, y, int(width), int(height));
}

QPoint pointerPosition(Display *display)
{
    Window root = None;
    Window child = None;
    int x = 0;
    int y = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned buttons = 0;
    XQueryPointer(
        display, DefaultRootWindow(display), &root, &child, &x, &y, &windowX, &windowY, &buttons);
    return QPoint(x, y);
}

void moveWindow(const WindowId &window, QPoint to)
{
    xdotool({ QStringLiteral("windowmove"), QStringLiteral("--sync"), window,
        QString::number(to.x()), QString::number(to.y()) });
}

void movePointer(const WindowId &window, QPoint at)
{
    xdotool({ QStringLiteral("mousemove"), QStringLiteral("--window"), window,
        QString::number(at.x()), QString::number(at.y()) });
}

void pressButton(const WindowId &window, QPoint at)
{
    xdotool(
        { QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(at.x()),
            QString::number(at.y()), QStringLiteral("mousedown"), QStringLiteral("1") });
}

void movePointerInSteps(Display *display, const WindowId &window, QPoint at, int steps)
{
    const QPoint from = pointerPosition(display);
    const QPoint to = placeOnScreen(display, window).topLeft() + at;
    for (int step = 1; step <= steps; ++step) {
        const QPoint next = from + (to - from) * step / steps;
        xdotool(
            { QStringLiteral("mousemove"), QString::number(next.x()), QString::number(next.y()) });
    }
}

void releaseButton()
{
    xdotool({ QStringLiteral("mouseup"), QStringLiteral("1") });
}

QString escapedForPattern(const QString &text)
{
    // xdotool matches POSIX extended expressions, where only these characters are special.
    static const QString special = QStringLiteral(".[]()*+?{}|^$\\");
    QString escaped;
    for (const QChar c : text) {
        if (special.contains(c))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return escaped;
}

} // namespace xdriver
