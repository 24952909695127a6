#pragma once

#include "panel/DrawerTab.h"
#include "platform/EventMonitors.h"
#include "platform/Platform.h"

#include <QJsonObject>
#include <QObject>

#include <memory>
#include <optional>

class AppModels;
class AutostartEntry;
class DropdownPanel;
class HoverController;
class NotchWindow;
class SettingsWindowController;
class StatusItem;
class ToggleShortcut;

// Builds the windows once the application has started (the tray item, the drawer, the pill,
// the settings window on demand), owns them for the whole run and wires them to the models,
// which the caller builds and hands in.
class AppDelegate final : public QObject {
    Q_OBJECT
public:
    AppDelegate(const Platform& platform, AppModels& models, AutostartEntry& autostart,
                QObject* parent = nullptr);
    ~AppDelegate() override;

    // Puts up the tray item, the drawer and the pill, and starts watching the clipboard.
    void start();

    void statusItemClicked();
    // Shows the drawer under the tray icon when it is hidden, and hides it otherwise. Given a
    // tab, a hidden drawer opens on that tab, and a drawer showing another tab switches to it
    // instead of hiding.
    void togglePanel(std::optional<DrawerTab> tab = std::nullopt);
    // From the command line (`hodgebin --toggle [tab]`): the toggle above.
    void toggleOnTab(std::optional<DrawerTab> tab) { togglePanel(tab); }
    // A second start of the program opens the drawer; one already open stays open.
    void openPanel();
    // Showing and not on its way out.
    bool isPanelVisible() const;
    void showPanelBelowStatusItem();
    void openSettings();
    void setNotchVisible(bool visible);

    // One line describing the running instance: counts and kinds, never contents.
    QJsonObject status() const;

    StatusItem* statusItem() const { return statusItem_.get(); }
    DropdownPanel* panel() const { return panel_.get(); }
    NotchWindow* notchWindow() const { return notchWindow_.get(); }
    HoverController* hover() const { return hover_.get(); }
    SettingsWindowController& settingsWindow() const { return *settingsWindow_; }

private:
    void setupPanel();
    void createNotchWindow();
    void setupHotkey();
    // Hides the pill while it would be in the way, and shows it again after.
    void updateNotchPresence();
    void otherWindowActivated(quint64 window);

    Platform platform_;
    AppModels& models_;
    std::unique_ptr<SettingsWindowController> settingsWindow_;
    std::unique_ptr<StatusItem> statusItem_;
    std::unique_ptr<DropdownPanel> panel_;
    std::unique_ptr<HoverController> hover_;
    std::unique_ptr<NotchWindow> notchWindow_;
    std::unique_ptr<ToggleShortcut> shortcut_;
};
