#include "settings/SettingsManager.h"

#include "platform/MainThread.h"
#include "platform/UserDefaults.h"

#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(lcSettings, "hodgebin.settings")

QString kindName(SettingsManager::ShortcutKind kind) {
    switch (kind) {
    case SettingsManager::ShortcutKind::combination:
        return QStringLiteral("combination");
    case SettingsManager::ShortcutKind::none:
        return QStringLiteral("none");
    case SettingsManager::ShortcutKind::grave:
        break;
    }
    return QStringLiteral("grave");
}

// Only the first key of a sequence is a shortcut here; one whose key was not understood is none.
QKeySequence firstKey(const QKeySequence& sequence) {
    if (sequence.isEmpty() || sequence[0].key() == Qt::Key_unknown ||
        sequence[0].key() == Qt::Key(0)) {
        return {};
    }
    return QKeySequence(sequence[0]);
}
} // namespace

SettingsManager::SettingsManager(UserDefaults& defaults, QObject* parent)
    : QObject(parent)
    , defaults_(defaults) {
    // Defaults are persisted the first time they are needed; only absence is tested, so a
    // stored false or 0 (or a value of the wrong type) is kept.
    // A default that could not be written is still the value held.
    for (const QString& key : {showNotchKey, soundsEnabledKey, maxClipboardItemsKey}) {
        if (!defaults_.objectForKey(key).isValid()) {
            writeThrough(key);
        }
    }
    if (defaults_.objectForKey(showNotchKey).isValid()) {
        showNotch_ = defaults_.boolForKey(showNotchKey);
    }
    if (defaults_.objectForKey(soundsEnabledKey).isValid()) {
        soundsEnabled_ = defaults_.boolForKey(soundsEnabledKey);
    }
    if (defaults_.objectForKey(maxClipboardItemsKey).isValid()) {
        maxClipboardItems_ = defaults_.integerForKey(maxClipboardItemsKey);
    }
    const QString kind = defaults_.stringForKey(shortcutKindKey);
    for (const ShortcutKind k : {ShortcutKind::combination, ShortcutKind::none}) {
        if (kind == kindName(k)) {
            shortcutKind_ = k;
        }
    }
    shortcutCombination_ = firstKey(QKeySequence::fromString(
        defaults_.stringForKey(shortcutCombinationKey), QKeySequence::PortableText));
    // A combination that did not survive the file leaves nothing to press: the key left of 1
    // takes over rather than no shortcut at all.
    if (shortcutKind_ == ShortcutKind::combination && shortcutCombination_.isEmpty()) {
        shortcutKind_ = ShortcutKind::grave;
    }
}

void SettingsManager::writeThrough(const QString& key) {
    bool written = false;
    if (key == showNotchKey) {
        written = defaults_.setBool(key, showNotch_);
    } else if (key == soundsEnabledKey) {
        written = defaults_.setBool(key, soundsEnabled_);
    } else if (key == shortcutKindKey) {
        written = defaults_.setString(key, kindName(shortcutKind_));
    } else if (key == shortcutCombinationKey) {
        written =
            defaults_.setString(key, shortcutCombination_.toString(QKeySequence::PortableText));
    } else {
        written = defaults_.setInteger(key, maxClipboardItems_);
    }
    unsaved_.removeAll(key);
    if (!written) {
        qCWarning(lcSettings).noquote()
            << QStringLiteral("Could not save the setting %1 to \"%2\": %3; it holds for this "
                              "run and is saved again at the next change")
                   .arg(key, defaults_.location(), defaults_.lastWriteError());
        unsaved_.append(key);
    }
}

void SettingsManager::assign(bool& field, bool value, const QString& key,
                             void (SettingsManager::*changed)(bool)) {
    assertMainThread();
    const bool differs = field != value;
    field = value;
    writeWithRetries(key);
    if (differs) {
        Q_EMIT(this->*changed)(value);
    }
}

void SettingsManager::writeWithRetries(const QString& key) {
    // Settings whose earlier write failed are tried again with this one.
    const QStringList retry = unsaved_;
    writeThrough(key);
    for (const QString& other : retry) {
        if (other != key) {
            writeThrough(other);
        }
    }
}

void SettingsManager::setShortcutKind(ShortcutKind kind) {
    assertMainThread();
    const bool differs = shortcutKind_ != kind;
    shortcutKind_ = kind;
    writeWithRetries(shortcutKindKey);
    if (differs) {
        Q_EMIT shortcutChanged();
    }
}

void SettingsManager::setShortcutCombination(const QKeySequence& combination) {
    assertMainThread();
    const QKeySequence key = firstKey(combination);
    const bool differs = shortcutCombination_ != key;
    shortcutCombination_ = key;
    writeWithRetries(shortcutCombinationKey);
    if (differs) {
        Q_EMIT shortcutChanged();
    }
}

void SettingsManager::setShowNotch(bool value) {
    assign(showNotch_, value, showNotchKey, &SettingsManager::showNotchChanged);
}

void SettingsManager::setSoundsEnabled(bool value) {
    assign(soundsEnabled_, value, soundsEnabledKey, &SettingsManager::soundsEnabledChanged);
}
