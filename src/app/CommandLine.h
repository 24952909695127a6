#pragma once

#include "panel/DrawerTab.h"

#include <QString>
#include <QStringList>

#include <optional>

// What one `hodgebin` invocation asks for, read from its arguments.
struct CommandLine {
    enum class Mode { Run, Toggle, Status, Quit, Settings, Help, Version };

    Mode mode = Mode::Run;
    // With --toggle: the tab the drawer opens on.
    std::optional<DrawerTab> tab;
    // When the arguments make no sense: what went wrong, in one line. The mode is then Run and
    // nothing may be run.
    QString error;
    // Exit status for an error: 2 for a usage error.
    int errorExitCode = 2;

    static CommandLine parse(const QStringList& arguments);
    static QString helpText();

    bool ok() const { return error.isEmpty(); }
};

// The tab named on the command line, letter case ignored: clips, shelf, notes or shots.
std::optional<DrawerTab> drawerTabFromCommandLineName(const QString& name);
// The names drawerTabFromCommandLineName accepts, in tab-bar order, comma separated.
QString commandLineTabNames();
