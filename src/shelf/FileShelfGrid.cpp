#include "shelf/FileShelfGrid.h"

#include "shelf/FileShelfCell.h"
#include "shelf/FileShelfManager.h"

#include <QApplication>
#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "widgets/DrawerStyle.h"

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
    setFocusPolicy(Qt::StrongFocus);
    // Before anything asks for the interface, which is then kept.
    DrawerAccessibility::install();
    setAccessibleName(tr("Files on the shelf"));
    connect(&shelf_, &FileShelfManager::filesChanged, this, &FileShelfGrid::reload);
    reload();
}

QMimeData* FileShelfGrid::dragData(const ShelfFile& file) {
    auto* data = new QMimeData;
    data->setUrls({file.url()});
    return data;
}

void FileShelfGrid::reload() {
    const qsizetype selectedAt = selectedIndex();
    cells_.clear();
    for (const ShelfFile& file : shelf_.files()) {
        cells_.append({file, {}});
    }
    relayout();
    if (selectedId_ && file(*selectedId_) == nullptr) {
        // The keys' selection passes to the cell that took the removed one's place.
        if (keysSelect_ && selectedAt >= 0 && !cells_.isEmpty()) {
            selectByKeys(std::min(selectedAt, cells_.size() - 1));
        } else {
            setSelected(std::nullopt);
        }
    }
    viewport()->update();
    DrawerAccessibility::itemsChanged(this);
}

QList<QUuid> FileShelfGrid::cellIds() const {
    QList<QUuid> ids;
    for (const Cell& cell : cells_) {
        ids.append(cell.file.id());
    }
    return ids;
}

const ShelfFile* FileShelfGrid::file(const QUuid& id) const {
    for (const Cell& cell : cells_) {
        if (cell.file.id() == id) {
            return &cell.file;
        }
    }
    return nullptr;
}

void FileShelfGrid::openFile(const QUuid& id) {
    if (const ShelfFile* shelved = file(id)) {
        Q_EMIT openRequested(shelved->url());
    }
}

void FileShelfGrid::removeFile(const QUuid& id) {
    shelf_.removeFile(id);
}

qsizetype FileShelfGrid::selectedIndex() const {
    if (selectedId_) {
        for (qsizetype i = 0; i < cells_.size(); ++i) {
            if (cells_[i].file.id() == *selectedId_) {
                return i;
            }
        }
    }
    return -1;
}

void FileShelfGrid::clearSelection() {
    keysSelect_ = false;
    setSelected(std::nullopt);
}

void FileShelfGrid::selectByKeys(qsizetype index) {
    if (cells_.isEmpty()) {
        return;
    }
    const Cell& cell = cells_[std::clamp<qsizetype>(index, 0, cells_.size() - 1)];
    keysSelect_ = true;
    setSelected(cell.file.id());
    // Into view, with the gap around the grid.
    const QRectF rect = viewRect(cell).adjusted(0, -gridPadding, 0, gridPadding);
    QScrollBar* bar = verticalScrollBar();
    if (rect.top() < 0) {
        bar->setValue(bar->value() + qFloor(rect.top()));
    } else if (rect.bottom() > viewport()->height()) {
        bar->setValue(bar->value() + qCeil(rect.bottom() - viewport()->height()));
    }
}

void FileShelfGrid::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const qsizetype at = selectedIndex();
    if (mods != Qt::NoModifier) {
        event->ignore();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End: {
        if (cells_.isEmpty()) {
            break;
        }
        qsizetype to = 0;
        if (at < 0) {
            to = event->key() == Qt::Key_End ? cells_.size() - 1 : 0;
        } else {
            switch (event->key()) {
            case Qt::Key_Left:
                to = at - 1;
                break;
            case Qt::Key_Right:
                to = at + 1;
                break;
            case Qt::Key_Up:
                // Nothing above the first row: the selection stays.
                to = at >= columns_ ? at - columns_ : at;
                break;
            case Qt::Key_Down:
                // Below the last full row, the last cell of the row under it, if there is one.
                to = at + columns_ < cells_.size()                    ? at + columns_
                     : (at / columns_ + 1) * columns_ < cells_.size() ? cells_.size() - 1
                                                                      : at;
                break;
            case Qt::Key_Home:
                to = 0;
                break;
            default:
                to = cells_.size() - 1;
                break;
            }
        }
        selectByKeys(to);
        event->accept();
        return;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (at >= 0) {
            openFile(*selectedId_);
            event->accept();
            return;
        }
        break;
    case Qt::Key_Delete:
        if (at >= 0) {
            keysSelect_ = true;
            removeFile(*selectedId_);
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    event->ignore();
}

void FileShelfGrid::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    if ((event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason) &&
        !selectedId_ && !cells_.isEmpty()) {
        selectByKeys(0);
    }
    viewport()->update();
    announceSelection();
}

void FileShelfGrid::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void FileShelfGrid::announceSelection() {
    if (hasFocus()) {
        DrawerAccessibility::itemFocused(this, int(selectedIndex()));
    }
}

QString FileShelfGrid::accessibleItemName(const QUuid& id) const {
    const ShelfFile* shelved = file(id);
    return shelved != nullptr ? shelved->name() : QString();
}

QString FileShelfGrid::accessibleItemDescription(const QUuid& id) const {
    const ShelfFile* shelved = file(id);
    return shelved != nullptr ? FileShelfCell::sizeText(shelved->size()) : QString();
}

QRect FileShelfGrid::accessibleItemRect(const QUuid& id) const {
    return cellRect(id).translated(viewport()->pos()).toAlignedRect();
}

QStringList FileShelfGrid::accessibleItemActions(const QUuid&) const {
    return {tr("Open"), tr("Remove")};
}

void FileShelfGrid::doAccessibleItemAction(const QUuid& id, const QString& action) {
    const QStringList actions = accessibleItemActions(id);
    if (action == actions.value(0)) {
        openFile(id);
    } else if (action == actions.value(1)) {
        removeFile(id);
    }
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
        // The tiles of a row are as tall as its tallest, so their plates, icons and names
        // start on one line whatever a name's length.
        for (int i = start; i < end; ++i) {
            const qreal tileWidth = FileShelfCell::size(cells_[i].file).width();
            const qreal columnLeft = left + (i - start) * (columnWidth + columnSpacing);
            cells_[i].rect =
                QRectF(columnLeft + (columnWidth - tileWidth) / 2, top, tileWidth, rowHeight);
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
        if (rect.contains(point) || (selectedId_ == cell.file.id() &&
                                     FileShelfCell::removeButtonRect(rect).contains(point))) {
            return &cell;
        }
    }
    return nullptr;
}

void FileShelfGrid::setSelected(std::optional<QUuid> id) {
    if (selectedId_ != id) {
        selectedId_ = id;
        viewport()->update();
        announceSelection();
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
    // Only a pointer that really moved takes the selection back from the keys.
    const QPoint global = event->globalPosition().toPoint();
    if (global != globalPointer_) {
        globalPointer_ = global;
        keysSelect_ = false;
    }
    if (keysSelect_) {
        return;
    }
    const Cell* cell = cellAt(event->position());
    setSelected(cell != nullptr ? std::optional<QUuid>(cell->file.id()) : std::nullopt);
}

void FileShelfGrid::mousePressEvent(QMouseEvent* event) {
    pressedId_.reset();
    globalPointer_ = event->globalPosition().toPoint();
    keysSelect_ = false;
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (const Cell* cell = cellAt(event->position())) {
        pressedId_ = cell->file.id();
        pressPoint_ = event->position();
        pressedOnRemove_ = FileShelfCell(cell->file, selectedId_ == cell->file.id())
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
    const FileShelfCell view(cell->file, selectedId_ == cell->file.id());
    if (view.isOnRemoveButton(viewRect(*cell), event->position())) {
        removeFile(cell->file.id());
    }
}

bool FileShelfGrid::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave && !keysSelect_) {
        setSelected(std::nullopt);
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
            const bool selected = selectedId_ == cell.file.id();
            FileShelfCell(cell.file, selected).paint(painter, rect);
            if (selected && hasFocus()) {
                DrawerStyle::paintFocusRing(painter, rect, FileShelfCell::cornerRadius);
            }
        }
    }
}
