#pragma once

#include "shelf/ShelfFile.h"
#include "widgets/AccessibleItems.h"

#include <QAbstractScrollArea>
#include <QList>
#include <QUuid>

#include <optional>

class FileShelfManager;
class QMimeData;

// The scrolling grid of the shelf tab: as many columns of 72 to 90 points as fit, one
// FileShelfCell per file, newest first. A cell can be dragged out to another program as its
// file's URL (the file stays on the shelf); its remove button takes it off the shelf.
//
// One cell at a time is selected, by the pointer or by the arrow keys (through the rows and
// columns, Home and End); it is drawn as a hovered cell and kept in view. Return opens its file,
// Delete takes it off the shelf (the file itself stays where it is).
class FileShelfGrid final : public QAbstractScrollArea, public AccessibleItems {
    Q_OBJECT

public:
    explicit FileShelfGrid(FileShelfManager& shelf, QWidget* parent = nullptr);

    // A cell's rectangle in viewport coordinates; empty when the file has no cell.
    QRectF cellRect(const QUuid& id) const;
    // The cell under the pointer or moved to with the keys; none when the tab opens.
    std::optional<QUuid> selectedId() const { return selectedId_; }
    void clearSelection();
    int columnCount() const { return columns_; }
    QList<QUuid> cellIds() const;
    // The file of a cell shown; null when there is no such cell.
    const ShelfFile* file(const QUuid& id) const;
    // A cell's actions, for the keys and for assistive technology.
    void openFile(const QUuid& id);
    void removeFile(const QUuid& id);

    // A cell to assistive technology: a list item named by the file, its size as description,
    // with open and remove.
    QList<QUuid> accessibleItemIds() const override { return cellIds(); }
    QString accessibleItemName(const QUuid& id) const override;
    QString accessibleItemDescription(const QUuid& id) const override;
    QRect accessibleItemRect(const QUuid& id) const override;
    bool isAccessibleItemSelected(const QUuid& id) const override { return selectedId_ == id; }
    QStringList accessibleItemActions(const QUuid& id) const override;
    void doAccessibleItemAction(const QUuid& id, const QString& action) override;

    // What dragging a file out carries: its URL as text/uri-list.
    static QMimeData* dragData(const ShelfFile& file);

Q_SIGNALS:
    // The user asked to open a file (Return): its owner hands it to the desktop.
    void openRequested(const QUrl& url);

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
    struct Cell {
        ShelfFile file;
        QRectF rect; // in content coordinates
    };

    void reload();
    void relayout();
    QRectF viewRect(const Cell& cell) const;
    const Cell* cellAt(const QPointF& point) const;
    void setSelected(std::optional<QUuid> id);
    qsizetype selectedIndex() const;
    void selectByKeys(qsizetype index);
    void announceSelection();
    void startDrag(const ShelfFile& file);

    FileShelfManager& shelf_;
    QList<Cell> cells_;
    int columns_ = 1;
    qreal contentHeight_ = 0;
    std::optional<QUuid> selectedId_;
    // Set while the keys placed the selection, until the pointer really moves.
    bool keysSelect_ = false;
    QPoint globalPointer_;
    std::optional<QUuid> pressedId_;
    bool pressedOnRemove_ = false;
    QPointF pressPoint_;
};
