#include "widgets/AccessibleItems.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QWidget>

namespace {

class AccessibleItemList;

// One item of the list: no object of its own, it reads everything from the widget by id.
class AccessibleItem final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    AccessibleItem(QWidget* widget, AccessibleItems* items, const QUuid& id)
        : widget_(widget)
        , items_(items)
        , id_(id) {}

    bool isValid() const override { return widget_ && items_->accessibleItemIds().contains(id_); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return widget_ ? widget_->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(widget_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        if (!isValid()) {
            return {};
        }
        switch (t) {
        case QAccessible::Name:
            return items_->accessibleItemName(id_);
        case QAccessible::Description:
            return items_->accessibleItemDescription(id_);
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        const QRect local = items_->accessibleItemRect(id_);
        return local.isEmpty() ? QRect()
                               : QRect(widget_->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.selectable = true;
        s.focusable = true;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const bool selected = items_->isAccessibleItemSelected(id_);
        s.selected = selected;
        s.focused = selected && widget_->hasFocus();
        const QRect local = items_->accessibleItemRect(id_);
        s.invisible = !widget_->isVisible();
        s.offscreen = local.isEmpty() || !widget_->rect().intersects(local);
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override {
        return isValid() ? items_->accessibleItemActions(id_) : QStringList();
    }
    QString localizedActionName(const QString& name) const override { return name; }
    QString localizedActionDescription(const QString& name) const override { return name; }
    void doAction(const QString& name) override {
        if (isValid() && actionNames().contains(name)) {
            items_->doAccessibleItemAction(id_, name);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    const QUuid& id() const { return id_; }

private:
    QPointer<QWidget> widget_;
    AccessibleItems* items_;
    QUuid id_;
};

// The list or grid: its children are its items, not its child widgets (viewport, scroll bar).
class AccessibleItemList final : public QAccessibleWidget {
public:
    AccessibleItemList(QWidget* widget, AccessibleItems* items)
        : QAccessibleWidget(widget, QAccessible::List)
        , items_(items) {}

    ~AccessibleItemList() override {
        for (const QAccessible::Id child : std::as_const(children_)) {
            QAccessible::deleteAccessibleInterface(child);
        }
    }

    int childCount() const override { return int(items_->accessibleItemIds().size()); }

    QAccessibleInterface* child(int index) const override {
        const QList<QUuid> ids = items_->accessibleItemIds();
        if (index < 0 || index >= ids.size()) {
            return nullptr;
        }
        forgetGone(ids);
        const QUuid& id = ids[index];
        if (const QAccessible::Id known = children_.value(id, 0)) {
            return QAccessible::accessibleInterface(known);
        }
        auto* item = new AccessibleItem(widget(), items_, id);
        children_.insert(id, QAccessible::registerAccessibleInterface(item));
        return item;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child == nullptr || child->role() != QAccessible::ListItem) {
            return -1;
        }
        for (auto it = children_.cbegin(); it != children_.cend(); ++it) {
            if (QAccessible::accessibleInterface(it.value()) == child) {
                return int(items_->accessibleItemIds().indexOf(it.key()));
            }
        }
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint local = widget()->mapFromGlobal(QPoint(x, y));
        const QList<QUuid> ids = items_->accessibleItemIds();
        for (int i = 0; i < ids.size(); ++i) {
            if (items_->accessibleItemRect(ids[i]).contains(local)) {
                return child(i);
            }
        }
        return nullptr;
    }

    QAccessibleInterface* focusChild() const override {
        if (!widget()->hasFocus()) {
            return nullptr;
        }
        const QList<QUuid> ids = items_->accessibleItemIds();
        for (int i = 0; i < ids.size(); ++i) {
            if (items_->isAccessibleItemSelected(ids[i])) {
                return child(i);
            }
        }
        return nullptr;
    }

private:
    // Items whose entries are gone leave the registry, so it does not grow with the history.
    void forgetGone(const QList<QUuid>& ids) const {
        for (auto it = children_.begin(); it != children_.end();) {
            if (ids.contains(it.key())) {
                ++it;
            } else {
                QAccessible::deleteAccessibleInterface(it.value());
                it = children_.erase(it);
            }
        }
    }

    AccessibleItems* items_;
    mutable QHash<QUuid, QAccessible::Id> children_;
};

QAccessibleInterface* itemListFactory(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    auto* items = dynamic_cast<AccessibleItems*>(object);
    if (widget == nullptr || items == nullptr) {
        return nullptr;
    }
    return new AccessibleItemList(widget, items);
}

} // namespace

namespace DrawerAccessibility {

void install() {
    static const bool installed = [] {
        QAccessible::installFactory(itemListFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

void itemsChanged(QWidget* widget) {
    if (!QAccessible::isActive()) {
        return;
    }
    QAccessibleEvent event(widget, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&event);
}

void itemFocused(QWidget* widget, int index) {
    if (!QAccessible::isActive() || index < 0) {
        return;
    }
    QAccessibleEvent event(widget, QAccessible::Focus);
    event.setChild(index);
    QAccessible::updateAccessibility(&event);
}

} // namespace DrawerAccessibility
