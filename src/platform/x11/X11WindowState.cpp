#include "platform/x11/X11WindowState.h"

#include <QGuiApplication>
#include <QWidget>

#include "platform/x11/X11Requests.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace X11WindowState {

void skipTaskbarAndPager(QWidget* window) {
    xcb_connection_t* connection = qtX11Connection();
    if (connection == nullptr || window == nullptr) {
        return;
    }
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t state = internAtom(connection, "_NET_WM_STATE");
    const xcb_atom_t wanted[] = {internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                 internAtom(connection, "_NET_WM_STATE_SKIP_PAGER")};

    // Qt adds its own states to what the property holds when it maps the window: keep both.
    std::vector<xcb_atom_t> atoms;
    xcb_get_property_reply_t* current = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, id, state, XCB_ATOM_ATOM, 0, 64), nullptr);
    if (current != nullptr && current->format == 32 && current->type == XCB_ATOM_ATOM) {
        const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(current));
        atoms.assign(data, data + xcb_get_property_value_length(current) / 4);
    }
    free(current);
    for (xcb_atom_t atom : wanted) {
        if (atom != XCB_ATOM_NONE && std::find(atoms.begin(), atoms.end(), atom) == atoms.end()) {
            atoms.push_back(atom);
        }
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                        uint32_t(atoms.size()), atoms.data());
}

} // namespace X11WindowState
