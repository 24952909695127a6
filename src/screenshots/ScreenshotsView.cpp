#include "screenshots/ScreenshotsView.h"

#include "panel/PanelState.h"
#include "platform/MainQueue.h"
#include "screenshots/ScreenshotCell.h"
#include "screenshots/ScreenshotItem.h"
#include "screenshots/ScreenshotManager.h"
#include "screenshots/ScreenshotSearch.h"
#include "widgets/DrawerSearchField.h"
#include "widgets/DrawerStyle.h"
#include "widgets/DrawerTextButton.h"

#include <QAbstractButton>
#include <QAction>
#include <QEasingCurve>
#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace {

constexpr int headerPaddingH = 12;
constexpr int headerPaddingV = 6;
constexpr qreal headerTextSize = 10;
constexpr int emptyStateSpacing = 8;
constexpr qreal emptySymbolSize = 28;

QFont headerFont() {
    return DrawerStyle::font(headerTextSize);
}

QFont clearFont() {
    return DrawerStyle::font(headerTextSize, QFont::Medium);
}

// A viewfinder's corner marks around a small camera, drawn with thin lines.
void paintViewfinderSymbol(QPainter& p, const QRectF& box) {
    const qreal corner = box.width() * 0.24;
    QPainterPath marks;
    marks.moveTo(box.left(), box.top() + corner);
    marks.lineTo(box.left(), box.top());
    marks.lineTo(box.left() + corner, box.top());
    marks.moveTo(box.right() - corner, box.top());
    marks.lineTo(box.right(), box.top());
    marks.lineTo(box.right(), box.top() + corner);
    marks.moveTo(box.right(), box.bottom() - corner);
    marks.lineTo(box.right(), box.bottom());
    marks.lineTo(box.right() - corner, box.bottom());
    marks.moveTo(box.left() + corner, box.bottom());
    marks.lineTo(box.left(), box.bottom());
    marks.lineTo(box.left(), box.bottom() - corner);
    p.drawPath(marks);

    const QPointF c = box.center();
    const QRectF body(c.x() - box.width() * 0.27, c.y() - box.height() * 0.17, box.width() * 0.54,
                      box.height() * 0.38);
    p.drawRoundedRect(body, 2, 2);
    const QRectF bump(c.x() - box.width() * 0.09, body.top() - box.height() * 0.07,
                      box.width() * 0.18, box.height() * 0.07);
    p.drawLine(bump.bottomLeft(), bump.topLeft() + QPointF(1, 0));
    p.drawLine(bump.topLeft() + QPointF(1, 0), bump.topRight() - QPointF(1, 0));
    p.drawLine(bump.topRight() - QPointF(1, 0), bump.bottomRight());
    const qreal lens = box.width() * 0.11;
    p.drawEllipse(QPointF(c.x(), body.center().y()), lens, lens);
}

QRect lerp(const QRect& a, const QRect& b, qreal t) {
    const auto mix = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return QRect(mix(a.x(), b.x()), mix(a.y(), b.y()), mix(a.width(), b.width()),
                 mix(a.height(), b.height()));
}

} // namespace

ScreenshotsView::GridMetrics ScreenshotsView::gridMetrics(int width) {
    const int available = std::max(0, width - 2 * gridPadding);
    GridMetrics m;
    m.columns = std::max(1, (available + gridSpacing) / (minColumnWidth + gridSpacing));
    const int shared = (available - (m.columns - 1) * gridSpacing) / m.columns;
    m.columnWidth = std::clamp(shared, minColumnWidth, maxColumnWidth);
    const int gridWidth = m.columns * m.columnWidth + (m.columns - 1) * gridSpacing;
    m.left = gridPadding + std::max(0, (available - gridWidth) / 2);
    return m;
}

QString ScreenshotsView::countText(qsizetype count) {
    // English has one form for one and another for the rest; a translation brings its own.
    return count == 1 ? tr("%n screenshot", nullptr, 1) : tr("%n screenshots", nullptr, int(count));
}

ScreenshotsView::ScreenshotsView(const DrawerContext& ctx, QWidget* parent)
    : DrawerTabView(parent)
    , ctx_(ctx) {
    setStyleSheet(DrawerStyle::widgetStyleSheet() +
                  QStringLiteral("QScrollArea { background: transparent; border: none; }"));
    setFocusPolicy(Qt::StrongFocus);
    // Before anything asks for the interface, which is then kept.
    DrawerAccessibility::install();
    setAccessibleName(tr("Screenshots"));

    search_ = new DrawerSearchField(this);
    connect(search_, &QLineEdit::textChanged, this, [this] {
        selectedId_.reset();
        keysSelect_ = false;
        syncWithList(0);
        scrollArea_->verticalScrollBar()->setValue(0);
    });
    connect(search_, &DrawerSearchField::moveDownRequested, this, [this] {
        setFocus(Qt::OtherFocusReason);
        selectByKeys(0);
    });
    connect(search_, &DrawerSearchField::submitted, this, [this](bool keepDrawerOpen) {
        if (!order_.isEmpty()) {
            copyAndMaybeClose(order_.first(), keepDrawerOpen);
        }
    });
    auto* find = new QAction(tr("Search"), this);
    find->setShortcut(QKeySequence::Find);
    find->setShortcutContext(Qt::WindowShortcut);
    connect(find, &QAction::triggered, this, &ScreenshotsView::openSearch);
    addAction(find);

    clearButton_ = new DrawerTextButton(tr("Clear"), clearFont(), DrawerStyle::white(0.3), this);
    clearButton_->setCursor(Qt::PointingHandCursor);
    connect(clearButton_, &QAbstractButton::clicked, this, &ScreenshotsView::clearAnimated);

    scrollArea_ = new QScrollArea(this);
    // The keys belong to the tab, which moves the selection; the area would only scroll.
    scrollArea_->setFocusPolicy(Qt::NoFocus);
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scrollArea_->setWidgetResizable(false);
    scrollArea_->viewport()->setAutoFillBackground(false);
    scrollArea_->viewport()->installEventFilter(this);
    canvas_ = new QWidget;
    scrollArea_->setWidget(canvas_);
    // The scroll area fills its widget with the desktop's window colour; the drawer shows through.
    canvas_->setAutoFillBackground(false);
    canvas_->installEventFilter(this);
    connect(scrollArea_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &ScreenshotsView::makeVisibleCells);

    animation_ = new QVariantAnimation(this);
    animation_->setStartValue(0.0);
    animation_->setEndValue(1.0);
    animation_->setEasingCurve(DrawerStyle::easeOut());
    connect(animation_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { animationStep(value.toReal()); });
    connect(animation_, &QVariantAnimation::finished, this, &ScreenshotsView::animationFinished);

    ScreenshotManager& list = ctx_.screenshots;
    connect(&list, &ScreenshotManager::itemsChanged, this,
            [this] { syncWithList(changeAnimation_); });
    connect(&list, &ScreenshotManager::itemsInserted, this, &ScreenshotsView::itemsInserted);
    connect(&list.thumbnails(), &ScreenshotThumbnails::thumbnailReady, this,
            [this](const QUuid& id) {
                if (ScreenshotCell* cell = live_.value(id)) {
                    cell->setThumbnail(ctx_.screenshots.thumbnails().thumbnail(cell->item()));
                }
            });
    connect(&list, &ScreenshotManager::loadingFinished, this, qOverload<>(&QWidget::update));
    syncWithList(0);
}

ScreenshotsView::~ScreenshotsView() = default;

int ScreenshotsView::searchHeight() const {
    return search_->isHidden() ? 0 : headerPaddingV + search_->sizeHint().height();
}

void ScreenshotsView::openSearch() {
    search_->open();
    placeChildren();
    update();
}

bool ScreenshotsView::closeSearch() {
    const bool hadQuery = !search_->text().isEmpty();
    if (!search_->isHidden() || hadQuery) {
        if (search_->hasFocus()) {
            setFocus(Qt::OtherFocusReason);
        }
        search_->dismiss();
        placeChildren();
        update();
    }
    return hadQuery;
}

QList<ScreenshotItem> ScreenshotsView::shownItems() const {
    return ScreenshotSearch::filter(ctx_.screenshots.items(), search_->text());
}

const ScreenshotItem* ScreenshotsView::shownItem(const QUuid& id) const {
    for (const ScreenshotItem& item : ctx_.screenshots.items()) {
        if (item.id() == id) {
            return order_.contains(id) ? &item : nullptr;
        }
    }
    return nullptr;
}

void ScreenshotsView::selectByKeys(qsizetype index) {
    if (order_.isEmpty()) {
        return;
    }
    index = std::clamp<qsizetype>(index, 0, order_.size() - 1);
    keysSelect_ = true;
    setSelectedId(order_[index]);
    const QRect target = targets_.value(index);
    scrollArea_->ensureVisible(target.center().x(), target.center().y(),
                               target.width() / 2 + gridPadding, target.height() / 2 + gridPadding);
}

void ScreenshotsView::copyAndMaybeClose(const QUuid& id, bool keepDrawerOpen) {
    if (const ScreenshotItem* item = shownItem(id)) {
        copy(*item);
        if (!keepDrawerOpen) {
            Q_EMIT closeRequested();
        }
    }
}

void ScreenshotsView::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const qsizetype at = selectedId_ ? order_.indexOf(*selectedId_) : -1;
    const int key = event->key();
    if (key == Qt::Key_Escape && mods == Qt::NoModifier && closeSearch()) {
        return;
    }
    if (mods == Qt::NoModifier &&
        (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down ||
         key == Qt::Key_Home || key == Qt::Key_End)) {
        if (order_.isEmpty()) {
            return;
        }
        qsizetype to = 0;
        if (at < 0) {
            to = key == Qt::Key_End ? order_.size() - 1 : 0;
        } else if (key == Qt::Key_Up && at < columns_) {
            // Above the first row lies the search field, when it is open.
            if (!search_->isHidden()) {
                setSelectedId(std::nullopt);
                search_->setFocus(Qt::OtherFocusReason);
            }
            return;
        } else {
            switch (key) {
            case Qt::Key_Left:
                to = at - 1;
                break;
            case Qt::Key_Right:
                to = at + 1;
                break;
            case Qt::Key_Up:
                to = at - columns_;
                break;
            case Qt::Key_Down:
                // Below the last full row, the last cell of the row under it, if there is one.
                to = at + columns_ < order_.size()                    ? at + columns_
                     : (at / columns_ + 1) * columns_ < order_.size() ? order_.size() - 1
                                                                      : at;
                break;
            case Qt::Key_Home:
                to = 0;
                break;
            default:
                to = order_.size() - 1;
                break;
            }
        }
        selectByKeys(to);
        return;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
        (mods == Qt::NoModifier || mods == Qt::ShiftModifier) && at >= 0) {
        copyAndMaybeClose(*selectedId_, mods == Qt::ShiftModifier);
        return;
    }
    if (key == Qt::Key_Delete && mods == Qt::NoModifier && at >= 0) {
        // The cell that takes the removed one's place is selected next.
        const ScreenshotItem* item = shownItem(*selectedId_);
        if (item != nullptr) {
            const ScreenshotItem removed = *item;
            removeAnimated(removed);
            if (!order_.isEmpty()) {
                selectByKeys(std::min(at, order_.size() - 1));
            }
        }
        return;
    }
    // Everything else (typing starts a note, Escape closes) belongs to the drawer.
    event->ignore();
}

void ScreenshotsView::focusInEvent(QFocusEvent* event) {
    DrawerTabView::focusInEvent(event);
    if ((event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason) &&
        !selectedId_) {
        selectByKeys(0);
    }
    setSelectedId(selectedId_);
}

void ScreenshotsView::focusOutEvent(QFocusEvent* event) {
    DrawerTabView::focusOutEvent(event);
    setSelectedId(selectedId_);
}

void ScreenshotsView::hideEvent(QHideEvent* event) {
    DrawerTabView::hideEvent(event);
    // The drawer closed: it opens again with nothing selected and no search.
    closeSearch();
    keysSelect_ = false;
    setSelectedId(std::nullopt);
}

int ScreenshotsView::headerHeight() const {
    const int text =
        std::max(QFontMetrics(headerFont()).height(), clearButton_->sizeHint().height());
    return headerPaddingV + text + headerPaddingV;
}

QString ScreenshotsView::headerText() const {
    return countText(ctx_.screenshots.items().size());
}

bool ScreenshotsView::showsEmptyState() const {
    // While the screenshots found at start are still being built, the list is empty but the
    // folder may well not be: nothing is said until they are in.
    return ctx_.screenshots.items().isEmpty() && !ctx_.screenshots.isLoading();
}

ScreenshotCell* ScreenshotsView::makeCell(const ScreenshotItem& item) {
    auto* cell = new ScreenshotCell(item, ctx_.mainQueue, canvas_);
    cell->setThumbnail(ctx_.screenshots.thumbnails().thumbnail(item));
    const QUuid id = item.id();
    connect(cell, &ScreenshotCell::copyRequested, this, [this, cell] { copy(cell->item()); });
    connect(cell, &ScreenshotCell::revealRequested, this,
            [this, cell] { ScreenshotItem::reveal(cell->item(), ctx_.workspace); });
    connect(cell, &ScreenshotCell::openRequested, this,
            [this, cell] { ScreenshotItem::open(cell->item(), ctx_.workspace); });
    connect(cell, &ScreenshotCell::removeRequested, this,
            [this, cell] { removeAnimated(cell->item()); });
    connect(cell, &ScreenshotCell::hoverChanged, this, [this, id](bool entered) {
        if (entered) {
            keysSelect_ = false;
            setSelectedId(id);
        } else if (selectedId_ == id && !keysSelect_) {
            setSelectedId(std::nullopt);
        }
    });
    cell->show();
    return cell;
}

void ScreenshotsView::retire(ScreenshotCell* cell, bool animated) {
    // Its thumbnail, if still to be made, is no longer needed.
    ctx_.screenshots.thumbnails().release(cell->item().id());
    disconnect(cell, &ScreenshotCell::hoverChanged, this, nullptr);
    cell->setHovered(false);
    cell->setAttribute(Qt::WA_TransparentForMouseEvents);
    if (animated) {
        leaving_.append(cell);
    } else {
        // Later: the cell may be the one whose button asked for the removal.
        cell->hide();
        cell->deleteLater();
    }
}

void ScreenshotsView::syncWithList(double animationSeconds) {
    const QList<ScreenshotItem> items = shownItems();
    // Where every entry stood before the change: its cell, or its place in the grid.
    placedBeforeChange_.clear();
    for (qsizetype i = 0; i < order_.size(); ++i) {
        ScreenshotCell* cell = live_.value(order_[i]);
        placedBeforeChange_.insert(order_[i], cell != nullptr ? cell->geometry() : targets_[i]);
    }
    QList<QUuid> order;
    order.reserve(items.size());
    for (const ScreenshotItem& item : items) {
        order.append(item.id());
    }
    const QSet<QUuid> now(order.cbegin(), order.cend());
    QSet<QUuid> arriving;
    for (const QUuid& id : std::as_const(order)) {
        if (!placedBeforeChange_.contains(id)) {
            arriving.insert(id);
        }
    }
    for (auto it = live_.begin(); it != live_.end();) {
        if (now.contains(it.key())) {
            ++it;
        } else {
            retire(it.value(), animationSeconds > 0);
            it = live_.erase(it);
        }
    }
    order_ = std::move(order);
    if (selectedId_ && !now.contains(*selectedId_)) {
        selectedId_.reset();
    }
    layoutGrid(animationSeconds, placedBeforeChange_, arriving);
    updateVisibility();
    update();
    DrawerAccessibility::itemsChanged(this);
}

void ScreenshotsView::itemsInserted(int count) {
    const QList<ScreenshotItem>& items = ctx_.screenshots.items();
    if (count <= 0 || count > items.size()) {
        return;
    }
    QSet<QUuid> arriving;
    arriving.reserve(count);
    for (int i = 0; i < count; ++i) {
        arriving.insert(items[i].id());
    }
    // The search may show none of them.
    if (std::none_of(order_.cbegin(), order_.cend(),
                     [&](const QUuid& id) { return arriving.contains(id); })) {
        return;
    }
    // The list has already been followed, without animation; the arrival replays the change.
    layoutGrid(ScreenshotManager::insertionAnimationDuration, placedBeforeChange_, arriving);
}

void ScreenshotsView::layoutGrid(double animationSeconds, const QHash<QUuid, QRect>& from,
                                 const QSet<QUuid>& arriving) {
    const int width = scrollArea_->viewport()->width();
    const GridMetrics m = gridMetrics(width);
    columns_ = m.columns;
    const int cellHeight = ScreenshotCell::heightForCellWidth(m.columnWidth);
    const qsizetype rows = (order_.size() + m.columns - 1) / m.columns;
    const int height =
        rows == 0 ? 0 : int(2 * gridPadding + rows * cellHeight + (rows - 1) * gridSpacing);
    canvas_->resize(width, height);

    targets_.clear();
    targets_.reserve(order_.size());
    for (qsizetype i = 0; i < order_.size(); ++i) {
        const int column = int(i % m.columns);
        const int row = int(i / m.columns);
        targets_.append(QRect(m.left + column * (m.columnWidth + gridSpacing),
                              gridPadding + row * (cellHeight + gridSpacing), m.columnWidth,
                              cellHeight));
    }

    animation_->stop();
    motions_.clear();
    makeVisibleCells();
    if (animationSeconds <= 0) {
        for (qsizetype i = 0; i < order_.size(); ++i) {
            if (ScreenshotCell* cell = live_.value(order_[i])) {
                cell->setGeometry(targets_[i]);
                cell->setOpacity(1);
            }
        }
        animationFinished();
        return;
    }
    for (qsizetype i = 0; i < order_.size(); ++i) {
        ScreenshotCell* cell = live_.value(order_[i]);
        if (cell == nullptr) {
            continue;
        }
        const bool arrives = arriving.contains(order_[i]);
        const QRect start = arrives ? targets_[i] : from.value(order_[i], targets_[i]);
        motions_.push_back({cell, start, targets_[i], arrives ? 0.0 : cell->opacity(), 1.0});
    }
    for (const QPointer<ScreenshotCell>& cell : std::as_const(leaving_)) {
        if (cell) {
            motions_.push_back({cell, cell->geometry(), cell->geometry(), cell->opacity(), 0.0});
        }
    }
    animation_->setDuration(int(std::lround(animationSeconds * 1000)));
    animationStep(0);
    animation_->start();
}

void ScreenshotsView::makeVisibleCells() {
    const QList<ScreenshotItem> items = shownItems();
    if (items.size() != order_.size()) {
        return;
    }
    // Cells exist for what is on screen and a screen's height above and below it, so a list of
    // hundreds opens as fast as one of a dozen and scrolling finds its cells ready.
    const QRect viewport = scrollArea_->viewport()->rect();
    const int top = scrollArea_->verticalScrollBar()->value();
    const QRect window(0, top - viewport.height(), viewport.width(), 3 * viewport.height());
    const bool moving = animation_->state() == QAbstractAnimation::Running;
    cells_.clear();
    for (qsizetype i = 0; i < order_.size(); ++i) {
        const QUuid& id = order_[i];
        ScreenshotCell* cell = live_.value(id);
        const bool wanted = targets_[i].intersects(window);
        if (wanted && cell == nullptr) {
            cell = makeCell(items[i]);
            cell->setGeometry(targets_[i]);
            cell->setHovered(selectedId_ == id);
            cell->setFocusRing(selectedId_ == id && hasFocus());
            live_.insert(id, cell);
        } else if (!wanted && cell != nullptr && !moving) {
            live_.remove(id);
            retire(cell, false);
            cell = nullptr;
        }
        if (cell != nullptr) {
            cells_.append(cell);
        }
    }
}

void ScreenshotsView::animationStep(qreal progress) {
    for (const Motion& motion : motions_) {
        if (motion.cell) {
            motion.cell->setGeometry(lerp(motion.from, motion.to, progress));
            motion.cell->setOpacity(motion.fromOpacity +
                                    (motion.toOpacity - motion.fromOpacity) * progress);
        }
    }
}

void ScreenshotsView::animationFinished() {
    animationStep(1);
    motions_.clear();
    for (const QPointer<ScreenshotCell>& cell : std::as_const(leaving_)) {
        if (cell) {
            cell->hide();
            cell->deleteLater();
        }
    }
    leaving_.clear();
    makeVisibleCells();
    updateVisibility();
}

void ScreenshotsView::updateVisibility() {
    const bool empty = ctx_.screenshots.items().isEmpty();
    clearButton_->setVisible(!empty);
    // The grid stays while its last cells fade out over the empty state.
    scrollArea_->setVisible(!empty || !leaving_.isEmpty());
}

void ScreenshotsView::setSelectedId(std::optional<QUuid> id) {
    const bool changed = selectedId_ != id;
    selectedId_ = id;
    for (ScreenshotCell* cell : std::as_const(cells_)) {
        const bool selected = id && cell->item().id() == *id;
        cell->setHovered(selected);
        cell->setFocusRing(selected && hasFocus());
    }
    if (changed) {
        // Every cell works its age out as it paints; like the clipboard's list, the whole grid
        // redraws when the pointer moves on, so no age on screen is older than the last move.
        canvas_->update();
    }
    if (changed && id && hasFocus()) {
        DrawerAccessibility::itemFocused(this, int(order_.indexOf(*id)));
    }
}

QString ScreenshotsView::accessibleItemName(const QUuid& id) const {
    const ScreenshotItem* item = shownItem(id);
    return item != nullptr ? item->url().fileName() : QString();
}

QString ScreenshotsView::accessibleItemDescription(const QUuid& id) const {
    const ScreenshotItem* item = shownItem(id);
    if (item == nullptr) {
        return {};
    }
    QStringList parts{ScreenshotItem::ageLabel(item->date(), ctx_.mainQueue.now())};
    if (!item->size().isEmpty()) {
        parts.append(item->size());
    }
    return parts.join(QStringLiteral(", "));
}

QRect ScreenshotsView::accessibleItemRect(const QUuid& id) const {
    const qsizetype at = order_.indexOf(id);
    if (at < 0 || at >= targets_.size()) {
        return {};
    }
    const QRect target = targets_[at];
    return QRect(canvas_->mapTo(this, target.topLeft()), target.size());
}

QStringList ScreenshotsView::accessibleItemActions(const QUuid&) const {
    return {ScreenshotCell::tr("Copy to clipboard"), ScreenshotCell::tr("Show in Files"),
            tr("Open"), ScreenshotCell::tr("Remove")};
}

void ScreenshotsView::doAccessibleItemAction(const QUuid& id, const QString& action) {
    const ScreenshotItem* found = shownItem(id);
    if (found == nullptr) {
        return;
    }
    const ScreenshotItem item = *found;
    switch (accessibleItemActions(id).indexOf(action)) {
    case 0:
        copy(item);
        break;
    case 1:
        ScreenshotItem::reveal(item, ctx_.workspace);
        break;
    case 2:
        ScreenshotItem::open(item, ctx_.workspace);
        break;
    case 3:
        removeAnimated(item);
        break;
    default:
        break;
    }
}

void ScreenshotsView::copy(const ScreenshotItem& item) {
    // "Copied" shows once the picture is on the clipboard, read by the model on a worker; the
    // badge belongs to the drawer's state, not to this view, so it still shows when the tab is
    // left at once (one connection between the two models, whichever view made it).
    connect(&ctx_.screenshots, &ScreenshotManager::imageCopied, &ctx_.panelState,
            &PanelState::showCopyFlash, Qt::UniqueConnection);
    ctx_.screenshots.copyToPasteboard(item, ctx_.pasteboard);
}

void ScreenshotsView::removeAnimated(const ScreenshotItem& item) {
    changeAnimation_ = removalAnimationDuration;
    ctx_.screenshots.remove(item);
    changeAnimation_ = 0;
}

void ScreenshotsView::clearAnimated() {
    changeAnimation_ = removalAnimationDuration;
    ctx_.screenshots.clearAll();
    changeAnimation_ = 0;
}

void ScreenshotsView::resizeEvent(QResizeEvent*) {
    placeChildren();
}

void ScreenshotsView::placeChildren() {
    const int top = searchHeight();
    if (top > 0) {
        search_->setGeometry(8, headerPaddingV, width() - 16, search_->sizeHint().height());
    }
    const int header = headerHeight();
    const QSize clear = clearButton_->sizeHint();
    clearButton_->setGeometry(width() - headerPaddingH - clear.width(),
                              top + (header - clear.height()) / 2, clear.width(), clear.height());
    scrollArea_->setGeometry(0, top + header, width(), std::max(0, height() - top - header));
}

bool ScreenshotsView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scrollArea_->viewport() && event->type() == QEvent::Resize) {
        layoutGrid(0);
    } else if (watched == canvas_ && event->type() == QEvent::Leave) {
        // A cell that moved away under a still pointer gets no leave event of its own.
        if (!keysSelect_) {
            setSelectedId(std::nullopt);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ScreenshotsView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const int top = searchHeight();
    const int header = headerHeight();
    p.setFont(headerFont());
    p.setPen(DrawerStyle::white(0.3));
    p.drawText(QRect(headerPaddingH, top, width() - 2 * headerPaddingH, header),
               Qt::AlignLeft | Qt::AlignVCenter, headerText());

    if (order_.isEmpty() && !ctx_.screenshots.items().isEmpty() && leaving_.isEmpty()) {
        DrawerSearchField::paintNoMatches(
            p, QRectF(0, top + header, width(), std::max(0, height() - top - header)));
        return;
    }
    if (!showsEmptyState()) {
        return;
    }
    const QFont titleFont = DrawerStyle::font(11);
    const QFont hintFont = DrawerStyle::font(10);
    const QString title = tr("Screenshots appear here automatically");
    const QString hint = tr("Print Screen to capture");
    const int titleHeight = QFontMetrics(titleFont).height();
    const int hintHeight = QFontMetrics(hintFont).height();
    const int stack =
        int(emptySymbolSize) + emptyStateSpacing + titleHeight + emptyStateSpacing + hintHeight;
    const QRect area(0, top + header, width(), std::max(0, height() - top - header));
    int y = area.top() + (area.height() - stack) / 2;

    QPen thin(DrawerStyle::white(0.12), 1.0);
    thin.setCapStyle(Qt::RoundCap);
    thin.setJoinStyle(Qt::RoundJoin);
    p.setPen(thin);
    p.setBrush(Qt::NoBrush);
    paintViewfinderSymbol(p, QRectF(area.center().x() - emptySymbolSize / 2 + 0.5, y + 0.5,
                                    emptySymbolSize - 1, emptySymbolSize - 1));
    y += int(emptySymbolSize) + emptyStateSpacing;

    p.setFont(titleFont);
    p.setPen(DrawerStyle::white(0.25));
    p.drawText(QRect(area.left(), y, area.width(), titleHeight), Qt::AlignCenter, title);
    y += titleHeight + emptyStateSpacing;
    p.setFont(hintFont);
    p.setPen(DrawerStyle::white(0.15));
    p.drawText(QRect(area.left(), y, area.width(), hintHeight), Qt::AlignCenter, hint);
}
