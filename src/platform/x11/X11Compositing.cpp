#include "platform/x11/X11Compositing.h"

#include "platform/x11/X11Requests.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <string>

namespace X11Compositing {

bool isActive() {
    xcb_connection_t* connection = qtX11Connection();
    if (connection == nullptr) {
        return false;
    }
    // A compositing manager owns the selection _NET_WM_CM_S<screen>.
    int screen = 0;
    if (const char* display = std::getenv("DISPLAY")) {
        const std::string name(display);
        const size_t dot = name.rfind('.');
        if (dot != std::string::npos && name.find(':') < dot) {
            screen = std::atoi(name.c_str() + dot + 1);
        }
    }
    const xcb_atom_t selection =
        internAtom(connection, "_NET_WM_CM_S" + std::to_string(screen), true);
    if (selection == XCB_ATOM_NONE) {
        return false;
    }
    const auto owner = xcbReply(xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, selection), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

} // namespace X11Compositing
