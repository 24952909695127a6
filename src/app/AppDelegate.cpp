#include "app/AppDelegate.h"

#include "clipboard/ClipboardManager.h"
#include "notes/NotesManager.h"
#include "panel/PanelState.h"
#include "platform/MainQueue.h"
#include "platform/Platform.h"
#include "platform/StatusItem.h"
#include "screenshots/ScreenshotManager.h"
#include "settings/SettingsManager.h"
#include "settings/SettingsWindow.h"
#include "shelf/FileShelfManager.h"

#include <QCoreApplication>
#include <QJsonArray>

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

void AppDelegate::toggleOnTab(std::optional<DrawerTab> tab) {
    if (tab) {
        panelState().setRequestedTab(tab);
    }
    togglePanel();
}

void AppDelegate::openPanel() {
    if (!isPanelVisible()) {
        togglePanel();
    }
}

bool AppDelegate::isPanelVisible() const {
    // Answered by the drawer window once it is built.
    return false;
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

PanelState& AppDelegate::panelState() const {
    return models_.panelState != nullptr ? *models_.panelState : PanelState::shared();
}

QJsonObject AppDelegate::status() const {
    const QJsonObject settings{
        {QStringLiteral("showNotch"), settings_.showNotch()},
        {QStringLiteral("soundsEnabled"), settings_.soundsEnabled()},
        {QStringLiteral("maxClipboardItems"), qint64(settings_.maxClipboardItems())}};

    // Kinds and counts only: what was copied never leaves the process this way.
    QJsonArray kinds;
    qint64 pinned = 0;
    for (const ClipboardItem& item : clipboard().displayItems()) {
        kinds.append(ClipboardContent::kindName(item.content.kind()));
        pinned += clipboard().pinnedIds().contains(item.id) ? 1 : 0;
    }
    const QJsonObject clipboardStatus{{QStringLiteral("count"), qint64(clipboard().items().size())},
                                      {QStringLiteral("pinned"), pinned},
                                      {QStringLiteral("kinds"), kinds}};

    const ScreenshotManager& shotList = screenshots();
    const QJsonObject shots{{QStringLiteral("count"), qint64(shotList.items().size())},
                            {QStringLiteral("unseen"), qint64(shotList.unseenCount())},
                            {QStringLiteral("folder"), shotList.screenshotPath()}};

    return QJsonObject{
        {QStringLiteral("running"), true},
        {QStringLiteral("pid"), QCoreApplication::applicationPid()},
        {QStringLiteral("settings"), settings},
        {QStringLiteral("clipboard"), clipboardStatus},
        {QStringLiteral("shelf"),
         QJsonObject{{QStringLiteral("count"), qint64(shelf().files().size())}}},
        {QStringLiteral("notes"),
         QJsonObject{{QStringLiteral("count"), qint64(notes().items().size())}}},
        {QStringLiteral("screenshots"), shots},
    };
}
