#include "notes/NotesEditor.h"

#include "notes/NotesManager.h"
#include "platform/MainQueue.h"

NotesEditor::NotesEditor(NotesManager& notes, MainQueue& queue, QObject* parent)
    : QObject(parent)
    , notes_(notes)
    , queue_(queue) {}

void NotesEditor::setFocusedId(const std::optional<QUuid>& id) {
    if (focusedId_ == id) {
        return;
    }
    focusedId_ = id;
    Q_EMIT focusedIdChanged();
}

void NotesEditor::submit(const QUuid& id) {
    const QUuid added = notes_.addItem(id);
    setFocusedId(added);
    queue_.asyncAfter(scrollDelay, weakly(this, [added](NotesEditor* self) {
                          Q_EMIT self->scrollToBottomRequested(added);
                      }));
}

void NotesEditor::backspaceEmpty(const QUuid& id) {
    if (const std::optional<QUuid> next = notes_.backspaceEmptyItem(id)) {
        setFocusedId(next);
    }
}

void NotesEditor::indent(const QUuid& id) {
    notes_.indentItem(id);
}

void NotesEditor::outdent(const QUuid& id) {
    notes_.outdentItem(id);
}

void NotesEditor::toggleDone(const QUuid& id) {
    if (const std::optional<qsizetype> p = notes_.position(id)) {
        notes_.setDone(id, !notes_.items()[*p].done);
    }
}

void NotesEditor::editText(const QUuid& id, const QString& text) {
    notes_.setText(id, text);
}

void NotesEditor::clear() {
    setFocusedId(notes_.clear());
}

void NotesEditor::undoClear() {
    // The keyboard goes where opening the tab would put it: the last line.
    if (notes_.undoClear() && !notes_.items().isEmpty()) {
        setFocusedId(notes_.items().last().id);
    }
}

void NotesEditor::takeOverPendingText(const std::optional<QString>& pending) {
    if (!pending) {
        setFocusedId(notes_.items().isEmpty() ? std::nullopt
                                              : std::optional(notes_.items().last().id));
        return;
    }
    const QList<NoteItem>& items = notes_.items();
    if (!items.isEmpty() && items.last().text.isEmpty()) {
        const QUuid last = items.last().id;
        notes_.setText(last, *pending);
        setFocusedId(last);
        return;
    }
    // With no notes, an id that matches nothing appends the note at the margin.
    const QUuid after = items.isEmpty() ? QUuid::createUuid() : items.last().id;
    const QUuid added = notes_.addItem(after);
    notes_.setText(added, *pending);
    setFocusedId(added);
}
