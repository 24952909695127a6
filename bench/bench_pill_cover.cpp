// How long a normal window stays over the pill: two managed windows that both overlap the pill
// take turns being activated (as a click on them would), and a window raised away from the
// pill is moved over it. Each time, the stacking order is polled until the pill is above the
// window again. Prints figures; run it on a display where Hodgebin and a window manager run
// (bench/pill-stacking.sh sets one up).
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

xcb_connection_t* c = nullptr;
xcb_window_t root = 0;

xcb_atom_t atom(const char* name) {
    auto* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

std::string windowName(xcb_window_t w) {
    auto* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0, 256), nullptr);
    std::string name;
    if (reply != nullptr) {
        name.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                    size_t(xcb_get_property_value_length(reply)));
    }
    std::free(reply);
    return name;
}

std::vector<xcb_window_t> stacking() {
    auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    std::vector<xcb_window_t> children;
    if (tree != nullptr) {
        const xcb_window_t* ids = xcb_query_tree_children(tree);
        children.assign(ids, ids + xcb_query_tree_children_length(tree));
    }
    std::free(tree);
    return children;
}

// The child of the root that holds w (its frame under a reparenting window manager).
xcb_window_t topLevel(xcb_window_t w) {
    for (;;) {
        auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr);
        if (tree == nullptr) {
            return w;
        }
        const xcb_window_t parent = tree->parent;
        std::free(tree);
        if (parent == root || parent == XCB_WINDOW_NONE) {
            return w;
        }
        w = parent;
    }
}

xcb_window_t findPill() {
    for (xcb_window_t w : stacking()) {
        if (windowName(w) == "Hodgebin notch") {
            return w;
        }
    }
    return 0;
}

bool pillAbove(xcb_window_t pill, xcb_window_t frame) {
    const std::vector<xcb_window_t> order = stacking();
    const auto p = std::find(order.begin(), order.end(), pill);
    const auto f = std::find(order.begin(), order.end(), frame);
    return p != order.end() && f != order.end() && p > f;
}

xcb_window_t makeWindow(int x, int y, const char* title) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t w = xcb_generate_id(c);
    const uint32_t values[] = {screen->white_pixel};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, root, int16_t(x), int16_t(y), 500, 200, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL,
                      values);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        uint32_t(std::strlen(title)), title);
    // WM_NORMAL_HINTS with a position the user chose, so the window manager keeps it there.
    uint32_t hints[18] = {};
    hints[0] = 1 | 4; // USPosition | PPosition
    hints[1] = uint32_t(x);
    hints[2] = uint32_t(y);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NORMAL_HINTS,
                        XCB_ATOM_WM_SIZE_HINTS, 32, 18, hints);
    xcb_map_window(c, w);
    xcb_flush(c);
    return w;
}

void activate(xcb_window_t w) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = w;
    event.type = atom("_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 2; // from a pager: the user asked for it
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c);
}

void moveTo(xcb_window_t w, int x, int y) {
    const uint32_t values[] = {uint32_t(x), uint32_t(y)};
    xcb_configure_window(c, w, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values);
    xcb_flush(c);
}

// Milliseconds until the pill is above the frame again; -1 when it was not within 2 s.
double untilPillAbove(xcb_window_t pill, xcb_window_t frame, Clock::time_point since) {
    while (Clock::now() - since < std::chrono::seconds(2)) {
        if (pillAbove(pill, frame)) {
            return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return -1;
}

void report(const char* what, std::vector<double> ms) {
    const long lost = std::count(ms.begin(), ms.end(), -1.0);
    std::erase(ms, -1.0);
    std::sort(ms.begin(), ms.end());
    if (ms.empty()) {
        std::printf("%s: the pill never came back above it (%ld tries)\n", what, lost);
        return;
    }
    std::printf("%s: pill above again after median %.1f ms, max %.1f ms (%zu tries, %ld never)\n",
                what, ms[ms.size() / 2], ms.back(), ms.size(), lost);
}

} // namespace

int main() {
    c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c) != 0) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_window_t pill = findPill();
    if (pill == 0) {
        std::fprintf(stderr, "no pill on this display\n");
        return 1;
    }
    // Both overlap the top centre, where the pill is.
    const xcb_window_t a = makeWindow(700, 0, "cover a");
    const xcb_window_t b = makeWindow(720, 10, "cover b");
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    const xcb_window_t frameA = topLevel(a);
    const xcb_window_t frameB = topLevel(b);

    std::vector<double> raised;
    for (int i = 0; i < 20; ++i) {
        const xcb_window_t w = i % 2 == 0 ? a : b;
        const Clock::time_point start = Clock::now();
        activate(w);
        raised.push_back(untilPillAbove(pill, w == a ? frameA : frameB, start));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    report("window activated over the pill", raised);

    std::vector<double> moved;
    for (int i = 0; i < 10; ++i) {
        moveTo(a, 700, 500);
        activate(a);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const Clock::time_point start = Clock::now();
        moveTo(a, 700, 0);
        moved.push_back(untilPillAbove(pill, frameA, start));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    report("window moved over the pill", moved);
    xcb_disconnect(c);
    return 0;
}
