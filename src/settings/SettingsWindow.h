#pragma once

#include <QKeySequence>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

class AutostartEntry;
class QCheckBox;
class QComboBox;
class SettingsManager;

// A button that shows a shortcut and, once clicked, takes the next key pressed with Ctrl, Alt
// or Super (or a function key alone) as the new one. Escape or leaving it stops without a
// change.
class ShortcutRecorder final : public QPushButton {
    Q_OBJECT
public:
    explicit ShortcutRecorder(QWidget* parent = nullptr);

    QKeySequence shortcut() const { return shortcut_; }
    void setShortcut(const QKeySequence& shortcut);
    bool isRecording() const { return recording_; }
    void startRecording();

Q_SIGNALS:
    void recorded(const QKeySequence& shortcut);
    // Recording stopped without a shortcut.
    void cancelled();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void stopRecording();
    void showShortcut();

    QKeySequence shortcut_;
    bool recording_ = false;
};

// The settings form: the pill and sounds toggles bound both ways to the settings store,
// "Start at login", which shows whether the autostart entry exists and writes or removes it,
// and the shortcut that opens the drawer.
class SettingsContentView final : public QWidget {
    Q_OBJECT
public:
    SettingsContentView(SettingsManager& settings, AutostartEntry& autostart,
                        QWidget* parent = nullptr);

    QCheckBox* showNotchToggle() const { return showNotch_; }
    QCheckBox* soundsToggle() const { return sounds_; }
    QCheckBox* startAtLoginToggle() const { return startAtLogin_; }
    // The shortcut's kinds in the order of SettingsManager::ShortcutKind.
    QComboBox* shortcutChoice() const { return shortcutChoice_; }
    ShortcutRecorder* shortcutRecorder() const { return recorder_; }

    // Reads the autostart entry again: it may have been removed or added outside.
    void refresh();

private:
    QWidget* makeShortcutRow();
    void showShortcutSetting();

    SettingsManager& settings_;
    AutostartEntry& autostart_;
    QCheckBox* showNotch_;
    QCheckBox* sounds_;
    QCheckBox* startAtLogin_;
    QComboBox* shortcutChoice_ = nullptr;
    ShortcutRecorder* recorder_ = nullptr;
};

// Owns the one settings window and brings it back on every show.
class SettingsWindowController final : public QObject {
    Q_OBJECT
public:
    SettingsWindowController(SettingsManager& settings, AutostartEntry& autostart,
                             QObject* parent = nullptr);
    ~SettingsWindowController() override;

    // Builds the window on first use; later shows bring the same one back.
    void show();

    QWidget* window() const { return window_; }

private:
    SettingsManager& settings_;
    AutostartEntry& autostart_;
    QPointer<SettingsContentView> window_;
};
