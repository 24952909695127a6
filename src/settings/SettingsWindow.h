#pragma once

#include <QPointer>
#include <QWidget>

class AutostartEntry;
class QCheckBox;
class SettingsManager;

// The settings form: the pill and sounds toggles bound both ways to the settings store, and
// "Start at login", which shows whether the autostart entry exists and writes or removes it.
class SettingsContentView final : public QWidget {
    Q_OBJECT
public:
    SettingsContentView(SettingsManager& settings, AutostartEntry& autostart,
                        QWidget* parent = nullptr);

    QCheckBox* showNotchToggle() const { return showNotch_; }
    QCheckBox* soundsToggle() const { return sounds_; }
    QCheckBox* startAtLoginToggle() const { return startAtLogin_; }

    // Reads the autostart entry again: it may have been removed or added outside.
    void refresh();

private:
    SettingsManager& settings_;
    AutostartEntry& autostart_;
    QCheckBox* showNotch_;
    QCheckBox* sounds_;
    QCheckBox* startAtLogin_;
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
