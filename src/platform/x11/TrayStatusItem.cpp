#include "platform/x11/TrayStatusItem.h"

#include "widgets/SymbolCatalogue.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
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

void TrayStatusItem::setImage(const QString& symbolName, const QString& accessibilityDescription) {
    symbolName_ = symbolName;
    tray_.setToolTip(accessibilityDescription);
    redraw();
    tray_.show();
}

void TrayStatusItem::setImageIsTemplate(bool isTemplate) {
    template_ = isTemplate;
    redraw();
}

void TrayStatusItem::redraw() {
    if (symbolName_.isEmpty()) {
        return;
    }
    QIcon icon;
    for (int side : {16, 22, 24, 32, 48, 64}) {
        // A template image must read on light and dark panels alike: a light glyph over a soft
        // dark halo does both.
        QPixmap glyph = SymbolCatalogue::pixmap(symbolName_, side * 0.8, QColor(0xf2, 0xf2, 0xf2));
        QPixmap canvas(side, side);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        const QPointF origin((side - glyph.width()) / 2.0, (side - glyph.height()) / 2.0);
        if (template_) {
            QPixmap halo = SymbolCatalogue::pixmap(symbolName_, side * 0.8, QColor(0, 0, 0, 150));
            for (const QPointF& d :
                 {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)}) {
                painter.drawPixmap(origin + d, halo);
            }
        }
        painter.drawPixmap(origin, glyph);
        painter.end();
        icon.addPixmap(canvas);
    }
    tray_.setIcon(icon);
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

QRectF TrayStatusItem::geometry() const {
    const QRect icon = tray_.geometry();
    if (icon.isValid() && !icon.isEmpty()) {
        return QRectF(icon);
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
