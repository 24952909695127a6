#pragma once

#include "platform/StatusItem.h"

// A status item that records how it was configured and lets tests click it.
class FakeStatusItem final : public StatusItem {
public:
    bool hasButton() const override { return button; }
    void setImage(const QString& name, const QString& description) override {
        symbolName = name;
        accessibilityDescription = description;
    }
    void setImageIsTemplate(bool value) override { isTemplate = value; }
    void setAction(std::function<void()> a) override { action = std::move(a); }
    void sendActionOn(int mask) override { eventMask = mask; }
    QRectF geometry() const override { return rect; }

    void click(int mouseUpMask) {
        if ((eventMask & mouseUpMask) != 0 && action) {
            action();
        }
    }

    bool button = true;
    QString symbolName;
    QString accessibilityDescription;
    bool isTemplate = false;
    std::function<void()> action;
    int eventMask = LeftMouseUpMask;
    QRectF rect{940, 0, 24, 24};
};

class FakeStatusBar final : public StatusBar {
public:
    std::unique_ptr<StatusItem> statusItemWithLength(double length) override {
        requestedLength = length;
        auto item = std::make_unique<FakeStatusItem>();
        item->button = withButton;
        lastItem = item.get();
        return item;
    }

    bool withButton = true;
    double requestedLength = 0;
    FakeStatusItem* lastItem = nullptr;
};
