#pragma once

#include <QString>

// Names posted on the notification centre (with no object) to make the drawer switch tabs.
namespace PanelNotifications {
// A drag entered the notch or the drawer: show the shelf.
inline const QString switchToFileShelf = QStringLiteral("switchToFileShelf");
// Typing into the drawer started a note: show the notes.
inline const QString switchToNotes = QStringLiteral("switchToNotes");
} // namespace PanelNotifications
