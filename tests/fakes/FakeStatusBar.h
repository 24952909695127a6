#pragma once

#include "platform/StatusItem.h"

// A status item that records how it was configured and lets tests click it.
class FakeStatusItem final : public StatusItem {
public:
    bool hasButton() const override { return button; }
    void setIcon(const QIcon& shown, const QString& description) override {
        icon = shown;
        accessibilityDescription = description;
    }
    QRectF geometry() const override { return rect; }
    bool isGeometryKnown() const override { return known; }

    void click() { Q_EMIT clicked(); }

    bool button = true;
    QIcon icon;
    QString accessibilityDescription;
    QRectF rect{940, 0, 24, 24};
    bool known = true;
};

class FakeStatusBar final : public StatusBar {
public:
    std::unique_ptr<StatusItem> addItem() override {
        auto item = std::make_unique<FakeStatusItem>();
        item->button = withButton;
        lastItem = item.get();
        return item;
    }

    bool withButton = true;
    FakeStatusItem* lastItem = nullptr;
};
