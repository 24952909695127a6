#pragma once

#include "platform/EventMonitors.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>

class DropdownPanel;
class MainQueue;
class NotchWindow;
class Screens;
class Timer;

// Opens the drawer under the pill while the pointer is on the pill, and closes a drawer opened
// that way once the pointer has stayed away from both for a moment. Raw pointer motion is
// watched only while such a drawer shows; clicking into it pins it open like any other. The
// pointer leaving the pill or the drawer is looked at too: through XWayland no motion follows
// once it is over a Wayland window.
class HoverController final : public QObject {
    Q_OBJECT
public:
    static constexpr double hoverMargin = 15.0;
    static constexpr double hoverHideDelay = 0.06;
    // Where the pointer may leave unseen: how long it must stand still where it was last seen
    // near the drawer's edge (within exitBand) or on the pill, where people also rest it to
    // look at the drawer, before the drawer is taken as left.
    static constexpr double quietCloseDelay = 2.5;
    static constexpr double quietOnPillDelay = 5.0;
    static constexpr double exitBand = 40.0;

    HoverController(DropdownPanel& panel, Screens& screens, EventMonitors& eventMonitors,
                    MainQueue& mainQueue, QObject* parent = nullptr);
    ~HoverController() override;

    // The pill the pointer is measured against; none while the overlay is switched off.
    void setNotch(NotchWindow* notch);

    // The display may lose the pointer without telling (GNOME Shell's XWayland): a
    // hover-opened drawer then also closes once the pointer has stood still where it was last
    // seen on its way out, for it may well be gone.
    void setPointerMayLeaveUnseen(bool mayLeave) { pointerMayLeaveUnseen_ = mayLeave; }

    // Whether the drawer showing was opened by hovering and is not pinned yet.
    bool isTracking() const { return openedViaHover_; }

    // The pill is hovered: shows the drawer hanging from it, unless it already shows.
    void showPanelFromHover();
    // The drawer was shown some other way (the tray, the command line, the key): nothing to
    // close on leaving.
    void panelShownElsewhere();
    // The drawer is going: the pill shrinks back and tracking stops.
    void panelClosed();

    // The user pressed a button on the drawer or typed into it: a hover-opened drawer stays.
    void panelClickedInto();
    void panelDeactivated();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool nearNotch(const QPointF& location) const;
    bool pointerNearNotchOrPanel() const;
    // How long the pointer must have stood still where it was last seen for the drawer to be
    // taken as left; none deep inside the drawer.
    std::optional<double> stillnessTakenAsLeaving() const;
    void pointerMoved();
    void checkHoverHide();
    void scheduleQuietCheck(double delay);
    void quietCheckFired();
    void closeHoverOpened();
    void startHoverHideTimer();
    void cancelHoverHideTimer();
    void hoverHideTimerFired();
    void stopHoverTracking();
    void unhoverNotch();

    DropdownPanel& panel_;
    Screens& screens_;
    EventMonitors& eventMonitors_;
    MainQueue& mainQueue_;
    QPointer<NotchWindow> notch_;
    std::optional<EventMonitors::Token> globalMonitor_;
    std::optional<EventMonitors::Token> localMonitor_;
    std::shared_ptr<Timer> hideTimer_;
    std::shared_ptr<Timer> quietTimer_;
    double lastMotion_ = 0;
    bool openedViaHover_ = false;
    bool pointerMayLeaveUnseen_ = false;
};
