#pragma once

class QWidget;

// What an overlay window needs from X beyond Qt's window flags.
namespace X11Overlay {

// Whether windows can be shaped (not so on the offscreen platform of the tests).
bool supportsShapes();

// Raises it now, and raises the window again whenever X reports another window covering it
// (override-redirect windows are not kept on top by any window manager). Does nothing off X11.
void keepOnTop(QWidget* window);

} // namespace X11Overlay
