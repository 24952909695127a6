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
class DesktopActivity;

// The platform services of this process, handed to whatever needs them: the real program builds
// its X11 implementation once at start, tests build fakes.
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
    DesktopActivity* desktopActivity = nullptr;
};
