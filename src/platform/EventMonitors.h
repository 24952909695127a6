#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>

// Input events as the logic sees them, whatever program they went to. Key codes, event types
// and modifier bits follow one fixed encoding, independent of the keyboard layout.
struct InputEvent {
    enum class Type { MouseMoved = 5, LeftMouseDragged = 6, KeyDown = 10 };

    // Mask bits for installing monitors: 1 << type.
    static constexpr quint64 MouseMovedMask = 1u << 5;
    static constexpr quint64 LeftMouseDraggedMask = 1u << 6;
    static constexpr quint64 KeyDownMask = 1u << 10;

    // Modifier flags.
    static constexpr quint32 CapsLockFlag = 1u << 16;
    static constexpr quint32 ShiftFlag = 1u << 17;
    static constexpr quint32 ControlFlag = 1u << 18;
    static constexpr quint32 OptionFlag = 1u << 19;
    static constexpr quint32 CommandFlag = 1u << 20;
    static constexpr quint32 NumericPadFlag = 1u << 21;
    static constexpr quint32 HelpFlag = 1u << 22;
    static constexpr quint32 FunctionFlag = 1u << 23;

    // Key codes by position: the key left of "1", and Backspace. Other keys get codes that
    // match neither.
    static constexpr int GraveKeyCode = 50;
    static constexpr int DeleteKeyCode = 51;

    Type type = Type::MouseMoved;
    int keyCode = -1;
    quint32 modifierFlags = 0;
};

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
    virtual std::optional<Token> addGlobalMonitor(quint64 mask, Handler handler) = 0;
    virtual std::optional<Token> addLocalMonitor(quint64 mask, Handler handler) = 0;
    // Unknown or already removed tokens are ignored.
    virtual void removeMonitor(Token token) = 0;
};
