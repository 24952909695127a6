#pragma once

#include "platform/DesktopActivity.h"

#include <QElapsedTimer>
#include <QPointer>

class QSocketNotifier;
struct xcb_connection_t;

// Follows the active window's fullscreen state (_NET_ACTIVE_WINDOW, _NET_WM_STATE), the screen
// saver (the MIT-SCREEN-SAVER extension) and lockers (a window that bypasses the window manager
// and covers a whole screen), and keeps one window above the managed ones. It looks at stacking
// only when the window manager restacks (_NET_CLIENT_LIST_STACKING) or X says the window was
// covered (VisibilityNotify, which a compositor never sends): moving or resizing windows, which
// changes neither, costs nothing. Over an X connection of its own, so errors about windows
// that went away meanwhile never reach Qt's.
class X11DesktopActivity final : public DesktopActivity {
    Q_OBJECT
public:
    explicit X11DesktopActivity(QObject* parent = nullptr);
    ~X11DesktopActivity() override;

    std::optional<QRectF> fullscreenWindow() const override { return fullscreen_; }
    bool isScreenLocked() const override { return saverOn_ || locker_ != 0; }
    void keepOnTop(QWindow* window) override;

private:
    bool connectToDisplay();
    quint32 atom(const char* name) const;
    void readEvents();
    // One event, as xcb_generic_event_t.
    void handle(const void* raw);
    void selectOn(quint32 window);
    void followActiveWindow();
    void readFullscreen();
    void restack();
    void setLocker(quint32 window);
    void announceIfChanged(const std::optional<QRectF>& fullscreen, bool locked);

    xcb_connection_t* connection_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
    quint32 root_ = 0;
    quint32 activeWindowAtom_ = 0;
    quint32 stateAtom_ = 0;
    quint32 fullscreenAtom_ = 0;
    quint32 stackingAtom_ = 0;
    quint8 saverEvent_ = 0;
    bool hasSaver_ = false;

    quint32 active_ = 0;
    std::optional<QRectF> fullscreen_;
    bool saverOn_ = false;
    quint32 locker_ = 0;

    QPointer<QWindow> kept_;
    quint32 keptId_ = 0;
    // Raises in the current second: a window manager that answered each raise with one of its
    // own would otherwise make the two trade places for good.
    QElapsedTimer raiseWindow_;
    int raises_ = 0;
};
