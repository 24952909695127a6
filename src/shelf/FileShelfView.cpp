#include "shelf/FileShelfView.h"

#include "platform/Workspace.h"
#include "shelf/FileShelfGrid.h"
#include "shelf/FileShelfManager.h"
#include "widgets/ClearOrUndo.h"
#include "widgets/DrawerStyle.h"
#include "widgets/DrawerTabHeader.h"
#include "widgets/DrawerTextButton.h"
#include "widgets/SymbolCatalogue.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QVBoxLayout>

FileShelfView::FileShelfView(const DrawerContext& ctx, QWidget* parent)
    : DrawerTabView(parent)
    , ctx_(ctx) {
    setStyleSheet(DrawerStyle::widgetStyleSheet());

    const DrawerTabHeader top = makeDrawerTabHeader(tr("Clear All"), this);
    header_ = top.header;
    clearAllButton_ = top.button;
    clearOrUndo_ = new ClearOrUndo(clearAllButton_, tr("Clear All"), this);
    connect(clearOrUndo_, &ClearOrUndo::clearRequested, this, [this] { ctx_.shelf.clearAll(); });
    connect(clearOrUndo_, &ClearOrUndo::undoRequested, this, [this] { ctx_.shelf.undoClear(); });
    connect(&ctx_.shelf.clearUndo(), &UndoOffer::openChanged, this, &FileShelfView::sync);

    grid_ = new FileShelfGrid(ctx_.shelf, this);
    setFocusProxy(grid_);
    connect(grid_, &FileShelfGrid::openRequested, this,
            [this](const QUrl& url) { ctx_.workspace.openUrl(url); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(header_);
    layout->addWidget(grid_, 1);
    // Hidden while the shelf is empty, the grid keeps its room: the header stays at the top,
    // where "Undo" shows after a clear.
    QSizePolicy gridPolicy = grid_->sizePolicy();
    gridPolicy.setRetainSizeWhenHidden(true);
    grid_->setSizePolicy(gridPolicy);

    connect(&ctx_.shelf, &FileShelfManager::filesChanged, this, &FileShelfView::sync);
    sync();
}

void FileShelfView::hideEvent(QHideEvent* event) {
    DrawerTabView::hideEvent(event);
    // The drawer closed: it opens again with nothing selected.
    grid_->clearSelection();
}

bool FileShelfView::isShowingEmptyState() const {
    return ctx_.shelf.files().isEmpty();
}

void FileShelfView::sync() {
    const bool empty = ctx_.shelf.files().isEmpty();
    clearOrUndo_->show(ctx_.shelf.clearUndo().isOpen(), !empty);
    grid_->setVisible(!empty);
    update();
}

void FileShelfView::paintEvent(QPaintEvent*) {
    if (!isShowingEmptyState()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(12, header_->height() + 12, -12, -12);
    if (area.width() <= 0 || area.height() <= 0) {
        return;
    }

    // The dashed border lies inside the area, as an inner stroke.
    constexpr qreal lineWidth = 1.5;
    QPen pen(DrawerStyle::white(0.06), lineWidth);
    pen.setDashPattern({6 / lineWidth, 4 / lineWidth});
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const qreal inset = lineWidth / 2;
    painter.drawRoundedRect(area.adjusted(inset, inset, -inset, -inset), 10 - inset, 10 - inset);

    constexpr qreal symbolSize = 36;
    constexpr qreal gap = 8;
    constexpr qreal lineGap = 3;
    const QFont title = DrawerStyle::font(12, QFont::Medium);
    const QFont hint = DrawerStyle::font(10);
    const qreal titleHeight = QFontMetricsF(title).height();
    const qreal hintHeight = QFontMetricsF(hint).height();
    const qreal height = symbolSize + gap + titleHeight + lineGap + hintHeight;
    qreal y = area.top() + (area.height() - height) / 2;
    const QPixmap symbol =
        SymbolCatalogue::pixmap(QStringLiteral("tray.and.arrow.down"), symbolSize,
                                DrawerStyle::white(0.12), devicePixelRatioF());
    painter.drawPixmap(QPointF(area.center().x() - symbolSize / 2, y), symbol);
    y += symbolSize + gap;
    painter.setFont(title);
    painter.setPen(DrawerStyle::white(0.25));
    painter.drawText(QRectF(area.left(), y, area.width(), titleHeight),
                     Qt::AlignCenter | Qt::TextSingleLine, tr("Drop files here"));
    y += titleHeight + lineGap;
    painter.setFont(hint);
    painter.setPen(DrawerStyle::white(0.15));
    painter.drawText(QRectF(area.left(), y, area.width(), hintHeight),
                     Qt::AlignCenter | Qt::TextSingleLine,
                     tr("Drag from Files, Desktop, anywhere"));
}
