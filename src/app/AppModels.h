#pragma once

#include "panel/DrawerContext.h"
#include "platform/Platform.h"

#include <memory>

class ClipboardManager;
class FileShelfManager;
class NotesManager;
class PanelState;
class ScreenshotManager;
class SettingsManager;

// The long-lived models of one run, built once over the platform the program runs on and owned
// for the whole run. The running program builds them over the X11 platform; tests build them
// over fakes. Building them starts nothing but the screenshot list's scan and watch.
class AppModels {
public:
    explicit AppModels(const Platform& platform);
    ~AppModels();
    AppModels(const AppModels&) = delete;
    AppModels& operator=(const AppModels&) = delete;

    ClipboardManager& clipboard() const { return *clipboard_; }
    FileShelfManager& shelf() const { return *shelf_; }
    NotesManager& notes() const { return *notes_; }
    ScreenshotManager& screenshots() const { return *screenshots_; }
    PanelState& panelState() const { return *panelState_; }
    SettingsManager& settings() const { return *settings_; }

    // What the drawer's views are built over: these models and the platform's services.
    DrawerContext drawerContext() const;

private:
    Platform platform_;
    std::unique_ptr<SettingsManager> settings_;
    std::unique_ptr<PanelState> panelState_;
    std::unique_ptr<ClipboardManager> clipboard_;
    std::unique_ptr<FileShelfManager> shelf_;
    std::unique_ptr<NotesManager> notes_;
    std::unique_ptr<ScreenshotManager> screenshots_;
};
