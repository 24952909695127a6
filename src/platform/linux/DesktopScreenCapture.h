#pragma once

#include "platform/ScreenCapture.h"

#include <QByteArray>

class UserDefaults;

// The screenshot folder as a Linux desktop knows it, first answer wins: a `location` in the
// `[screencapture]` group of our own settings file; the save folder configured in KDE
// Spectacle; the XDG Pictures folder's "Screenshots" when it exists (where GNOME and KDE save
// by default). Otherwise nothing, and the caller falls back to the desktop folder.
class DesktopScreenCapture final : public ScreenCapture {
public:
    static inline const QString locationKey = QStringLiteral("screencapture/location");

    explicit DesktopScreenCapture(const UserDefaults& defaults,
                                  QString spectacleConfigPath = standardSpectacleConfigPath());

    std::optional<QString> location() const override;

    static QString standardSpectacleConfigPath();
    // The save folder named in the text of a Spectacle configuration file, as a local path.
    static std::optional<QString> spectacleSaveFolder(const QByteArray& config);

private:
    const UserDefaults& defaults_;
    QString spectacleConfigPath_;
};
