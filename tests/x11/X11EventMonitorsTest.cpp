#include "platform/x11/X11EventMonitors.h"
#include "EventLoop.h"
#include "X11TestDesktop.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

void xdotool(const QStringList& args) {
    const auto r = x11TestDesktop().run(QStringLiteral("xdotool"), args);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
}

} // namespace

TEST(X11EventMonitors, KeysTypedElsewhereArriveWithTheirModifiersOnlyWhileAMonitorIsInstalled) {
    X11EventMonitors monitors;
    EXPECT_EQ(monitors.selectedMask(), 0u);
    std::vector<InputEvent> keys;
    const auto token = monitors.addGlobalMonitor(
        InputEvent::KeyDownMask, [&keys](const InputEvent& e) { keys.push_back(e); });
    ASSERT_TRUE(token.has_value());
    EXPECT_EQ(monitors.selectedMask(), InputEvent::KeyDownMask);

    const auto typed = [&keys](const QString& combo) -> std::optional<InputEvent> {
        keys.clear();
        xdotool({QStringLiteral("key"), combo});
        // The modifiers go down before the key: wait for the key itself.
        processEventsUntil(
            [&keys] {
                return std::any_of(keys.begin(), keys.end(), [](const InputEvent& e) {
                    return e.keyCode == InputEvent::GraveKeyCode;
                });
            },
            5000);
        for (const InputEvent& e : keys) {
            if (e.keyCode == InputEvent::GraveKeyCode) {
                return e;
            }
        }
        return std::nullopt;
    };

    const auto plain = typed(QStringLiteral("grave"));
    ASSERT_TRUE(plain.has_value());
    EXPECT_EQ(plain->type, InputEvent::Type::KeyDown);
    EXPECT_EQ(plain->modifierFlags, 0u);

    const auto shifted = typed(QStringLiteral("shift+grave"));
    ASSERT_TRUE(shifted.has_value());
    EXPECT_EQ(shifted->modifierFlags, InputEvent::ShiftFlag);
    const auto combined = typed(QStringLiteral("ctrl+super+grave"));
    ASSERT_TRUE(combined.has_value());
    EXPECT_EQ(combined->modifierFlags, InputEvent::ControlFlag | InputEvent::CommandFlag);

    xdotool({QStringLiteral("key"), QStringLiteral("Caps_Lock")});
    const auto locked = typed(QStringLiteral("grave"));
    xdotool({QStringLiteral("key"), QStringLiteral("Caps_Lock")});
    ASSERT_TRUE(locked.has_value());
    EXPECT_EQ(locked->modifierFlags, InputEvent::CapsLockFlag);

    // Other keys never pass for the grave key.
    keys.clear();
    xdotool({QStringLiteral("key"), QStringLiteral("1")});
    processEventsUntil([&keys] { return !keys.empty(); }, 5000);
    ASSERT_FALSE(keys.empty());
    for (const InputEvent& e : keys) {
        EXPECT_NE(e.keyCode, InputEvent::GraveKeyCode);
    }

    monitors.removeMonitor(*token);
    EXPECT_EQ(monitors.selectedMask(), 0u);
}

TEST(X11EventMonitors, MotionArrivesCoalescedAndTellsADragWithTheLeftButton) {
    X11EventMonitors monitors;
    std::vector<InputEvent> moves;
    const auto token =
        monitors.addGlobalMonitor(InputEvent::MouseMovedMask | InputEvent::LeftMouseDraggedMask,
                                  [&moves](const InputEvent& e) { moves.push_back(e); });
    ASSERT_TRUE(token.has_value());

    // Ten moves sent at once arrive as fewer deliveries, never more.
    QStringList burst;
    for (int i = 0; i < 10; ++i) {
        burst << QStringLiteral("mousemove_relative") << QStringLiteral("--") << QStringLiteral("3")
              << QStringLiteral("0");
    }
    xdotool(burst);
    ASSERT_TRUE(processEventsUntil([&moves] { return !moves.empty(); }, 5000));
    processEventsUntil([] { return false; }, 200);
    EXPECT_LE(moves.size(), 10u);
    EXPECT_EQ(moves.back().type, InputEvent::Type::MouseMoved);

    moves.clear();
    xdotool({QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("mousemove_relative"),
             QStringLiteral("--"), QStringLiteral("5"), QStringLiteral("5")});
    const bool dragged = processEventsUntil(
        [&moves] {
            return !moves.empty() && moves.back().type == InputEvent::Type::LeftMouseDragged;
        },
        5000);
    xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
    EXPECT_TRUE(dragged);
    monitors.removeMonitor(*token);
}
