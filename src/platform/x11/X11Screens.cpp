#include "platform/x11/X11Screens.h"

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
        Q_EMIT screensChanged();
    });
    connect(app, &QGuiApplication::screenRemoved, this, &Screens::screensChanged);
    connect(app, &QGuiApplication::primaryScreenChanged, this, &Screens::screensChanged);
}

void X11Screens::watch(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, &Screens::screensChanged);
    connect(screen, &QScreen::availableGeometryChanged, this, &Screens::screensChanged);
    connect(screen, &QScreen::refreshRateChanged, this, &Screens::screensChanged);
}

Screen X11Screens::describe(const QScreen& screen) {
    Screen s;
    s.name = screen.name();
    s.geometry = QRectF(screen.geometry());
    s.availableGeometry = QRectF(screen.availableGeometry());
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

std::optional<Screen> X11Screens::primaryScreen() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return std::nullopt;
    }
    return describe(*screen);
}

QPointF X11Screens::cursorPosition() const {
    return QPointF(QCursor::pos());
}
