#include "widgets/FadingSnapshot.h"

#include <QPainter>
#include <QVariantAnimation>

#include <cmath>

FadingSnapshot* FadingSnapshot::cover(QWidget* source, const QColor& background, QWidget* parent,
                                      const QRect& cover, double seconds,
                                      const QEasingCurve& curve) {
    const qreal ratio = source->devicePixelRatioF();
    QPixmap picture(source->size() * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(background);
    source->render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);

    auto* snapshot = new FadingSnapshot(std::move(picture), parent);
    snapshot->setGeometry(cover);
    snapshot->animation_->setDuration(std::max(1, int(std::lround(seconds * 1000))));
    snapshot->animation_->setEasingCurve(curve);
    snapshot->show();
    snapshot->raise();
    snapshot->animation_->start();
    return snapshot;
}

FadingSnapshot::FadingSnapshot(QPixmap picture, QWidget* parent)
    : QWidget(parent)
    , picture_(std::move(picture))
    , animation_(new QVariantAnimation(this)) {
    // Only a picture: the pointer reaches the content that is already in place below it.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    animation_->setStartValue(1.0);
    animation_->setEndValue(0.0);
    connect(animation_, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    connect(animation_, &QVariantAnimation::finished, this, [this] {
        hide();
        deleteLater();
    });
}

qreal FadingSnapshot::opacity() const {
    return animation_->currentValue().toReal();
}

void FadingSnapshot::finish() {
    animation_->setCurrentTime(animation_->duration());
}

void FadingSnapshot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setOpacity(opacity());
    painter.drawPixmap(QPointF(0, 0), picture_);
}
