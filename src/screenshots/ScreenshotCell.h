#pragma once

#include "screenshots/ScreenshotItem.h"

#include <QAbstractButton>
#include <QPoint>
#include <QWidget>

class MainQueue;

// One small round-cornered button that floats over a hovered cell: a painted symbol on the
// drawer's translucent dark pane, with a tooltip.
class ScreenshotCellButton final : public QAbstractButton {
    Q_OBJECT

public:
    enum class Symbol { copy, folder, xmark };

    // The square each button takes, in device-independent pixels.
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
// The cell keeps the entry it paints and the thumbnail it was given; what its actions do is up
// to the view that made it.
class ScreenshotCell final : public QWidget {
    Q_OBJECT

public:
    // The age is worked out against `clock` whenever the cell is painted.
    ScreenshotCell(ScreenshotItem item, const MainQueue& clock, QWidget* parent = nullptr);

    // The picture's frame is the shape of a wide screen, height to width.
    static constexpr double pictureAspect = 9.0 / 16.0;
    // The height of a cell of the given width: the picture's frame and a caption line.
    static int heightForCellWidth(int width);

    const ScreenshotItem& item() const { return item_; }
    QString ageLabel() const;

    // The picture, fitted inside the frame whatever its shape; an empty frame while null.
    const QImage& thumbnail() const { return thumbnail_; }
    void setThumbnail(QImage thumbnail);
    // Where the thumbnail is painted, inside the picture's frame.
    QRect thumbnailRect() const;

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

Q_SIGNALS:
    void copyRequested();
    void revealRequested();
    void removeRequested();
    void openRequested();
    // The pointer entered or left the cell (true on entering).
    void hoverChanged(bool entered);

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
    const MainQueue& clock_;
    QImage thumbnail_;
    bool hovered_ = false;
    bool focusRing_ = false;
    qreal opacity_ = 1.0;
    // Made on the first hover: most cells of a long list are never hovered.
    QWidget* buttonRow_ = nullptr;
    // Where a press began, while the button is down and no drag has started.
    std::optional<QPoint> pressedAt_;
};
