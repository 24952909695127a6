#pragma once

#include "clipboard/ClipboardItem.h"
#include "clipboard/ClipboardRow.h"
#include "widgets/AccessibleItems.h"

#include <QAbstractScrollArea>
#include <QEasingCurve>
#include <QList>
#include <QSet>
#include <QUuid>
#include <QVariantAnimation>

#include <functional>

#include <optional>

class ClipboardManager;
class MainQueue;
class PanelState;

// The scrolling list of the clipboard tab: one ClipboardRow per entry of the history's display
// order, pinned first. Rows are painted only when in view and image thumbnails are decoded on
// the main queue's workers, so a full history scrolls without stalls. Pinning moves a row to its
// new place over 0.2 s (ease in and out); removing lets the rows below close the gap over
// 0.15 s (ease out) while the removed row fades.
//
// One row at a time is selected, by the pointer (hovering a row) or by the keys (arrows, Page
// Up/Down, Home/End); it is drawn as a hovered row, with its buttons, and kept in view. Return
// copies it (and asks to close the drawer; Shift+Return keeps it open), Delete removes it and
// Ctrl+P pins or unpins it. A search narrows the rows to the entries that match.
class ClipboardHistoryList final : public QAbstractScrollArea, public AccessibleItems {
    Q_OBJECT

public:
    static constexpr double pinAnimationDuration = 0.2;
    static constexpr double removeAnimationDuration = 0.15;

    ClipboardHistoryList(ClipboardManager& clipboard, PanelState& panelState, MainQueue& mainQueue,
                         QWidget* parent = nullptr);

    // The entries' identifiers in the order shown.
    QList<QUuid> rowIds() const;
    // Where a row stands once any running animation has ended, in viewport coordinates; empty
    // when the entry has no row.
    QRectF rowRect(const QUuid& id) const;
    // The row under the pointer or moved to with the keys; none when the drawer opens.
    std::optional<QUuid> selectedId() const { return selectedId_; }
    void clearSelection();
    // Selects the first row shown (when there is one) as the keys do, and keeps it in view.
    void selectFirst();
    // The entry of a row shown; null when there is no such row.
    const ClipboardItem* entry(const QUuid& id) const;
    bool isPinned(const QUuid& id) const;

    // What the row's actions do, for the keys and for assistive technology: copy (with the
    // "Copied" flash), pin or unpin (moving the row), remove (closing the gap).
    void copyEntry(const QUuid& id);
    void togglePin(const QUuid& id);
    void removeEntry(const QUuid& id);

    // Shows only the entries that match the query (all for an empty one).
    void setFilter(const QString& query);
    QString filter() const { return filter_; }

    // A row to assistive technology: a list item named by its text ("Image, W×H" for a
    // picture), with its pin, source and age as description, and the row's three actions.
    QList<QUuid> accessibleItemIds() const override { return rowIds(); }
    QString accessibleItemName(const QUuid& id) const override;
    QString accessibleItemDescription(const QUuid& id) const override;
    QRect accessibleItemRect(const QUuid& id) const override;
    bool isAccessibleItemSelected(const QUuid& id) const override { return selectedId_ == id; }
    QStringList accessibleItemActions(const QUuid& id) const override;
    void doAccessibleItemAction(const QUuid& id, const QString& action) override;
    bool isAnimating() const { return animation_.state() == QAbstractAnimation::Running; }
    // Puts every row where its running animation would end.
    void finishAnimation();

Q_SIGNALS:
    // Return copied the selected entry: the user is done with the drawer.
    void closeRequested();
    // Up on the first row: the keyboard goes back to where it came from (the search field).
    void movedAboveFirstRow();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    struct Row {
        ClipboardItem item;
        bool pinned = false;
        qreal top = 0;     // in content coordinates, where the row stands
        qreal fromTop = 0; // where it stood when the running animation began
        qreal height = 0;
    };
    struct Animation {
        double duration;
        QEasingCurve curve;
    };

    void reload();
    void relayout();
    void updateScrollRange();
    // The row's rectangle as painted now, in viewport coordinates.
    QRectF paintedRect(const Row& row) const;
    const Row* rowAt(const QPointF& point) const;
    ClipboardRow makeRow(const Row& row) const;
    void setSelected(std::optional<QUuid> id);
    // Selects the row at an index (clamped) from the keys, and scrolls it into view.
    void selectByKeys(qsizetype index);
    qsizetype selectedIndex() const;
    // The index of the row a page above (negative pages) or below the selected one.
    qsizetype pageFrom(qsizetype index, int pages) const;
    void scrollIntoView(const QUuid& id);
    void announceSelection();
    void updateHoverFromPointer();
    QImage thumbnailFor(const ClipboardItem& item);
    void runAnimated(Animation animation, const std::function<void()>& change);

    ClipboardManager& clipboard_;
    PanelState& panelState_;
    MainQueue& mainQueue_;
    QList<Row> rows_;
    // Rows just removed, fading where they stood while the others close the gap.
    QList<Row> leaving_;
    std::optional<QUuid> selectedId_;
    // Set while the keys placed the selection: a row that scrolls under a still pointer does
    // not take it over until the pointer moves.
    bool keysSelect_ = false;
    std::optional<QPointF> pointer_;
    QPoint globalPointer_;
    QString filter_;
    std::optional<QUuid> pressedId_;
    ClipboardRow::Button pressedButton_ = ClipboardRow::Button::none;
    std::optional<Animation> pendingAnimation_;
    QVariantAnimation animation_;
    qreal contentHeight_ = 0;
    QSet<const ClipboardImage*> decoding_;
};
