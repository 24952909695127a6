#include "drawer/TabBarAccessibility.h"

#include "drawer/DrawerMenuButton.h"
#include "drawer/TabButton.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {

class TabButtonAccessible final : public QAccessibleWidget {
public:
    explicit TabButtonAccessible(TabButton* button)
        : QAccessibleWidget(button, QAccessible::PageTab) {}

    TabButton* button() const { return static_cast<TabButton*>(widget()); }

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? button()->title() : QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.selectable = true;
        s.selected = button()->isActive();
        return s;
    }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override {
        if (name == pressAction()) {
            button()->click();
        } else {
            QAccessibleWidget::doAction(name);
        }
    }
};

class MenuButtonAccessible final : public QAccessibleWidget {
public:
    explicit MenuButtonAccessible(DrawerMenuButton* button)
        : QAccessibleWidget(button, QAccessible::ButtonMenu) {}

    QStringList actionNames() const override {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override {
        if (name == showMenuAction() || name == pressAction()) {
            static_cast<DrawerMenuButton*>(widget())->showMenu();
        } else {
            QAccessibleWidget::doAction(name);
        }
    }
};

QAccessibleInterface* tabBarFactory(const QString&, QObject* object) {
    if (auto* tab = qobject_cast<TabButton*>(object)) {
        return new TabButtonAccessible(tab);
    }
    if (auto* menu = qobject_cast<DrawerMenuButton*>(object)) {
        return new MenuButtonAccessible(menu);
    }
    if (object != nullptr && object->objectName() == QLatin1String("hodgebinTabBar")) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::PageTabList);
    }
    return nullptr;
}

} // namespace

namespace TabBarAccessibility {

void install() {
    static const bool installed = [] {
        QAccessible::installFactory(tabBarFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace TabBarAccessibility
