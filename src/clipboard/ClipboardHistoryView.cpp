#include "clipboard/ClipboardHistoryView.h"

#include "clipboard/ClipboardHistoryList.h"
#include "clipboard/ClipboardManager.h"
#include "widgets/DrawerStyle.h"
#include "widgets/DrawerTabHeader.h"
#include "widgets/DrawerTextButton.h"
#include "widgets/SymbolCatalogue.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QVBoxLayout>

ClipboardHistoryView::ClipboardHistoryView(const DrawerContext& ctx, QWidget* parent)
    : QWidget(parent)
    , ctx_(ctx) {
    setStyleSheet(DrawerStyle::widgetStyleSheet());

    const DrawerTabHeader top = makeDrawerTabHeader(QStringLiteral("Clear"), this);
    header_ = top.header;
    clearButton_ = top.button;
    connect(clearButton_, &QAbstractButton::clicked, this, [this] { ctx_.clipboard.clearAll(); });

    list_ = new ClipboardHistoryList(ctx_.clipboard, ctx_.panelState, ctx_.mainQueue, this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(header_);
    layout->addWidget(list_, 1);

    connect(&ctx_.clipboard, &ClipboardManager::itemsChanged, this, &ClipboardHistoryView::sync);
    sync();
}

bool ClipboardHistoryView::isShowingEmptyState() const {
    return ctx_.clipboard.items().isEmpty();
}

void ClipboardHistoryView::sync() {
    const bool empty = ctx_.clipboard.items().isEmpty();
    clearButton_->setVisible(!empty);
    list_->setVisible(!empty);
    update();
}

void ClipboardHistoryView::paintEvent(QPaintEvent*) {
    if (!isShowingEmptyState()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(0, header_->height(), 0, 0);
    const QString message = QStringLiteral("Copy something to get started");
    const QFont font = DrawerStyle::font(11);
    const QFontMetricsF metrics(font);
    constexpr qreal symbolSize = 28;
    constexpr qreal spacing = 8;
    const qreal height = symbolSize + spacing + metrics.height();
    const qreal top = area.top() + (area.height() - height) / 2;
    const QPixmap symbol =
        SymbolCatalogue::pixmap(QStringLiteral("clipboard"), symbolSize, DrawerStyle::white(0.12),
                                devicePixelRatioF(), SymbolCatalogue::Weight::Regular);
    painter.drawPixmap(QPointF(area.center().x() - symbolSize / 2, top), symbol);
    painter.setFont(font);
    painter.setPen(DrawerStyle::white(0.25));
    painter.drawText(
        QRectF(area.left(), top + symbolSize + spacing, area.width(), metrics.height()),
        Qt::AlignCenter | Qt::TextSingleLine, message);
}
