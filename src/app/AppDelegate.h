#pragma once

#include "panel/DrawerTab.h"
#include "platform/EventMonitors.h"

#include <QJsonObject>
#include <QObject>

#include <memory>
#include <optional>

class AppModels;
class ClipboardManager;
class DropdownPanel;
class FileShelfManager;
class NotchWindow;
class NotesManager;
class PanelState;
class ScreenshotManager;
class SettingsManager;
class SettingsWindowController;
class StatusItem;
class Timer;
struct Platform;

// Builds everything the user sees once the application has started, owns it for the whole run,
// and answers what the running instance reports about itself. The models are built by the
// caller and handed in.
class AppDelegate final : public QObject {
    Q_OBJECT
public:
    // Without a settings window controller the shared one is used.
    AppDelegate(const Platform& platform, SettingsManager& settings, AppModels& models,
                SettingsWindowController* settingsWindow = nullptr, QObject* parent = nullptr);
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
    bool isPanelVisible() const;
    void showPanelBelowStatusItem();
    void openSettings();
    void setNotchVisible(bool visible);

    // One line describing the running instance: counts and kinds, never contents.
    QJsonObject status() const;

    StatusItem* statusItem() const { return statusItem_.get(); }
    DropdownPanel* panel() const { return panel_.get(); }
    NotchWindow* notchWindow() const { return notchWindow_.get(); }
    SettingsManager& settings() const { return settings_; }

    ClipboardManager& clipboard() const;
    FileShelfManager& shelf() const;
    NotesManager& notes() const;
    ScreenshotManager& screenshots() const;
    PanelState& panelState() const;

    // The notch's hover: opens the drawer under the notch, closing again once the pointer
    // has left both (AppDelegateHover.cpp).
    void showPanelFromHover();

private:
    void setupPanel();

    // Hover opening, auto-hide and the grave key (AppDelegateHover.cpp).
    void createNotchWindow();
    void setupHotkey();
    void unhoverNotch();
    void panelActivated();
    void panelDeactivated();
    bool pointerNearNotchOrPanel() const;
    void checkHoverHide();
    void startHoverHideTimer();
    void cancelHoverHideTimer();
    void hoverHideTimerFired();
    void stopHoverTracking();

    const Platform& platform_;
    std::unique_ptr<StatusItem> statusItem_;
    std::unique_ptr<DropdownPanel> panel_;
    SettingsManager& settings_;
    AppModels& models_;
    SettingsWindowController* settingsWindow_;
    std::unique_ptr<NotchWindow> notchWindow_;
    std::optional<EventMonitors::Token> hoverGlobalMonitor_;
    std::optional<EventMonitors::Token> hoverLocalMonitor_;
    std::optional<EventMonitors::Token> hotkeyMonitor_;
    // Hover opening of the drawer: how far the pointer may stray and how long before it closes.
    std::shared_ptr<Timer> hoverHideTimer_;
    bool panelOpenedViaHover_ = false;

    static constexpr double hoverMargin = 15.0;
    static constexpr double hoverHideDelay = 0.06;
};
