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
    // 3-5. The drawer, the notch overlay and the global key join here, in that order, as they
    // are built.
    // 6. The clipboard history.
    clipboard().startPolling();
    // 7. The screenshot list: scans the screenshot folder and starts watching it.
    screenshots();
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

void AppDelegate::setNotchVisible(bool visible) {
    // Showing builds the notch overlay and hiding takes it down; the overlay is not built yet, so
    // the setting is only stored (by the settings window) for now.
    Q_UNUSED(visible);
}

ClipboardManager& AppDelegate::clipboard() const {
    return models_.clipboard != nullptr ? *models_.clipboard : ClipboardManager::shared();
}

FileShelfManager& AppDelegate::shelf() const {
    return models_.shelf != nullptr ? *models_.shelf : FileShelfManager::shared();
}

NotesManager& AppDelegate::notes() const {
    return models_.notes != nullptr ? *models_.notes : NotesManager::shared();
}

ScreenshotManager& AppDelegate::screenshots() const {
    return models_.screenshots != nullptr ? *models_.screenshots : ScreenshotManager::shared();
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

    const ScreenshotManager& shotList = screenshots();
    StatusJson shots;
    shots.add(QStringLiteral("count"), qint64(shotList.items().size()))
        .add(QStringLiteral("unseen"), shotList.unseenCount())
        .add(QStringLiteral("folder"), shotList.screenshotPath());
    status.add(QStringLiteral("screenshots"), shots);
    return status;
}
