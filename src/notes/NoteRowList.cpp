#include "notes/NoteRowList.h"

#include "notes/BulletTextField.h"
#include "notes/NoteRow.h"
#include "notes/NotesEditor.h"
#include "notes/NotesManager.h"
#include "widgets/DrawerStyle.h"
#include "widgets/FadingSnapshot.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScrollBar>
#include <QStyle>
#include <QTextLayout>
#include <QtMath>

#include <algorithm>
#include <functional>

namespace {

// A thin bar in the drawer's colours in place of the desktop's own.
const char* const scrollBarStyle = R"(
QScrollBar:vertical { background: transparent; width: 8px; margin: 2px 2px 2px 0; }
QScrollBar::handle:vertical { background: rgba(255, 255, 255, 56); border-radius: 3px;
                              min-height: 24px; }
QScrollBar::handle:vertical:hover, QScrollBar::handle:vertical:pressed {
    background: rgba(255, 255, 255, 96); }
QScrollBar[idle="true"]::handle:vertical { background: transparent; }
QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; border: none; }
QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }
)";

} // namespace

NoteRowList::NoteRowList(NotesManager& notes, NotesEditor& editor, QWidget* parent)
    : QAbstractScrollArea(parent)
    , notes_(notes)
    , editor_(editor)
    , field_(new BulletTextField(viewport()))
    , scrollAnimation_(new QPropertyAnimation(verticalScrollBar(), "value", this)) {
    setFrameShape(QFrame::NoFrame);
    // Clicks on lines and marks leave the keyboard focus with the line editor.
    setFocusPolicy(Qt::NoFocus);
    viewport()->setFocusPolicy(Qt::NoFocus);
    viewport()->setAutoFillBackground(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Always there (drawn empty while nothing scrolls), so the lines' width never changes with
    // the list's length and a long list is measured once.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    verticalScrollBar()->setStyleSheet(QString::fromLatin1(scrollBarStyle));
    verticalScrollBar()->setSingleStep(20);
    scrollAnimation_->setDuration(scrollAnimationMs);
    scrollAnimation_->setEasingCurve(QEasingCurve::InOutQuad);

    field_->hide();
    field_->installEventFilter(this);
    connect(field_, &BulletTextField::contentHeightChanged, this, [this] { relayout(); });
    // Each key acts on the line the field shows when it is pressed, even if the key then moves
    // the focus to another line.
    const auto onLine = [this](std::function<void(NotesEditor&, const QUuid&)> action) {
        return [this, action = std::move(action)] {
            if (fieldId_) {
                action(editor_, *fieldId_);
            }
        };
    };
    connect(field_, &BulletTextField::submitted, this, onLine(&NotesEditor::submit));
    connect(field_, &BulletTextField::emptyBackspaced, this, onLine(&NotesEditor::backspaceEmpty));
    connect(field_, &BulletTextField::indentRequested, this, onLine(&NotesEditor::indent));
    connect(field_, &BulletTextField::outdentRequested, this, onLine(&NotesEditor::outdent));
    connect(field_, &BulletTextField::textEdited, this, [this](const QString& text) {
        if (fieldId_) {
            editor_.editText(*fieldId_, text);
        }
    });
    connect(&notes_, &NotesManager::itemsChanged, this, [this] {
        relayout();
        showOutsideChange();
    });
    connect(&editor_, &NotesEditor::focusedIdChanged, this, [this] { attachField(); });
    connect(&editor_, &NotesEditor::scrollToBottomRequested, this,
            [this](const QUuid& id) { scrollToBottomOf(id, true); });
    relayout();
    attachField();
}

qreal NoteRowList::rowWidth() const {
    return std::max(1, viewport()->width() - 2 * horizontalPadding);
}

qreal NoteRowList::measuredTextHeight(const QUuid& id, const QString& text, qint64 indent) {
    const qreal width = NoteRow::textWidth(indent, rowWidth());
    auto it = measured_.find(id);
    if (it != measured_.end() && it->indent == indent && it->width == width && it->text == text) {
        return it->textHeight;
    }
    const qreal height = NoteRow::textHeight(text, width);
    measured_.insert(id, Measured{text, indent, width, height});
    return height;
}

void NoteRowList::relayout() {
    // Measured when it comes on screen, at its real width.
    if (!isVisible()) {
        return;
    }
    const QList<NoteItem>& items = notes_.items();
    const qreal width = rowWidth();
    rows_.clear();
    rows_.reserve(size_t(items.size()));
    rowIndex_.clear();
    rowIndex_.reserve(items.size());
    qreal top = verticalPadding;
    for (const NoteItem& item : items) {
        // The focused line is as tall as its editor, which has laid its text out already (a
        // very long line would otherwise be laid out twice per keystroke).
        const qreal textHeight = fieldId_ == item.id
                                     ? qreal(field_->contentHeight())
                                     : measuredTextHeight(item.id, item.text, item.indent);
        const qreal height = NoteRow(item, width, textHeight).height();
        rowIndex_.insert(item.id, qsizetype(rows_.size()));
        rows_.push_back(Row{item.id, top, height});
        top += height;
    }
    if (measured_.size() > 2 * items.size() + 64) {
        // Forget lines that are gone.
        for (auto it = measured_.begin(); it != measured_.end();) {
            it = rowIndex_.contains(it.key()) ? std::next(it) : measured_.erase(it);
        }
    }
    const int contentHeight = qCeil(top + verticalPadding);
    verticalScrollBar()->setPageStep(viewport()->height());
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(0, contentHeight - viewport()->height()));
    const bool idle = bar->maximum() == 0;
    if (bar->property("idle").toBool() != idle) {
        bar->setProperty("idle", idle);
        bar->style()->unpolish(bar);
        bar->style()->polish(bar);
    }
    placeField();
    viewport()->update();
}

void NoteRowList::showOutsideChange() {
    // The focused line changed other than by its editor (its mark, or text put in from
    // outside): the editor shows it. Text it sent itself is equal and leaves it alone.
    if (!fieldId_) {
        return;
    }
    if (const std::optional<qsizetype> p = notes_.position(*fieldId_)) {
        const NoteItem& item = notes_.items()[*p];
        field_->setDone(item.done);
        field_->setText(item.text);
    }
}

void NoteRowList::attachField() {
    const std::optional<QUuid> id = editor_.focusedId();
    const std::optional<qsizetype> p = id ? notes_.position(*id) : std::nullopt;
    attaching_ = true;
    if (!p) {
        fieldId_.reset();
        field_->hide();
        attaching_ = false;
        viewport()->update();
        return;
    }
    const QUuid lineId = *id;
    const NoteItem& item = notes_.items()[*p];
    const bool otherLine = fieldId_ != lineId;
    fieldId_ = lineId;
    field_->setDone(item.done);
    if (otherLine) {
        // Another line: its own text, whatever the editor held, with the caret at the end.
        field_->setText(QString());
        field_->setText(item.text);
        field_->document()->clearUndoRedoStacks();
    } else {
        field_->setText(item.text);
    }
    relayout();
    field_->show();
    field_->setFocus(Qt::OtherFocusReason);
    attaching_ = false;
}

void NoteRowList::placeField() {
    if (!fieldId_ || !rowIndex_.contains(*fieldId_)) {
        field_->hide();
        return;
    }
    const Row& row = rows_[size_t(rowIndex_.value(*fieldId_))];
    const NoteItem& item = notes_.items()[rowIndex_.value(*fieldId_)];
    // Placed at the new width first; its height then follows (contentHeightChanged).
    const NoteRow layout(item, rowWidth(), field_->contentHeight());
    const QRectF text =
        layout.textRect().translated(horizontalPadding, row.top - verticalScrollBar()->value());
    field_->setGeometry(
        QRect(qRound(text.left()), qRound(text.top()), qRound(text.width()), qCeil(text.height())));
}

std::optional<qsizetype> NoteRowList::rowAt(qreal contentY) const {
    auto it = std::upper_bound(rows_.begin(), rows_.end(), contentY,
                               [](qreal y, const Row& row) { return y < row.top; });
    if (it == rows_.begin()) {
        return std::nullopt;
    }
    --it;
    if (contentY >= it->top + it->height) {
        return std::nullopt;
    }
    return qsizetype(it - rows_.begin());
}

QRect NoteRowList::rowRect(const QUuid& id) const {
    if (!rowIndex_.contains(id)) {
        return {};
    }
    const Row& row = rows_[size_t(rowIndex_.value(id))];
    return QRect(horizontalPadding, qRound(row.top) - verticalScrollBar()->value(),
                 qRound(rowWidth()), qRound(row.height));
}

void NoteRowList::scrollToBottomOf(const QUuid& id, bool animated) {
    if (!rowIndex_.contains(id)) {
        return;
    }
    const size_t index = size_t(rowIndex_.value(id));
    const Row& row = rows_[index];
    const int top = verticalScrollBar()->value();
    const int visibleBottom = top + viewport()->height();
    if (row.top >= top && row.top + row.height <= visibleBottom) {
        return;
    }
    // The last line takes the list's bottom padding with it.
    const qreal bottom = row.top + row.height + (index + 1 == rows_.size() ? verticalPadding : 0);
    const int target = std::clamp(qCeil(bottom) - viewport()->height(),
                                  verticalScrollBar()->minimum(), verticalScrollBar()->maximum());
    scrollAnimation_->stop();
    if (!animated) {
        verticalScrollBar()->setValue(target);
        return;
    }
    scrollAnimation_->setStartValue(top);
    scrollAnimation_->setEndValue(target);
    scrollAnimation_->start();
}

void NoteRowList::revealFocusedLine() {
    if (fieldId_) {
        scrollToBottomOf(*fieldId_, false);
    }
}

void NoteRowList::fadeOutCurrentLines(double seconds) {
    if (fadingLines_) {
        fadingLines_->finish();
    }
    if (isVisible()) {
        fadingLines_ = FadingSnapshot::cover(viewport(), DrawerStyle::background(), viewport(),
                                             viewport()->rect(), seconds, DrawerStyle::easeOut());
    }
}

void NoteRowList::paintEvent(QPaintEvent* event) {
    ++paintPass_;
    QPainter painter(viewport());
    painter.fillRect(event->rect(), DrawerStyle::background());
    const int scroll = verticalScrollBar()->value();
    const qreal width = rowWidth();
    const QList<NoteItem>& items = notes_.items();
    const qreal firstY = scroll + event->rect().top();
    const qreal lastY = scroll + event->rect().bottom();
    auto it = std::upper_bound(rows_.begin(), rows_.end(), firstY,
                               [](qreal y, const Row& row) { return y < row.top; });
    if (it != rows_.begin()) {
        --it;
    }
    for (; it != rows_.end() && it->top <= lastY; ++it) {
        const qsizetype index = it - rows_.begin();
        if (index >= items.size()) {
            break;
        }
        const NoteItem& item = items[index];
        const bool edited = fieldId_ == item.id && field_->isVisible();
        const qreal textHeight = edited ? qreal(field_->contentHeight())
                                        : measuredTextHeight(item.id, item.text, item.indent);
        const NoteRow row(item, width, textHeight);
        const QTextLayout* layout = nullptr;
        if (!edited) {
            // Lines are laid out once and kept while they stay in view, so a repaint (a key
            // typed in another line) costs drawing only, however long a line is.
            PaintedText& kept = painted_[item.id];
            if (!kept.layout || kept.text != item.text || kept.done != item.done ||
                kept.width != row.textRect().width()) {
                kept = PaintedText{item.text, item.done, row.textRect().width(),
                                   NoteRow::layOutText(item, row.textRect().width())};
            }
            kept.pass = paintPass_;
            layout = kept.layout.get();
        }
        row.paint(painter, QPointF(horizontalPadding, it->top - scroll), !edited, layout);
    }
    for (auto kept = painted_.begin(); kept != painted_.end();) {
        kept = kept->pass == paintPass_ ? std::next(kept) : painted_.erase(kept);
    }
}

void NoteRowList::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    relayout();
}

void NoteRowList::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    relayout();
}

void NoteRowList::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const QPointF pos = event->position();
    const qreal contentY = pos.y() + verticalScrollBar()->value();
    const std::optional<qsizetype> index = rowAt(contentY);
    if (!index || *index >= notes_.items().size()) {
        return;
    }
    const Row& row = rows_[size_t(*index)];
    const NoteItem& item = notes_.items()[*index];
    const qreal textHeight = fieldId_ == item.id
                                 ? qreal(field_->contentHeight())
                                 : measuredTextHeight(item.id, item.text, item.indent);
    const NoteRow layout(item, rowWidth(), textHeight);
    const QPointF inRow(pos.x() - horizontalPadding, contentY - row.top);
    if (layout.markHitRect().contains(inRow)) {
        editor_.toggleDone(row.id);
        return;
    }
    // A click into a line gives it the editor with the caret where the click was.
    editor_.setFocusedId(row.id);
    if (fieldId_ == row.id) {
        const QPoint inField = field_->viewport()->mapFrom(viewport(), pos.toPoint());
        field_->setTextCursor(field_->cursorForPosition(inField));
        field_->setFocus(Qt::MouseFocusReason);
    }
}

void NoteRowList::scrollContentsBy(int, int) {
    placeField();
    viewport()->update();
}

bool NoteRowList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_ && event->type() == QEvent::FocusOut && !attaching_) {
        // Focus taken by another control of the drawer ends the editing of the line; the drawer
        // losing its own activation does not.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            field_->isVisible() && window()->isActiveWindow()) {
            editor_.setFocusedId(std::nullopt);
        }
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}
