#pragma once

#include "fakes/FakeDesktopActivity.h"
#include "fakes/FakeDirectoryWatcher.h"
#include "fakes/FakeEventMonitors.h"
#include "fakes/FakePasteboard.h"
#include "fakes/FakeScreenCapture.h"
#include "fakes/FakeScreens.h"
#include "fakes/FakeStatusBar.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/ManualMainQueue.h"
#include "fakes/MemoryUserDefaults.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"

// Every fake platform service in one place, with the Platform bundle pointing at them.
struct FakePlatform {
    ManualMainQueue mainQueue;
    NotificationCenter notificationCenter;
    MemoryUserDefaults userDefaults;
    FakeStatusBar statusBar;
    FakePasteboard pasteboard;
    FakeWorkspace workspace;
    FakeDirectoryWatcher directoryWatcher;
    FakeScreenCapture screenCapture;
    FakeScreens screens;
    FakeEventMonitors eventMonitors;
    FakeDesktopActivity desktopActivity;

    Platform services() {
        Platform p;
        p.mainQueue = &mainQueue;
        p.notificationCenter = &notificationCenter;
        p.userDefaults = &userDefaults;
        p.statusBar = &statusBar;
        p.pasteboard = &pasteboard;
        p.workspace = &workspace;
        p.directoryWatcher = &directoryWatcher;
        p.screenCapture = &screenCapture;
        p.screens = &screens;
        p.eventMonitors = &eventMonitors;
        p.desktopActivity = &desktopActivity;
        return p;
    }
};
