#pragma once

#include "platform/Platform.h"

#include <memory>

class QtMainQueue;
class NotificationCenter;
class SettingsFileDefaults;
class TrayStatusBar;
class X11Pasteboard;
class X11Workspace;
class InotifyDirectoryWatcher;
class DesktopScreenCapture;
class X11Screens;
class X11EventMonitors;
class X11DesktopActivity;

// Owns the real platform services of the running program.
class X11Platform {
public:
    X11Platform();
    ~X11Platform();

    const Platform& services() const { return services_; }
    SettingsFileDefaults& settingsFile() { return *defaults_; }

    // Whether an X server answers on $DISPLAY, asked without creating the GUI application.
    static bool canConnectToDisplay();
    // Makes Qt use X11 (directly or through XWayland) unless a platform was chosen on purpose.
    static void preferXcb();

private:
    std::unique_ptr<QtMainQueue> mainQueue_;
    std::unique_ptr<NotificationCenter> notificationCenter_;
    std::unique_ptr<SettingsFileDefaults> defaults_;
    std::unique_ptr<TrayStatusBar> statusBar_;
    std::unique_ptr<X11Pasteboard> pasteboard_;
    std::unique_ptr<X11Workspace> workspace_;
    std::unique_ptr<InotifyDirectoryWatcher> directoryWatcher_;
    std::unique_ptr<DesktopScreenCapture> screenCapture_;
    std::unique_ptr<X11Screens> screens_;
    std::unique_ptr<X11EventMonitors> eventMonitors_;
    std::unique_ptr<X11DesktopActivity> desktopActivity_;
    Platform services_;
};
