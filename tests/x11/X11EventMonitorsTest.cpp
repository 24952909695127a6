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
    EXPECT_EQ(monitors.selectedTypes(), InputEvent::Types());
    std::vector<InputEvent> keys;
    const auto token = monitors.addGlobalMonitor(
        InputEvent::KeyPress, [&keys](const InputEvent& e) { keys.push_back(e); });
    ASSERT_TRUE(token.has_value());
    EXPECT_EQ(monitors.selectedTypes(), InputEvent::KeyPress);

    const auto typed = [&keys](const QString& combo) -> std::optional<InputEvent> {
        keys.clear();
        xdotool({QStringLiteral("key"), combo});
        // The modifiers go down before the key: wait for the key itself.
        processEventsUntil(
            [&keys] {
                return std::any_of(keys.begin(), keys.end(),
                                   [](const InputEvent& e) { return e.isKeyLeftOfOne; });
            },
            5000);
        for (const InputEvent& e : keys) {
            if (e.isKeyLeftOfOne) {
                return e;
            }
        }
        return std::nullopt;
    };

    const auto plain = typed(QStringLiteral("grave"));
    ASSERT_TRUE(plain.has_value());
    EXPECT_EQ(plain->type, InputEvent::KeyPress);
    EXPECT_EQ(plain->key, Qt::Key_QuoteLeft);
    EXPECT_EQ(plain->modifiers, Qt::NoModifier);
    EXPECT_FALSE(plain->capsLock);

    const auto shifted = typed(QStringLiteral("shift+grave"));
    ASSERT_TRUE(shifted.has_value());
    EXPECT_EQ(shifted->modifiers, Qt::ShiftModifier);
    EXPECT_EQ(shifted->key, Qt::Key_AsciiTilde);
    const auto combined = typed(QStringLiteral("ctrl+super+grave"));
    ASSERT_TRUE(combined.has_value());
    EXPECT_EQ(combined->modifiers, Qt::ControlModifier | Qt::MetaModifier);

    xdotool({QStringLiteral("key"), QStringLiteral("Caps_Lock")});
    const auto locked = typed(QStringLiteral("grave"));
    xdotool({QStringLiteral("key"), QStringLiteral("Caps_Lock")});
    ASSERT_TRUE(locked.has_value());
    EXPECT_TRUE(locked->capsLock);
    EXPECT_EQ(locked->modifiers, Qt::NoModifier);

    // Other keys never pass for the key left of 1, and carry Qt's keys.
    for (const auto& [typedKey, expected] : {std::pair{"1", Qt::Key_1},
                                             {"a", Qt::Key_A},
                                             {"BackSpace", Qt::Key_Backspace},
                                             {"F12", Qt::Key_F12}}) {
        keys.clear();
        xdotool({QStringLiteral("key"), QLatin1String(typedKey)});
        EXPECT_TRUE(processEventsUntil(
            [&keys, expected] {
                return std::any_of(keys.begin(), keys.end(),
                                   [expected](const InputEvent& e) { return e.key == expected; });
            },
            5000))
            << typedKey;
        for (const InputEvent& e : keys) {
            EXPECT_FALSE(e.isKeyLeftOfOne) << typedKey;
        }
    }

    monitors.removeMonitor(*token);
    EXPECT_EQ(monitors.selectedTypes(), InputEvent::Types());
}

TEST(X11EventMonitors, MotionArrivesCoalescedAndTellsADragWithTheLeftButton) {
    X11EventMonitors monitors;
    std::vector<InputEvent> moves;
    const auto token = monitors.addGlobalMonitor(
        InputEvent::MouseMove, [&moves](const InputEvent& e) { moves.push_back(e); });
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
    EXPECT_EQ(moves.back().type, InputEvent::MouseMove);
    EXPECT_EQ(moves.back().buttons, Qt::NoButton);

    moves.clear();
    xdotool({QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("mousemove_relative"),
             QStringLiteral("--"), QStringLiteral("5"), QStringLiteral("5")});
    const bool dragged = processEventsUntil(
        [&moves] { return !moves.empty() && moves.back().buttons == Qt::LeftButton; }, 5000);
    xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
    EXPECT_TRUE(dragged);
    monitors.removeMonitor(*token);
}
