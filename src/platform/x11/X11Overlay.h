#pragma once

// What an overlay window needs from X beyond Qt's window flags.
namespace X11Overlay {

// Whether windows can be shaped (not so on the offscreen platform of the tests).
bool supportsShapes();

} // namespace X11Overlay
