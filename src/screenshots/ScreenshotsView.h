#pragma once

#include "panel/DrawerContext.h"
#include "widgets/AccessibleItems.h"
#include "widgets/DrawerTabView.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QSet>
#include <QUuid>

#include <optional>
#include <vector>

class DrawerSearchField;
class QAbstractButton;
class QScrollArea;
class QVariantAnimation;
class ScreenshotCell;
class ScreenshotItem;

// The drawer's screenshots tab: a header with the count and "Clear", then the screenshots of
// the list in a grid of as many columns as fit (or a short note while there are none). It
// shows what the screenshot list holds and sends every action to that list or to the
// screenshot itself; thumbnails are painted as the list built them.
//
// One cell at a time is selected, by the pointer or by the arrow keys; Return copies it (and
// closes the drawer; Shift+Return keeps it open), Delete takes it out of the tab. Ctrl+F opens a
// search field that narrows the grid to the screenshots whose file names match.
class ScreenshotsView final : public DrawerTabView, public AccessibleItems {
    Q_OBJECT

public:
    // Column widths the grid chooses between, and the gaps around and between its cells.
    static constexpr int minColumnWidth = 140;
    static constexpr int maxColumnWidth = 180;
    static constexpr int gridSpacing = 8;
    static constexpr int gridPadding = 8;
    // How long removing a cell, or all of them, takes to settle, easing out.
    static constexpr double removalAnimationDuration = 0.15;

    // How the grid fills a width: as many columns of at least minColumnWidth as fit, sharing
    // the width up to maxColumnWidth each; a grid narrower than the width is centred.
    struct GridMetrics {
        int columns = 1;
        int columnWidth = minColumnWidth;
        int left = gridPadding;
    };
    static GridMetrics gridMetrics(int width);

    explicit ScreenshotsView(const DrawerContext& ctx, QWidget* parent = nullptr);
    ~ScreenshotsView() override;

    // "0 screenshots", "1 screenshot", "2 screenshots", ...
    static QString countText(qsizetype count);

    // The header's count of the list's entries.
    QString headerText() const;
    // The cells in list order (newest first), made for the entries on screen and near it;
    // cells on their way out are not among them.
    const QList<ScreenshotCell*>& cells() const { return cells_; }
    // The cell under the pointer or moved to with the keys; none when the tab opens.
    std::optional<QUuid> selectedId() const { return selectedId_; }
    // The entries shown, in order: all of them, or those that match the search.
    const QList<QUuid>& shownIds() const { return order_; }
    int columnCount() const { return columns_; }
    DrawerSearchField* searchField() const { return search_; }
    void openSearch();

    // A cell to assistive technology: a list item named by its file, its age and size as
    // description, with the cell's copy, show, open and remove.
    QList<QUuid> accessibleItemIds() const override { return order_; }
    QString accessibleItemName(const QUuid& id) const override;
    QString accessibleItemDescription(const QUuid& id) const override;
    QRect accessibleItemRect(const QUuid& id) const override;
    bool isAccessibleItemSelected(const QUuid& id) const override { return selectedId_ == id; }
    QStringList accessibleItemActions(const QUuid& id) const override;
    void doAccessibleItemAction(const QUuid& id, const QString& action) override;
    // Visible only while the list has entries.
    QAbstractButton* clearButton() const { return clearButton_; }
    // True while the list is empty (and not still loading) and the note about how to take a
    // screenshot is shown.
    bool showsEmptyState() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Motion {
        QPointer<ScreenshotCell> cell;
        QRect from;
        QRect to;
        qreal fromOpacity = 1;
        qreal toOpacity = 1;
    };

    int headerHeight() const;
    int searchHeight() const;
    void placeChildren();
    // The list's entries that the search lets through.
    QList<ScreenshotItem> shownItems() const;
    const ScreenshotItem* shownItem(const QUuid& id) const;
    void selectByKeys(qsizetype index);
    void copyAndMaybeClose(const QUuid& id, bool keepDrawerOpen);
    // Ends the search; true when it held a query (which Escape then only clears).
    bool closeSearch();
    void syncWithList(double animationSeconds);
    void itemInserted(int index);
    // Places every cell for the current width; with a duration, cells glide from `from` (by id)
    // and those in `arriving` fade in, while the cells on their way out fade away.
    void layoutGrid(double animationSeconds, const QHash<QUuid, QRect>& from = {},
                    const QSet<QUuid>& arriving = {});
    // Makes the cells that are on screen or near it, and drops those far from it.
    void makeVisibleCells();
    void animationStep(qreal progress);
    void animationFinished();
    void setSelectedId(std::optional<QUuid> id);
    void updateVisibility();
    ScreenshotCell* makeCell(const ScreenshotItem& item);
    void retire(ScreenshotCell* cell, bool animated);

    void copy(const ScreenshotItem& item);
    void removeAnimated(const ScreenshotItem& item);
    void clearAnimated();

    DrawerContext ctx_;
    QAbstractButton* clearButton_ = nullptr;
    DrawerSearchField* search_ = nullptr;
    QScrollArea* scrollArea_ = nullptr;
    QWidget* canvas_ = nullptr;
    // The list's entries at its last change, and where each one's cell belongs.
    QList<QUuid> order_;
    QList<QRect> targets_;
    QHash<QUuid, ScreenshotCell*> live_;
    QList<ScreenshotCell*> cells_;
    // Removed cells fading out; deleted when the motion ends.
    QList<QPointer<ScreenshotCell>> leaving_;
    std::optional<QUuid> selectedId_;
    // Set while the keys placed the selection; a cell's own leave event does not end it.
    bool keysSelect_ = false;
    int columns_ = 1;
    // Set while this view itself changes the list, so the change animates.
    double changeAnimation_ = 0;
    // Where the cells stood before the last change of the list, for an arrival that follows it.
    QHash<QUuid, QRect> placedBeforeChange_;
    QVariantAnimation* animation_ = nullptr;
    std::vector<Motion> motions_;
};
