#pragma once

#include "platform/EventMonitors.h"

#include <QObject>

#include <memory>
#include <vector>

class QSocketNotifier;
struct xcb_connection_t;
struct xkb_context;
struct xkb_keymap;
struct xkb_state;

// Watches input with XInput2 raw events on the root window, over an X connection of its own
// that the event loop reads through a socket notifier. Raw events are passive: no key or
// button is ever grabbed, so the program in front still gets everything. Only the kinds of
// event that some installed monitor asks for are selected, and none while no monitor is
// installed, so an idle program is not woken by the user's typing or pointing.
class X11EventMonitors final : public QObject, public EventMonitors {
    Q_OBJECT
public:
    explicit X11EventMonitors(QObject* parent = nullptr);
    ~X11EventMonitors() override;

    std::optional<Token> addGlobalMonitor(InputEvent::Types types, Handler handler) override;
    std::optional<Token> addLocalMonitor(InputEvent::Types types, Handler handler) override;
    void removeMonitor(Token token) override;

    // The Qt key of an X keysym: characters, and the keys without one that have a name in Qt's
    // key enum here; Qt::Key_unknown for the rest.
    static Qt::Key keyFromKeysym(quint32 keysym);

    // What is selected on the server now: nothing, or what the installed monitors ask for.
    InputEvent::Types selectedTypes() const { return selectedTypes_; }

private:
    struct Monitor {
        Token token;
        InputEvent::Types types;
        bool global;
        std::shared_ptr<Handler> handler;
    };

    std::optional<Token> add(InputEvent::Types types, bool global, Handler handler);
    bool ensureConnection();
    void setUpKeyboardState();
    void updateSelection();
    void readEvents();
    void handleKeyPress(quint32 x11KeyCode);
    Qt::KeyboardModifiers modifiers(quint32 x11KeyCode) const;
    void deliver(const InputEvent& event);

    std::vector<Monitor> monitors_;
    Token nextToken_ = 1;
    InputEvent::Types selectedTypes_;

    xcb_connection_t* connection_ = nullptr;
    bool connectionFailed_ = false;
    quint32 root_ = 0;
    quint8 xinputOpcode_ = 0;
    quint8 xkbEventBase_ = 0;
    qint32 keyboardDevice_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    xkb_context* xkbContext_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* keyboardState_ = nullptr;
    // The X key code of the key left of 1; its evdev code until the keymap says.
    quint32 keyLeftOfOne_ = 49;
    bool leftButtonDown_ = false;
};
