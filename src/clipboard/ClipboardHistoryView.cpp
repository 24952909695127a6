#include "clipboard/ClipboardHistoryView.h"

#include "clipboard/ClipboardHistoryList.h"
#include "clipboard/ClipboardManager.h"
#include "widgets/ClearOrUndo.h"
#include "widgets/DrawerSearchField.h"
#include "widgets/DrawerStyle.h"
#include "widgets/DrawerTabHeader.h"
#include "widgets/DrawerTextButton.h"
#include "widgets/SymbolCatalogue.h"

#include <QAction>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>

ClipboardHistoryView::ClipboardHistoryView(const DrawerContext& ctx, QWidget* parent)
    : DrawerTabView(parent)
    , ctx_(ctx) {
    setStyleSheet(DrawerStyle::widgetStyleSheet());

    auto* searchRow = new QWidget(this);
    auto* searchLayout = new QVBoxLayout(searchRow);
    searchLayout->setContentsMargins(8, 6, 8, 0);
    search_ = new DrawerSearchField(searchRow);
    searchLayout->addWidget(search_);

    const DrawerTabHeader top = makeDrawerTabHeader(tr("Clear"), this);
    header_ = top.header;
    clearButton_ = top.button;
    clearOrUndo_ = new ClearOrUndo(clearButton_, tr("Clear"), this);
    connect(clearOrUndo_, &ClearOrUndo::clearRequested, this,
            [this] { ctx_.clipboard.clearAll(); });
    connect(clearOrUndo_, &ClearOrUndo::undoRequested, this,
            [this] { ctx_.clipboard.undoClear(); });
    connect(&ctx_.clipboard.clearUndo(), &UndoOffer::openChanged, this,
            &ClipboardHistoryView::sync);

    list_ = new ClipboardHistoryList(ctx_.clipboard, ctx_.panelState, ctx_.mainQueue, this);
    setFocusProxy(list_);
    connect(list_, &ClipboardHistoryList::closeRequested, this, &DrawerTabView::closeRequested);
    connect(list_, &ClipboardHistoryList::movedAboveFirstRow, this, [this] {
        if (search_->isVisible()) {
            list_->clearSelection();
            search_->setFocus(Qt::OtherFocusReason);
        }
    });

    connect(search_, &QLineEdit::textChanged, list_, &ClipboardHistoryList::setFilter);
    connect(search_, &DrawerSearchField::moveDownRequested, this, [this] {
        list_->setFocus(Qt::OtherFocusReason);
        list_->selectFirst();
    });
    connect(search_, &DrawerSearchField::submitted, this, &ClipboardHistoryView::copyFirstMatch);
    auto* find = new QAction(tr("Search"), this);
    find->setShortcut(QKeySequence::Find);
    find->setShortcutContext(Qt::WindowShortcut);
    connect(find, &QAction::triggered, this, &ClipboardHistoryView::openSearch);
    addAction(find);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(searchRow);
    layout->addWidget(header_);
    layout->addWidget(list_, 1);
    // Hidden while the history is empty, the list keeps its room: the header stays at the top,
    // where "Undo" shows after a clear.
    QSizePolicy listPolicy = list_->sizePolicy();
    listPolicy.setRetainSizeWhenHidden(true);
    list_->setSizePolicy(listPolicy);
    searchRow->setVisible(false);
    searchRow_ = searchRow;

    connect(&ctx_.clipboard, &ClipboardManager::itemsChanged, this, &ClipboardHistoryView::sync);
    sync();
}

void ClipboardHistoryView::openSearch() {
    searchRow_->show();
    search_->open();
}

void ClipboardHistoryView::copyFirstMatch(bool keepDrawerOpen) {
    const QList<QUuid> ids = list_->rowIds();
    if (ids.isEmpty()) {
        return;
    }
    list_->copyEntry(ids.first());
    if (!keepDrawerOpen) {
        Q_EMIT closeRequested();
    }
}

void ClipboardHistoryView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && closeSearch()) {
        return;
    }
    event->ignore();
}

bool ClipboardHistoryView::closeSearch() {
    const bool hadQuery = !search_->text().isEmpty();
    if (searchRow_->isVisible() || hadQuery) {
        // The keyboard stays in the tab, not on whatever follows the field.
        if (search_->hasFocus()) {
            list_->setFocus(Qt::OtherFocusReason);
        }
        search_->dismiss();
        searchRow_->hide();
    }
    return hadQuery;
}

void ClipboardHistoryView::hideEvent(QHideEvent* event) {
    DrawerTabView::hideEvent(event);
    // The drawer closed: it opens again with nothing selected and no search.
    closeSearch();
    list_->clearSelection();
}

bool ClipboardHistoryView::isShowingEmptyState() const {
    return ctx_.clipboard.items().isEmpty();
}

void ClipboardHistoryView::sync() {
    const bool empty = ctx_.clipboard.items().isEmpty();
    clearOrUndo_->show(ctx_.clipboard.clearUndo().isOpen(), !empty);
    list_->setVisible(!empty);
    update();
}

void ClipboardHistoryView::paintEvent(QPaintEvent*) {
    if (!isShowingEmptyState()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(0, header_->geometry().bottom() + 1, 0, 0);
    const QString message = tr("Copy something to get started");
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
