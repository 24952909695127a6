#include "widgets/DrawerSearchField.h"

#include "widgets/DrawerStyle.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>

namespace {
constexpr int fieldHeight = 22;
} // namespace

DrawerSearchField::DrawerSearchField(QWidget* parent)
    : QLineEdit(parent) {
    setPlaceholderText(tr("Search"));
    setAccessibleName(tr("Search"));
    setClearButtonEnabled(false);
    setFont(DrawerStyle::font(11));
    setFrame(false);
    setStyleSheet(QStringLiteral(
        "QLineEdit { background: rgba(255, 255, 255, 18); color: rgba(255, 255, 255, 220);"
        " border: 1px solid rgba(255, 255, 255, 20); border-radius: 6px; padding: 0px 7px;"
        " selection-background-color: rgba(255, 255, 255, 60); }"
        "QLineEdit:focus { border: 1px solid rgba(255, 255, 255, 90); }"));
    QPalette colours = palette();
    colours.setColor(QPalette::PlaceholderText, DrawerStyle::white(0.3));
    setPalette(colours);
    hide();
}

QSize DrawerSearchField::sizeHint() const {
    return {QLineEdit::sizeHint().width(), fieldHeight};
}

void DrawerSearchField::open() {
    show();
    setFocus(Qt::ShortcutFocusReason);
    selectAll();
}

bool DrawerSearchField::dismiss() {
    if (isHidden() && text().isEmpty()) {
        return false;
    }
    clear();
    hide();
    return true;
}

QString DrawerSearchField::noMatchesText() {
    return tr("No matches");
}

void DrawerSearchField::paintNoMatches(QPainter& painter, const QRectF& area) {
    painter.save();
    painter.setFont(DrawerStyle::font(11));
    painter.setPen(DrawerStyle::white(0.25));
    painter.drawText(area, Qt::AlignCenter | Qt::TextSingleLine, noMatchesText());
    painter.restore();
}

void DrawerSearchField::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Down:
        if (mods == Qt::NoModifier) {
            Q_EMIT moveDownRequested();
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (mods == Qt::NoModifier || mods == Qt::ShiftModifier) {
            Q_EMIT submitted(mods == Qt::ShiftModifier);
            return;
        }
        break;
    case Qt::Key_Escape:
        // The tab around the field decides: clear the search, or close the drawer.
        event->ignore();
        return;
    default:
        break;
    }
    QLineEdit::keyPressEvent(event);
}
