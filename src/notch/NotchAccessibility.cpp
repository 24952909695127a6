#include "notch/NotchAccessibility.h"

#include "notch/NotchPillContent.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {

class PillAccessible final : public QAccessibleWidget {
public:
    explicit PillAccessible(NotchPillContent* pill)
        : QAccessibleWidget(pill, QAccessible::Button) {}

    NotchPillContent* pill() const { return static_cast<NotchPillContent*>(widget()); }

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Description ? pill()->summary() : QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction()) {
            pill()->press();
        }
    }
};

QAccessibleInterface* pillFactory(const QString&, QObject* object) {
    if (auto* pill = qobject_cast<NotchPillContent*>(object)) {
        return new PillAccessible(pill);
    }
    return nullptr;
}

} // namespace

namespace NotchAccessibility {

void install() {
    static const bool installed = [] {
        QAccessible::installFactory(pillFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace NotchAccessibility
