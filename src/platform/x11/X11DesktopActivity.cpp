#include "platform/x11/X11DesktopActivity.h"

#include "platform/Logging.h"
#include "platform/x11/X11OwnConnection.h"
#include "platform/x11/X11Requests.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSocketNotifier>
#include <QWindow>

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// A screen's rectangle in X's pixels: Qt keeps each screen's origin and divides its size by the
// screen's scale.
QRect nativeGeometry(const QScreen& screen) {
    const QRect logical = screen.geometry();
    const qreal scale = screen.devicePixelRatio();
    return QRect(logical.topLeft(), (QSizeF(logical.size()) * scale).toSize());
}

// A rectangle in X's pixels, in Qt's desktop coordinates.
QRectF toLogical(const QRect& native) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (const QScreen* screen : screens) {
        const QRect nativeScreen = nativeGeometry(*screen);
        if (nativeScreen.contains(native.center())) {
            const qreal scale = screen->devicePixelRatio();
            const QPointF origin = nativeScreen.topLeft();
            return QRectF(origin + (QPointF(native.topLeft()) - origin) / scale,
                          QSizeF(native.size()) / scale);
        }
    }
    return QRectF(native);
}

bool coversAWholeScreen(const QRect& native) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (const QScreen* screen : screens) {
        if (native.contains(nativeGeometry(*screen))) {
            return true;
        }
    }
    return false;
}

} // namespace

X11DesktopActivity::X11DesktopActivity(QObject* parent)
    : DesktopActivity(parent) {
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !connectToDisplay()) {
        return;
    }
    followActiveWindow();
    readEvents();
}

X11DesktopActivity::~X11DesktopActivity() {
    delete notifier_;
    if (connection_ != nullptr) {
        xcb_disconnect(connection_);
    }
}

bool X11DesktopActivity::connectToDisplay() {
    const std::optional<X11OwnConnection> own = X11OwnConnection::open();
    if (!own) {
        return false;
    }
    xcb_connection_t* c = own->connection;
    connection_ = c;
    root_ = own->root;
    activeWindowAtom_ = atom("_NET_ACTIVE_WINDOW");
    stateAtom_ = atom("_NET_WM_STATE");
    fullscreenAtom_ = atom("_NET_WM_STATE_FULLSCREEN");
    stackingAtom_ = atom("_NET_CLIENT_LIST_STACKING");

    selectOn(root_);
    const xcb_query_extension_reply_t* saver = xcb_get_extension_data(c, &xcb_screensaver_id);
    if (saver != nullptr && saver->present != 0) {
        hasSaver_ = true;
        saverEvent_ = saver->first_event + XCB_SCREENSAVER_NOTIFY;
        xcb_screensaver_select_input(c, root_, XCB_SCREENSAVER_EVENT_NOTIFY_MASK);
        auto info = xcbReply(
            xcb_screensaver_query_info_reply(c, xcb_screensaver_query_info(c, root_), nullptr));
        saverOn_ = info && (info->state == XCB_SCREENSAVER_STATE_ON ||
                            info->state == XCB_SCREENSAVER_STATE_CYCLE);
    }
    xcb_flush(c);
    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(c), QSocketNotifier::Read);
    connect(notifier_, &QSocketNotifier::activated, this, &X11DesktopActivity::readEvents);
    return true;
}

quint32 X11DesktopActivity::atom(const char* name) const {
    return internAtom(connection_, name);
}

void X11DesktopActivity::keepOnTop(QWindow* window) {
    if (connection_ == nullptr || window == nullptr) {
        return;
    }
    if (kept_ != nullptr) {
        const quint32 previous = keptId_;
        keptId_ = 0;
        selectOn(previous);
        disconnect(kept_, nullptr, this, nullptr);
    }
    kept_ = window;
    keptId_ = quint32(window->winId());
    selectOn(keptId_);
    // Shown again (after a fullscreen window or the locker went): whatever came meanwhile may
    // be over it.
    connect(window, &QWindow::visibleChanged, this, [this](bool visible) {
        if (visible) {
            restack();
            readEvents();
        }
    });
    restack();
    readEvents();
}

// What this connection listens to on a window: the union of the reasons it is watched.
void X11DesktopActivity::selectOn(quint32 window) {
    if (window == 0) {
        return;
    }
    quint32 mask = 0;
    if (window == root_) {
        mask |= XCB_EVENT_MASK_PROPERTY_CHANGE;
    }
    if (window == active_) {
        mask |= XCB_EVENT_MASK_PROPERTY_CHANGE;
        // Where a fullscreen window is matters; where any other is does not, and it may be
        // dragged about.
        if (fullscreen_) {
            mask |= XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        }
    }
    if (window == locker_) {
        mask |= XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    }
    if (window == keptId_) {
        mask |= XCB_EVENT_MASK_VISIBILITY_CHANGE;
    }
    xcb_change_window_attributes(connection_, window, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
}

void X11DesktopActivity::readEvents() {
    if (connection_ == nullptr) {
        return;
    }
    // Handling an event may wait for a reply, and xcb then queues what arrives meanwhile without
    // the socket saying so again: take everything, queued or not.
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        handle(event);
        std::free(event);
    }
    if (xcb_connection_has_error(connection_) != 0) {
        notifier_->setEnabled(false);
    }
}

void X11DesktopActivity::handle(const void* raw) {
    const auto* event = static_cast<const xcb_generic_event_t*>(raw);
    const quint8 type = event->response_type & 0x7f;
    if (hasSaver_ && type == saverEvent_) {
        const auto* e = reinterpret_cast<const xcb_screensaver_notify_event_t*>(event);
        const bool on =
            e->state == XCB_SCREENSAVER_STATE_ON || e->state == XCB_SCREENSAVER_STATE_CYCLE;
        if (on != saverOn_) {
            const bool wasLocked = isScreenLocked();
            saverOn_ = on;
            qCDebug(lcNotch) << "screen saver" << (on ? "on" : "off");
            announceIfChanged(fullscreen_, wasLocked);
        }
        return;
    }
    switch (type) {
    case XCB_PROPERTY_NOTIFY: {
        const auto* e = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if (e->window == root_ && e->atom == activeWindowAtom_) {
            followActiveWindow();
        } else if (e->window == root_ && e->atom == stackingAtom_) {
            // The window manager raised, lowered or mapped one of its windows.
            restack();
        } else if (e->window == active_ && e->atom == stateAtom_) {
            readFullscreen();
        }
        break;
    }
    case XCB_VISIBILITY_NOTIFY: {
        const auto* e = reinterpret_cast<const xcb_visibility_notify_event_t*>(event);
        if (e->window == keptId_ && e->state != XCB_VISIBILITY_UNOBSCURED) {
            restack();
        }
        break;
    }
    case XCB_CONFIGURE_NOTIFY: {
        const auto* e = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
        if (e->window == active_ && fullscreen_) {
            readFullscreen();
        }
        break;
    }
    case XCB_UNMAP_NOTIFY:
    case XCB_DESTROY_NOTIFY: {
        // Both start with the event and window fields at the same place.
        const auto* e = reinterpret_cast<const xcb_unmap_notify_event_t*>(event);
        if (e->window == locker_) {
            setLocker(0);
        }
        break;
    }
    default:
        // Errors about windows that went away in the meantime, among others.
        break;
    }
}

void X11DesktopActivity::followActiveWindow() {
    auto property = xcbReply(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, root_, activeWindowAtom_, XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    quint32 window = 0;
    if (property && property->type == XCB_ATOM_WINDOW && property->format == 32 &&
        xcb_get_property_value_length(property.get()) >= 4) {
        window = *static_cast<const xcb_window_t*>(xcb_get_property_value(property.get()));
    }
    if (window != active_) {
        const quint32 previous = active_;
        active_ = window;
        selectOn(previous);
        selectOn(active_);
        Q_EMIT activeWindowChanged(active_);
    }
    readFullscreen();
}

void X11DesktopActivity::readFullscreen() {
    std::optional<QRectF> fullscreen;
    if (active_ != 0) {
        auto state = xcbReply(xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, active_, stateAtom_, XCB_ATOM_ATOM, 0, 64), nullptr));
        bool isFullscreen = false;
        if (state && state->type == XCB_ATOM_ATOM && state->format == 32) {
            const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(state.get()));
            const int count = xcb_get_property_value_length(state.get()) / 4;
            for (int i = 0; i < count; ++i) {
                isFullscreen = isFullscreen || atoms[i] == fullscreenAtom_;
            }
        }
        if (isFullscreen) {
            const xcb_get_geometry_cookie_t size = xcb_get_geometry(connection_, active_);
            const xcb_translate_coordinates_cookie_t place =
                xcb_translate_coordinates(connection_, active_, root_, 0, 0);
            auto geometry = xcbReply(xcb_get_geometry_reply(connection_, size, nullptr));
            auto origin = xcbReply(xcb_translate_coordinates_reply(connection_, place, nullptr));
            if (geometry && origin) {
                fullscreen = toLogical(
                    QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height));
            }
        }
    }
    const bool wasWatchingMoves = fullscreen_.has_value();
    const std::optional<QRectF> before = fullscreen_;
    fullscreen_ = fullscreen;
    if (wasWatchingMoves != fullscreen_.has_value()) {
        selectOn(active_);
    }
    announceIfChanged(before, isScreenLocked());
}

void X11DesktopActivity::restack() {
    if (keptId_ == 0 || kept_ == nullptr || !kept_->isVisible()) {
        return;
    }
    auto tree =
        xcbReply(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr));
    if (!tree) {
        return;
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    int ours = -1;
    for (int i = 0; i < count; ++i) {
        if (children[i] == keptId_) {
            ours = i;
        }
    }
    if (ours < 0) {
        return;
    }
    // Bottom to top, the windows above ours: asked about all at once.
    std::vector<xcb_window_t> above(children + ours + 1, children + count);
    std::vector<xcb_get_window_attributes_cookie_t> attributeCookies;
    std::vector<xcb_get_geometry_cookie_t> geometryCookies;
    for (xcb_window_t w : above) {
        attributeCookies.push_back(xcb_get_window_attributes(connection_, w));
        geometryCookies.push_back(xcb_get_geometry(connection_, w));
    }
    xcb_window_t highestManaged = 0;
    xcb_window_t locker = 0;
    for (size_t i = 0; i < above.size(); ++i) {
        auto attributes =
            xcbReply(xcb_get_window_attributes_reply(connection_, attributeCookies[i], nullptr));
        auto geometry = xcbReply(xcb_get_geometry_reply(connection_, geometryCookies[i], nullptr));
        // Windows that cannot be seen (a window manager's edge and guard windows) cover
        // nothing.
        if (!attributes || !geometry || attributes->map_state != XCB_MAP_STATE_VIEWABLE ||
            attributes->_class == XCB_WINDOW_CLASS_INPUT_ONLY) {
            continue;
        }
        if (attributes->override_redirect == 0) {
            highestManaged = above[i];
        } else if (coversAWholeScreen(
                       QRect(geometry->x, geometry->y, geometry->width, geometry->height))) {
            locker = above[i];
        }
    }
    setLocker(locker);
    if (highestManaged == 0 || isScreenLocked()) {
        return;
    }
    if (!raiseWindow_.isValid() || raiseWindow_.elapsed() > 1000) {
        raiseWindow_.start();
        raises_ = 0;
    }
    if (++raises_ > 10) {
        return;
    }
    qCDebug(lcNotch) << "a window came over the pill: raised above it";
    // Just above the highest managed window, below menus and tooltips that bypass the window
    // manager as ours does.
    const quint32 values[] = {highestManaged, XCB_STACK_MODE_ABOVE};
    xcb_configure_window(connection_, keptId_,
                         XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
    xcb_flush(connection_);
}

void X11DesktopActivity::setLocker(quint32 window) {
    if (window == locker_) {
        return;
    }
    const bool wasLocked = isScreenLocked();
    const quint32 previous = locker_;
    locker_ = window;
    selectOn(previous);
    selectOn(locker_);
    qCDebug(lcNotch) << "a window covering the screen" << (window != 0 ? "came" : "went");
    announceIfChanged(fullscreen_, wasLocked);
}

void X11DesktopActivity::announceIfChanged(const std::optional<QRectF>& fullscreen, bool locked) {
    if (fullscreen != fullscreen_ || locked != isScreenLocked()) {
        Q_EMIT changed();
    }
}
