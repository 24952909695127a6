#include "drawer/TabButton.h"

#include "widgets/DrawerStyle.h"
#include "widgets/SymbolCatalogue.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QVariantAnimation>

namespace {

constexpr qreal glyphSize = 10;
constexpr qreal titleSize = 11;
constexpr qreal spacing = 5;
constexpr qreal paddingX = 12;
constexpr qreal paddingY = 6;
constexpr qreal radius = 6;

QFont titleFont(bool active) {
    return DrawerStyle::font(titleSize, active ? QFont::DemiBold : QFont::Normal);
}

} // namespace

TabButton::TabButton(const QString& title, const QString& icon, QWidget* parent)
    : QAbstractButton(parent)
    , icon_(icon)
    , animation_(new QVariantAnimation(this)) {
    setText(title);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    animation_->setDuration(int(switchAnimationDuration * 1000));
    animation_->setEasingCurve(DrawerStyle::easeInOut());
    connect(animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        lit_ = value.toReal();
        update();
    });
}

void TabButton::setActive(bool active, bool animated) {
    if (active == active_) {
        return;
    }
    active_ = active;
    animation_->stop();
    const qreal target = active ? 1.0 : 0.0;
    if (animated) {
        animation_->setStartValue(lit_);
        animation_->setEndValue(target);
        animation_->start();
    } else {
        lit_ = target;
    }
    updateGeometry();
    update();
}

QSize TabButton::sizeHint() const {
    const QFontMetricsF metrics(titleFont(true));
    const qreal width = paddingX * 2 + glyphSize + spacing + metrics.horizontalAdvance(text());
    const qreal height = paddingY * 2 + qMax(glyphSize, metrics.height());
    return QSizeF(width, height).toSize() + QSize(1, 1);
}

QSize TabButton::minimumSizeHint() const {
    // A narrow drawer squeezes the padding before anything else.
    return QSize(
        int(glyphSize + spacing + QFontMetricsF(titleFont(true)).horizontalAdvance(text())),
        sizeHint().height());
}

void TabButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();

    if (lit_ > 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(DrawerStyle::white(0.1 * lit_));
        painter.drawRoundedRect(bounds, radius, radius);
    }

    const QColor foreground = DrawerStyle::white(0.4 + 0.6 * lit_);
    const QFont font = titleFont(active_);
    const QFontMetricsF metrics(font);
    const qreal textWidth = metrics.horizontalAdvance(text());
    const qreal contentWidth = glyphSize + spacing + textWidth;
    const qreal left = bounds.center().x() - contentWidth / 2;

    const QPixmap glyph = SymbolCatalogue::pixmap(icon_, glyphSize, foreground, devicePixelRatioF(),
                                                  SymbolCatalogue::Weight::Medium);
    painter.drawPixmap(QPointF(left, bounds.center().y() - glyphSize / 2), glyph);

    painter.setFont(font);
    painter.setPen(foreground);
    const QRectF textBox(left + glyphSize + spacing, bounds.top(), textWidth + 1, bounds.height());
    painter.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter, text());
    if (hasFocus()) {
        DrawerStyle::paintFocusRing(painter, bounds, radius);
    }
}

void TabButton::keyPressEvent(QKeyEvent* event) {
    if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
        Q_EMIT stepRequested(event->key() == Qt::Key_Left ? -1 : 1);
        return;
    }
    QAbstractButton::keyPressEvent(event);
}
