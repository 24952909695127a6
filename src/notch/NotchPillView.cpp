#include "notch/NotchPillView.h"

#include "platform/Logging.h"

#include <QPainter>

#include <algorithm>

NotchPillView::NotchPillView(QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
}

void NotchPillView::setHovered(bool hovered) {
    if (hovered_ == hovered) {
        return;
    }
    hovered_ = hovered;
    updatePath();
}

void NotchPillView::setEarProtrusion(double pixels) {
    earProtrusion_ = pixels;
    updatePath();
}

QPainterPath NotchPillView::outline(const QSizeF& size, bool hovered, double e) {
    const double w = size.width();
    const double h = size.height();
    QPainterPath p;
    if (!hovered) {
        // A slim strip rounds its corners by no more than half its height.
        const double r = std::min(restingCornerRadius, h * 0.5);
        p.moveTo(0, 0);
        p.lineTo(w, 0);
        p.lineTo(w, h - r);
        p.quadTo(w, h, w - r, h);
        p.lineTo(r, h);
        p.quadTo(0, h, 0, h - r);
    } else {
        const double left = hoverInset;
        const double right = w - hoverInset;
        p.moveTo(left - e, h);
        p.quadTo(left, h, left, h - e);
        p.lineTo(left, 0);
        p.lineTo(right, 0);
        p.lineTo(right, h - e);
        p.quadTo(right, h, right + e, h);
    }
    p.closeSubpath();
    return p;
}

void NotchPillView::updatePath() {
    if (width() <= 0 || height() <= 0) {
        return;
    }
    path_ = outline(QSizeF(size()), hovered_, earProtrusion_);
    update();
    Q_EMIT pathChanged();
}

void NotchPillView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updatePath();
}

void NotchPillView::paintEvent(QPaintEvent*) {
    qCDebug(lcNotch) << "pill drawn, hovered" << hovered_ << "ears" << earProtrusion_;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(path_, Qt::black);
}
