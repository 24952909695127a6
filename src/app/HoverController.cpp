#include "app/HoverController.h"

#include "drawer/DropdownPanel.h"
#include "drawer/PanelContentView.h"
#include "notch/NotchWindow.h"
#include "platform/Logging.h"
#include "platform/MainQueue.h"
#include "platform/Screens.h"

#include <QEvent>

namespace {

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

QRectF withHoverMargin(const QRectF& r) {
    const double m = HoverController::hoverMargin;
    return r.adjusted(-m, -m, m, m);
}

} // namespace

HoverController::HoverController(DropdownPanel& panel, Screens& screens,
                                 EventMonitors& eventMonitors, MainQueue& mainQueue,
                                 QObject* parent)
    : QObject(parent)
    , panel_(panel)
    , screens_(screens)
    , eventMonitors_(eventMonitors)
    , mainQueue_(mainQueue) {
    panel_.installEventFilter(this);
}

HoverController::~HoverController() {
    stopHoverTracking();
}

void HoverController::setNotch(NotchWindow* notch) {
    if (notch_) {
        notch_->removeEventFilter(this);
    }
    notch_ = notch;
    if (notch_) {
        notch_->installEventFilter(this);
    }
}

bool HoverController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Leave && openedViaHover_) {
        checkHoverHide();
    }
    return QObject::eventFilter(watched, event);
}

void HoverController::showPanelFromHover() {
    if (panel_.isVisible()) {
        return;
    }
    if (const std::optional<Screen> screen = screens_.builtInScreen()) {
        // Centred on the screen, hanging from the notch: with its top edge on the screen's top
        // the pill, which stays above every window, would cover the middle of the tab bar.
        const double top = screen->geometry.top() + (notch_ ? notch_->notchHeight() : 0);
        panel_.move(qRound(screen->geometry.center().x() - panel_.width() * 0.5), qRound(top));
        // Hovering leaves the keyboard with the program the user works in; clicking into the
        // drawer takes it (and pins the drawer open).
        panel_.animateIn(DropdownPanel::Activation::keepFocus);
        qCDebug(lcNotch) << "drawer shown from hover at" << mainQueue_.uptime();
        if (lcNotch().isDebugEnabled()) {
            new FirstPaintLogger(panel_.content(), mainQueue_);
        }
    }
    openedViaHover_ = true;
    stopHoverTracking();
    // Raw pointer motion is watched only from now until the drawer closes or is pinned.
    const auto check = [self = QPointer<HoverController>(this)](const InputEvent&) {
        if (self) {
            self->pointerMoved();
        }
    };
    globalMonitor_ = eventMonitors_.addGlobalMonitor(InputEvent::MouseMove, check);
    localMonitor_ = eventMonitors_.addLocalMonitor(InputEvent::MouseMove, check);
    // The pointer is on the pill now: that counts as its last move.
    pointerMoved();
}

void HoverController::panelShownElsewhere() {
    openedViaHover_ = false;
}

void HoverController::panelClosed() {
    unhoverNotch();
    openedViaHover_ = false;
    stopHoverTracking();
}

void HoverController::unhoverNotch() {
    if (notch_) {
        notch_->unhover();
    }
}

bool HoverController::nearNotch(const QPointF& location) const {
    return notch_ && withHoverMargin(notch_->frame()).contains(location);
}

bool HoverController::pointerNearNotchOrPanel() const {
    const std::optional<QPointF> location = screens_.cursorPosition();
    if (!location) {
        return false;
    }
    const bool nearPanel = withHoverMargin(QRectF(panel_.geometry())).contains(*location);
    return nearPanel || nearNotch(*location);
}

std::optional<double> HoverController::stillnessTakenAsLeaving() const {
    const std::optional<QPointF> location = screens_.cursorPosition();
    if (!location) {
        return 0.0;
    }
    if (nearNotch(*location)) {
        return quietOnPillDelay;
    }
    const QRectF deepInside =
        QRectF(panel_.geometry()).adjusted(exitBand, exitBand, -exitBand, -exitBand);
    if (deepInside.contains(*location)) {
        return std::nullopt;
    }
    return quietCloseDelay;
}

void HoverController::pointerMoved() {
    lastMotion_ = mainQueue_.uptime();
    if (pointerMayLeaveUnseen_ && !quietTimer_) {
        scheduleQuietCheck(quietCloseDelay);
    }
    checkHoverHide();
}

void HoverController::scheduleQuietCheck(double delay) {
    quietTimer_ = mainQueue_.scheduledTimer(
        delay, false, weakly(this, [](HoverController* self) { self->quietCheckFired(); }));
}

void HoverController::quietCheckFired() {
    quietTimer_.reset();
    if (!panel_.isVisible() || !openedViaHover_) {
        return;
    }
    const std::optional<double> needed = stillnessTakenAsLeaving();
    if (!needed) {
        return;
    }
    // One timer for the whole stillness: a move meanwhile only pushes the check back.
    const double still = mainQueue_.uptime() - lastMotion_;
    if (still < *needed) {
        scheduleQuietCheck(*needed - still);
        return;
    }
    qCDebug(lcNotch) << "drawer hidden: the pointer stood still on its way out";
    closeHoverOpened();
}

void HoverController::cancelHoverHideTimer() {
    if (hideTimer_) {
        hideTimer_->invalidate();
        hideTimer_.reset();
    }
}

void HoverController::checkHoverHide() {
    if (!panel_.isVisible() || !openedViaHover_) {
        cancelHoverHideTimer();
        return;
    }
    if (pointerNearNotchOrPanel()) {
        cancelHoverHideTimer();
    } else {
        startHoverHideTimer();
    }
}

void HoverController::startHoverHideTimer() {
    // A check already pending keeps its deadline: moving about outside does not push it back.
    if (hideTimer_) {
        return;
    }
    hideTimer_ = mainQueue_.scheduledTimer(
        hoverHideDelay, false,
        weakly(this, [](HoverController* self) { self->hoverHideTimerFired(); }));
}

void HoverController::hoverHideTimerFired() {
    // The spent timer is let go, so that the next move outside starts a fresh check even when
    // the pointer was back inside by now.
    hideTimer_.reset();
    if (pointerNearNotchOrPanel()) {
        return;
    }
    qCDebug(lcNotch) << "drawer hidden after hover at" << mainQueue_.uptime();
    closeHoverOpened();
}

void HoverController::closeHoverOpened() {
    panel_.animateOut();
    panelClosed();
}

void HoverController::stopHoverTracking() {
    cancelHoverHideTimer();
    if (quietTimer_) {
        quietTimer_->invalidate();
        quietTimer_.reset();
    }
    if (globalMonitor_) {
        eventMonitors_.removeMonitor(*globalMonitor_);
        globalMonitor_.reset();
    }
    if (localMonitor_) {
        eventMonitors_.removeMonitor(*localMonitor_);
        localMonitor_.reset();
    }
}

void HoverController::panelDeactivated() {
    // The drawer's own handler has just started hiding it; a drawer still showing is left be.
    if (panel_.isVisible()) {
        return;
    }
    panelClosed();
}

void HoverController::panelClickedInto() {
    // The user clicked into a drawer opened by hovering: it stays open like a pinned one.
    if (!openedViaHover_) {
        return;
    }
    panelClosed();
}
