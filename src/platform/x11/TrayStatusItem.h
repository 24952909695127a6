#pragma once

#include "platform/StatusItem.h"

#include <QObject>
#include <QSystemTrayIcon>

// The status item as a tray icon. Left and right clicks are reported as the mouse-up events
// they stand for, filtered by the mask given to sendActionOn.
class TrayStatusItem final : public QObject, public StatusItem {
    Q_OBJECT
public:
    explicit TrayStatusItem(QObject* parent = nullptr);
    ~TrayStatusItem() override;

    bool hasButton() const override { return true; }
    void setImage(const QString& symbolName, const QString& accessibilityDescription) override;
    void setImageIsTemplate(bool isTemplate) override;
    void setAction(std::function<void()> action) override;
    void sendActionOn(int eventMask) override;
    QRectF geometry() const override;

    bool isTrayAvailable() const;

private:
    void activated(QSystemTrayIcon::ActivationReason reason);
    void redraw();

    QSystemTrayIcon tray_;
    QString symbolName_;
    bool template_ = false;
    std::function<void()> action_;
    int eventMask_ = LeftMouseUpMask;
};

class TrayStatusBar final : public StatusBar {
public:
    std::unique_ptr<StatusItem> statusItemWithLength(double length) override;
};
