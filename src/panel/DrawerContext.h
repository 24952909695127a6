#pragma once

class ClipboardManager;
class FileShelfManager;
class MainQueue;
class NotesManager;
class NotificationCenter;
class Pasteboard;
class PanelState;
class ScreenshotManager;
class Workspace;

// Everything the drawer's views act on: the models the application built and the platform
// services they reach. Views keep this by value and never fall back on process-wide instances,
// so a test builds a drawer over fakes and fresh models.
struct DrawerContext {
    ClipboardManager& clipboard;
    FileShelfManager& shelf;
    NotesManager& notes;
    ScreenshotManager& screenshots;
    PanelState& panelState;
    NotificationCenter& notifications;
    MainQueue& mainQueue;
    Workspace& workspace;
    Pasteboard& pasteboard;
};
