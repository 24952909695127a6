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

    std::optional<Token> addGlobalMonitor(quint64 mask, Handler handler) override;
    std::optional<Token> addLocalMonitor(quint64 mask, Handler handler) override;
    void removeMonitor(Token token) override;

    // The fixed key code of an X key code (evdev numbering).
    static int keyCodeFromX11(quint32 x11KeyCode);

    // What is selected on the server now: 0, or the union of the installed monitors' masks.
    quint64 selectedMask() const { return selectedMask_; }

private:
    struct Monitor {
        Token token;
        quint64 mask;
        bool global;
        std::shared_ptr<Handler> handler;
    };

    std::optional<Token> add(quint64 mask, bool global, Handler handler);
    bool ensureConnection();
    void setUpKeyboardState();
    void updateSelection();
    void readEvents();
    void handleKeyPress(quint32 x11KeyCode);
    quint32 modifierFlags(quint32 x11KeyCode) const;
    void deliver(const InputEvent& event);

    std::vector<Monitor> monitors_;
    Token nextToken_ = 1;
    quint64 selectedMask_ = 0;

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
    bool leftButtonDown_ = false;
};
