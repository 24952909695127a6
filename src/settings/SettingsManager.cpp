#include "settings/SettingsManager.h"

#include "platform/Platform.h"
#include "platform/UserDefaults.h"

SettingsManager::SettingsManager(UserDefaults& defaults, QObject* parent)
    : QObject(parent)
    , defaults_(defaults) {
    // Defaults are persisted the first time they are needed; only absence is tested, so a
    // stored false or 0 (or a value of the wrong type) is kept.
    if (!defaults_.objectForKey(showNotchKey).isValid()) {
        defaults_.setBool(showNotchKey, true);
    }
    if (!defaults_.objectForKey(soundsEnabledKey).isValid()) {
        defaults_.setBool(soundsEnabledKey, true);
    }
    if (!defaults_.objectForKey(maxClipboardItemsKey).isValid()) {
        defaults_.setInteger(maxClipboardItemsKey, 100);
    }
    showNotch_ = defaults_.boolForKey(showNotchKey);
    soundsEnabled_ = defaults_.boolForKey(soundsEnabledKey);
    maxClipboardItems_ = defaults_.integerForKey(maxClipboardItemsKey);
}

SettingsManager& SettingsManager::shared() {
    static SettingsManager* instance = new SettingsManager(*Platform::current().userDefaults);
    return *instance;
}

void SettingsManager::assign(bool& field, bool value, const QString& key,
                             void (SettingsManager::*changed)(bool)) {
    const bool differs = field != value;
    field = value;
    defaults_.setBool(key, value);
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
