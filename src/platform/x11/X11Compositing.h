#pragma once

// Whether a compositing manager runs on the X display: only then do translucent windows and
// window opacity show as such.
namespace X11Compositing {
// False off X11 (and when the display cannot be asked).
bool isActive();
} // namespace X11Compositing
