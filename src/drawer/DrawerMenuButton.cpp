#include "drawer/DrawerMenuButton.h"

#include "widgets/DrawerStyle.h"
#include "widgets/SymbolCatalogue.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPainter>

namespace {
constexpr int buttonWidth = 24;
constexpr qreal glyphSize = 12;
constexpr qreal plateRadius = 6;
} // namespace

DrawerMenuButton::DrawerMenuButton(QMenu* menu, QWidget* parent)
    : QWidget(parent)
    , menu_(menu) {
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setToolTip(tr("Menu"));
    setAccessibleName(tr("Menu"));
    setAttribute(Qt::WA_Hover);
    setFixedWidth(buttonWidth);
}

void DrawerMenuButton::showMenu() {
    menu_->popup(mapToGlobal(QPoint(width() - menu_->sizeHint().width(), height() + 4)));
}

void DrawerMenuButton::mousePressEvent(QMouseEvent*) {
    showMenu();
}

void DrawerMenuButton::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Down:
        if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            showMenu();
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

void DrawerMenuButton::focusInEvent(QFocusEvent*) {
    update();
}

void DrawerMenuButton::focusOutEvent(QFocusEvent*) {
    update();
}

void DrawerMenuButton::enterEvent(QEnterEvent*) {
    update();
}

void DrawerMenuButton::leaveEvent(QEvent*) {
    update();
}

void DrawerMenuButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool lit = underMouse() || menu_->isVisible();
    const QRectF plate = QRectF(rect()).adjusted(0, 2, 0, -2);
    if (lit) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(DrawerStyle::white(0.1));
        painter.drawRoundedRect(plate, plateRadius, plateRadius);
    }
    if (hasFocus()) {
        DrawerStyle::paintFocusRing(painter, plate, plateRadius);
    }
    const QPixmap glyph =
        SymbolCatalogue::pixmap(QStringLiteral("ellipsis"), glyphSize,
                                DrawerStyle::white(lit ? 1.0 : 0.4), devicePixelRatioF());
    painter.drawPixmap(QPointF((width() - glyphSize) / 2, (height() - glyphSize) / 2), glyph);
}
