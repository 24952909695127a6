#include "drawer/DropHostingView.h"

#include "drops/DropIntake.h"
#include "platform/MimeDragPasteboard.h"

#include <QDropEvent>
#include <QMimeData>
#include <QVBoxLayout>

DropHostingView::DropHostingView(const DrawerContext& context, QWidget* content, QWidget* parent)
    : QWidget(parent)
    , context_(context) {
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
}

void DropHostingView::dragEnterEvent(QDragEnterEvent* event) {
    Q_EMIT dragEntered();
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void DropHostingView::dragMoveEvent(QDragMoveEvent* event) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void DropHostingView::dropEvent(QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    if (data == nullptr ||
        !handleDrop(MimeDragPasteboard(*data), context_.shelf, context_.clipboard)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}
