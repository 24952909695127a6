#pragma once

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QUuid>

class QWidget;

// What a list or grid whose items are painted by hand (not made of widgets) tells assistive
// technology about them. The widget implements this beside QWidget; the accessibility
// factory then shows it as a list whose children are its items, each with a name, a place on
// screen and actions. Items are known by id, so a screen reader's item stays the same entry
// while the list changes around it.
class AccessibleItems {
public:
    virtual ~AccessibleItems() = default;

    virtual QList<QUuid> accessibleItemIds() const = 0;
    virtual QString accessibleItemName(const QUuid& id) const = 0;
    virtual QString accessibleItemDescription(const QUuid& id) const = 0;
    // In the widget's own coordinates; empty when the item is not laid out.
    virtual QRect accessibleItemRect(const QUuid& id) const = 0;
    virtual bool isAccessibleItemSelected(const QUuid& id) const = 0;
    // The names of the item's actions as the user reads them, the default action first.
    virtual QStringList accessibleItemActions(const QUuid& id) const = 0;
    virtual void doAccessibleItemAction(const QUuid& id, const QString& action) = 0;
};

namespace DrawerAccessibility {

// Installs the factory that gives every widget implementing AccessibleItems its interface.
// Safe to call any number of times; the drawer's lists call it when they are made.
void install();

// Tells assistive technology that the items of the widget changed, or that the keyboard moved
// to one of them (by index).
void itemsChanged(QWidget* widget);
void itemFocused(QWidget* widget, int index);

} // namespace DrawerAccessibility
