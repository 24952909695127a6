#include "clipboard/ClipboardHistoryList.h"

#include "clipboard/ClipboardManager.h"
#include "panel/PanelState.h"
#include "platform/MainQueue.h"
#include "widgets/DrawerStyle.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>

namespace {
constexpr qreal listPadding = 4;
constexpr qreal rowSpacing = 1;
} // namespace

ClipboardHistoryList::ClipboardHistoryList(ClipboardManager& clipboard, PanelState& panelState,
                                           MainQueue& mainQueue, QWidget* parent)
    : QAbstractScrollArea(parent)
    , clipboard_(clipboard)
    , panelState_(panelState)
    , mainQueue_(mainQueue) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
    verticalScrollBar()->setSingleStep(20);

    animation_.setStartValue(0.0);
    animation_.setEndValue(1.0);
    connect(&animation_, &QVariantAnimation::valueChanged, viewport(),
            qOverload<>(&QWidget::update));
    connect(&animation_, &QVariantAnimation::finished, this, [this] {
        leaving_.clear();
        for (Row& row : rows_) {
            row.fromTop = row.top;
        }
        viewport()->update();
        updateHoverFromPointer();
    });

    connect(&clipboard_, &ClipboardManager::itemsChanged, this, &ClipboardHistoryList::reload);
    connect(&clipboard_, &ClipboardManager::pinnedIdsChanged, this, &ClipboardHistoryList::reload);
    reload();
}

QList<QUuid> ClipboardHistoryList::rowIds() const {
    QList<QUuid> ids;
    for (const Row& row : rows_) {
        ids.append(row.item.id);
    }
    return ids;
}

QRectF ClipboardHistoryList::rowRect(const QUuid& id) const {
    for (const Row& row : rows_) {
        if (row.item.id == id) {
            return {listPadding, row.top - verticalScrollBar()->value(),
                    viewport()->width() - 2 * listPadding, row.height};
        }
    }
    return {};
}

void ClipboardHistoryList::finishAnimation() {
    if (isAnimating()) {
        animation_.setCurrentTime(animation_.duration());
    }
}

void ClipboardHistoryList::reload() {
    const std::optional<Animation> animation = std::exchange(pendingAnimation_, std::nullopt);
    const bool animated = animation.has_value() && isVisible();
    // Where every row is painted now is where an animation starts from.
    QHash<QUuid, qreal> paintedTops;
    if (animated) {
        const qreal t = isAnimating() ? animation_.currentValue().toReal() : 1.0;
        for (const Row& row : std::as_const(rows_)) {
            paintedTops.insert(row.item.id, row.fromTop + (row.top - row.fromTop) * t);
        }
    }
    animation_.stop();

    QList<Row> previous = std::move(rows_);
    rows_.clear();
    const QSet<QUuid>& pinned = clipboard_.pinnedIds();
    const QList<ClipboardItem> items = clipboard_.displayItems();
    QHash<QUuid, qreal> previousHeights;
    for (const Row& row : std::as_const(previous)) {
        previousHeights.insert(row.item.id, row.height);
    }
    rows_.reserve(items.size());
    for (const ClipboardItem& item : items) {
        Row row{item, pinned.contains(item.id), 0, 0, previousHeights.value(item.id, -1)};
        rows_.append(row);
    }
    relayout();

    leaving_.clear();
    if (animated) {
        QSet<QUuid> staying;
        for (Row& row : rows_) {
            row.fromTop = paintedTops.value(row.item.id, row.top);
            staying.insert(row.item.id);
        }
        for (Row& row : previous) {
            if (!staying.contains(row.item.id)) {
                row.top = row.fromTop = paintedTops.value(row.item.id, row.top);
                leaving_.append(row);
            }
        }
        animation_.setDuration(int(animation->duration * 1000));
        animation_.setEasingCurve(animation->curve);
        animation_.start();
    }
    viewport()->update();
    updateHoverFromPointer();
}

void ClipboardHistoryList::relayout() {
    const qreal width = viewport()->width() - 2 * listPadding;
    qreal top = listPadding;
    for (Row& row : rows_) {
        if (row.height < 0) {
            row.height = ClipboardRow::height(row.item, width);
        }
        row.top = row.fromTop = top;
        top += row.height + rowSpacing;
    }
    contentHeight_ = rows_.isEmpty() ? 0 : top - rowSpacing + listPadding;
    updateScrollRange();
}

void ClipboardHistoryList::updateScrollRange() {
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(viewport()->height());
    bar->setRange(0, std::max(0, qCeil(contentHeight_) - viewport()->height()));
}

void ClipboardHistoryList::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    animation_.stop();
    leaving_.clear();
    // Heights depend on the width: measure again.
    for (Row& row : rows_) {
        row.height = -1;
    }
    relayout();
}

void ClipboardHistoryList::scrollContentsBy(int, int) {
    viewport()->update();
    updateHoverFromPointer();
}

QRectF ClipboardHistoryList::paintedRect(const Row& row) const {
    const qreal t = isAnimating() ? animation_.currentValue().toReal() : 1.0;
    const qreal top = row.fromTop + (row.top - row.fromTop) * t;
    return {listPadding, top - verticalScrollBar()->value(), viewport()->width() - 2 * listPadding,
            row.height};
}

const ClipboardHistoryList::Row* ClipboardHistoryList::rowAt(const QPointF& point) const {
    for (const Row& row : rows_) {
        if (paintedRect(row).contains(point)) {
            return &row;
        }
    }
    return nullptr;
}

ClipboardRow ClipboardHistoryList::makeRow(const Row& row) const {
    auto* self = const_cast<ClipboardHistoryList*>(this);
    ClipboardRow view(row.item, hoveredId_ == row.item.id, row.pinned);
    const ClipboardItem item = row.item;
    view.onCopy = [self, item] {
        self->clipboard_.copyToPasteboard(item);
        self->panelState_.showCopyFlash();
    };
    view.onPin = [self, id = item.id] {
        self->runAnimated({pinAnimationDuration, DrawerStyle::easeInOut()},
                          [self, id] { self->clipboard_.togglePin(id); });
    };
    view.onRemove = [self, id = item.id] {
        self->runAnimated({removeAnimationDuration, DrawerStyle::easeOut()},
                          [self, id] { self->clipboard_.remove(id); });
    };
    return view;
}

void ClipboardHistoryList::runAnimated(Animation animation, const std::function<void()>& change) {
    pendingAnimation_ = animation;
    change();
    pendingAnimation_.reset();
}

void ClipboardHistoryList::setHovered(std::optional<QUuid> id) {
    if (hoveredId_ == id) {
        return;
    }
    hoveredId_ = id;
    viewport()->update();
}

void ClipboardHistoryList::updateHoverFromPointer() {
    if (!pointer_) {
        return;
    }
    const Row* row = rowAt(*pointer_);
    setHovered(row != nullptr ? std::optional<QUuid>(row->item.id) : std::nullopt);
}

void ClipboardHistoryList::mouseMoveEvent(QMouseEvent* event) {
    pointer_ = event->position();
    updateHoverFromPointer();
}

void ClipboardHistoryList::mousePressEvent(QMouseEvent* event) {
    pointer_ = event->position();
    updateHoverFromPointer();
    pressedId_.reset();
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (const Row* row = rowAt(event->position())) {
        pressedId_ = row->item.id;
        pressedButton_ = makeRow(*row).buttonAt(paintedRect(*row), event->position());
    }
}

void ClipboardHistoryList::mouseReleaseEvent(QMouseEvent* event) {
    const std::optional<QUuid> pressed = std::exchange(pressedId_, std::nullopt);
    if (event->button() != Qt::LeftButton || !pressed) {
        return;
    }
    // A click is a press and a release on the same row and the same button (or none).
    const Row* row = rowAt(event->position());
    if (row == nullptr || row->item.id != *pressed) {
        return;
    }
    const ClipboardRow view = makeRow(*row);
    const QRectF rect = paintedRect(*row);
    if (view.buttonAt(rect, event->position()) != pressedButton_) {
        return;
    }
    view.click(rect, event->position());
}

bool ClipboardHistoryList::viewportEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::Leave:
        pointer_.reset();
        setHovered(std::nullopt);
        break;
    case QEvent::ToolTip: {
        auto* help = static_cast<QHelpEvent*>(event);
        const Row* row = rowAt(help->pos());
        QString text;
        if (row != nullptr) {
            const ClipboardRow view = makeRow(*row);
            text = view.toolTip(view.buttonAt(paintedRect(*row), help->pos()));
        }
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), text, viewport());
        }
        return true;
    }
    default:
        break;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

QImage ClipboardHistoryList::thumbnailFor(const ClipboardItem& item) {
    const std::shared_ptr<const ClipboardImage> image = item.content.imageValue();
    if (!image) {
        return {};
    }
    const QSize bounds = ClipboardRow::thumbnailBounds(viewport()->devicePixelRatioF());
    QImage thumbnail = image->cachedThumbnail(bounds);
    if (thumbnail.isNull() && !image->isUnreadable() && !decoding_.contains(image.get())) {
        // Decoded once, on a worker; the image keeps the result for every later view.
        decoding_.insert(image.get());
        mainQueue_.asyncBackground(
            this, [image, bounds] { return image->thumbnail(bounds); },
            [key = image.get()](ClipboardHistoryList* self, const QImage&) {
                self->decoding_.remove(key);
                self->viewport()->update();
            });
    }
    return thumbnail;
}

void ClipboardHistoryList::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const QRectF visible = viewport()->rect();
    // Thumbnails are asked for a screen ahead, so scrolling finds them ready.
    const QRectF ahead = visible.adjusted(0, -visible.height(), 0, visible.height());
    const QDateTime now = clipboard_.now();
    const qreal t = isAnimating() ? animation_.currentValue().toReal() : 1.0;
    for (const Row& row : std::as_const(leaving_)) {
        const QRectF rect = paintedRect(row);
        if (rect.intersects(visible)) {
            painter.setOpacity(1.0 - t);
            makeRow(row).paint(painter, rect, thumbnailFor(row.item), now);
        }
    }
    painter.setOpacity(1.0);
    for (const Row& row : std::as_const(rows_)) {
        const QRectF rect = paintedRect(row);
        if (rect.intersects(visible)) {
            makeRow(row).paint(painter, rect, thumbnailFor(row.item), now);
        } else if (rect.intersects(ahead)) {
            thumbnailFor(row.item);
        }
    }
}
