#pragma once

#include "panel/DrawerContext.h"

#include <QWidget>

// Hosts the drawer's content and takes drags of anything onto the whole drawer. Every drag is
// answered with copy from its arrival to its drop; the drop itself goes to the drop intake,
// which takes it or refuses it (a refused drop slides back to where it came from).
class DropHostingView final : public QWidget {
    Q_OBJECT
public:
    DropHostingView(const DrawerContext& context, QWidget* content, QWidget* parent = nullptr);

Q_SIGNALS:
    // Each time a drag enters.
    void dragEntered();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    DrawerContext context_;
};
