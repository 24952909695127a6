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
// watched only while such a drawer shows; clicking into it pins it open like any other.
class HoverController final : public QObject {
    Q_OBJECT
public:
    static constexpr double hoverMargin = 15.0;
    static constexpr double hoverHideDelay = 0.06;

    HoverController(DropdownPanel& panel, Screens& screens, EventMonitors& eventMonitors,
                    MainQueue& mainQueue, QObject* parent = nullptr);
    ~HoverController() override;

    // The pill the pointer is measured against; none while the overlay is switched off.
    void setNotch(NotchWindow* notch);

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

private:
    bool pointerNearNotchOrPanel() const;
    void checkHoverHide();
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
    bool openedViaHover_ = false;
};
