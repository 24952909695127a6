#pragma once

#include <QKeySequence>
#include <QObject>
#include <QStringList>

class UserDefaults;

// The user's preferences, kept in user defaults. A key already present is never overwritten at
// load; every assignment writes its key through, and only a change notifies. A write that fails
// is logged and made again at the next assignment.
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
    static inline const QString shortcutKindKey = QStringLiteral("toggleShortcut");
    static inline const QString shortcutCombinationKey =
        QStringLiteral("toggleShortcutCombination");

    // What opens and closes the drawer from another program: the key left of 1 on its own,
    // a combination the user recorded, or nothing (a desktop shortcut running `--toggle`).
    enum class ShortcutKind { grave, combination, none };

    explicit SettingsManager(UserDefaults& defaults, QObject* parent = nullptr);

    bool showNotch() const { return showNotch_; }
    void setShowNotch(bool value);

    bool soundsEnabled() const { return soundsEnabled_; }
    void setSoundsEnabled(bool value);

    // Held but not used: the clipboard history keeps its own fixed bound.
    qint64 maxClipboardItems() const { return maxClipboardItems_; }

    // Neither is written until the user picks one. A stored kind that is not understood reads
    // as the key left of 1; the combination is kept while another kind is chosen, so switching
    // back needs no new recording.
    ShortcutKind shortcutKind() const { return shortcutKind_; }
    void setShortcutKind(ShortcutKind kind);
    // One key with its modifiers; empty until one is recorded.
    QKeySequence shortcutCombination() const { return shortcutCombination_; }
    void setShortcutCombination(const QKeySequence& combination);

Q_SIGNALS:
    void showNotchChanged(bool value);
    void soundsEnabledChanged(bool value);
    void shortcutChanged();

private:
    void assign(bool& field, bool value, const QString& key,
                void (SettingsManager::*changed)(bool));
    // Writes key and the keys whose earlier write failed.
    void writeWithRetries(const QString& key);
    // Writes the held value of this key to user defaults.
    void writeThrough(const QString& key);

    UserDefaults& defaults_;
    bool showNotch_ = true;
    bool soundsEnabled_ = true;
    qint64 maxClipboardItems_ = 100;
    ShortcutKind shortcutKind_ = ShortcutKind::grave;
    QKeySequence shortcutCombination_;
    // Keys whose last write did not reach the disk.
    QStringList unsaved_;
};
