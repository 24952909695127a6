#include "widgets/DrawerTextButton.h"

#include "widgets/DrawerStyle.h"

#include <QFontMetricsF>
#include <QPainter>

DrawerTextButton::DrawerTextButton(const QString& text, const QFont& font, const QColor& color,
                                   QWidget* parent)
    : QAbstractButton(parent)
    , color_(color) {
    setText(text);
    setFont(font);
    // Reached with Tab (Space presses it); a click leaves the keyboard where it was.
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize DrawerTextButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    return QSizeF(metrics.horizontalAdvance(text()), metrics.height()).toSize() + QSize(1, 0);
}

void DrawerTextButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QColor color = hasFocus() ? DrawerStyle::white(0.8) : color_;
    if (isDown()) {
        color.setAlphaF(color.alphaF() * 0.5f);
    }
    painter.setPen(color);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
    if (hasFocus()) {
        DrawerStyle::paintFocusUnderline(painter, rect());
    }
}
