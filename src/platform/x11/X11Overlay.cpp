#include "platform/x11/X11Overlay.h"

#include <QGuiApplication>

namespace X11Overlay {

bool supportsShapes() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

} // namespace X11Overlay
