#include "app/AppDelegate.h"

#include "app/AppModels.h"
#include "clipboard/ClipboardManager.h"
#include "drawer/DropdownPanel.h"
#include "drawer/PanelContentView.h"
#include "drops/DropIntake.h"
#include "notch/NotchWindow.h"
#include "notes/NotesManager.h"
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
#include <QJsonArray>

#include <algorithm>

AppDelegate::AppDelegate(const Platform& platform, SettingsManager& settings, AppModels& models,
                         SettingsWindowController* settingsWindow, QObject* parent)
    : QObject(parent)
    , platform_(platform)
    , settings_(settings)
    , models_(models)
    , settingsWindow_(settingsWindow) {}

AppDelegate::~AppDelegate() = default;

void AppDelegate::start() {
    // The tray item; either button toggles the drawer.
    statusItem_ = platform_.statusBar->addItem();
    if (statusItem_ && statusItem_->hasButton()) {
        statusItem_->setImage(QStringLiteral("tray"), QStringLiteral("Hodgebin"));
        statusItem_->setImageIsTemplate(true);
        connect(statusItem_.get(), &StatusItem::clicked, this, &AppDelegate::statusItemClicked);
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
    connect(panel_.get(), &DropdownPanel::activated, this, &AppDelegate::panelActivated);
    connect(panel_.get(), &DropdownPanel::deactivated, this, &AppDelegate::panelDeactivated);
}

void AppDelegate::togglePanel(std::optional<DrawerTab> tab) {
    if (!panel_) {
        return;
    }
    // A drawer on its way out counts as closed: a click while it fades brings it back.
    const bool shown = panel_->isVisible() && !panel_->isHiding();
    if (!shown) {
        panelOpenedViaHover_ = false;
        if (tab) {
            panelState().setRequestedTab(tab);
        }
        showPanelBelowStatusItem();
        return;
    }
    if (tab && panel_->content()->activeTab() != *tab) {
        panel_->content()->setActiveTab(*tab, true);
        return;
    }
    panel_->animateOut();
    unhoverNotch();
    panelOpenedViaHover_ = false;
    stopHoverTracking();
}

void AppDelegate::openPanel() {
    if (!isPanelVisible() || panel_->isHiding()) {
        togglePanel();
    }
}

bool AppDelegate::isPanelVisible() const {
    return panel_ && panel_->isVisible();
}

void AppDelegate::showPanelBelowStatusItem() {
    if (!statusItem_ || !statusItem_->hasButton()) {
        return;
    }
    panel_->showBelow(statusItem_->geometry(), notchWindow_ ? notchWindow_->frame() : QRectF());
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

PanelState& AppDelegate::panelState() const {
    return models_.panelState();
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

    const QList<NoteItem>& noteItems = notes().items();
    const QJsonObject notesStatus{
        {QStringLiteral("count"), qint64(noteItems.size())},
        {QStringLiteral("done"), qint64(std::count_if(noteItems.begin(), noteItems.end(),
                                                      [](const NoteItem& n) { return n.done; }))}};

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
        {QStringLiteral("notes"), notesStatus},
        {QStringLiteral("screenshots"), shots},
        {QStringLiteral("drawer"),
         QJsonObject{{QStringLiteral("visible"), isPanelVisible()},
                     {QStringLiteral("tab"),
                      rawValue(panel_ ? panel_->content()->activeTab() : DrawerTab::clipboard)}}},
        {QStringLiteral("notch"),
         QJsonObject{{QStringLiteral("shown"), notchWindow_ && notchWindow_->isVisible()},
                     {QStringLiteral("hovered"), notchWindow_ && notchWindow_->isHovered}}},
    };
}
