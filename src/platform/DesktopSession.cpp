#include "platform/DesktopSession.h"

#include <QStringList>

bool DesktopSession::barHoldsTopCentre() const {
    return isGnomeShell();
}

bool DesktopSession::isGnomeShell() const {
    // Ubuntu's and other GNOME Shell sessions name GNOME among theirs ("ubuntu:GNOME").
    return currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)
        .contains(QStringLiteral("GNOME"), Qt::CaseInsensitive);
}

DesktopSession DesktopSession::fromEnvironment() {
    return DesktopSession{qEnvironmentVariable("XDG_CURRENT_DESKTOP")};
}
