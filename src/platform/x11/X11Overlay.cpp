#include "platform/x11/X11Overlay.h"

#include "platform/Logging.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

xcb_connection_t* qtConnection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

class Raiser final : public QObject, public QAbstractNativeEventFilter {
public:
    Raiser(QWidget* window, xcb_connection_t* connection)
        : QObject(window)
        , window_(window)
        , connection_(connection)
        , id_(xcb_window_t(window->winId())) {
        // Visibility changes of the window, and windows mapped or restacked at the top level
        // (a compositor reports no visibility changes), on top of whatever Qt selected.
        addToEventMask(id_, XCB_EVENT_MASK_VISIBILITY_CHANGE);
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        addToEventMask(root_, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
        xcb_flush(connection_);
        QCoreApplication::instance()->installNativeEventFilter(this);
        burst_.start();
    }

    ~Raiser() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t" || !window_) {
            return false;
        }
        auto* event = static_cast<xcb_generic_event_t*>(message);
        if (!isCovering(event)) {
            return false;
        }
        // Another program that insists on the top too would make us trade places forever:
        // give up for the rest of a second after a burst.
        if (burst_.elapsed() > 1000) {
            burst_.restart();
            raises_ = 0;
        }
        if (++raises_ > 20) {
            return false;
        }
        qCDebug(lcNotch) << "perhaps covered: raised again";
        window_->raise();
        // Qt's event loop may hold the request back until the next X event arrives.
        xcb_flush(connection_);
        return false;
    }

private:
    void addToEventMask(xcb_window_t window, quint32 bits) {
        auto* attributes = xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, window), nullptr);
        if (attributes != nullptr) {
            const quint32 mask = attributes->your_event_mask | bits;
            xcb_change_window_attributes(connection_, window, XCB_CW_EVENT_MASK, &mask);
            std::free(attributes);
        }
    }

    // Whether the event may have put another window over ours.
    bool isCovering(xcb_generic_event_t* event) const {
        switch (event->response_type & 0x7f) {
        case XCB_VISIBILITY_NOTIFY: {
            auto* e = reinterpret_cast<xcb_visibility_notify_event_t*>(event);
            return e->window == id_ && e->state != XCB_VISIBILITY_UNOBSCURED;
        }
        case XCB_MAP_NOTIFY: {
            auto* e = reinterpret_cast<xcb_map_notify_event_t*>(event);
            return e->event == root_ && e->window != id_;
        }
        case XCB_CONFIGURE_NOTIFY: {
            // Another top-level window moved, resized or restacked.
            auto* e = reinterpret_cast<xcb_configure_notify_event_t*>(event);
            return e->event == root_ && e->window != id_;
        }
        default:
            return false;
        }
    }

    QPointer<QWidget> window_;
    xcb_connection_t* connection_;
    xcb_window_t id_;
    xcb_window_t root_ = 0;
    QElapsedTimer burst_;
    int raises_ = 0;
};

} // namespace

namespace X11Overlay {

bool supportsShapes() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

void keepOnTop(QWidget* window) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return;
    }
    window->raise();
    xcb_connection_t* connection = qtConnection();
    if (connection == nullptr) {
        return;
    }
    new Raiser(window, connection);
}

} // namespace X11Overlay
