#pragma once

#include <QFlags>
#include <QtCore/qnamespace.h>
#include <QtGlobal>

#include <functional>
#include <optional>

// Input seen by a monitor, whatever program it went to, in Qt's terms.
struct InputEvent {
    enum Type { MouseMove = 0x1, KeyPress = 0x2 };
    Q_DECLARE_FLAGS(Types, Type)

    Type type = MouseMove;
    // For a move: the buttons held, of which only the left one is told (a drag).
    Qt::MouseButtons buttons;
    // For a key press: the key as the keyboard layout types it (a character, an editing key
    // or a function key); Qt::Key_unknown for other keys, which are of no interest here.
    Qt::Key key = Qt::Key_unknown;
    // The physical key left of 1 (XKB's TLDE), whatever the layout types with it.
    bool isKeyLeftOfOne = false;
    Qt::KeyboardModifiers modifiers;
    // Caps Lock is a lock, not one of Qt's modifiers.
    bool capsLock = false;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(InputEvent::Types)

// Watching input without taking it: a monitor only looks, it never grabs or consumes an event.
// Global monitors see what goes to other programs (while none of ours is active); local
// monitors what goes to this one. Handlers run on the main thread; a burst of pointer motion
// arrives as one event.
class EventMonitors {
public:
    using Token = quint64;
    using Handler = std::function<void(const InputEvent&)>;

    virtual ~EventMonitors() = default;

    // Nothing when the desktop cannot deliver such events.
    virtual std::optional<Token> addGlobalMonitor(InputEvent::Types types, Handler handler) = 0;
    virtual std::optional<Token> addLocalMonitor(InputEvent::Types types, Handler handler) = 0;
    // Unknown or already removed tokens are ignored.
    virtual void removeMonitor(Token token) = 0;
};
