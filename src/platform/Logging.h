#pragma once

#include <QLoggingCategory>

// One logging category per subsystem. A normal run prints nothing: only warnings and errors
// pass by default, and they are written only when something fails. Debug and info messages are
// turned on with QT_LOGGING_RULES, e.g. QT_LOGGING_RULES="hodgebin.*.debug=true" or
// "hodgebin.settings=true"; "hodgebin.*=false" silences everything.
//
// Messages name files, sizes, counts and errors. They never carry what the user copied, typed
// into a note or dropped: no clipboard text, no note text, no image bytes.
Q_DECLARE_LOGGING_CATEGORY(lcApp)         // hodgebin.app: start-up, command line, command channel
Q_DECLARE_LOGGING_CATEGORY(lcClipboard)   // hodgebin.clipboard
Q_DECLARE_LOGGING_CATEGORY(lcShelf)       // hodgebin.shelf
Q_DECLARE_LOGGING_CATEGORY(lcNotes)       // hodgebin.notes
Q_DECLARE_LOGGING_CATEGORY(lcScreenshots) // hodgebin.screenshots
Q_DECLARE_LOGGING_CATEGORY(lcSettings)    // hodgebin.settings: settings file, autostart entry
Q_DECLARE_LOGGING_CATEGORY(lcDrawer)      // hodgebin.drawer: the drawer window and its tabs
Q_DECLARE_LOGGING_CATEGORY(lcNotch)       // hodgebin.notch: the pill window and its monitors
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)    // hodgebin.platform: X11, D-Bus, inotify, workers
