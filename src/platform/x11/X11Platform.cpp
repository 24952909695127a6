#include "platform/x11/X11Platform.h"

#include "platform/NotificationCenter.h"
#include "platform/linux/DesktopScreenCapture.h"
#include "platform/linux/InotifyDirectoryWatcher.h"
#include "platform/linux/QtMainQueue.h"
#include "platform/linux/SettingsFileDefaults.h"
#include "platform/x11/TrayStatusItem.h"
#include "platform/x11/X11DesktopActivity.h"
#include "platform/x11/X11EventMonitors.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Screens.h"
#include "platform/x11/X11Workspace.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

X11Platform::X11Platform()
    : mainQueue_(std::make_unique<QtMainQueue>())
    , notificationCenter_(std::make_unique<NotificationCenter>())
    , defaults_(std::make_unique<SettingsFileDefaults>(*mainQueue_))
    , statusBar_(std::make_unique<TrayStatusBar>())
    , pasteboard_(std::make_unique<X11Pasteboard>(QGuiApplication::clipboard(), *mainQueue_))
    , workspace_(std::make_unique<X11Workspace>())
    , directoryWatcher_(std::make_unique<InotifyDirectoryWatcher>())
    , screenCapture_(std::make_unique<DesktopScreenCapture>(*defaults_))
    , screens_(std::make_unique<X11Screens>())
    , eventMonitors_(std::make_unique<X11EventMonitors>())
    , desktopActivity_(std::make_unique<X11DesktopActivity>()) {
    services_.mainQueue = mainQueue_.get();
    services_.notificationCenter = notificationCenter_.get();
    services_.userDefaults = defaults_.get();
    services_.statusBar = statusBar_.get();
    services_.pasteboard = pasteboard_.get();
    services_.workspace = workspace_.get();
    services_.directoryWatcher = directoryWatcher_.get();
    services_.screenCapture = screenCapture_.get();
    services_.screens = screens_.get();
    services_.eventMonitors = eventMonitors_.get();
    services_.desktopActivity = desktopActivity_.get();
}

X11Platform::~X11Platform() = default;

bool X11Platform::canConnectToDisplay() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        return false;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool ok = connection != nullptr && xcb_connection_has_error(connection) == 0;
    if (connection != nullptr) {
        xcb_disconnect(connection);
    }
    return ok;
}

void X11Platform::preferXcb() {
    const char* chosen = std::getenv("QT_QPA_PLATFORM");
    if (chosen == nullptr || *chosen == '\0' || std::strncmp(chosen, "wayland", 7) == 0) {
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
}
