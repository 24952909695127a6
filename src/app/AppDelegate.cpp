#include "app/AppDelegate.h"

#include "clipboard/ClipboardManager.h"
#include "notes/NotesManager.h"
#include "platform/MainQueue.h"
#include "platform/Platform.h"
#include "platform/StatusItem.h"
#include "screenshots/ScreenshotManager.h"
#include "settings/SettingsManager.h"
#include "settings/SettingsWindow.h"
#include "shelf/FileShelfManager.h"

#include <QCoreApplication>

AppDelegate::AppDelegate(const Platform& platform, SettingsManager& settings,
                         SettingsWindowController* settingsWindow, QObject* parent)
    : QObject(parent)
    , platform_(platform)
    , settings_(settings)
    , settingsWindow_(settingsWindow) {}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching() {
    // 1-2. The tray item; both buttons toggle the drawer.
    statusItem_ = platform_.statusBar->statusItemWithLength(StatusItem::SquareLength);
    if (statusItem_ && statusItem_->hasButton()) {
        statusItem_->setImage(QStringLiteral("tray"), QStringLiteral("Hodgebin"));
        statusItem_->setImageIsTemplate(true);
        statusItem_->setAction(weakly(this, [](AppDelegate* self) { self->statusItemClicked(); }));
        statusItem_->sendActionOn(StatusItem::LeftMouseUpMask | StatusItem::RightMouseUpMask);
    }
    // 3. The drawer.
    setupPanel();
    // 4. The notch overlay, when the user wants it.
    if (settings_.showNotch()) {
        createNotchWindow();
    }
    // 5. The global key.
    setupHotkey();
    // 6. The clipboard history.
    clipboard().startPolling();
    // 7. The screenshot list: scans the screenshot folder and starts watching it.
    ScreenshotManager::shared();
}

ClipboardManager& AppDelegate::clipboard() const {
    return clipboard_ != nullptr ? *clipboard_ : ClipboardManager::shared();
}

void AppDelegate::statusItemClicked() {
    togglePanel();
}

void AppDelegate::togglePanel() {
    // The drawer window arrives with the panel presentation; until then there is nothing to
    // show or hide.
}

void AppDelegate::openSettings() {
    SettingsWindowController& controller =
        settingsWindow_ != nullptr ? *settingsWindow_ : SettingsWindowController::shared();
    QPointer<AppDelegate> self(this);
    controller.show([self](bool visible) {
        if (self) {
            self->setNotchVisible(visible);
        }
    });
}

void AppDelegate::setupPanel() {}

void AppDelegate::createNotchWindow() {}

void AppDelegate::setupHotkey() {}

void AppDelegate::setNotchVisible(bool visible) {
    if (visible) {
        createNotchWindow();
    }
}

FileShelfManager& AppDelegate::shelf() const {
    return shelf_ != nullptr ? *shelf_ : FileShelfManager::shared();
}

NotesManager& AppDelegate::notes() const {
    return notes_ != nullptr ? *notes_ : NotesManager::shared();
}

void AppDelegate::useModels(FileShelfManager* shelf, NotesManager* notes) {
    shelf_ = shelf;
    notes_ = notes;
}

StatusJson AppDelegate::status() const {
    StatusJson settings;
    settings.add(QStringLiteral("showNotch"), settings_.showNotch())
        .add(QStringLiteral("soundsEnabled"), settings_.soundsEnabled())
        .add(QStringLiteral("maxClipboardItems"), settings_.maxClipboardItems());

    // Kinds and counts only: what was copied never leaves the process this way.
    const QList<ClipboardItem> shown = clipboard().displayItems();
    std::vector<QString> kinds;
    qint64 pinned = 0;
    for (const ClipboardItem& item : shown) {
        kinds.push_back(ClipboardContent::kindName(item.content.kind()));
        pinned += clipboard().pinnedIds().contains(item.id) ? 1 : 0;
    }
    StatusJson clipboardStatus;
    clipboardStatus.add(QStringLiteral("count"), qint64(clipboard().items().size()))
        .add(QStringLiteral("pinned"), pinned)
        .add(QStringLiteral("kinds"), kinds);

    StatusJson status;
    status.add(QStringLiteral("running"), true)
        .add(QStringLiteral("pid"), QCoreApplication::applicationPid())
        .add(QStringLiteral("settings"), settings)
        .add(QStringLiteral("clipboard"), clipboardStatus);
    status.add(QStringLiteral("shelf"),
               StatusJson().add(QStringLiteral("count"), qint64(shelf().files().size())));
    status.add(QStringLiteral("notes"),
               StatusJson().add(QStringLiteral("count"), qint64(notes().items().size())));

    const ScreenshotManager& screenshots = ScreenshotManager::shared();
    StatusJson shots;
    shots.add(QStringLiteral("count"), qint64(screenshots.items().size()))
        .add(QStringLiteral("unseen"), screenshots.unseenCount())
        .add(QStringLiteral("folder"), screenshots.screenshotPath());
    status.add(QStringLiteral("screenshots"), shots);
    return status;
}
