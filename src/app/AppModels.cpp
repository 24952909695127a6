#include "app/AppModels.h"

#include "clipboard/ClipboardManager.h"
#include "notes/NotesManager.h"
#include "panel/PanelState.h"
#include "platform/Platform.h"
#include "screenshots/ScreenshotManager.h"
#include "settings/SettingsManager.h"
#include "shelf/FileShelfManager.h"

AppModels::AppModels(const Platform& platform)
    : platform_(platform)
    , settings_(std::make_unique<SettingsManager>(*platform.userDefaults))
    , panelState_(std::make_unique<PanelState>(*platform.mainQueue))
    , clipboard_(std::make_unique<ClipboardManager>(*platform.pasteboard, *platform.workspace,
                                                    *platform.mainQueue))
    , shelf_(std::make_unique<FileShelfManager>(platform.workspace, *platform.mainQueue))
    , notes_(std::make_unique<NotesManager>(*platform.userDefaults, platform.mainQueue))
    , screenshots_(std::make_unique<ScreenshotManager>(
          *platform.mainQueue, *platform.directoryWatcher, *platform.screenCapture)) {}

AppModels::~AppModels() = default;

DrawerContext AppModels::drawerContext() const {
    return DrawerContext{
        .clipboard = *clipboard_,
        .shelf = *shelf_,
        .notes = *notes_,
        .screenshots = *screenshots_,
        .panelState = *panelState_,
        .notifications = *platform_.notificationCenter,
        .mainQueue = *platform_.mainQueue,
        .workspace = *platform_.workspace,
        .pasteboard = *platform_.pasteboard,
    };
}
