#include "drawer/DropHostingView.h"

#include "platform/MimeDragPasteboard.h"

#include <QDropEvent>
#include <QMimeData>
#include <QVBoxLayout>

DropHostingView::DropHostingView(QWidget* content, QWidget* parent)
    : QWidget(parent) {
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
}

void DropHostingView::dragEnterEvent(QDragEnterEvent* event) {
    if (onDragEntered) {
        const QMimeData* data = event->mimeData();
        onDragEntered(data != nullptr ? data->formats() : QList<QString>());
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void DropHostingView::dragMoveEvent(QDragMoveEvent* event) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void DropHostingView::dropEvent(QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    if (data == nullptr || !onDrop || !onDrop(MimeDragPasteboard(*data))) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}
