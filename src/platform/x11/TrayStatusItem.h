#pragma once

#include "platform/StatusItem.h"

#include <QSystemTrayIcon>

// The status item as a tray icon.
class TrayStatusItem final : public StatusItem {
    Q_OBJECT
public:
    explicit TrayStatusItem(QObject* parent = nullptr);
    ~TrayStatusItem() override;

    bool hasButton() const override { return true; }
    void setIcon(const QIcon& icon, const QString& accessibilityDescription) override;
    QRectF geometry() const override;
    bool isGeometryKnown() const override;

    bool isTrayAvailable() const;

private:
    void trayActivated(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon tray_;
};

class TrayStatusBar final : public StatusBar {
public:
    std::unique_ptr<StatusItem> addItem() override;
};
