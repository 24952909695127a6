#pragma once

#include "clipboard/ClipboardManager.h"
#include "fakes/FakeDirectoryWatcher.h"
#include "fakes/FakePasteboard.h"
#include "fakes/FakeScreenCapture.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/ManualMainQueue.h"
#include "fakes/MemoryUserDefaults.h"
#include "notes/NotesManager.h"
#include "panel/DrawerContext.h"
#include "panel/PanelState.h"
#include "platform/NotificationCenter.h"
#include "screenshots/ScreenshotManager.h"
#include "shelf/FileShelfManager.h"

#include <QTemporaryDir>

// Fresh models over fakes and a manual clock, handed to a drawer tab as its context.
struct TabViewModels {
    // The (empty) screenshot folder's listing at start is in.
    TabViewModels() { queue.runPending(); }

    QTemporaryDir screenshotFolder;
    ManualMainQueue queue;
    FakePasteboard pasteboard;
    FakeWorkspace workspace;
    NotificationCenter notifications;
    MemoryUserDefaults defaults;
    FakeDirectoryWatcher watcher;
    FakeScreenCapture capture = [this] {
        FakeScreenCapture c;
        c.answer = screenshotFolder.path();
        return c;
    }();
    ClipboardManager clipboard{pasteboard, workspace, queue};
    FileShelfManager shelf{&workspace, queue};
    NotesManager notes{defaults, &queue};
    ScreenshotManager screenshots{queue, watcher, capture};
    PanelState panelState{queue};

    DrawerContext context() {
        return {clipboard,     shelf, notes,     screenshots, panelState,
                notifications, queue, workspace, pasteboard};
    }

    // Another program copies text, and the history takes it in.
    void copied(const QString& text) {
        pasteboard.copyText(text);
        clipboard.checkPasteboard();
    }
};
