#include "platform/x11/X11Requests.h"

#include <QGuiApplication>

xcb_connection_t* qtX11Connection() {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                   : nullptr;
    return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_atom_t internAtom(xcb_connection_t* connection, std::string_view name, bool onlyIfExists) {
    const auto reply = xcbReply(xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, onlyIfExists ? 1 : 0, uint16_t(name.size()), name.data()),
        nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}
