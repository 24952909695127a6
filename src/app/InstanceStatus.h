#pragma once

#include "panel/DrawerTab.h"

#include <QJsonObject>

class AppModels;

// What the windows of the running instance show, for its status line.
struct ShellStatus {
    bool drawerVisible = false;
    DrawerTab drawerTab = DrawerTab::clipboard;
    bool notchShown = false;
    bool notchHovered = false;
};

// The line `hodgebin --status` prints: settings, counts and kinds, never contents.
QJsonObject instanceStatus(const AppModels& models, const ShellStatus& shell);
