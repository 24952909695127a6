#include "notes/BulletTextField.h"

#include "widgets/DrawerStyle.h"

#include <QAbstractTextDocumentLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QtMath>

BulletTextField::BulletTextField(QWidget* parent)
    : QPlainTextEdit(parent) {
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // A long word with no space in it still wraps instead of running off the side.
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setTabChangesFocus(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    // Drops belong to the drawer (files go to the shelf), not to the line being edited.
    setAcceptDrops(false);
    setBackgroundVisible(false);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    document()->setDocumentMargin(0);
    setViewportMargins(0, 0, 0, 0);
    applyStyle();

    // The field is always as tall as its text, so it never scrolls; the editor would still
    // scroll to the caret in the moment between a new wrapped line and the field growing.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (value != 0) {
            verticalScrollBar()->setValue(0);
        }
    });
    // The height is announced once an edit is complete (never from inside the document's own
    // change), after the owner has been told the new text.
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!settingText_) {
            Q_EMIT textEdited(toPlainText());
        }
        updateContentHeight();
    });
}

void BulletTextField::setText(const QString& text) {
    if (text == toPlainText()) {
        return;
    }
    settingText_ = true;
    setPlainText(text);
    moveCursor(QTextCursor::End);
    settingText_ = false;
    updateContentHeight();
}

void BulletTextField::setDone(bool done) {
    if (done_ == done) {
        return;
    }
    done_ = done;
    applyStyle();
}

void BulletTextField::applyStyle() {
    // Styled through the widget's font and palette rather than the document's formats, so the
    // text, the caret, the selection and the undo history are untouched, and what is typed next
    // takes the same look.
    QFont f = DrawerStyle::font(12);
    f.setStrikeOut(done_);
    setFont(f);
    QPalette p = palette();
    const QColor text = DrawerStyle::white(done_ ? 0.3 : 0.85);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Base, Qt::transparent);
    p.setColor(QPalette::Window, Qt::transparent);
    p.setColor(QPalette::Highlight, DrawerStyle::white(0.22));
    p.setColor(QPalette::HighlightedText, text);
    setPalette(p);
    updateContentHeight();
}

void BulletTextField::deleteBackward() {
    if (toPlainText().isEmpty()) {
        Q_EMIT emptyBackspaced();
        return;
    }
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection()) {
        cursor.removeSelectedText();
    } else {
        cursor.deletePreviousChar();
    }
    setTextCursor(cursor);
}

QString BulletTextField::singleLine(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (QChar& c : text) {
        switch (c.unicode()) {
        case u'\n':
        case u'\r':
        case u'\v':
        case u'\f':
        case 0x0085:
        case 0x2028:
        case 0x2029:
            c = QLatin1Char(' ');
            break;
        default:
            break;
        }
    }
    return text;
}

int BulletTextField::contentHeight() const {
    qreal height = 0;
    for (QTextBlock block = document()->firstBlock(); block.isValid(); block = block.next()) {
        height += document()->documentLayout()->blockBoundingRect(block).height();
    }
    return qMax(qCeil(height), fontMetrics().height());
}

QSize BulletTextField::sizeHint() const {
    return {QPlainTextEdit::sizeHint().width(), contentHeight()};
}

QSize BulletTextField::minimumSizeHint() const {
    return {0, contentHeight()};
}

void BulletTextField::updateContentHeight() {
    const int height = contentHeight();
    if (height == lastContentHeight_) {
        return;
    }
    lastContentHeight_ = height;
    updateGeometry();
    Q_EMIT contentHeightChanged(height);
}

bool BulletTextField::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // These keys are the field's own: no shortcut of the window may take them first. With
        // Ctrl they are the drawer's (Ctrl+Tab switches tabs).
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->modifiers() & Qt::ControlModifier ? 0 : key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Backspace:
            event->accept();
            return true;
        default:
            break;
        }
        // Ctrl+Z with nothing of the line's own to undo is the drawer's (it takes back a
        // "Clear").
        if (key->matches(QKeySequence::Undo) && !document()->isUndoAvailable()) {
            event->ignore();
            return true;
        }
    }
    return QPlainTextEdit::event(event);
}

void BulletTextField::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) &&
        (event->modifiers() & Qt::ControlModifier)) {
        event->ignore();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        Q_EMIT submitted();
        return;
    case Qt::Key_Backtab:
        event->accept();
        Q_EMIT outdentRequested();
        return;
    case Qt::Key_Tab:
        event->accept();
        if (event->modifiers() & Qt::ShiftModifier) {
            Q_EMIT outdentRequested();
        } else
            Q_EMIT indentRequested();
        return;
    case Qt::Key_Backspace:
        if (toPlainText().isEmpty()) {
            event->accept();
            Q_EMIT emptyBackspaced();
            return;
        }
        break;
    default:
        break;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void BulletTextField::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = singleLine(event->commitString());
    if (commit == event->commitString()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent flattened(event->preeditString(), event->attributes());
    flattened.setCommitString(commit, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&flattened);
}

bool BulletTextField::focusNextPrevChild(bool) {
    return false;
}

void BulletTextField::insertFromMimeData(const QMimeData* source) {
    if (source != nullptr && source->hasText()) {
        insertPlainText(singleLine(source->text()));
    }
}

void BulletTextField::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    updateContentHeight();
}
