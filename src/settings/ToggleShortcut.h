#pragma once

#include "platform/EventMonitors.h"

#include <QObject>

#include <optional>

class MainQueue;
class SettingsManager;

// The shortcut that toggles the drawer from another program, as chosen in the settings: it
// watches the keys typed elsewhere (never taking one; the program in front still gets it) and
// says when the chosen one was pressed. A shortcut that would type a character (the key left
// of 1 on its own) does nothing while the user is typing: when a key that types or edits text
// went down less than typingPause before it, it is taken as part of what is being typed.
class ToggleShortcut final : public QObject {
    Q_OBJECT

public:
    static constexpr double typingPause = 0.6;

    ToggleShortcut(EventMonitors& monitors, MainQueue& queue, SettingsManager& settings,
                   QObject* parent = nullptr);
    ~ToggleShortcut() override;

    // Whether a key press counts as typing: it types a character (with or without Shift or
    // AltGr, a dead key included) or edits typed text.
    static bool typesText(const InputEvent& key);

Q_SIGNALS:
    void triggered();

private:
    void keyPressed(const InputEvent& key);
    bool matches(const InputEvent& key) const;

    EventMonitors& monitors_;
    MainQueue& queue_;
    SettingsManager& settings_;
    std::optional<EventMonitors::Token> token_;
    // Uptime of the latest key press that typed text; none yet.
    std::optional<double> lastTypedAt_;
};
