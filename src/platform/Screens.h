#pragma once

#include <QList>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>

// One display, in Qt's logical coordinates of the whole desktop (y grows downwards).
struct Screen {
    // The output's name (eDP-1, HDMI-2, ...).
    QString name;
    QRectF geometry;
    // The geometry less the desktop's own bars and docks.
    QRectF availableGeometry;
    // Frames per second; 60 when the display does not say.
    double refreshRate = 60.0;

    // A notebook's own panel, told by its connector's name.
    bool isBuiltIn() const;
    bool operator==(const Screen&) const = default;
};

// The displays, the pointer, and word when the arrangement of the displays changes.
class Screens : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // In the order the desktop lists them.
    virtual QList<Screen> screens() const = 0;
    // None when there is no screen at all.
    virtual std::optional<Screen> primaryScreen() const = 0;
    // None while the pointer is where this display cannot see it: over a Wayland window or
    // the compositor's own bar when we run through XWayland. The display then still reports
    // the last place it saw, which is no longer true.
    virtual std::optional<QPointF> cursorPosition() const = 0;

    // Whether this display is XWayland's, in a Wayland session: it sees the pointer only while
    // it is over an X window, and is not always told when it leaves.
    virtual bool seesPointerOnlyOverItsWindows() const { return false; }

    // The first built-in display, else the primary screen: where the notch and a hover-opened
    // drawer go.
    std::optional<Screen> builtInScreen() const;

Q_SIGNALS:
    // A resolution, a monitor plugged or unplugged, the primary screen or a bar changed.
    void screensChanged();
};
