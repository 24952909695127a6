#pragma once

#include <QObject>
#include <QRectF>
#include <QString>

#include <memory>

// The program's icon in the desktop's tray.
class StatusItem : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual bool hasButton() const = 0;
    // The image is a named symbol; the description is also what the tray shows as tooltip.
    virtual void setImage(const QString& symbolName, const QString& accessibilityDescription) = 0;
    // A template image is drawn in whatever colour suits the tray.
    virtual void setImageIsTemplate(bool isTemplate) = 0;
    // Where the item is on the screen.
    virtual QRectF geometry() const = 0;

Q_SIGNALS:
    // A click with the left or the right button.
    void clicked();
};

class StatusBar {
public:
    virtual ~StatusBar() = default;
    virtual std::unique_ptr<StatusItem> addItem() = 0;
};
