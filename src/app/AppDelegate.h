#pragma once

#include "app/StatusJson.h"

#include <QObject>

#include <memory>

class ClipboardManager;
class FileShelfManager;
class MainQueue;
class NotesManager;
class NotificationCenter;
class ScreenshotManager;
class SettingsManager;
class SettingsWindowController;
class StatusBar;
class StatusItem;
class Timer;
struct Platform;

// The models a delegate starts and reports on. Each one left null is the process-wide shared
// one, created on first use; tests hand in their own.
struct AppModels {
    ClipboardManager* clipboard = nullptr;
    FileShelfManager* shelf = nullptr;
    NotesManager* notes = nullptr;
    ScreenshotManager* screenshots = nullptr;
};

// Builds everything the user sees once the application has started, owns it for the whole run,
// and answers what the running instance reports about itself.
class AppDelegate final : public QObject {
    Q_OBJECT
public:
    // Without a settings window controller the shared one is used.
    AppDelegate(const Platform& platform, SettingsManager& settings,
                SettingsWindowController* settingsWindow = nullptr, QObject* parent = nullptr);
    ~AppDelegate() override;

    // The launch sequence.
    void applicationDidFinishLaunching();

    void statusItemClicked();
    void togglePanel();
    void openSettings();
    void setNotchVisible(bool visible);

    // One line describing the running instance: counts and kinds, never contents.
    StatusJson status() const;

    StatusItem* statusItem() const { return statusItem_.get(); }
    SettingsManager& settings() const { return settings_; }

    void useModels(const AppModels& models) { models_ = models; }
    ClipboardManager& clipboard() const;
    FileShelfManager& shelf() const;
    NotesManager& notes() const;
    ScreenshotManager& screenshots() const;

private:
    const Platform& platform_;
    std::unique_ptr<StatusItem> statusItem_;
    SettingsManager& settings_;
    AppModels models_;
    SettingsWindowController* settingsWindow_;
    // Hover opening of the drawer: how far the pointer may stray and how long before it closes.
    std::shared_ptr<Timer> hoverHideTimer_;
    bool panelOpenedViaHover_ = false;

    static constexpr double hoverMargin = 15.0;
    static constexpr double hoverHideDelay = 0.06;
};
