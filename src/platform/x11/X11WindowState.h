#pragma once

class QWidget;

// Window-manager hints that Qt's window flags do not reach.
namespace X11WindowState {
// Asks the window manager to leave the (not yet mapped) window out of taskbars and pagers.
// Does nothing off X11.
void skipTaskbarAndPager(QWidget* window);
} // namespace X11WindowState
