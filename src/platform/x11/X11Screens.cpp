#include "platform/x11/X11Screens.h"

#include "platform/x11/X11Requests.h"

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

namespace {

// XWayland names its outputs XWAYLAND0, XWAYLAND1, ...: the X server is then rootless, and its
// root window is never seen.
bool throughXWayland() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr && screen->name().startsWith(QLatin1String("XWAYLAND"));
}

// Whether the X server has the pointer over one of its top-level windows, not over the bare
// root.
bool pointerOverAWindow() {
    xcb_connection_t* connection = qtX11Connection();
    if (connection == nullptr) {
        return true;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const auto reply = xcbReply(
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, screen->root), nullptr));
    return !reply || reply->child != XCB_NONE;
}

} // namespace

bool X11Screens::seesPointerOnlyOverItsWindows() const {
    return throughXWayland();
}

std::optional<QPointF> X11Screens::cursorPosition() const {
    // When the pointer leaves the X windows for a Wayland surface, XWayland moves it onto the
    // root window and keeps its last position there, which may be in the middle of the drawer.
    if (throughXWayland() && !pointerOverAWindow()) {
        return std::nullopt;
    }
    return QPointF(QCursor::pos());
}
