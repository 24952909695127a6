#pragma once

#include <QObject>
#include <QUuid>

#include <optional>

class MainQueue;
class NotesManager;

// What the notes tab does with the keys and controls of its rows, and which line holds the
// keyboard focus afterwards. The tab creates one for each appearance (nothing focused) and
// moves the focus to whatever focusedId names.
class NotesEditor final : public QObject {
    Q_OBJECT

public:
    // Return asks for the new line to be scrolled into view this long after it was added, once
    // the list has laid it out.
    static constexpr double scrollDelay = 0.05;
    // "Clear" animates the list's replacement for this long (ease-out).
    static constexpr double clearAnimation = 0.15;

    NotesEditor(NotesManager& notes, MainQueue& queue, QObject* parent = nullptr);

    std::optional<QUuid> focusedId() const { return focusedId_; }
    // Also set by the view when the user clicks into a line.
    void setFocusedId(const std::optional<QUuid>& id);

    // Return: a new line below at the same depth, focused, and scrolled to shortly after.
    void submit(const QUuid& id);
    // Backspace in an empty line: focus follows when the line was deleted.
    void backspaceEmpty(const QUuid& id);
    // Tab and Shift-Tab.
    void indent(const QUuid& id);
    void outdent(const QUuid& id);
    // A click on the done mark.
    void toggleDone(const QUuid& id);
    // The line's field changed its text.
    void editText(const QUuid& id, const QString& text);
    // The "Clear" button: one empty line, focused.
    void clear();
    // "Undo" (or Ctrl+Z) soon after: the cleared notes back, the last line focused.
    void undoClear();
    // The tab came on screen: turn the text typed into the drawer before (if any) into a note,
    // or else focus the last line.
    void takeOverPendingText(const std::optional<QString>& pending);

Q_SIGNALS:
    void focusedIdChanged();
    // Scroll so that this line is visible at the bottom of the list.
    void scrollToBottomRequested(const QUuid& id);

private:
    NotesManager& notes_;
    MainQueue& queue_;
    std::optional<QUuid> focusedId_;
};
