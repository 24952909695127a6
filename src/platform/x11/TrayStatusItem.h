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
    void setImage(const QString& symbolName, const QString& accessibilityDescription) override;
    void setImageIsTemplate(bool isTemplate) override;
    QRectF geometry() const override;

    bool isTrayAvailable() const;

private:
    void trayActivated(QSystemTrayIcon::ActivationReason reason);
    void redraw();

    QSystemTrayIcon tray_;
    QString symbolName_;
    bool template_ = false;
};

class TrayStatusBar final : public StatusBar {
public:
    std::unique_ptr<StatusItem> addItem() override;
};
