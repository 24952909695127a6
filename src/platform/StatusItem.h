#pragma once

#include <QRectF>
#include <QString>

#include <functional>
#include <memory>

// The item in the desktop's tray.
class StatusItem {
public:
    // Event mask bits for sendActionOn.
    static constexpr int LeftMouseUpMask = 1 << 2;
    static constexpr int RightMouseUpMask = 1 << 4;
    // The length of a square item.
    static constexpr double SquareLength = -2;

    virtual ~StatusItem() = default;

    virtual bool hasButton() const = 0;
    // The image is a named symbol; the description is also what the tray shows as tooltip.
    virtual void setImage(const QString& symbolName, const QString& accessibilityDescription) = 0;
    // A template image is drawn in whatever colour suits the tray.
    virtual void setImageIsTemplate(bool isTemplate) = 0;
    virtual void setAction(std::function<void()> action) = 0;
    virtual void sendActionOn(int eventMask) = 0;
    // Where the item is on the screen.
    virtual QRectF geometry() const = 0;
};

class StatusBar {
public:
    virtual ~StatusBar() = default;
    virtual std::unique_ptr<StatusItem> statusItemWithLength(double length) = 0;
};
