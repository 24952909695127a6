#include "platform/Screens.h"

bool Screen::isBuiltIn() const {
    return name.startsWith(QLatin1String("eDP")) || name.startsWith(QLatin1String("LVDS")) ||
           name.startsWith(QLatin1String("DSI"));
}

std::optional<Screen> Screens::builtInScreen() const {
    for (const Screen& screen : screens()) {
        if (screen.isBuiltIn()) {
            return screen;
        }
    }
    return primaryScreen();
}
