#pragma once

#include "screenshots/ScreenshotItem.h"

#include <QAbstractButton>
#include <QPoint>
#include <QWidget>

#include <functional>

// One small round-cornered button that floats over a hovered cell: a painted symbol on the
// drawer's translucent dark pane, with a tooltip.
class ScreenshotCellButton final : public QAbstractButton {
    Q_OBJECT

public:
    enum class Symbol { copy, folder, xmark };

    // The square each button takes, in points.
    static constexpr int side = 20;

    ScreenshotCellButton(Symbol symbol, const QString& toolTip, QWidget* parent = nullptr);

    Symbol symbol() const { return symbol_; }
    QSize sizeHint() const override { return {side, side}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Symbol symbol_;
};

// One screenshot in the grid: its thumbnail, age and size, on a rounded plate that lightens
// while hovered, when three buttons (copy, show in the file manager, remove) appear over the
// thumbnail's top right. A click copies, a double click opens, and a drag carries the file.
//
// The cell keeps the entry it paints; what its actions do is up to the view that made it.
class ScreenshotCell final : public QWidget {
    Q_OBJECT

public:
    using Action = std::function<void()>;

    // `ageLabel` is worked out when the cell is made and stays until it is made again.
    ScreenshotCell(ScreenshotItem item, QString ageLabel, QWidget* parent = nullptr);

    // The picture's frame is the shape of a wide screen, height to width.
    static constexpr double pictureAspect = 9.0 / 16.0;
    // The height of a cell of the given width: the picture's frame and a caption line.
    static int heightForCellWidth(int width);

    const ScreenshotItem& item() const { return item_; }
    const QString& ageLabel() const { return ageLabel_; }

    bool isHovered() const { return hovered_; }
    // Shows or hides the buttons and lightens the plate; the view decides which cell it is.
    void setHovered(bool hovered);

    // Draws the ring that shows the keyboard is on this cell.
    void setFocusRing(bool shown);

    // How opaque the whole cell is drawn, for arriving and leaving; 1 normally.
    qreal opacity() const { return opacity_; }
    void setOpacity(qreal opacity);

    // The three buttons while hovered (copy, folder, remove, left to right); none otherwise.
    QList<ScreenshotCellButton*> buttons() const;

    Action onCopy;
    Action onReveal;
    Action onRemove;
    Action onOpen;
    // The pointer entered or left the cell (true on entering).
    std::function<void(bool)> onHoverChanged;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    static int pictureHeight(int pictureWidth);
    QRect pictureRect() const;
    void placeButtons();
    void startDrag();

    ScreenshotItem item_;
    QString ageLabel_;
    bool hovered_ = false;
    bool focusRing_ = false;
    qreal opacity_ = 1.0;
    // Made on the first hover: most cells of a long list are never hovered.
    QWidget* buttonRow_ = nullptr;
    // Where a press began, while the button is down and no drag has started.
    std::optional<QPoint> pressedAt_;
};
