#include "platform/x11/X11Workspace.h"

#include "platform/linux/FileManagerReveal.h"
#include "platform/x11/X11ProgramName.h"
#include "platform/x11/X11Requests.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeDatabase>

#include <xcb/xcb.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

X11Workspace::X11Workspace(QObject* parent)
    : QObject(parent) {}

std::optional<QString> X11Workspace::activeApplicationName() const {
    xcb_connection_t* c = qtX11Connection();
    if (c == nullptr) {
        return std::nullopt;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_atom_t activeAtom = internAtom(c, "_NET_ACTIVE_WINDOW", true);
    if (screen == nullptr || activeAtom == XCB_ATOM_NONE) {
        return std::nullopt;
    }
    XcbReply<xcb_get_property_reply_t> active(xcb_get_property_reply(
        c, xcb_get_property(c, 0, screen->root, activeAtom, XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (!active || active->type != XCB_ATOM_WINDOW ||
        xcb_get_property_value_length(active.get()) < 4) {
        return std::nullopt;
    }
    const xcb_window_t window = *static_cast<xcb_window_t*>(xcb_get_property_value(active.get()));
    if (window == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    const X11ProgramName::WindowProgram program =
        X11ProgramName::windowProgram(c, window, internAtom(c, "_NET_WM_PID", true));
    // With our own drawer in front, the user copies in some other program; naming ourselves
    // would be wrong whenever the copy was not ours.
    if (program.pid == ::getpid()) {
        return std::nullopt;
    }
    return program.windowClass;
}

QIcon X11Workspace::iconForFile(const QString& path) const {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull()) {
        icon = QIcon::fromTheme(type.genericIconName());
    }
    if (icon.isNull()) {
        // No icon theme: the style's own file and folder icons.
        icon = QFileIconProvider().icon(QFileInfo(path));
    }
    return icon;
}

qint64 X11Workspace::fileSize(const QString& path) const {
    // The size recorded for the item itself: a folder's own entry, a file whose contents we may
    // not read, a link rather than what it points at. Only unreadable attributes give 0.
    struct stat attributes {};
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &attributes) != 0) {
        return 0;
    }
    return qint64(attributes.st_size);
}

void X11Workspace::showInFileManager(const QList<QUrl>& urls) {
    revealInFileManager(urls, this);
}

bool X11Workspace::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}
