#pragma once

#include <QByteArray>

#include <xcb/xcb.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <map>
#include <optional>
#include <thread>
#include <vector>

// A clipboard owner written straight against the X protocol: it offers the given types and
// answers each with its bytes, or never answers one whose bytes are absent. A held owner keeps
// the requests for its data unanswered until it is released. Its window may carry a class
// (WM_CLASS: instance, then class) and a process id (_NET_WM_PID), as program windows do.
struct OwnerIdentity {
    QByteArray wmClass;
    uint32_t pid = 0;
};

class SelectionOwner {
public:
    SelectionOwner(const SelectionOwner&) = delete;
    SelectionOwner& operator=(const SelectionOwner&) = delete;

    explicit SelectionOwner(std::map<QByteArray, std::optional<QByteArray>> offers,
                            bool held = false, const OwnerIdentity& identity = {})
        : offers_(std::move(offers))
        , held_(held) {
        connection_ = xcb_connect(nullptr, nullptr);
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        window_ = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        if (!identity.wmClass.isEmpty()) {
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_CLASS,
                                XCB_ATOM_STRING, 8, uint32_t(identity.wmClass.size()),
                                identity.wmClass.constData());
        }
        if (identity.pid != 0) {
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, atom("_NET_WM_PID"),
                                XCB_ATOM_CARDINAL, 32, 1, &identity.pid);
        }
        clipboard_ = atom("CLIPBOARD");
        targets_ = atom("TARGETS");
        for (const auto& [name, bytes] : offers_) {
            atoms_[atom(name)] = name;
        }
        xcb_set_selection_owner(connection_, window_, clipboard_, XCB_CURRENT_TIME);
        // A round trip: the selection is ours once the constructor returns.
        free(xcb_get_selection_owner_reply(
            connection_, xcb_get_selection_owner(connection_, clipboard_), nullptr));
        thread_ = std::thread([this] { serve(); });
    }

    ~SelectionOwner() {
        stop_ = true;
        thread_.join();
        xcb_destroy_window(connection_, window_);
        xcb_disconnect(connection_);
    }

    // Answers the requests kept so far, and those that come later at once.
    void release() { held_ = false; }
    // How many requests for data (not for the list of types) have come.
    int dataRequests() const { return dataRequests_; }

private:
    xcb_atom_t atom(const QByteArray& name) {
        auto reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, uint16_t(name.size()), name.constData()),
            nullptr);
        const xcb_atom_t a = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return a;
    }

    void serve() {
        while (!stop_) {
            if (!held_ && !kept_.empty()) {
                for (const auto& request : kept_) {
                    answer(request);
                }
                kept_.clear();
            }
            xcb_generic_event_t* event = xcb_poll_for_event(connection_);
            if (event == nullptr) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                continue;
            }
            if ((event->response_type & 0x7f) == XCB_SELECTION_REQUEST) {
                const auto& request = *reinterpret_cast<xcb_selection_request_event_t*>(event);
                if (request.target != targets_) {
                    ++dataRequests_;
                }
                if (held_ && request.target != targets_) {
                    kept_.push_back(request);
                } else {
                    answer(request);
                }
            }
            free(event);
        }
    }

    void answer(const xcb_selection_request_event_t& request) {
        xcb_atom_t property = request.property;
        if (request.target == targets_) {
            std::vector<xcb_atom_t> list{targets_};
            for (const auto& [a, name] : atoms_) {
                list.push_back(a);
            }
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, property,
                                XCB_ATOM_ATOM, 32, uint32_t(list.size()), list.data());
        } else if (const auto it = atoms_.find(request.target); it != atoms_.end()) {
            const std::optional<QByteArray>& bytes = offers_.at(it->second);
            if (!bytes) {
                return; // offered, but never sent
            }
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, property,
                                request.target, 8, uint32_t(bytes->size()), bytes->constData());
        } else {
            property = XCB_ATOM_NONE;
        }
        xcb_selection_notify_event_t notify{};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request.time;
        notify.requestor = request.requestor;
        notify.selection = request.selection;
        notify.target = request.target;
        notify.property = property;
        xcb_send_event(connection_, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&notify));
        xcb_flush(connection_);
    }

    std::map<QByteArray, std::optional<QByteArray>> offers_;
    std::map<xcb_atom_t, QByteArray> atoms_;
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t window_ = 0;
    xcb_atom_t clipboard_ = 0;
    xcb_atom_t targets_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> held_{false};
    std::atomic<int> dataRequests_{0};
    std::vector<xcb_selection_request_event_t> kept_;
    std::thread thread_;
};
