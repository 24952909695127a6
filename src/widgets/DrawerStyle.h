#pragma once

#include <QColor>
#include <QEasingCurve>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QString>

// The drawer's look, chosen once: a dark surface with white and a few accent colours at
// fixed opacities. Every view of the drawer and the pill takes its colours and fonts from here.
namespace DrawerStyle {

// Surfaces, as white levels on black.
inline QColor background() {
    return QColor::fromRgbF(0.09, 0.09, 0.09);
}
inline QColor tabBarBackground() {
    return QColor::fromRgbF(0.11, 0.11, 0.11);
}
// A translucent dark pane for badges over the content.
inline QColor badgeBackground() {
    return QColor::fromRgbF(0.18, 0.18, 0.19, 0.82);
}

// The desktop's thin separator line on a dark surface.
inline QColor separator() {
    return QColor::fromRgbF(1.0, 1.0, 1.0, 0.1);
}

// Accents, matched to the dark surface.
inline QColor green() {
    return QColor::fromRgbF(0.20, 0.78, 0.35);
}
inline QColor yellow() {
    return QColor::fromRgbF(1.0, 0.80, 0.0);
}
inline QColor orange() {
    return QColor::fromRgbF(1.0, 0.58, 0.0);
}
inline QColor red() {
    return QColor::fromRgbF(1.0, 0.27, 0.23);
}

// White, or an accent, at an opacity.
inline QColor white(qreal opacity = 1.0) {
    return QColor::fromRgbF(1.0, 1.0, 1.0, opacity);
}
inline QColor withOpacity(QColor color, qreal opacity) {
    color.setAlphaF(static_cast<float>(opacity));
    return color;
}

// The interface font at a size in device-independent pixels.
inline QFont font(qreal pixelSize, QFont::Weight weight = QFont::Normal) {
    QFont f;
    f.setPixelSize(qRound(pixelSize));
    f.setWeight(weight);
    return f;
}
inline QFont monospaceFont(qreal pixelSize, QFont::Weight weight = QFont::Normal) {
    QFont f = font(pixelSize, weight);
    f.setFamily(QStringLiteral("monospace"));
    f.setStyleHint(QFont::Monospace);
    return f;
}

// A rectangle with its own radius on each corner (continuous corners are drawn as plain ones).
inline QPainterPath roundedRect(const QRectF& r, qreal topLeft, qreal topRight, qreal bottomRight,
                                qreal bottomLeft) {
    QPainterPath p;
    p.moveTo(r.left() + topLeft, r.top());
    p.lineTo(r.right() - topRight, r.top());
    p.quadTo(r.right(), r.top(), r.right(), r.top() + topRight);
    p.lineTo(r.right(), r.bottom() - bottomRight);
    p.quadTo(r.right(), r.bottom(), r.right() - bottomRight, r.bottom());
    p.lineTo(r.left() + bottomLeft, r.bottom());
    p.quadTo(r.left(), r.bottom(), r.left(), r.bottom() - bottomLeft);
    p.lineTo(r.left(), r.top() + topLeft);
    p.quadTo(r.left(), r.top(), r.left() + topLeft, r.top());
    p.closeSubpath();
    return p;
}

// The ring that shows which control has the keyboard: a light outline just inside its shape.
inline void paintFocusRing(QPainter& painter, const QRectF& rect, qreal radius) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(white(0.45), 1.0));
    painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    painter.restore();
}

// The same for a bare text label, which has no room around it for a ring: a line under it.
inline void paintFocusUnderline(QPainter& painter, const QRect& label) {
    painter.save();
    painter.setPen(QPen(white(0.45), 1.0));
    painter.drawLine(QPointF(label.left(), label.bottom() + 0.5),
                     QPointF(label.right() + 1, label.bottom() + 0.5));
    painter.restore();
}

// The timing curves of the drawer's animations: cubic Béziers through (0, 0) and (1, 1).
inline QEasingCurve timingCurve(qreal x1, qreal y1, qreal x2, qreal y2) {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(x1, y1), QPointF(x2, y2), QPointF(1, 1));
    return curve;
}
inline QEasingCurve easeIn() {
    return timingCurve(0.42, 0, 1, 1);
}
inline QEasingCurve easeOut() {
    return timingCurve(0, 0, 0.58, 1);
}
inline QEasingCurve easeInOut() {
    return timingCurve(0.42, 0, 0.58, 1);
}

// Scroll bars and tooltips inside the drawer's views, which would otherwise take the desktop's
// style: a thin rounded handle on no track, and a dark rounded tip with light text.
inline QString widgetStyleSheet() {
    return QStringLiteral(
        "QScrollBar:vertical { background: transparent; width: 8px; margin: 2px 2px 2px 0px; }"
        "QScrollBar::handle:vertical { background: rgba(255, 255, 255, 40); border-radius: 3px;"
        " min-height: 24px; }"
        "QScrollBar::handle:vertical:hover { background: rgba(255, 255, 255, 72); }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0px; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"
        "QToolTip { color: rgba(255, 255, 255, 230); background-color: rgb(44, 44, 46);"
        " border: 1px solid rgba(255, 255, 255, 30); border-radius: 4px; padding: 2px 5px;"
        " font-size: 11px; }");
}

} // namespace DrawerStyle
