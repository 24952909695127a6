#include "platform/x11/ScreenCoordinates.h"

#include <QGuiApplication>
#include <QScreen>

namespace ScreenCoordinates {

qreal primaryHeight() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return 0;
    }
    // The primary screen's top edge need not be at 0 in the virtual desktop.
    const QRect g = screen->geometry();
    return g.y() + g.height();
}

QRectF flip(const QRectF& rect, qreal pivotHeight) {
    return QRectF(rect.x(), pivotHeight - rect.y() - rect.height(), rect.width(), rect.height());
}

QPointF flip(const QPointF& point, qreal pivotHeight) {
    return QPointF(point.x(), pivotHeight - point.y());
}

QRectF fromQt(const QRectF& qtRect) {
    return flip(qtRect, primaryHeight());
}
QRectF toQt(const QRectF& rect) {
    return flip(rect, primaryHeight());
}
QPointF fromQt(const QPointF& qtPoint) {
    return flip(qtPoint, primaryHeight());
}
QPointF toQt(const QPointF& point) {
    return flip(point, primaryHeight());
}

} // namespace ScreenCoordinates
