#include "platform/x11/X11EventMonitors.h"

#include "platform/Logging.h"
#include "platform/x11/X11OwnConnection.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xinput.h>
// The XKB protocol header names a struct member "explicit".
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cstdlib>

namespace {

bool isActive(xkb_state* state, const char* name) {
    return xkb_state_mod_name_is_active(state, name, XKB_STATE_MODS_EFFECTIVE) > 0;
}

} // namespace

X11EventMonitors::X11EventMonitors(QObject* parent)
    : QObject(parent) {}

X11EventMonitors::~X11EventMonitors() {
    delete notifier_;
    if (keyboardState_ != nullptr) {
        xkb_state_unref(keyboardState_);
    }
    if (keymap_ != nullptr) {
        xkb_keymap_unref(keymap_);
    }
    if (xkbContext_ != nullptr) {
        xkb_context_unref(xkbContext_);
    }
    if (connection_ != nullptr) {
        xcb_disconnect(connection_);
    }
}

Qt::Key X11EventMonitors::keyFromKeysym(quint32 keysym) {
    switch (keysym) {
    case XKB_KEY_BackSpace:
        return Qt::Key_Backspace;
    case XKB_KEY_Tab:
        return Qt::Key_Tab;
    case XKB_KEY_ISO_Left_Tab:
        return Qt::Key_Backtab;
    case XKB_KEY_Return:
        return Qt::Key_Return;
    case XKB_KEY_KP_Enter:
        return Qt::Key_Enter;
    case XKB_KEY_Escape:
        return Qt::Key_Escape;
    case XKB_KEY_Delete:
    case XKB_KEY_KP_Delete:
        return Qt::Key_Delete;
    case XKB_KEY_Help:
        return Qt::Key_Help;
    default:
        break;
    }
    // Function keys, for shortcuts the user records.
    if (keysym >= XKB_KEY_F1 && keysym <= XKB_KEY_F35) {
        return Qt::Key(Qt::Key_F1 + int(keysym - XKB_KEY_F1));
    }
    // Keys that type a character are named by it, upper case for letters, as Qt names them.
    const quint32 ucs = xkb_keysym_to_utf32(keysym);
    if (ucs < 0x20 || (ucs >= 0x7f && ucs < 0xa0) || ucs > 0xffff) {
        return Qt::Key_unknown;
    }
    return Qt::Key(QChar(char16_t(ucs)).toUpper().unicode());
}

std::optional<EventMonitors::Token> X11EventMonitors::addGlobalMonitor(InputEvent::Types types,
                                                                       Handler handler) {
    return add(types, true, std::move(handler));
}

std::optional<EventMonitors::Token> X11EventMonitors::addLocalMonitor(InputEvent::Types types,
                                                                      Handler handler) {
    return add(types, false, std::move(handler));
}

std::optional<EventMonitors::Token> X11EventMonitors::add(InputEvent::Types types, bool global,
                                                          Handler handler) {
    if (!handler || !ensureConnection()) {
        return std::nullopt;
    }
    const Token token = nextToken_++;
    monitors_.push_back({token, types, global, std::make_shared<Handler>(std::move(handler))});
    updateSelection();
    return token;
}

void X11EventMonitors::removeMonitor(Token token) {
    std::erase_if(monitors_, [token](const Monitor& m) { return m.token == token; });
    updateSelection();
}

bool X11EventMonitors::ensureConnection() {
    if (connection_ != nullptr) {
        return true;
    }
    if (connectionFailed_ || QGuiApplication::platformName() != QLatin1String("xcb")) {
        return false;
    }
    connectionFailed_ = true;
    const std::optional<X11OwnConnection> own = X11OwnConnection::open();
    if (!own) {
        return false;
    }
    xcb_connection_t* c = own->connection;
    const xcb_query_extension_reply_t* xinput = xcb_get_extension_data(c, &xcb_input_id);
    if (xinput == nullptr || xinput->present == 0) {
        xcb_disconnect(c);
        return false;
    }
    // Raw events reach us during other clients' grabs only from version 2.1 on.
    xcb_input_xi_query_version_reply_t* version =
        xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr);
    const bool recent =
        version != nullptr && (version->major_version > 2 ||
                               (version->major_version == 2 && version->minor_version >= 1));
    std::free(version);
    if (!recent) {
        xcb_disconnect(c);
        return false;
    }
    connection_ = c;
    connectionFailed_ = false;
    root_ = own->root;
    xinputOpcode_ = xinput->major_opcode;
    setUpKeyboardState();

    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(c), QSocketNotifier::Read);
    connect(notifier_, &QSocketNotifier::activated, this, &X11EventMonitors::readEvents);
    return true;
}

void X11EventMonitors::setUpKeyboardState() {
    // Raw key events carry no modifier state: XKB's own state events keep a copy of it.
    quint8 eventBase = 0;
    if (xkb_x11_setup_xkb_extension(
            connection_, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, &eventBase, nullptr) == 0) {
        return;
    }
    xkbEventBase_ = eventBase;
    keyboardDevice_ = xkb_x11_get_core_keyboard_device_id(connection_);
    if (keyboardDevice_ < 0) {
        return;
    }
    if (xkbContext_ == nullptr) {
        xkbContext_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    }
    if (xkbContext_ == nullptr) {
        return;
    }
    xkb_keymap* keymap = xkb_x11_keymap_new_from_device(xkbContext_, connection_, keyboardDevice_,
                                                        XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap == nullptr) {
        return;
    }
    xkb_state* state = xkb_x11_state_new_from_device(keymap, connection_, keyboardDevice_);
    if (state == nullptr) {
        xkb_keymap_unref(keymap);
        return;
    }
    if (keyboardState_ != nullptr) {
        xkb_state_unref(keyboardState_);
    }
    if (keymap_ != nullptr) {
        xkb_keymap_unref(keymap_);
    }
    keymap_ = keymap;
    keyboardState_ = state;
    if (const xkb_keycode_t tilde = xkb_keymap_key_by_name(keymap, "TLDE");
        tilde != XKB_KEYCODE_INVALID) {
        keyLeftOfOne_ = tilde;
    }
    const quint16 events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY |
                           XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
    xcb_xkb_select_events(connection_, quint16(keyboardDevice_), events, 0, events, 0xff, 0xff,
                          nullptr);
    xcb_flush(connection_);
}

void X11EventMonitors::updateSelection() {
    InputEvent::Types wanted;
    for (const Monitor& m : monitors_) {
        wanted |= m.types;
    }
    if (connection_ == nullptr || wanted == selectedTypes_) {
        return;
    }
    selectedTypes_ = wanted;
    quint32 bits = 0;
    if (wanted.testFlag(InputEvent::MouseMove)) {
        // Buttons too, to tell a drag with the left button from a plain move.
        bits |= XCB_INPUT_XI_EVENT_MASK_RAW_MOTION | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS |
                XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE;
    }
    if (wanted.testFlag(InputEvent::KeyPress)) {
        bits |= XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS;
    }
    struct {
        xcb_input_event_mask_t head;
        quint32 mask;
    } selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, bits};
    qCDebug(lcNotch) << "raw input selected: motion"
                     << ((bits & XCB_INPUT_XI_EVENT_MASK_RAW_MOTION) != 0) << "keys"
                     << ((bits & XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS) != 0);
    xcb_input_xi_select_events(connection_, root_, 1, &selection.head);
    xcb_flush(connection_);
    if (bits == 0) {
        leftButtonDown_ = false;
    }
}

void X11EventMonitors::readEvents() {
    if (connection_ == nullptr) {
        return;
    }
    if (xcb_connection_has_error(connection_) != 0) {
        // The server went away; stop listening rather than spin on a dead socket.
        notifier_->setEnabled(false);
        return;
    }
    bool moved = false;
    bool dragged = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        const quint8 type = event->response_type & 0x7f;
        if (type == XCB_GE_GENERIC) {
            auto* ge = reinterpret_cast<xcb_ge_generic_event_t*>(event);
            auto* raw = reinterpret_cast<xcb_input_raw_key_press_event_t*>(event);
            if (ge->extension == xinputOpcode_) {
                switch (ge->event_type) {
                case XCB_INPUT_RAW_MOTION:
                    moved = true;
                    dragged = dragged || leftButtonDown_;
                    break;
                case XCB_INPUT_RAW_BUTTON_PRESS:
                    leftButtonDown_ = leftButtonDown_ || raw->detail == 1;
                    break;
                case XCB_INPUT_RAW_BUTTON_RELEASE:
                    leftButtonDown_ = leftButtonDown_ && raw->detail != 1;
                    break;
                case XCB_INPUT_RAW_KEY_PRESS:
                    handleKeyPress(raw->detail);
                    break;
                default:
                    break;
                }
            }
        } else if (xkbEventBase_ != 0 && type == xkbEventBase_ && keyboardState_ != nullptr) {
            const quint8 xkbType = reinterpret_cast<const quint8*>(event)[1];
            if (xkbType == XCB_XKB_STATE_NOTIFY) {
                auto* s = reinterpret_cast<xcb_xkb_state_notify_event_t*>(event);
                xkb_state_update_mask(keyboardState_, s->baseMods, s->latchedMods, s->lockedMods,
                                      xkb_layout_index_t(s->baseGroup),
                                      xkb_layout_index_t(s->latchedGroup), s->lockedGroup);
            } else if (xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || xkbType == XCB_XKB_MAP_NOTIFY) {
                std::free(event);
                // A new layout or keyboard: read the keymap again (this makes round trips, so
                // events queued meanwhile are read on the next pass).
                setUpKeyboardState();
                continue;
            }
        }
        std::free(event);
    }
    // A burst of motion is one move, at wherever the pointer is now.
    if (moved) {
        InputEvent event;
        event.type = InputEvent::MouseMove;
        event.buttons = dragged ? Qt::LeftButton : Qt::NoButton;
        deliver(event);
    }
}

void X11EventMonitors::handleKeyPress(quint32 x11KeyCode) {
    InputEvent event;
    event.type = InputEvent::KeyPress;
    event.isKeyLeftOfOne = x11KeyCode == keyLeftOfOne_;
    if (keyboardState_ != nullptr) {
        event.key = keyFromKeysym(xkb_state_key_get_one_sym(keyboardState_, x11KeyCode));
        event.modifiers = modifiers(x11KeyCode);
        event.capsLock = isActive(keyboardState_, XKB_MOD_NAME_CAPS);
    }
    deliver(event);
}

Qt::KeyboardModifiers X11EventMonitors::modifiers(quint32 x11KeyCode) const {
    Qt::KeyboardModifiers held;
    if (isActive(keyboardState_, XKB_MOD_NAME_SHIFT)) {
        held |= Qt::ShiftModifier;
    }
    if (isActive(keyboardState_, XKB_MOD_NAME_CTRL)) {
        held |= Qt::ControlModifier;
    }
    if (isActive(keyboardState_, XKB_MOD_NAME_ALT)) {
        held |= Qt::AltModifier;
    }
    if (isActive(keyboardState_, XKB_MOD_NAME_LOGO)) {
        held |= Qt::MetaModifier;
    }
    // AltGr, the third level.
    if (isActive(keyboardState_, "Mod5")) {
        held |= Qt::GroupSwitchModifier;
    }
    // Num Lock is left out on purpose: many keep it on all day. Keys of the keypad carry the
    // keypad modifier, as in Qt's own key events.
    const xkb_keysym_t sym = xkb_state_key_get_one_sym(keyboardState_, x11KeyCode);
    if (sym >= XKB_KEY_KP_Space && sym <= XKB_KEY_KP_Equal) {
        held |= Qt::KeypadModifier;
    }
    return held;
}

void X11EventMonitors::deliver(const InputEvent& event) {
    // Our own windows in front: local monitors; another program in front: global ones.
    const bool global = QGuiApplication::applicationState() != Qt::ApplicationActive;
    // A handler may add or remove monitors: one removed on the way is not called.
    std::vector<Token> tokens;
    for (const Monitor& m : monitors_) {
        if (m.global == global && m.types.testFlag(event.type)) {
            tokens.push_back(m.token);
        }
    }
    for (const Token token : tokens) {
        const auto it = std::find_if(monitors_.begin(), monitors_.end(),
                                     [token](const Monitor& m) { return m.token == token; });
        if (it != monitors_.end()) {
            const std::shared_ptr<Handler> handler = it->handler;
            (*handler)(event);
        }
    }
}
