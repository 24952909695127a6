#pragma once

#include <QString>

#include <optional>

#include <xcb/xcb.h>

// Which program an X window belongs to, from what the window and the X server tell.
namespace X11ProgramName {

struct WindowProgram {
    // The window's class name (WM_CLASS), else its instance name.
    std::optional<QString> windowClass;
    // The process on this machine that made the window: the one its _NET_WM_PID names (unless
    // the window says it was made elsewhere), else the one the X server knows for the client
    // that made it. 0 when neither tells.
    qint64 pid = 0;
};

// Asks everything at once, so it costs one round trip to the server; `netWmPid` is the
// _NET_WM_PID atom.
WindowProgram windowProgram(xcb_connection_t* c, xcb_window_t window, xcb_atom_t netWmPid);

// The name of a process on this machine: the file it was started as, else its command name.
std::optional<QString> processName(qint64 pid);

} // namespace X11ProgramName
