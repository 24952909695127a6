#pragma once

#include "panel/DrawerContext.h"

#include <QWidget>

class ClipboardHistoryList;
class DrawerTextButton;

// The clipboard tab: a header with "Clear" (while there is anything to clear), then either
// the list of the history or, when it is empty, an invitation to copy something.
class ClipboardHistoryView final : public QWidget {
    Q_OBJECT

public:
    explicit ClipboardHistoryView(const DrawerContext& ctx, QWidget* parent = nullptr);

    ClipboardHistoryList* list() const { return list_; }
    DrawerTextButton* clearButton() const { return clearButton_; }
    bool isShowingEmptyState() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void sync();

    DrawerContext ctx_;
    QWidget* header_;
    DrawerTextButton* clearButton_;
    ClipboardHistoryList* list_;
};
