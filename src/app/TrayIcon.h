#pragma once

#include <QIcon>

// The program's tray icon at the sizes trays ask for: the tray symbol as a light glyph over a
// soft dark halo, which reads on light and dark panels alike.
QIcon trayIcon();
