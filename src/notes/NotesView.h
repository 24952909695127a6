#pragma once

#include "panel/DrawerContext.h"

#include <QWidget>

class ClearOrUndo;
class NoteRowList;
class NotesEditor;
class QAbstractButton;
class QLabel;

// The notes tab: a header with "Clear" ("Undo" in its place for a few seconds after a clear, as
// Ctrl+Z; and a notice while the notes cannot be saved) over the
// list of lines. Which line holds the keyboard focus is the tab's own state, kept by its
// NotesEditor; every key and click goes through that editor's operations. Each time the tab
// comes on screen it turns text typed into the drawer into a note, or focuses the last line.
class NotesView final : public QWidget {
    Q_OBJECT

public:
    static QString cannotSaveNotice() {
        return tr("Notes can't be saved right now; they are kept until they can be");
    }

    // How long the lines that "Clear" takes away fade out, easing out.
    static constexpr double clearAnimationDuration = 0.15;

    explicit NotesView(const DrawerContext& ctx, QWidget* parent = nullptr);

    NotesEditor& editor() const { return *editor_; }
    NoteRowList* list() const { return list_; }
    QAbstractButton* clearButton() const { return clearButton_; }
    QLabel* notice() const { return notice_; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void updateHeader();

    DrawerContext ctx_;
    NotesEditor* editor_;
    NoteRowList* list_;
    QAbstractButton* clearButton_;
    ClearOrUndo* clearOrUndo_;
    QLabel* notice_;
};
