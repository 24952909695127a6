#include "settings/ToggleShortcut.h"

#include "platform/MainQueue.h"
#include "settings/SettingsManager.h"

#include <QPointer>

namespace {

constexpr Qt::KeyboardModifiers commandModifiers =
    Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

} // namespace

ToggleShortcut::ToggleShortcut(EventMonitors& monitors, MainQueue& queue, SettingsManager& settings,
                               QObject* parent)
    : QObject(parent)
    , monitors_(monitors)
    , queue_(queue)
    , settings_(settings) {
    // Keys are watched whatever the choice, so that typing is known the moment a shortcut is
    // chosen again.
    QPointer<ToggleShortcut> self(this);
    token_ = monitors_.addGlobalMonitor(InputEvent::KeyPress, [self](const InputEvent& key) {
        if (self) {
            self->keyPressed(key);
        }
    });
}

ToggleShortcut::~ToggleShortcut() {
    if (token_) {
        monitors_.removeMonitor(*token_);
    }
}

bool ToggleShortcut::typesText(const InputEvent& key) {
    if ((key.modifiers & commandModifiers) != Qt::NoModifier || key.key == Qt::Key_unknown) {
        return false;
    }
    // Qt names keys that type a character by that character, below its range of special keys.
    if (key.key < Qt::Key_Escape) {
        return true;
    }
    switch (key.key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return true;
    default:
        // A dead key composes the character typed next.
        return key.key >= Qt::Key_Dead_Grave && key.key <= Qt::Key_Dead_Longsolidusoverlay;
    }
}

bool ToggleShortcut::matches(const InputEvent& key) const {
    switch (settings_.shortcutKind()) {
    case SettingsManager::ShortcutKind::grave:
        // The key left of 1 on its own: with Caps Lock on or any modifier held it is just
        // typed, whatever the layout types with it.
        return key.isKeyLeftOfOne && key.modifiers == Qt::NoModifier && !key.capsLock;
    case SettingsManager::ShortcutKind::combination: {
        const QKeySequence combination = settings_.shortcutCombination();
        if (combination.isEmpty()) {
            return false;
        }
        // The modifiers that make a combination; Caps Lock, Num Lock and AltGr do not.
        constexpr Qt::KeyboardModifiers held = commandModifiers | Qt::ShiftModifier;
        return combination[0].key() == key.key &&
               (combination[0].keyboardModifiers() & held) == (key.modifiers & held);
    }
    case SettingsManager::ShortcutKind::none:
        break;
    }
    return false;
}

void ToggleShortcut::keyPressed(const InputEvent& key) {
    const double now = queue_.uptime();
    const bool typing = lastTypedAt_ && now - *lastTypedAt_ < typingPause;
    // The key left of 1 types something whatever the layout makes of it.
    const bool typed = typesText(key) || (key.isKeyLeftOfOne && key.modifiers == Qt::NoModifier);
    if (matches(key) && !(typing && typed)) {
        Q_EMIT triggered();
        return;
    }
    if (typed) {
        lastTypedAt_ = now;
    }
}
