#include "shelf/FileShelfGrid.h"

#include "shelf/FileShelfCell.h"
#include "shelf/FileShelfManager.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {
constexpr qreal gridPadding = 12;
constexpr qreal minColumnWidth = 72;
constexpr qreal maxColumnWidth = 90;
constexpr qreal columnSpacing = 8;
constexpr qreal rowSpacing = 8;
} // namespace

FileShelfGrid::FileShelfGrid(FileShelfManager& shelf, QWidget* parent)
    : QAbstractScrollArea(parent)
    , shelf_(shelf) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
    verticalScrollBar()->setSingleStep(20);
    connect(&shelf_, &FileShelfManager::filesChanged, this, &FileShelfGrid::reload);
    reload();
}

QMimeData* FileShelfGrid::dragData(const ShelfFile& file) {
    auto* data = new QMimeData;
    data->setUrls({file.url()});
    return data;
}

void FileShelfGrid::reload() {
    cells_.clear();
    for (const ShelfFile& file : shelf_.files()) {
        cells_.append({file, {}});
    }
    relayout();
    viewport()->update();
}

void FileShelfGrid::relayout() {
    const qreal width = viewport()->width() - 2 * gridPadding;
    // As many columns as fit at their narrowest, then as wide as they may be; the grid is
    // centred when they cannot fill the width.
    columns_ = std::max(1, int((width + columnSpacing) / (minColumnWidth + columnSpacing)));
    const qreal columnWidth = std::clamp((width - columnSpacing * (columns_ - 1)) / columns_,
                                         minColumnWidth, maxColumnWidth);
    const qreal gridWidth = columns_ * columnWidth + (columns_ - 1) * columnSpacing;
    const qreal left = gridPadding + std::max<qreal>(0, (width - gridWidth) / 2);

    qreal top = gridPadding;
    for (int start = 0; start < cells_.size(); start += columns_) {
        const int end = std::min<int>(int(cells_.size()), start + columns_);
        qreal rowHeight = 0;
        for (int i = start; i < end; ++i) {
            rowHeight = std::max(rowHeight, FileShelfCell::size(cells_[i].file).height());
        }
        for (int i = start; i < end; ++i) {
            const QSizeF size = FileShelfCell::size(cells_[i].file);
            const qreal columnLeft = left + (i - start) * (columnWidth + columnSpacing);
            cells_[i].rect = QRectF(QPointF(columnLeft + (columnWidth - size.width()) / 2,
                                            top + (rowHeight - size.height()) / 2),
                                    size);
        }
        top += rowHeight + rowSpacing;
    }
    contentHeight_ = cells_.isEmpty() ? 0 : top - rowSpacing + gridPadding;
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(viewport()->height());
    bar->setRange(0, std::max(0, qCeil(contentHeight_) - viewport()->height()));
}

QRectF FileShelfGrid::viewRect(const Cell& cell) const {
    return cell.rect.translated(0, -verticalScrollBar()->value());
}

QRectF FileShelfGrid::cellRect(const QUuid& id) const {
    for (const Cell& cell : cells_) {
        if (cell.file.id() == id) {
            return viewRect(cell);
        }
    }
    return {};
}

const FileShelfGrid::Cell* FileShelfGrid::cellAt(const QPointF& point) const {
    for (const Cell& cell : cells_) {
        const QRectF rect = viewRect(cell);
        // The remove button reaches a little beyond its cell.
        if (rect.contains(point) || (hoveredId_ == cell.file.id() &&
                                     FileShelfCell::removeButtonRect(rect).contains(point))) {
            return &cell;
        }
    }
    return nullptr;
}

void FileShelfGrid::setHovered(std::optional<QUuid> id) {
    if (hoveredId_ != id) {
        hoveredId_ = id;
        viewport()->update();
    }
}

void FileShelfGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    relayout();
}

void FileShelfGrid::scrollContentsBy(int, int) {
    viewport()->update();
}

void FileShelfGrid::mouseMoveEvent(QMouseEvent* event) {
    if (pressedId_ && !pressedOnRemove_ && (event->buttons() & Qt::LeftButton) &&
        (event->position() - pressPoint_).manhattanLength() >= QApplication::startDragDistance()) {
        const QUuid id = *std::exchange(pressedId_, std::nullopt);
        for (const Cell& cell : std::as_const(cells_)) {
            if (cell.file.id() == id) {
                const ShelfFile file = cell.file;
                startDrag(file);
                break;
            }
        }
        return;
    }
    const Cell* cell = cellAt(event->position());
    setHovered(cell != nullptr ? std::optional<QUuid>(cell->file.id()) : std::nullopt);
}

void FileShelfGrid::mousePressEvent(QMouseEvent* event) {
    pressedId_.reset();
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (const Cell* cell = cellAt(event->position())) {
        pressedId_ = cell->file.id();
        pressPoint_ = event->position();
        pressedOnRemove_ = FileShelfCell(cell->file, hoveredId_ == cell->file.id())
                               .isOnRemoveButton(viewRect(*cell), event->position());
    }
}

void FileShelfGrid::mouseReleaseEvent(QMouseEvent* event) {
    const std::optional<QUuid> pressed = std::exchange(pressedId_, std::nullopt);
    if (event->button() != Qt::LeftButton || !pressed || !pressedOnRemove_) {
        return;
    }
    const Cell* cell = cellAt(event->position());
    if (cell == nullptr || cell->file.id() != *pressed) {
        return;
    }
    FileShelfCell view(cell->file, hoveredId_ == cell->file.id());
    view.onRemove = [this, id = cell->file.id()] { shelf_.removeFile(id); };
    if (view.isOnRemoveButton(viewRect(*cell), event->position())) {
        view.onRemove();
    }
}

bool FileShelfGrid::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave) {
        setHovered(std::nullopt);
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void FileShelfGrid::startDrag(const ShelfFile& file) {
    // The drag lives on after exec() returns: the receiver may read its data later.
    auto* drag = new QDrag(this);
    drag->setMimeData(dragData(file));
    if (!file.icon().isNull()) {
        drag->setPixmap(file.icon().pixmap(QSize(40, 40), devicePixelRatioF()));
        drag->setHotSpot(QPoint(20, 20));
    }
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

void FileShelfGrid::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const QRectF visible = viewport()->rect();
    for (const Cell& cell : std::as_const(cells_)) {
        const QRectF rect = viewRect(cell);
        if (rect.adjusted(0, -8, 8, 0).intersects(visible)) {
            FileShelfCell(cell.file, hoveredId_ == cell.file.id()).paint(painter, rect);
        }
    }
}
