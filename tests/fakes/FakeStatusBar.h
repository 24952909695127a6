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
    QRectF geometry() const override { return rect; }

    void click() { Q_EMIT clicked(); }

    bool button = true;
    QString symbolName;
    QString accessibilityDescription;
    bool isTemplate = false;
    QRectF rect{940, 0, 24, 24};
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
