#pragma once

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <string_view>

// What every request to the X server here needs: replies that free themselves, Qt's own
// connection, and atoms by name.

struct XcbFree {
    void operator()(void* p) const { std::free(p); }
};
// A reply (or error) from the server, freed when it goes.
template <typename T> using XcbReply = std::unique_ptr<T, XcbFree>;

template <typename T> XcbReply<T> xcbReply(T* reply) {
    return XcbReply<T>(reply);
}

// Qt's connection to the display, for short requests on the main thread; null when Qt does not
// run on X11.
xcb_connection_t* qtX11Connection();

// The atom of this name; XCB_ATOM_NONE when the server does not answer, or when onlyIfExists
// and no program has named it yet.
xcb_atom_t internAtom(xcb_connection_t* connection, std::string_view name,
                      bool onlyIfExists = false);
