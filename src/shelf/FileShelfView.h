#pragma once

#include "panel/DrawerContext.h"
#include "widgets/DrawerTabView.h"

class ClearOrUndo;
class DrawerTextButton;
class FileShelfGrid;

// The shelf tab: a header with "Clear All" (while the shelf has files, and "Undo" in its place
// for a few seconds after a clear, as Ctrl+Z), then the grid of files
// or, when the shelf is empty, a dashed area inviting a drop. Drops themselves are taken by the
// drawer around it.
class FileShelfView final : public DrawerTabView {
    Q_OBJECT

public:
    explicit FileShelfView(const DrawerContext& ctx, QWidget* parent = nullptr);

    FileShelfGrid* grid() const { return grid_; }
    DrawerTextButton* clearAllButton() const { return clearAllButton_; }
    bool isShowingEmptyState() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void sync();

    DrawerContext ctx_;
    QWidget* header_;
    DrawerTextButton* clearAllButton_;
    ClearOrUndo* clearOrUndo_;
    FileShelfGrid* grid_;
};
