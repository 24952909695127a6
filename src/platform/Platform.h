#pragma once

class MainQueue;
class NotificationCenter;
class Pasteboard;
class StatusBar;
class UserDefaults;
class Workspace;
class DirectoryWatcher;
class ScreenCapture;
class Screens;
class EventMonitors;

// The platform services of this process. The real program installs its X11 implementation
// once at start; the process-wide shared models take what they need from here, while tests
// hand fakes to the models' constructors directly.
struct Platform {
    MainQueue* mainQueue = nullptr;
    NotificationCenter* notificationCenter = nullptr;
    UserDefaults* userDefaults = nullptr;
    StatusBar* statusBar = nullptr;
    Pasteboard* pasteboard = nullptr;
    Workspace* workspace = nullptr;
    DirectoryWatcher* directoryWatcher = nullptr;
    ScreenCapture* screenCapture = nullptr;
    Screens* screens = nullptr;
    EventMonitors* eventMonitors = nullptr;

    static const Platform& current();
    static void install(const Platform& platform);
    // Removes the installed services when they are the ones given, so nothing reaches a
    // platform that is gone.
    static void uninstall(const Platform& platform);
    static bool hasInstalled();
};
