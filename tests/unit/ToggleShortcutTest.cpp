#include "settings/ToggleShortcut.h"
#include "fakes/FakeEventMonitors.h"
#include "fakes/ManualMainQueue.h"
#include "fakes/MemoryUserDefaults.h"
#include "settings/SettingsManager.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

struct Keys {
    FakeEventMonitors monitors;
    ManualMainQueue queue;
    MemoryUserDefaults defaults;
    SettingsManager settings{defaults};
    ToggleShortcut shortcut{monitors, queue, settings};
    QSignalSpy triggered{&shortcut, &ToggleShortcut::triggered};

    // Types one key in another program after the given pause; answers whether it toggled.
    bool press(const InputEvent& key, double after = 1.0) {
        queue.advance(after);
        const qsizetype before = triggered.count();
        monitors.pressKey(key);
        return triggered.count() > before;
    }
};

InputEvent typed(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    InputEvent event;
    event.key = key;
    event.modifiers = modifiers;
    return event;
}

InputEvent grave() {
    InputEvent event = typed(Qt::Key_QuoteLeft);
    event.isKeyLeftOfOne = true;
    return event;
}

} // namespace

TEST(ToggleShortcut, TheKeyLeftOfOneIsIgnoredRightAfterTypingButWorksAfterAPause) {
    Keys keys;
    EXPECT_TRUE(keys.press(grave()));

    // "run `ls` now", typed at a quick but ordinary pace: neither backtick toggles.
    const QString line = QStringLiteral("run `ls` now");
    for (const QChar c : line) {
        const InputEvent key =
            c == QLatin1Char('`') ? grave() : typed(Qt::Key(c.toUpper().unicode()));
        EXPECT_FALSE(keys.press(key, 0.15)) << "at " << c.toLatin1();
    }
    // An ignored backtick was typed too: a second one right after it is still typing.
    EXPECT_FALSE(keys.press(grave(), 0.3));
    // The pause is measured from the last key that typed something.
    EXPECT_TRUE(keys.press(grave(), ToggleShortcut::typingPause));

    // Editing keys and dead keys are typing; shortcuts, modifiers alone and keys without text
    // are not.
    for (const InputEvent& key :
         {typed(Qt::Key_Backspace), typed(Qt::Key_Return), typed(Qt::Key_Dead_Circumflex),
          typed(Qt::Key_A, Qt::ShiftModifier), typed(Qt::Key_At, Qt::GroupSwitchModifier)}) {
        keys.press(key);
        EXPECT_FALSE(keys.press(grave(), 0.2)) << key.key;
    }
    for (const InputEvent& key : {typed(Qt::Key_C, Qt::ControlModifier), typed(Qt::Key_unknown),
                                  typed(Qt::Key_Escape), typed(Qt::Key_F5)}) {
        keys.press(key);
        EXPECT_TRUE(keys.press(grave(), 0.2)) << key.key;
    }
}

TEST(ToggleShortcut, TheChosenShortcutIsTheOnlyOneAndIsKeptInTheSettings) {
    Keys keys;
    keys.settings.setShortcutCombination(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_H));
    keys.settings.setShortcutKind(SettingsManager::ShortcutKind::combination);
    EXPECT_FALSE(keys.press(grave()));
    EXPECT_FALSE(keys.press(typed(Qt::Key_H, Qt::ControlModifier)));
    EXPECT_FALSE(
        keys.press(typed(Qt::Key_H, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier)));
    // A combination is no typing: it works in the middle of a word, and with Num Lock's keypad
    // flag or AltGr's group held.
    keys.press(typed(Qt::Key_X));
    EXPECT_TRUE(keys.press(typed(Qt::Key_H, Qt::ControlModifier | Qt::AltModifier), 0.05));
    EXPECT_TRUE(keys.press(
        typed(Qt::Key_H, Qt::ControlModifier | Qt::AltModifier | Qt::GroupSwitchModifier)));

    // Read back as a new run would.
    SettingsManager reread(keys.defaults);
    EXPECT_EQ(reread.shortcutKind(), SettingsManager::ShortcutKind::combination);
    EXPECT_EQ(reread.shortcutCombination(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_H));

    keys.settings.setShortcutKind(SettingsManager::ShortcutKind::none);
    EXPECT_FALSE(keys.press(grave()));
    EXPECT_FALSE(keys.press(typed(Qt::Key_H, Qt::ControlModifier | Qt::AltModifier)));
    // Back to the key left of 1; the recorded combination is kept for later.
    keys.settings.setShortcutKind(SettingsManager::ShortcutKind::grave);
    EXPECT_TRUE(keys.press(grave()));
    EXPECT_EQ(SettingsManager(keys.defaults).shortcutCombination(),
              QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_H));
}

TEST(ToggleShortcut, StoredShortcutsThatMakeNoSenseFallBackToTheKeyLeftOfOne) {
    for (const auto& [kind, combination] :
         {std::pair{QStringLiteral("banana"), QStringLiteral("Ctrl+H")},
          std::pair{QStringLiteral("combination"), QStringLiteral("")},
          std::pair{QStringLiteral("combination"), QStringLiteral("Ctrl+Nonsense")}}) {
        MemoryUserDefaults defaults;
        defaults.values = {{SettingsManager::shortcutKindKey, kind},
                           {SettingsManager::shortcutCombinationKey, combination}};
        SettingsManager settings(defaults);
        EXPECT_EQ(settings.shortcutKind(), SettingsManager::ShortcutKind::grave)
            << kind.toStdString();
        EXPECT_FALSE(defaults.writes.contains(SettingsManager::shortcutKindKey));
    }
}
