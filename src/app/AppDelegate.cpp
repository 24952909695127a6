#include "app/AppDelegate.h"

#include "app/AppModels.h"
#include "app/HoverController.h"
#include "app/InstanceStatus.h"
#include "app/TrayIcon.h"
#include "clipboard/ClipboardManager.h"
#include "drawer/DropdownPanel.h"
#include "drawer/PanelContentView.h"
#include "notch/NotchWindow.h"
#include "panel/PanelState.h"
#include "platform/DesktopActivity.h"
#include "platform/MainQueue.h"
#include "platform/Screens.h"
#include "platform/StatusItem.h"
#include "settings/SettingsManager.h"
#include "settings/SettingsWindow.h"
#include "settings/ToggleShortcut.h"

#include <QAction>
#include <QCoreApplication>
#include <QWidget>

namespace {

// The pill keeps out of the way while the screen is locked or blanked, and while the active
// window is fullscreen on the pill's own screen (a video, a game, a slide show).
bool pillStepsAside(const DesktopActivity& desktop, const std::optional<Screen>& pillScreen) {
    if (desktop.isScreenLocked()) {
        return true;
    }
    const std::optional<QRectF> fullscreen = desktop.fullscreenWindow();
    return fullscreen && pillScreen && pillScreen->geometry.contains(fullscreen->center());
}

} // namespace

AppDelegate::AppDelegate(const Platform& platform, AppModels& models, AutostartEntry& autostart,
                         QObject* parent)
    : QObject(parent)
    , platform_(platform)
    , models_(models)
    , settingsWindow_(std::make_unique<SettingsWindowController>(models.settings(), autostart)) {}

AppDelegate::~AppDelegate() = default;

void AppDelegate::start() {
    // The tray item; either button toggles the drawer.
    statusItem_ = platform_.statusBar->addItem();
    if (statusItem_ && statusItem_->hasButton()) {
        statusItem_->setIcon(trayIcon(), tr("Hodgebin"));
        connect(statusItem_.get(), &StatusItem::clicked, this, &AppDelegate::statusItemClicked);
    }
    setupPanel();
    if (models_.settings().showNotch()) {
        createNotchWindow();
    }
    connect(&models_.settings(), &SettingsManager::showNotchChanged, this,
            &AppDelegate::setNotchVisible);
    connect(platform_.desktopActivity, &DesktopActivity::changed, this,
            &AppDelegate::updateNotchPresence);
    connect(platform_.screens, &Screens::screensChanged, this, &AppDelegate::updateNotchPresence);
    connect(platform_.desktopActivity, &DesktopActivity::activeWindowChanged, this,
            &AppDelegate::otherWindowActivated);
    setupHotkey();
    models_.clipboard().startPolling();
    // The screenshot list was built with the other models and already watches its folder.
}

void AppDelegate::statusItemClicked() {
    togglePanel();
}

void AppDelegate::setupPanel() {
    panel_ = std::make_unique<DropdownPanel>(models_.drawerContext());
    hover_ = std::make_unique<HoverController>(*panel_, *platform_.screens,
                                               *platform_.eventMonitors, *platform_.mainQueue);
    hover_->setPointerMayLeaveUnseen(platform_.screens->seesPointerOnlyOverItsWindows() &&
                                     DesktopSession::fromEnvironment().isGnomeShell());
    PanelContentView* content = panel_->content();
    connect(content->settingsAction(), &QAction::triggered, this, &AppDelegate::openSettings);
    connect(content->quitAction(), &QAction::triggered, QCoreApplication::instance(),
            &QCoreApplication::quit, Qt::QueuedConnection);
    connect(panel_.get(), &DropdownPanel::clickedInto, hover_.get(),
            &HoverController::panelClickedInto);
    connect(panel_.get(), &DropdownPanel::deactivated, hover_.get(),
            &HoverController::panelDeactivated);
}

void AppDelegate::createNotchWindow() {
    notchWindow_ = std::make_unique<NotchWindow>(models_.drawerContext(), *platform_.screens,
                                                 DesktopSession::fromEnvironment());
    notchWindow_->setPanelVisible(panel_->isShown());
    connect(notchWindow_.get(), &NotchWindow::hovered, hover_.get(),
            &HoverController::showPanelFromHover);
    connect(panel_.get(), &DropdownPanel::shownChanged, notchWindow_.get(),
            &NotchWindow::setPanelVisible);
    hover_->setNotch(notchWindow_.get());
    platform_.desktopActivity->keepOnTop(notchWindow_->windowHandle());
    updateNotchPresence();
}

void AppDelegate::otherWindowActivated(quint64 window) {
    // Some window managers (xfwm4, at times) make the drawer their active window without Qt
    // ever seeing it take the keyboard, so Qt never sees it lose the keyboard either: the window
    // manager's word that another program is active closes it as a lost keyboard would. A
    // drawer Qt knows to be active closes on its own; one still following the pointer is left
    // to the hover rules.
    if (window == 0 || !panel_ || !panel_->isShown() || panel_->isActiveWindow() ||
        hover_->isTracking() || QWidget::find(WId(window)) != nullptr) {
        return;
    }
    panel_->hideUnlessAttached();
}

void AppDelegate::updateNotchPresence() {
    if (notchWindow_) {
        notchWindow_->stepAside(
            pillStepsAside(*platform_.desktopActivity, platform_.screens->builtInScreen()));
    }
}

void AppDelegate::setNotchVisible(bool visible) {
    if (visible) {
        if (!notchWindow_) {
            createNotchWindow();
        }
        return;
    }
    if (notchWindow_) {
        hover_->setNotch(nullptr);
        notchWindow_->hide();
        notchWindow_.reset();
    }
}

void AppDelegate::togglePanel(std::optional<DrawerTab> tab) {
    if (!panel_) {
        return;
    }
    // A drawer on its way out counts as closed: a click while it fades brings it back.
    if (!panel_->isShown()) {
        hover_->panelShownElsewhere();
        if (tab) {
            models_.panelState().setRequestedTab(tab);
        }
        showPanelBelowStatusItem();
        return;
    }
    if (tab && panel_->content()->activeTab() != *tab) {
        panel_->content()->setActiveTab(*tab, true);
        return;
    }
    panel_->animateOut();
    hover_->panelClosed();
}

void AppDelegate::openPanel() {
    if (!isPanelVisible()) {
        togglePanel();
    }
}

bool AppDelegate::isPanelVisible() const {
    return panel_ && panel_->isShown();
}

void AppDelegate::showPanelBelowStatusItem() {
    if (!statusItem_ || !statusItem_->hasButton()) {
        return;
    }
    // The drawer never covers the pill nor the icon that opened it: a click on the icon must
    // reach the icon again, not whatever of the drawer would lie there.
    QList<QRectF> keepClear;
    if (notchWindow_ && notchWindow_->isVisible()) {
        keepClear.append(notchWindow_->frame());
    }
    if (statusItem_->isGeometryKnown()) {
        keepClear.append(statusItem_->geometry());
    }
    panel_->showBelow(statusItem_->geometry(), keepClear);
}

void AppDelegate::openSettings() {
    settingsWindow_->show();
}

void AppDelegate::setupHotkey() {
    shortcut_ = std::make_unique<ToggleShortcut>(*platform_.eventMonitors, *platform_.mainQueue,
                                                 models_.settings());
    // The key itself goes on to the program in front; nothing is taken from it.
    connect(shortcut_.get(), &ToggleShortcut::triggered, this, [this] {
        platform_.mainQueue->async(weakly(this, [](AppDelegate* d) { d->togglePanel(); }));
    });
}

QJsonObject AppDelegate::status() const {
    return instanceStatus(
        models_, ShellStatus{
                     .drawerVisible = isPanelVisible(),
                     .drawerTab = panel_ ? panel_->content()->activeTab() : DrawerTab::clipboard,
                     .notchShown = notchWindow_ && notchWindow_->isVisible(),
                     .notchHovered = notchWindow_ && notchWindow_->isHovered(),
                 });
}
