#pragma once

#include "panel/DrawerContext.h"
#include "widgets/DrawerTabView.h"

class ClearOrUndo;
class ClipboardHistoryList;
class DrawerSearchField;
class DrawerTextButton;
class QAction;

// The clipboard tab: a header with "Clear" (while there is anything to clear, and "Undo" in its
// place for a few seconds after a clear, as Ctrl+Z), then either
// the list of the history or, when it is empty, an invitation to copy something. Ctrl+F opens
// a search field above them that narrows the list as the user types; Escape clears the search
// before it lets the drawer close, and the search ends when the drawer closes.
class ClipboardHistoryView final : public DrawerTabView {
    Q_OBJECT

public:
    explicit ClipboardHistoryView(const DrawerContext& ctx, QWidget* parent = nullptr);

    ClipboardHistoryList* list() const { return list_; }
    DrawerTextButton* clearButton() const { return clearButton_; }
    DrawerSearchField* searchField() const { return search_; }
    bool isShowingEmptyState() const;

    void openSearch();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void sync();
    void copyFirstMatch(bool keepDrawerOpen);
    // Ends the search; true when it held a query (which Escape then only clears).
    bool closeSearch();

    DrawerContext ctx_;
    QWidget* searchRow_;
    DrawerSearchField* search_;
    QWidget* header_;
    DrawerTextButton* clearButton_;
    ClearOrUndo* clearOrUndo_;
    ClipboardHistoryList* list_;
};
