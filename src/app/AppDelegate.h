#pragma once

#include "panel/DrawerTab.h"

#include <QJsonObject>
#include <QObject>

#include <memory>
#include <optional>

class ClipboardManager;
class FileShelfManager;
class MainQueue;
class NotesManager;
class NotificationCenter;
class PanelState;
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
    PanelState* panelState = nullptr;
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
    // From the command line (`hodgebin --toggle [tab]`): asks for the tab, if one is named, and
    // toggles the drawer.
    void toggleOnTab(std::optional<DrawerTab> tab);
    // A second start of the program opens the drawer; one already open stays open.
    void openPanel();
    bool isPanelVisible() const;
    void openSettings();
    void setNotchVisible(bool visible);

    // One line describing the running instance: counts and kinds, never contents.
    QJsonObject status() const;

    StatusItem* statusItem() const { return statusItem_.get(); }
    SettingsManager& settings() const { return settings_; }

    void useModels(const AppModels& models) { models_ = models; }
    ClipboardManager& clipboard() const;
    FileShelfManager& shelf() const;
    NotesManager& notes() const;
    ScreenshotManager& screenshots() const;
    PanelState& panelState() const;

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
