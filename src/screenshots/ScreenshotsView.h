#pragma once

#include "panel/DrawerContext.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QSet>
#include <QUuid>
#include <QWidget>

#include <optional>
#include <vector>

class QAbstractButton;
class QScrollArea;
class QVariantAnimation;
class ScreenshotCell;
class ScreenshotItem;

// The drawer's screenshots tab: a header with the count and "Clear", then the screenshots of
// the list in a grid of as many columns as fit (or a short note while there are none). It
// shows what the screenshot list holds and sends every action to that list or to the
// screenshot itself. Thumbnails are asked of the list for the cells it makes.
class ScreenshotsView final : public QWidget {
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
    std::optional<QUuid> hoveredId() const { return hoveredId_; }
    // Visible only while the list has entries.
    QAbstractButton* clearButton() const { return clearButton_; }
    // True while the list is empty (and not still loading) and the note about how to take a
    // screenshot is shown.
    bool showsEmptyState() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Motion {
        QPointer<ScreenshotCell> cell;
        QRect from;
        QRect to;
        qreal fromOpacity = 1;
        qreal toOpacity = 1;
    };

    int headerHeight() const;
    void syncWithList(double animationSeconds);
    void itemsInserted(int count);
    // Places every cell for the current width; with a duration, cells glide from `from` (by id)
    // and those in `arriving` fade in, while the cells on their way out fade away.
    void layoutGrid(double animationSeconds, const QHash<QUuid, QRect>& from = {},
                    const QSet<QUuid>& arriving = {});
    // Makes the cells that are on screen or near it, and drops those far from it.
    void makeVisibleCells();
    void animationStep(qreal progress);
    void animationFinished();
    void setHoveredId(std::optional<QUuid> id);
    void updateVisibility();
    ScreenshotCell* makeCell(const ScreenshotItem& item);
    void retire(ScreenshotCell* cell, bool animated);

    void copy(const ScreenshotItem& item);
    void removeAnimated(const ScreenshotItem& item);
    void clearAnimated();

    DrawerContext ctx_;
    QAbstractButton* clearButton_ = nullptr;
    QScrollArea* scrollArea_ = nullptr;
    QWidget* canvas_ = nullptr;
    // The list's entries at its last change, and where each one's cell belongs.
    QList<QUuid> order_;
    QList<QRect> targets_;
    QHash<QUuid, ScreenshotCell*> live_;
    QList<ScreenshotCell*> cells_;
    // Removed cells fading out; deleted when the motion ends.
    QList<QPointer<ScreenshotCell>> leaving_;
    std::optional<QUuid> hoveredId_;
    // Set while this view itself changes the list, so the change animates.
    double changeAnimation_ = 0;
    // Where the cells stood before the last change of the list, for an arrival that follows it.
    QHash<QUuid, QRect> placedBeforeChange_;
    QVariantAnimation* animation_ = nullptr;
    std::vector<Motion> motions_;
};
