// The half of the application delegate that opens the drawer from the notch and from the
// grave key, and closes a drawer opened by hovering once the pointer has left it.
#include "app/AppDelegate.h"

#include "app/AppModels.h"
#include "drawer/DropdownPanel.h"
#include "drawer/PanelContentView.h"
#include "drops/DropIntake.h"
#include "notch/NotchWindow.h"
#include "platform/EventMonitors.h"
#include "platform/Logging.h"
#include "platform/MainQueue.h"
#include "platform/Platform.h"
#include "platform/Screens.h"

#include <QEvent>
#include <QPointer>

namespace {

// An event handler that holds the delegate weakly.
EventMonitors::Handler weakHandler(AppDelegate* delegate, void (AppDelegate::*method)()) {
    return [self = QPointer<AppDelegate>(delegate), method](const InputEvent&) {
        if (self) {
            (self.data()->*method)();
        }
    };
}

// For measuring: when the drawer's content is first drawn after being shown.
class FirstPaintLogger final : public QObject {
public:
    FirstPaintLogger(QObject* target, MainQueue& queue)
        : QObject(target)
        , queue_(queue) {
        target->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            qCDebug(lcNotch) << "drawer first drawn at" << queue_.uptime();
            deleteLater();
        }
        return false;
    }

private:
    MainQueue& queue_;
};

void logFirstPaint(QObject* target, MainQueue& queue) {
    new FirstPaintLogger(target, queue);
}

} // namespace

void AppDelegate::createNotchWindow() {
    notchWindow_ = std::make_unique<NotchWindow>(
        models_.drawerContext(), *platform_.screens,
        weakly(this, [](AppDelegate* self) { self->showPanelFromHover(); }));
    QPointer<AppDelegate> self(this);
    notchWindow_->isPanelVisible = [self] {
        return self && self->panel_ && self->panel_->isVisible();
    };
    notchWindow_->onDrop = [self](const DragPasteboard& drag) {
        return self && handleDrop(drag, self->shelf(), self->clipboard());
    };
}

void AppDelegate::setNotchVisible(bool visible) {
    if (visible) {
        if (!notchWindow_) {
            createNotchWindow();
        }
        return;
    }
    if (notchWindow_) {
        notchWindow_->hide();
        notchWindow_.reset();
    }
}

void AppDelegate::unhoverNotch() {
    if (notchWindow_ && notchWindow_->isHovered) {
        notchWindow_->isHovered = false;
        notchWindow_->hoverExited();
    }
}

void AppDelegate::showPanelFromHover() {
    if (panel_->isVisible()) {
        return;
    }
    if (const std::optional<Screen> screen = platform_.screens->builtInScreen()) {
        // Centred on the screen, hanging from the notch: with its top edge on the screen's top
        // the pill, which stays above every window, would cover the middle of the tab bar.
        const double top =
            screen->geometry.top() + (notchWindow_ ? notchWindow_->notchHeight() : 0);
        panel_->move(qRound(screen->geometry.center().x() - panel_->width() * 0.5), qRound(top));
        // Hovering leaves the keyboard with the program the user works in; clicking into the
        // drawer takes it (and pins the drawer open).
        panel_->animateIn(DropdownPanel::Activation::keepFocus);
        qCDebug(lcNotch) << "drawer shown from hover at" << platform_.mainQueue->uptime();
        if (lcNotch().isDebugEnabled()) {
            logFirstPaint(panel_->content(), *platform_.mainQueue);
        }
    }
    panelOpenedViaHover_ = true;
    stopHoverTracking();
    // Raw pointer motion is watched only from now until the drawer closes or is pinned.
    hoverGlobalMonitor_ = platform_.eventMonitors->addGlobalMonitor(
        InputEvent::MouseMove, weakHandler(this, &AppDelegate::checkHoverHide));
    hoverLocalMonitor_ = platform_.eventMonitors->addLocalMonitor(
        InputEvent::MouseMove, weakHandler(this, &AppDelegate::checkHoverHide));
}

bool AppDelegate::pointerNearNotchOrPanel() const {
    const QPointF location = platform_.screens->cursorPosition();
    const auto grown = [](const QRectF& r) {
        return r.adjusted(-hoverMargin, -hoverMargin, hoverMargin, hoverMargin);
    };
    const bool nearNotch = notchWindow_ && grown(notchWindow_->frame()).contains(location);
    const bool nearPanel = grown(QRectF(panel_->geometry())).contains(location);
    return nearNotch || nearPanel;
}

void AppDelegate::cancelHoverHideTimer() {
    if (hoverHideTimer_) {
        hoverHideTimer_->invalidate();
        hoverHideTimer_.reset();
    }
}

void AppDelegate::checkHoverHide() {
    if (!panel_->isVisible() || !panelOpenedViaHover_) {
        cancelHoverHideTimer();
        return;
    }
    if (pointerNearNotchOrPanel()) {
        cancelHoverHideTimer();
    } else {
        startHoverHideTimer();
    }
}

void AppDelegate::startHoverHideTimer() {
    // A check already pending keeps its deadline: moving about outside does not push it back.
    if (hoverHideTimer_) {
        return;
    }
    hoverHideTimer_ = platform_.mainQueue->scheduledTimer(
        hoverHideDelay, false,
        weakly(this, [](AppDelegate* self) { self->hoverHideTimerFired(); }));
}

void AppDelegate::hoverHideTimerFired() {
    // The spent timer is let go, so that the next move outside starts a fresh check even when
    // the pointer was back inside by now.
    hoverHideTimer_.reset();
    if (pointerNearNotchOrPanel()) {
        return;
    }
    qCDebug(lcNotch) << "drawer hidden after hover at" << platform_.mainQueue->uptime();
    panel_->animateOut();
    unhoverNotch();
    panelOpenedViaHover_ = false;
    stopHoverTracking();
}

void AppDelegate::stopHoverTracking() {
    cancelHoverHideTimer();
    if (hoverGlobalMonitor_) {
        platform_.eventMonitors->removeMonitor(*hoverGlobalMonitor_);
        hoverGlobalMonitor_.reset();
    }
    if (hoverLocalMonitor_) {
        platform_.eventMonitors->removeMonitor(*hoverLocalMonitor_);
        hoverLocalMonitor_.reset();
    }
}

void AppDelegate::panelDeactivated() {
    // The drawer's own handler has just started hiding it; a drawer still showing is left be.
    if (panel_->isVisible()) {
        return;
    }
    unhoverNotch();
    panelOpenedViaHover_ = false;
    stopHoverTracking();
}

void AppDelegate::panelActivated() {
    // The user clicked into a drawer opened by hovering: it stays open like a pinned one.
    if (!panelOpenedViaHover_) {
        return;
    }
    panelOpenedViaHover_ = false;
    stopHoverTracking();
    unhoverNotch();
}

void AppDelegate::setupHotkey() {
    QPointer<AppDelegate> self(this);
    hotkeyMonitor_ = platform_.eventMonitors->addGlobalMonitor(
        InputEvent::KeyPress, [self](const InputEvent& event) {
            // The key left of 1 on its own: with Caps Lock on or any modifier held it is just
            // typed.
            if (!self || !event.isKeyLeftOfOne || event.modifiers != Qt::NoModifier ||
                event.capsLock) {
                return;
            }
            // The key itself goes on to the program in front; nothing is taken from it.
            self->platform_.mainQueue->async(
                weakly(self.data(), [](AppDelegate* d) { d->togglePanel(); }));
        });
}
