#pragma once

#include <QString>

// The desktop the user's session runs, as the session names it (XDG_CURRENT_DESKTOP, a
// colon-separated list such as "ubuntu:GNOME" or "XFCE").
struct DesktopSession {
    QString currentDesktop;

    // Whether the desktop's own top bar shows something at its centre that an overlay there
    // would hide: GNOME Shell's clock. XFCE's and KDE's default bars leave the centre free.
    bool barHoldsTopCentre() const;
    // GNOME Shell, whose XWayland at times stops telling X programs that the pointer left
    // them for a Wayland window.
    bool isGnomeShell() const;

    // The session this process runs in.
    static DesktopSession fromEnvironment();
};
