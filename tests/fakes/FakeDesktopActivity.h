#pragma once

#include "platform/DesktopActivity.h"

#include <QPointer>
#include <QWindow>

// A desktop a test puts into fullscreen or locks by hand.
class FakeDesktopActivity final : public DesktopActivity {
public:
    std::optional<QRectF> fullscreenWindow() const override { return fullscreen; }
    bool isScreenLocked() const override { return locked; }
    void keepOnTop(QWindow* window) override { keptOnTop = window; }

    void setFullscreen(std::optional<QRectF> frame) {
        fullscreen = frame;
        Q_EMIT changed();
    }
    void activate(quint64 window) { Q_EMIT activeWindowChanged(window); }
    void setLocked(bool on) {
        locked = on;
        Q_EMIT changed();
    }

    std::optional<QRectF> fullscreen;
    bool locked = false;
    QPointer<QWindow> keptOnTop;
};
