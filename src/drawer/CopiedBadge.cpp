#include "drawer/CopiedBadge.h"

#include "panel/PanelState.h"
#include "widgets/DrawerStyle.h"
#include "widgets/SymbolCatalogue.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QVariantAnimation>

namespace {

constexpr qreal symbolSize = 32;
constexpr qreal labelSize = 12;
constexpr qreal spacing = 6;
constexpr qreal padding = 20;
constexpr qreal radius = 16;
constexpr qreal smallestScale = 0.8;

QString label() {
    return CopiedBadge::tr("Copied");
}

QFont labelFont() {
    return DrawerStyle::font(labelSize, QFont::DemiBold);
}

} // namespace

CopiedBadge::CopiedBadge(PanelState& state, QWidget* parent)
    : QWidget(parent)
    , state_(state)
    , hiding_(new QVariantAnimation(this)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hiding_->setDuration(int(PanelState::copyFlashHideAnimation * 1000));
    hiding_->setEasingCurve(DrawerStyle::easeOut());
    hiding_->setStartValue(1.0);
    hiding_->setEndValue(0.0);
    connect(hiding_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        presence_ = value.toReal();
        update();
    });
    connect(hiding_, &QVariantAnimation::finished, this, &QWidget::hide);
    connect(&state_, &PanelState::copyFlashVisibleChanged, this, &CopiedBadge::flashChanged);
    resize(sizeHint());
    presence_ = state_.copyFlashVisible() ? 1 : 0;
    setVisible(state_.copyFlashVisible());
}

void CopiedBadge::flashChanged(bool visible) {
    if (visible) {
        hiding_->stop();
        presence_ = 1;
        show();
        raise();
        update();
        return;
    }
    // Off screen there is nothing to watch fade: it is simply gone.
    if (isVisible()) {
        if (hiding_->state() != QAbstractAnimation::Running) {
            hiding_->start();
        }
    } else {
        presence_ = 0;
        hide();
    }
}

void CopiedBadge::finishAnimation() {
    if (hiding_->state() == QAbstractAnimation::Running) {
        hiding_->setCurrentTime(hiding_->duration());
    }
}

QSize CopiedBadge::sizeHint() const {
    const QFontMetricsF metrics(labelFont());
    const qreal width = qMax(symbolSize, metrics.horizontalAdvance(label())) + padding * 2;
    const qreal height = symbolSize + spacing + metrics.height() + padding * 2;
    return QSizeF(width, height).toSize() + QSize(1, 1);
}

void CopiedBadge::paintEvent(QPaintEvent*) {
    if (presence_ <= 0) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(presence_);
    const QPointF centre = QRectF(rect()).center();
    const qreal scale = smallestScale + (1 - smallestScale) * presence_;
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.translate(-centre);

    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(DrawerStyle::material());
    painter.drawRoundedRect(box, radius, radius);

    const QPixmap symbol =
        SymbolCatalogue::pixmap(QStringLiteral("checkmark.circle.fill"), symbolSize,
                                DrawerStyle::green(), devicePixelRatioF());
    const QRectF content = box.adjusted(padding, padding, -padding, -padding);
    painter.drawPixmap(QPointF(content.center().x() - symbolSize / 2, content.top()), symbol);

    painter.setFont(labelFont());
    painter.setPen(DrawerStyle::white());
    const QRectF text(content.left(), content.top() + symbolSize + spacing, content.width(),
                      content.bottom() - content.top() - symbolSize - spacing);
    painter.drawText(text, Qt::AlignHCenter | Qt::AlignTop, label());
}
