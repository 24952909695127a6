#include "platform/Platform.h"

#include <QtGlobal>

namespace {
Platform installed;
bool isInstalled = false;
} // namespace

const Platform& Platform::current() {
    Q_ASSERT_X(isInstalled, "Platform::current", "no platform installed");
    return installed;
}

void Platform::install(const Platform& platform) {
    installed = platform;
    isInstalled = true;
}

void Platform::uninstall(const Platform& platform) {
    if (isInstalled && installed.mainQueue == platform.mainQueue &&
        installed.pasteboard == platform.pasteboard) {
        installed = Platform();
        isInstalled = false;
    }
}

bool Platform::hasInstalled() {
    return isInstalled;
}
