#include "clipboard/ClipboardHistoryList.h"

#include "clipboard/ClipboardManager.h"
#include "clipboard/ClipboardSearch.h"
#include "panel/PanelState.h"
#include "platform/MainQueue.h"
#include "widgets/DrawerSearchField.h"
#include "widgets/DrawerStyle.h"

#include <QKeyEvent>
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
    setFocusPolicy(Qt::StrongFocus);
    // Before anything asks for the interface, which is then kept.
    DrawerAccessibility::install();
    setAccessibleName(tr("Clipboard history"));

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

    const qsizetype selectedAt = selectedIndex();
    QList<Row> previous = std::move(rows_);
    rows_.clear();
    const QSet<QUuid>& pinned = clipboard_.pinnedIds();
    const QList<ClipboardItem> items = ClipboardSearch::filter(clipboard_.displayItems(), filter_);
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
    if (selectedId_ && entry(*selectedId_) == nullptr) {
        // The keys' selection passes to the row that took the removed one's place.
        if (keysSelect_ && selectedAt >= 0 && !rows_.isEmpty()) {
            selectByKeys(std::min(selectedAt, rows_.size() - 1));
        } else {
            setSelected(std::nullopt);
        }
    }
    viewport()->update();
    updateHoverFromPointer();
    DrawerAccessibility::itemsChanged(this);
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
    return ClipboardRow(row.item, selectedId_ == row.item.id, row.pinned);
}

const ClipboardItem* ClipboardHistoryList::entry(const QUuid& id) const {
    for (const Row& row : rows_) {
        if (row.item.id == id) {
            return &row.item;
        }
    }
    return nullptr;
}

bool ClipboardHistoryList::isPinned(const QUuid& id) const {
    return clipboard_.pinnedIds().contains(id);
}

void ClipboardHistoryList::copyEntry(const QUuid& id) {
    if (const ClipboardItem* item = entry(id)) {
        clipboard_.copyToPasteboard(*item);
        panelState_.showCopyFlash();
    }
}

void ClipboardHistoryList::togglePin(const QUuid& id) {
    runAnimated({pinAnimationDuration, DrawerStyle::easeInOut()},
                [this, id] { clipboard_.togglePin(id); });
    if (keysSelect_ && selectedId_ == id) {
        scrollIntoView(id);
    }
}

void ClipboardHistoryList::removeEntry(const QUuid& id) {
    runAnimated({removeAnimationDuration, DrawerStyle::easeOut()},
                [this, id] { clipboard_.remove(id); });
}

void ClipboardHistoryList::setFilter(const QString& query) {
    if (query == filter_) {
        return;
    }
    filter_ = query;
    animation_.stop();
    keysSelect_ = false;
    reload();
    verticalScrollBar()->setValue(0);
}

void ClipboardHistoryList::runAnimated(Animation animation, const std::function<void()>& change) {
    pendingAnimation_ = animation;
    change();
    pendingAnimation_.reset();
}

void ClipboardHistoryList::setSelected(std::optional<QUuid> id) {
    if (selectedId_ == id) {
        return;
    }
    selectedId_ = id;
    viewport()->update();
    announceSelection();
}

void ClipboardHistoryList::clearSelection() {
    keysSelect_ = false;
    setSelected(std::nullopt);
}

void ClipboardHistoryList::selectFirst() {
    if (!rows_.isEmpty()) {
        selectByKeys(0);
    }
}

qsizetype ClipboardHistoryList::selectedIndex() const {
    if (selectedId_) {
        for (qsizetype i = 0; i < rows_.size(); ++i) {
            if (rows_[i].item.id == *selectedId_) {
                return i;
            }
        }
    }
    return -1;
}

void ClipboardHistoryList::selectByKeys(qsizetype index) {
    if (rows_.isEmpty()) {
        return;
    }
    const QUuid id = rows_[std::clamp<qsizetype>(index, 0, rows_.size() - 1)].item.id;
    keysSelect_ = true;
    setSelected(id);
    scrollIntoView(id);
}

qsizetype ClipboardHistoryList::pageFrom(qsizetype index, int pages) const {
    // The farthest row whose top lies within one viewport's height of the selected row's.
    const qreal page = std::max(1, viewport()->height() - 2 * int(listPadding));
    const qreal from = rows_[index].top;
    qsizetype target = index;
    if (pages > 0) {
        while (target + 1 < rows_.size() && rows_[target + 1].top - from <= page) {
            ++target;
        }
        return std::max(target, std::min(index + 1, rows_.size() - 1));
    }
    while (target > 0 && from - rows_[target - 1].top <= page) {
        --target;
    }
    return std::min(target, std::max<qsizetype>(index - 1, 0));
}

void ClipboardHistoryList::scrollIntoView(const QUuid& id) {
    const QRectF rect = rowRect(id);
    if (rect.isEmpty()) {
        return;
    }
    QScrollBar* bar = verticalScrollBar();
    const qreal margin = listPadding;
    if (rect.top() - margin < 0) {
        bar->setValue(bar->value() + qFloor(rect.top() - margin));
    } else if (rect.bottom() + margin > viewport()->height()) {
        bar->setValue(bar->value() + qCeil(rect.bottom() + margin - viewport()->height()));
    }
}

void ClipboardHistoryList::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const qsizetype at = selectedIndex();
    const bool plain = mods == Qt::NoModifier;
    switch (event->key()) {
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
    case Qt::Key_Home:
    case Qt::Key_End: {
        if (!plain) {
            break;
        }
        if (rows_.isEmpty()) {
            event->accept();
            return;
        }
        const int key = event->key();
        if (at < 0) {
            // Nothing selected yet: every key starts at an end of the list.
            const bool fromEnd = key == Qt::Key_End;
            selectByKeys(fromEnd ? rows_.size() - 1 : 0);
        } else if (key == Qt::Key_Up && at == 0) {
            Q_EMIT movedAboveFirstRow();
        } else {
            qsizetype to = at;
            switch (key) {
            case Qt::Key_Down:
                to = at + 1;
                break;
            case Qt::Key_Up:
                to = at - 1;
                break;
            case Qt::Key_PageDown:
                to = pageFrom(at, 1);
                break;
            case Qt::Key_PageUp:
                to = pageFrom(at, -1);
                break;
            case Qt::Key_Home:
                to = 0;
                break;
            default:
                to = rows_.size() - 1;
                break;
            }
            selectByKeys(to);
        }
        event->accept();
        return;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if ((plain || mods == Qt::ShiftModifier) && at >= 0) {
            copyEntry(*selectedId_);
            if (plain) {
                Q_EMIT closeRequested();
            }
            event->accept();
            return;
        }
        break;
    case Qt::Key_Delete:
        if (plain && at >= 0) {
            keysSelect_ = true;
            removeEntry(*selectedId_);
            event->accept();
            return;
        }
        break;
    case Qt::Key_P:
        if (mods == Qt::ControlModifier && at >= 0) {
            keysSelect_ = true;
            togglePin(*selectedId_);
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    // Everything else (typing starts a note, Escape closes) belongs to the drawer.
    event->ignore();
}

void ClipboardHistoryList::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    // Reached with Tab, the list shows where the keyboard is at once.
    if ((event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason) &&
        !selectedId_) {
        selectFirst();
    }
    viewport()->update();
    announceSelection();
}

void ClipboardHistoryList::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void ClipboardHistoryList::announceSelection() {
    if (hasFocus()) {
        DrawerAccessibility::itemFocused(this, int(selectedIndex()));
    }
}

QString ClipboardHistoryList::accessibleItemName(const QUuid& id) const {
    const ClipboardItem* item = entry(id);
    if (item == nullptr) {
        return {};
    }
    if (const auto image = item->content.imageValue()) {
        const QSize size = image->pixelSize();
        return tr("Image, %1×%2").arg(size.width()).arg(size.height());
    }
    const QString preview = item->preview();
    return preview.isEmpty() ? tr("Blank text") : preview;
}

QString ClipboardHistoryList::accessibleItemDescription(const QUuid& id) const {
    const ClipboardItem* item = entry(id);
    if (item == nullptr) {
        return {};
    }
    QStringList parts;
    if (isPinned(id)) {
        parts.append(tr("Pinned"));
    }
    if (item->sourceApp) {
        parts.append(tr("from %1").arg(*item->sourceApp));
    }
    parts.append(timeAgo(item->timestamp, clipboard_.now()));
    return parts.join(QStringLiteral(", "));
}

QRect ClipboardHistoryList::accessibleItemRect(const QUuid& id) const {
    return rowRect(id).translated(viewport()->pos()).toAlignedRect();
}

QStringList ClipboardHistoryList::accessibleItemActions(const QUuid& id) const {
    const ClipboardRow row(ClipboardItem{id, ClipboardContent::text({}), {}, {}}, true,
                           isPinned(id));
    return {row.toolTip(ClipboardRow::Button::copy), row.toolTip(ClipboardRow::Button::pin),
            row.toolTip(ClipboardRow::Button::remove)};
}

void ClipboardHistoryList::doAccessibleItemAction(const QUuid& id, const QString& action) {
    const QStringList actions = accessibleItemActions(id);
    switch (actions.indexOf(action)) {
    case 0:
        copyEntry(id);
        break;
    case 1:
        togglePin(id);
        break;
    case 2:
        removeEntry(id);
        break;
    default:
        break;
    }
}

void ClipboardHistoryList::updateHoverFromPointer() {
    if (!pointer_ || keysSelect_) {
        return;
    }
    const Row* row = rowAt(*pointer_);
    setSelected(row != nullptr ? std::optional<QUuid>(row->item.id) : std::nullopt);
}

void ClipboardHistoryList::mouseMoveEvent(QMouseEvent* event) {
    pointer_ = event->position();
    // Only a pointer that really moved takes the selection back from the keys.
    const QPoint global = event->globalPosition().toPoint();
    if (global != globalPointer_) {
        globalPointer_ = global;
        keysSelect_ = false;
    }
    updateHoverFromPointer();
}

void ClipboardHistoryList::mousePressEvent(QMouseEvent* event) {
    pointer_ = event->position();
    globalPointer_ = event->globalPosition().toPoint();
    keysSelect_ = false;
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
    const QUuid id = row->item.id;
    switch (view.clickAction(rect, event->position())) {
    case ClipboardRow::Button::pin:
        togglePin(id);
        return;
    case ClipboardRow::Button::remove:
        removeEntry(id);
        return;
    case ClipboardRow::Button::copy:
    case ClipboardRow::Button::none:
        copyEntry(id);
        return;
    }
}

bool ClipboardHistoryList::viewportEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::Leave:
        pointer_.reset();
        if (!keysSelect_) {
            setSelected(std::nullopt);
        }
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
            if (hasFocus() && selectedId_ == row.item.id) {
                DrawerStyle::paintFocusRing(painter, rect, ClipboardRow::cornerRadius);
            }
        } else if (rect.intersects(ahead)) {
            thumbnailFor(row.item);
        }
    }
    if (rows_.isEmpty() && !filter_.trimmed().isEmpty()) {
        DrawerSearchField::paintNoMatches(painter, visible);
    }
}
