#include "screenshots/ScreenshotsView.h"

#include "panel/PanelState.h"
#include "platform/MainQueue.h"
#include "platform/Pasteboard.h"
#include "screenshots/ScreenshotCell.h"
#include "screenshots/ScreenshotItem.h"
#include "screenshots/ScreenshotManager.h"
#include "widgets/DrawerStyle.h"
#include "widgets/DrawerTextButton.h"

#include <QAbstractButton>
#include <QEasingCurve>
#include <QEvent>
#include <QFontMetrics>
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
    return QString::number(count) +
           (count == 1 ? QStringLiteral(" screenshot") : QStringLiteral(" screenshots"));
}

ScreenshotsView::ScreenshotsView(const DrawerContext& ctx, QWidget* parent)
    : QWidget(parent)
    , ctx_(ctx) {
    setStyleSheet(DrawerStyle::widgetStyleSheet() +
                  QStringLiteral("QScrollArea { background: transparent; border: none; }"));

    clearButton_ = new DrawerTextButton(tr("Clear"), clearFont(), DrawerStyle::white(0.3), this);
    clearButton_->setCursor(Qt::PointingHandCursor);
    connect(clearButton_, &QAbstractButton::clicked, this, &ScreenshotsView::clearAnimated);

    scrollArea_ = new QScrollArea(this);
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
    connect(&list, &ScreenshotManager::itemInserted, this, &ScreenshotsView::itemInserted);
    connect(&list, &ScreenshotManager::loadingFinished, this, qOverload<>(&QWidget::update));
    syncWithList(0);
}

ScreenshotsView::~ScreenshotsView() = default;

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
    auto* cell = new ScreenshotCell(
        item, ScreenshotItem::ageLabel(item.date(), ctx_.mainQueue.now()), canvas_);
    const QUuid id = item.id();
    cell->onCopy = [this, cell] { copy(cell->item()); };
    cell->onReveal = [this, cell] { ScreenshotItem::reveal(cell->item(), ctx_.workspace); };
    cell->onOpen = [this, cell] { ScreenshotItem::open(cell->item(), ctx_.workspace); };
    cell->onRemove = [this, cell] { removeAnimated(cell->item()); };
    cell->onHoverChanged = [this, id](bool entered) {
        if (entered) {
            setHoveredId(id);
        } else if (hoveredId_ == id) {
            setHoveredId(std::nullopt);
        }
    };
    cell->show();
    return cell;
}

void ScreenshotsView::retire(ScreenshotCell* cell, bool animated) {
    cell->onHoverChanged = nullptr;
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
    const QList<ScreenshotItem>& items = ctx_.screenshots.items();
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
    if (hoveredId_ && !now.contains(*hoveredId_)) {
        hoveredId_.reset();
    }
    layoutGrid(animationSeconds, placedBeforeChange_, arriving);
    updateVisibility();
    update();
}

void ScreenshotsView::itemInserted(int index) {
    if (index < 0 || index >= order_.size()) {
        return;
    }
    // The list has already been followed, without animation; the arrival replays the change.
    layoutGrid(ScreenshotManager::insertionAnimationDuration, placedBeforeChange_, {order_[index]});
}

void ScreenshotsView::layoutGrid(double animationSeconds, const QHash<QUuid, QRect>& from,
                                 const QSet<QUuid>& arriving) {
    const int width = scrollArea_->viewport()->width();
    const GridMetrics m = gridMetrics(width);
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
    const QList<ScreenshotItem>& items = ctx_.screenshots.items();
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
            cell->setHovered(hoveredId_ == id);
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

void ScreenshotsView::setHoveredId(std::optional<QUuid> id) {
    if (hoveredId_ == id) {
        return;
    }
    hoveredId_ = id;
    for (ScreenshotCell* cell : std::as_const(cells_)) {
        cell->setHovered(id && cell->item().id() == *id);
    }
}

void ScreenshotsView::copy(const ScreenshotItem& item) {
    // The picture is read and checked on a worker: decoding a 4K screenshot on the main thread
    // would hold the drawer for a quarter of a second. The result belongs to the drawer's
    // state, not to this view, so it still lands when the tab is left at once. Of quick clicks
    // on several cells, the last one wins.
    static quint64 latestRequest = 0;
    const quint64 request = ++latestRequest;
    Pasteboard& pasteboard = ctx_.pasteboard;
    ctx_.mainQueue.asyncBackground(
        &ctx_.panelState, [url = item.url()] { return ScreenshotItem::imageForCopy(url); },
        [request, &pasteboard](PanelState* panelState, std::optional<QByteArray> png) {
            // "Copied" only when the picture is on the clipboard: a file deleted or emptied
            // since its cell was made leaves the clipboard as it was, and says nothing.
            if (request != latestRequest || !png) {
                return;
            }
            ScreenshotItem::writeImage(*png, pasteboard);
            panelState->showCopyFlash();
        });
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
    const int header = headerHeight();
    const QSize clear = clearButton_->sizeHint();
    clearButton_->setGeometry(width() - headerPaddingH - clear.width(),
                              (header - clear.height()) / 2, clear.width(), clear.height());
    scrollArea_->setGeometry(0, header, width(), std::max(0, height() - header));
}

bool ScreenshotsView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scrollArea_->viewport() && event->type() == QEvent::Resize) {
        layoutGrid(0);
    } else if (watched == canvas_ && event->type() == QEvent::Leave) {
        // A cell that moved away under a still pointer gets no leave event of its own.
        setHoveredId(std::nullopt);
    }
    return QWidget::eventFilter(watched, event);
}

void ScreenshotsView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const int header = headerHeight();
    p.setFont(headerFont());
    p.setPen(DrawerStyle::white(0.3));
    p.drawText(QRect(headerPaddingH, 0, width() - 2 * headerPaddingH, header),
               Qt::AlignLeft | Qt::AlignVCenter, headerText());

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
    const QRect area(0, header, width(), std::max(0, height() - header));
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
