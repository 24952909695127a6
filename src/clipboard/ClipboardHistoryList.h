#pragma once

#include "clipboard/ClipboardItem.h"
#include "clipboard/ClipboardRow.h"

#include <QAbstractScrollArea>
#include <QEasingCurve>
#include <QList>
#include <QSet>
#include <QUuid>
#include <QVariantAnimation>

#include <optional>

class ClipboardManager;
class MainQueue;
class PanelState;

// The scrolling list of the clipboard tab: one ClipboardRow per entry of the history's display
// order, pinned first. Rows are painted only when in view and image thumbnails are decoded on
// the main queue's workers, so a full history scrolls without stalls. Pinning moves a row to its
// new place over 0.2 s (ease in and out); removing lets the rows below close the gap over
// 0.15 s (ease out) while the removed row fades.
class ClipboardHistoryList final : public QAbstractScrollArea {
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
    std::optional<QUuid> hoveredId() const { return hoveredId_; }
    bool isAnimating() const { return animation_.state() == QAbstractAnimation::Running; }
    // Puts every row where its running animation would end.
    void finishAnimation();

protected:
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
    void setHovered(std::optional<QUuid> id);
    void updateHoverFromPointer();
    QImage thumbnailFor(const ClipboardItem& item);
    void runAnimated(Animation animation, const std::function<void()>& change);

    ClipboardManager& clipboard_;
    PanelState& panelState_;
    MainQueue& mainQueue_;
    QList<Row> rows_;
    // Rows just removed, fading where they stood while the others close the gap.
    QList<Row> leaving_;
    std::optional<QUuid> hoveredId_;
    std::optional<QPointF> pointer_;
    std::optional<QUuid> pressedId_;
    ClipboardRow::Button pressedButton_ = ClipboardRow::Button::none;
    std::optional<Animation> pendingAnimation_;
    QVariantAnimation animation_;
    qreal contentHeight_ = 0;
    QSet<const ClipboardImage*> decoding_;
};
