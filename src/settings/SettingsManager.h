#pragma once

#include <QObject>
#include <QStringList>

class UserDefaults;

// The user's three preferences, kept in user defaults. A key already present is never
// overwritten at load; every assignment of a boolean writes its key through, and only a change
// notifies. A write that fails is logged and made again at the next assignment.
class SettingsManager final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool showNotch READ showNotch WRITE setShowNotch NOTIFY showNotchChanged)
    Q_PROPERTY(
        bool soundsEnabled READ soundsEnabled WRITE setSoundsEnabled NOTIFY soundsEnabledChanged)
    Q_PROPERTY(qint64 maxClipboardItems READ maxClipboardItems CONSTANT)

public:
    static inline const QString showNotchKey = QStringLiteral("replaceNotch");
    static inline const QString soundsEnabledKey = QStringLiteral("soundsEnabled");
    static inline const QString maxClipboardItemsKey = QStringLiteral("maxClipboardItems");

    explicit SettingsManager(UserDefaults& defaults, QObject* parent = nullptr);

    bool showNotch() const { return showNotch_; }
    void setShowNotch(bool value);

    bool soundsEnabled() const { return soundsEnabled_; }
    void setSoundsEnabled(bool value);

    // Held but not used: the clipboard history keeps its own fixed bound.
    qint64 maxClipboardItems() const { return maxClipboardItems_; }

Q_SIGNALS:
    void showNotchChanged(bool value);
    void soundsEnabledChanged(bool value);

private:
    void assign(bool& field, bool value, const QString& key,
                void (SettingsManager::*changed)(bool));
    // Writes the held value of this key to user defaults.
    void writeThrough(const QString& key);

    UserDefaults& defaults_;
    bool showNotch_ = true;
    bool soundsEnabled_ = true;
    qint64 maxClipboardItems_ = 100;
    // Keys whose last write did not reach the disk.
    QStringList unsaved_;
};
