#include "settings/SettingsManager.h"

#include "platform/MainThread.h"
#include "platform/UserDefaults.h"

#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(lcSettings, "hodgebin.settings")
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
}

void SettingsManager::writeThrough(const QString& key) {
    bool written = false;
    if (key == showNotchKey) {
        written = defaults_.setBool(key, showNotch_);
    } else if (key == soundsEnabledKey) {
        written = defaults_.setBool(key, soundsEnabled_);
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
    // Settings whose earlier write failed are tried again with this one.
    const QStringList retry = unsaved_;
    writeThrough(key);
    for (const QString& other : retry) {
        if (other != key) {
            writeThrough(other);
        }
    }
    if (differs) {
        Q_EMIT(this->*changed)(value);
    }
}

void SettingsManager::setShowNotch(bool value) {
    assign(showNotch_, value, showNotchKey, &SettingsManager::showNotchChanged);
}

void SettingsManager::setSoundsEnabled(bool value) {
    assign(soundsEnabled_, value, soundsEnabledKey, &SettingsManager::soundsEnabledChanged);
}
