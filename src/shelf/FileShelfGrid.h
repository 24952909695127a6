#pragma once

#include "shelf/ShelfFile.h"

#include <QAbstractScrollArea>
#include <QList>
#include <QUuid>

#include <optional>

class FileShelfManager;
class QMimeData;

// The scrolling grid of the shelf tab: as many columns of 72 to 90 pixels as fit, one
// FileShelfCell per file, newest first. A cell can be dragged out to another program as its
// file's URL (the file stays on the shelf); its remove button takes it off the shelf.
class FileShelfGrid final : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit FileShelfGrid(FileShelfManager& shelf, QWidget* parent = nullptr);

    // A cell's rectangle in viewport coordinates; empty when the file has no cell.
    QRectF cellRect(const QUuid& id) const;
    std::optional<QUuid> hoveredId() const { return hoveredId_; }
    int columnCount() const { return columns_; }

    // What dragging a file out carries: its URL as text/uri-list.
    static QMimeData* dragData(const ShelfFile& file);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    struct Cell {
        ShelfFile file;
        QRectF rect; // in content coordinates
    };

    void reload();
    void relayout();
    QRectF viewRect(const Cell& cell) const;
    const Cell* cellAt(const QPointF& point) const;
    void setHovered(std::optional<QUuid> id);
    void startDrag(const ShelfFile& file);

    FileShelfManager& shelf_;
    QList<Cell> cells_;
    int columns_ = 1;
    qreal contentHeight_ = 0;
    std::optional<QUuid> hoveredId_;
    std::optional<QUuid> pressedId_;
    bool pressedOnRemove_ = false;
    QPointF pressPoint_;
};
