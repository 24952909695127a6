#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class QCheckBox;
class SettingsManager;

// The settings form: two toggles bound both ways to the settings store.
class SettingsContentView final : public QWidget {
    Q_OBJECT
public:
    SettingsContentView(std::function<void(bool)> onShowNotchChanged, SettingsManager& settings,
                        QWidget* parent = nullptr);

    QCheckBox* showNotchToggle() const { return showNotch_; }
    QCheckBox* soundsToggle() const { return sounds_; }

private:
    std::function<void(bool)> onShowNotchChanged_;
    SettingsManager& settings_;
    QCheckBox* showNotch_;
    QCheckBox* sounds_;
};

// Owns the one settings window and brings it back on every show.
class SettingsWindowController final : public QObject {
    Q_OBJECT
public:
    explicit SettingsWindowController(SettingsManager& settings, QObject* parent = nullptr);
    ~SettingsWindowController() override;

    static SettingsWindowController& shared();

    // The callback is kept by the first show only; later shows reuse the window as it is.
    void show(std::function<void(bool)> onShowNotchChanged);

    QWidget* window() const { return window_; }

private:
    SettingsManager& settings_;
    QPointer<QWidget> window_;
};
