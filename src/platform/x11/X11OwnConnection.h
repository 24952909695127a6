#pragma once

#include <xcb/xcb.h>

#include <optional>

// A connection of our own to the display Qt uses, for watchers whose events and errors must
// never reach Qt's connection, with the root window of its default screen.
struct X11OwnConnection {
    xcb_connection_t* connection;
    xcb_window_t root;

    // Nothing when the display cannot be reached or names no screen.
    static std::optional<X11OwnConnection> open();
};
