#include "platform/x11/X11Screens.h"

#include "platform/x11/ScreenCoordinates.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

X11Screens::X11Screens(QObject* parent)
    : Screens(parent) {
    for (QScreen* screen : QGuiApplication::screens()) {
        watch(screen);
    }
    auto* app = qGuiApp;
    connect(app, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watch(screen);
        Q_EMIT screenParametersChanged();
    });
    connect(app, &QGuiApplication::screenRemoved, this, &Screens::screenParametersChanged);
    connect(app, &QGuiApplication::primaryScreenChanged, this, &Screens::screenParametersChanged);
}

void X11Screens::watch(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, &Screens::screenParametersChanged);
    connect(screen, &QScreen::availableGeometryChanged, this, &Screens::screenParametersChanged);
    connect(screen, &QScreen::refreshRateChanged, this, &Screens::screenParametersChanged);
}

Screen X11Screens::describe(const QScreen& screen) {
    Screen s;
    s.name = screen.name();
    s.frame = ScreenCoordinates::fromQt(QRectF(screen.geometry()));
    s.visibleFrame = ScreenCoordinates::fromQt(QRectF(screen.availableGeometry()));
    if (screen.refreshRate() > 0) {
        s.refreshRate = screen.refreshRate();
    }
    return s;
}

QList<Screen> X11Screens::screens() const {
    QList<Screen> all;
    for (const QScreen* screen : QGuiApplication::screens()) {
        all.append(describe(*screen));
    }
    return all;
}

std::optional<Screen> X11Screens::mainScreen() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return std::nullopt;
    }
    return describe(*screen);
}

QPointF X11Screens::mouseLocation() const {
    return ScreenCoordinates::fromQt(QPointF(QCursor::pos()));
}
