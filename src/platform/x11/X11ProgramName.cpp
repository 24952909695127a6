#include "platform/x11/X11ProgramName.h"

#include "platform/x11/X11Requests.h"

#include <QFile>
#include <QFileInfo>

#include <xcb/res.h>

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

xcb_get_property_cookie_t askProperty(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name,
                                      xcb_atom_t type) {
    return xcb_get_property(c, 0, window, name, type, 0, 256);
}

// The value of a property asked for, when it has the type asked for. The window may be gone by
// now: the error is taken here, so that it does not reach the connection's other readers.
QByteArray valueOf(xcb_connection_t* c, xcb_get_property_cookie_t cookie, xcb_atom_t type) {
    xcb_generic_error_t* error = nullptr;
    const XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(c, cookie, &error));
    std::free(error);
    if (!reply || reply->type != type) {
        return {};
    }
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}

QString localHostName() {
    char host[HOST_NAME_MAX + 1] = {};
    ::gethostname(host, sizeof host - 1);
    return QString::fromLocal8Bit(host);
}

} // namespace

namespace X11ProgramName {

WindowProgram windowProgram(xcb_connection_t* c, xcb_window_t window, xcb_atom_t netWmPid) {
    const auto wmClass = askProperty(c, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    const auto machine = askProperty(c, window, XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING);
    const bool askPid = netWmPid != XCB_ATOM_NONE;
    const auto pid =
        askPid ? askProperty(c, window, netWmPid, XCB_ATOM_CARDINAL) : xcb_get_property_cookie_t{};
    // Programs that set nothing on their window (a clipboard owner often has nothing) are still
    // known to the server, when they run on this machine.
    const xcb_query_extension_reply_t* res = xcb_get_extension_data(c, &xcb_res_id);
    const bool askServer = res != nullptr && res->present != 0;
    xcb_res_client_id_spec_t wanted{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    const auto ids =
        askServer ? xcb_res_query_client_ids(c, 1, &wanted) : xcb_res_query_client_ids_cookie_t{};

    WindowProgram program;
    // WM_CLASS holds two NUL-terminated strings: the instance name, then the class name.
    const QList<QByteArray> parts = valueOf(c, wmClass, XCB_ATOM_STRING).split('\0');
    const QByteArray name =
        parts.size() >= 2 && !parts.at(1).trimmed().isEmpty() ? parts.at(1) : parts.value(0);
    if (!name.trimmed().isEmpty()) {
        program.windowClass = QString::fromLocal8Bit(name);
    }

    const QByteArray madeOn = valueOf(c, machine, XCB_ATOM_STRING);
    const QByteArray pidValue = askPid ? valueOf(c, pid, XCB_ATOM_CARDINAL) : QByteArray();
    const bool madeHere = madeOn.isEmpty() || QString::fromLocal8Bit(madeOn) == localHostName();
    if (pidValue.size() == 4 && madeHere) {
        uint32_t value = 0;
        std::memcpy(&value, pidValue.constData(), 4);
        program.pid = value;
    }
    if (askServer) {
        xcb_generic_error_t* error = nullptr;
        const XcbReply<xcb_res_query_client_ids_reply_t> reply(
            xcb_res_query_client_ids_reply(c, ids, &error));
        std::free(error);
        if (reply && program.pid == 0) {
            for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem > 0;
                 xcb_res_client_id_value_next(&it)) {
                if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) != 0 &&
                    xcb_res_client_id_value_value_length(it.data) >= 1) {
                    program.pid = *xcb_res_client_id_value_value(it.data);
                    break;
                }
            }
        }
    }
    return program;
}

std::optional<QString> processName(qint64 pid) {
    if (pid <= 0) {
        return std::nullopt;
    }
    const QString proc = QStringLiteral("/proc/%1/").arg(pid);
    QFile cmdline(proc + QStringLiteral("cmdline"));
    if (cmdline.open(QIODevice::ReadOnly)) {
        const QByteArray first = cmdline.read(4096).split('\0').value(0);
        const QString name = QFileInfo(QString::fromLocal8Bit(first)).fileName();
        if (!name.trimmed().isEmpty()) {
            return name;
        }
    }
    // Kernel threads and some daemons leave their command line empty.
    QFile comm(proc + QStringLiteral("comm"));
    if (comm.open(QIODevice::ReadOnly)) {
        const QString name = QString::fromLocal8Bit(comm.readAll().trimmed());
        if (!name.isEmpty()) {
            return name;
        }
    }
    return std::nullopt;
}

} // namespace X11ProgramName
