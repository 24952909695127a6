#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include <functional>

class DragPasteboard;

// Hosts the drawer's content and takes drags of anything onto the whole drawer. Every drag is
// answered with copy from its arrival to its drop; the drop itself is taken or refused by
// onDrop (a refused drop slides back to where it came from).
class DropHostingView final : public QWidget {
    Q_OBJECT
public:
    explicit DropHostingView(QWidget* content, QWidget* parent = nullptr);

    // Told the types a drag offers, each time a drag enters.
    std::function<void(const QList<QString>& types)> onDragEntered;
    // Given the dropped data; answers whether the drop was taken.
    std::function<bool(const DragPasteboard& drag)> onDrop;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};
