#pragma once

#include "app/StatusJson.h"

#include <QObject>

#include <memory>

class ClipboardManager;
class FileShelfManager;
class MainQueue;
class NotesManager;
class NotificationCenter;
class SettingsManager;
class SettingsWindowController;
class StatusBar;
class StatusItem;
class Timer;
struct Platform;

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
    void setupPanel();
    void createNotchWindow();
    void setupHotkey();
    void setNotchVisible(bool visible);

    // One line describing the running instance: counts and kinds, never contents.
    StatusJson status() const;

    StatusItem* statusItem() const { return statusItem_.get(); }
    // The shelf and notes come into being on first use; these are the shared ones unless a
    // test handed in its own.
    FileShelfManager& shelf() const;
    NotesManager& notes() const;
    void useModels(FileShelfManager* shelf, NotesManager* notes);
    SettingsManager& settings() const { return settings_; }

    // The clipboard history this delegate starts and reports on: the shared one unless another
    // was handed in (tests do).
    ClipboardManager& clipboard() const;
    void useClipboardManager(ClipboardManager& manager) { clipboard_ = &manager; }

private:
    const Platform& platform_;
    std::unique_ptr<StatusItem> statusItem_;
    SettingsManager& settings_;
    ClipboardManager* clipboard_ = nullptr;
    SettingsWindowController* settingsWindow_;
    std::shared_ptr<Timer> hoverHideTimer_;
    bool panelOpenedViaHover_ = false;
    FileShelfManager* shelf_ = nullptr;
    NotesManager* notes_ = nullptr;

    static constexpr double hoverMargin = 15.0;
    static constexpr double hoverHideDelay = 0.06;
};
