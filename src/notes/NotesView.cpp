#include "notes/NotesView.h"

#include "notes/NoteRowList.h"
#include "notes/NotesEditor.h"
#include "notes/NotesManager.h"
#include "panel/PanelState.h"
#include "widgets/ClearOrUndo.h"
#include "widgets/DrawerStyle.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

// A text-only button in the drawer's colours, brighter under the pointer.
class HeaderButton final : public QAbstractButton {
public:
    HeaderButton(const QString& text, QWidget* parent)
        : QAbstractButton(parent) {
        setText(text);
        setFocusPolicy(Qt::TabFocus);
        setCursor(Qt::PointingHandCursor);
        setAttribute(Qt::WA_Hover);
        setFont(DrawerStyle::font(10, QFont::Medium));
    }

    QSize sizeHint() const override {
        const QFontMetrics metrics(font());
        return {metrics.horizontalAdvance(text()) + 4, metrics.height()};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setFont(font());
        painter.setPen(DrawerStyle::white(hasFocus() ? 0.8 : underMouse() ? 0.55 : 0.3));
        painter.drawText(rect(), Qt::AlignCenter, text());
        if (hasFocus()) {
            DrawerStyle::paintFocusUnderline(painter, rect());
        }
    }
};

} // namespace

NotesView::NotesView(const DrawerContext& ctx, QWidget* parent)
    : QWidget(parent)
    , ctx_(ctx)
    , editor_(new NotesEditor(ctx.notes, ctx.mainQueue, this))
    , list_(new NoteRowList(ctx.notes, *editor_, this))
    , clearButton_(new HeaderButton(tr("Clear"), this))
    , notice_(new QLabel(cannotSaveNotice(), this)) {
    QPalette noticePalette = notice_->palette();
    noticePalette.setColor(QPalette::WindowText, DrawerStyle::orange());
    notice_->setPalette(noticePalette);
    notice_->setFont(DrawerStyle::font(10, QFont::Medium));
    notice_->setTextFormat(Qt::PlainText);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(12, 6, 12, 6);
    header->setSpacing(8);
    header->addWidget(notice_);
    header->addStretch(1);
    header->addWidget(clearButton_);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(header);
    column->addWidget(list_, 1);

    clearOrUndo_ = new ClearOrUndo(clearButton_, tr("Clear"), this);
    connect(clearOrUndo_, &ClearOrUndo::clearRequested, this, [this] {
        list_->fadeOutCurrentLines(clearAnimationDuration);
        editor_->clear();
    });
    connect(clearOrUndo_, &ClearOrUndo::undoRequested, editor_, &NotesEditor::undoClear);
    connect(&ctx.notes.clearUndo(), &UndoOffer::openChanged, this, &NotesView::updateHeader);
    connect(&ctx.notes, &NotesManager::itemsChanged, this, &NotesView::updateHeader);
    connect(&ctx.notes, &NotesManager::cannotSaveChanged, this, &NotesView::updateHeader);
    updateHeader();
}

void NotesView::updateHeader() {
    clearOrUndo_->show(ctx_.notes.clearUndo().isOpen(), !ctx_.notes.items().isEmpty());
    notice_->setVisible(ctx_.notes.cannotSave());
}

void NotesView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Coming on screen (the tab chosen, or the drawer opened on it); the window system's own
    // mapping of the window follows as a second, spontaneous event.
    if (event->spontaneous()) {
        return;
    }
    // Text typed into the drawer while another tab showed is taken over once.
    const std::optional<QString> pending = ctx_.panelState.pendingNoteText();
    ctx_.panelState.setPendingNoteText(std::nullopt);
    editor_->takeOverPendingText(pending);
    list_->revealFocusedLine();
}

void NotesView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), DrawerStyle::background());
}
