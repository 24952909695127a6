#pragma once

#include <QString>

// The "Start at login" switch: a desktop entry in the user's autostart folder
// (`$XDG_CONFIG_HOME/autostart/hodgebin.desktop`), present while the switch is on.
class AutostartEntry {
public:
    // `configHome` holds the autostart folder; `program` is the binary the entry starts.
    AutostartEntry(QString configHome, QString program);

    // Over the user's config folder, starting the installed `hodgebin` when one is on PATH,
    // else the binary that is running.
    static AutostartEntry forCurrentUser();

    QString path() const;
    // On while the entry exists.
    bool isEnabled() const;
    // Writes or removes the entry. A failure is logged and leaves the switch as it is on disk:
    // false when the entry could not be written or could not be removed.
    bool setEnabled(bool enabled);

    // The program's desktop entry running `program`, as installed for the application menu;
    // for autostart it also says so to the desktops that read that key.
    static QByteArray desktopEntry(const QString& program, bool autostart);

private:
    QString configHome_;
    QString program_;
};
