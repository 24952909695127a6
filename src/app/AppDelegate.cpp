#include "app/AppDelegate.h"

#include "app/AppModels.h"
#include "clipboard/ClipboardManager.h"
#include "notch/DropIntake.h"
#include "notch/NotchWindow.h"
#include "notes/NotesManager.h"
#include "panel/DropdownPanel.h"
#include "panel/PanelContentView.h"
#include "panel/PanelState.h"
#include "platform/MainQueue.h"
#include "platform/Platform.h"
#include "platform/StatusItem.h"
#include "screenshots/ScreenshotManager.h"
#include "settings/SettingsManager.h"
#include "settings/SettingsWindow.h"
#include "shelf/FileShelfManager.h"

#include <QAction>
#include <QCoreApplication>

AppDelegate::AppDelegate(const Platform& platform, SettingsManager& settings, AppModels& models,
                         SettingsWindowController* settingsWindow, QObject* parent)
    : QObject(parent)
    , platform_(platform)
    , settings_(settings)
    , models_(models)
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
    setupPanel();
    if (settings_.showNotch()) {
        createNotchWindow();
    }
    setupHotkey();
    clipboard().startPolling();
    // The screenshot list was built with the other models and already watches its folder.
}

void AppDelegate::statusItemClicked() {
    togglePanel();
}

void AppDelegate::setupPanel() {
    panel_ = std::make_unique<DropdownPanel>(models_.drawerContext());
    panel_->setOnDrop([self = QPointer<AppDelegate>(this)](const DragPasteboard& drag) {
        return self && handleDrop(drag, self->shelf(), self->clipboard());
    });
    PanelContentView* content = panel_->content();
    connect(content->settingsAction(), &QAction::triggered, this, &AppDelegate::openSettings);
    connect(content->quitAction(), &QAction::triggered, QCoreApplication::instance(),
            &QCoreApplication::quit, Qt::QueuedConnection);
    connect(panel_.get(), &DropdownPanel::becameKey, this, &AppDelegate::panelBecameKey);
    connect(panel_.get(), &DropdownPanel::resignedKey, this, &AppDelegate::panelResignedKey);
}

void AppDelegate::togglePanel(std::optional<DrawerTab> tab) {
    if (!panel_) {
        return;
    }
    const bool shown = panel_->isVisible() && !panel_->isHiding();
    if (shown && tab && panel_->content()->activeTab() != *tab) {
        panel_->content()->setActiveTab(*tab, true);
        return;
    }
    if (!panel_->isVisible()) {
        panelOpenedViaHover_ = false;
        if (tab) {
            models_.panelState().setRequestedTab(tab);
        }
        showPanelBelowStatusItem();
        return;
    }
    panel_->animateOut();
    unhoverNotch();
    panelOpenedViaHover_ = false;
    stopHoverTracking();
}

void AppDelegate::showPanelBelowStatusItem() {
    if (!statusItem_ || !statusItem_->hasButton()) {
        return;
    }
    panel_->showBelow(statusItem_->buttonFrame());
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

ClipboardManager& AppDelegate::clipboard() const {
    return models_.clipboard();
}

FileShelfManager& AppDelegate::shelf() const {
    return models_.shelf();
}

NotesManager& AppDelegate::notes() const {
    return models_.notes();
}

ScreenshotManager& AppDelegate::screenshots() const {
    return models_.screenshots();
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

    const bool drawerVisible = panel_ && panel_->isVisible();
    const DrawerTab tab = panel_ ? panel_->content()->activeTab() : DrawerTab::clipboard;
    status.add(QStringLiteral("drawer"), StatusJson()
                                             .add(QStringLiteral("visible"), drawerVisible)
                                             .add(QStringLiteral("tab"), rawValue(tab)));
    status.add(QStringLiteral("notch"),
               StatusJson()
                   .add(QStringLiteral("shown"), notchWindow_ && notchWindow_->isVisible())
                   .add(QStringLiteral("hovered"), notchWindow_ && notchWindow_->isHovered));
    return status;
}
