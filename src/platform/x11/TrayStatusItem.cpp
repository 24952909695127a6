#include "platform/x11/TrayStatusItem.h"

#include <QGuiApplication>
#include <QIcon>
#include <QScreen>

namespace {

bool isBuiltInOutput(const QString& name) {
    return name.startsWith(QLatin1String("eDP")) || name.startsWith(QLatin1String("LVDS")) ||
           name.startsWith(QLatin1String("DSI"));
}

QScreen* builtInOrPrimaryScreen() {
    for (QScreen* screen : QGuiApplication::screens()) {
        if (isBuiltInOutput(screen->name())) {
            return screen;
        }
    }
    return QGuiApplication::primaryScreen();
}

} // namespace

TrayStatusItem::TrayStatusItem(QObject* parent)
    : StatusItem(parent) {
    connect(&tray_, &QSystemTrayIcon::activated, this, &TrayStatusItem::trayActivated);
}

TrayStatusItem::~TrayStatusItem() {
    tray_.hide();
}

bool TrayStatusItem::isTrayAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayStatusItem::setIcon(const QIcon& icon, const QString& accessibilityDescription) {
    tray_.setIcon(icon);
    tray_.setToolTip(accessibilityDescription);
    tray_.show();
}

void TrayStatusItem::trayActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::DoubleClick: // the second press of a double click is a click too
    case QSystemTrayIcon::Context:
        Q_EMIT clicked();
        break;
    default:
        break;
    }
}

bool TrayStatusItem::isGeometryKnown() const {
    const QRect icon = tray_.geometry();
    return icon.isValid() && !icon.isEmpty();
}

QRectF TrayStatusItem::geometry() const {
    if (isGeometryKnown()) {
        return QRectF(tray_.geometry());
    }
    // Trays that cannot say where the icon is (or no tray at all): stand at the top centre of
    // the built-in screen, in its top bar, so the drawer still drops from there.
    const QScreen* screen = builtInOrPrimaryScreen();
    if (screen == nullptr) {
        return QRectF(0, 0, 24, 24);
    }
    const QRect full = screen->geometry();
    const QRect available = screen->availableGeometry();
    const int barHeight = available.top() > full.top() ? available.top() - full.top() : 24;
    const qreal width = 24;
    return QRectF(full.center().x() + 1 - width / 2.0, full.top(), width, barHeight);
}

std::unique_ptr<StatusItem> TrayStatusBar::addItem() {
    return std::make_unique<TrayStatusItem>();
}
