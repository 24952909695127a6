#include "widgets/DrawerTextButton.h"

#include <QFontMetricsF>
#include <QPainter>

DrawerTextButton::DrawerTextButton(const QString& text, const QFont& font, const QColor& color,
                                   QWidget* parent)
    : QAbstractButton(parent)
    , color_(color) {
    setText(text);
    setFont(font);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize DrawerTextButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    return QSizeF(metrics.horizontalAdvance(text()), metrics.height()).toSize() + QSize(1, 0);
}

void DrawerTextButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QColor color = color_;
    if (isDown()) {
        color.setAlphaF(color.alphaF() * 0.5f);
    }
    painter.setPen(color);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
}
