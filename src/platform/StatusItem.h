#pragma once

#include <QIcon>
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
    // Shows the item with this icon; the description is also what the tray shows as tooltip.
    virtual void setIcon(const QIcon& icon, const QString& accessibilityDescription) = 0;
    // Where the item is on the screen. Trays that do not tell get a stand-in place.
    virtual QRectF geometry() const = 0;
    // Whether geometry() is where the icon really is, rather than the stand-in.
    virtual bool isGeometryKnown() const = 0;

Q_SIGNALS:
    // A click with the left or the right button.
    void clicked();
};

class StatusBar {
public:
    virtual ~StatusBar() = default;
    virtual std::unique_ptr<StatusItem> addItem() = 0;
};
