#pragma once

#include <QObject>
#include <QRectF>

#include <optional>

class QWindow;

// What the rest of the desktop is doing that the pill keeps out of the way of, and keeping the
// pill above other windows without fighting them.
class DesktopActivity : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Where the active window is, in Qt's desktop coordinates, while it is fullscreen; none
    // while no window is active or the active one is not fullscreen.
    virtual std::optional<QRectF> fullscreenWindow() const = 0;
    // The screen saver runs, or a locker's window covers a whole screen.
    virtual bool isScreenLocked() const = 0;

    // Keeps this window (one that bypasses the window manager) above the windows the window
    // manager stacks, raising it only when one of them has come over it. Windows that bypass
    // the window manager too (menus, tooltips, a locker) are left above it, so no two programs
    // trade places forever; nothing is raised while the screen is locked.
    virtual void keepOnTop(QWindow* window) = 0;

Q_SIGNALS:
    // fullscreenWindow() or isScreenLocked() changed.
    void changed();
    // The window manager made another window the active one (its X window id; 0 for none).
    void activeWindowChanged(quint64 window);
};
