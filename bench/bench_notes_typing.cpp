// Typing into the notes tab with a long list: how long one keystroke takes from the key to the
// saved file, how much of that is the save, and how long the tab takes to open.
#include "clipboard/ClipboardManager.h"
#include "fakes/FakePlatform.h"
#include "notes/BulletTextField.h"
#include "notes/NoteRowList.h"
#include "notes/NotesManager.h"
#include "notes/NotesView.h"
#include "panel/PanelState.h"
#include "platform/x11/SettingsFileDefaults.h"
#include "screenshots/ScreenshotManager.h"
#include "shelf/FileShelfManager.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QList<NoteItem> sampleNotes(int count) {
    QList<NoteItem> notes;
    for (int i = 0; i < count; ++i) {
        NoteItem n = NoteItem::make(i % 4);
        n.text =
            QStringLiteral("note %1: call back about the quarterly figures, then file them").arg(i);
        n.done = i % 5 == 0;
        notes << n;
    }
    return notes;
}

struct Figures {
    double median = 0;
    double worst = 0;
};

Figures summarise(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

// Opens the tab over these defaults and types keys into the line at `focus`.
void run(const char* label, UserDefaults& defaults, const QList<NoteItem>& stored, int focus,
         int keys) {
    FakePlatform fake;
    QTemporaryDir shotsDir;
    fake.screenCapture.answer = shotsDir.path();
    ClipboardManager clipboard(fake.pasteboard, fake.workspace, fake.mainQueue);
    FileShelfManager shelf(&fake.workspace, fake.mainQueue);
    ScreenshotManager shots(fake.mainQueue, fake.directoryWatcher, fake.screenCapture);
    PanelState panel(fake.mainQueue);
    defaults.setData(NotesManager::storageKey, encodeNotes(stored));

    QElapsedTimer open;
    open.start();
    NotesManager notes(defaults);
    const DrawerContext ctx{clipboard,      shelf,          notes,
                            shots,          panel,          fake.notificationCenter,
                            fake.mainQueue, fake.workspace, fake.pasteboard};
    QWidget window;
    window.resize(380, 420);
    auto* view = new NotesView(ctx, &window);
    view->resize(380, 420);
    window.show();
    // The first frame: everything laid out and painted once.
    (void)window.grab();
    const double openMs = open.nsecsElapsed() / 1e6;

    view->editor().setFocusedId(notes.items()[focus].id);
    BulletTextField* field = view->list()->field();
    std::vector<double> keystroke;
    for (int i = 0; i < keys; ++i) {
        QElapsedTimer t;
        t.start();
        QTest::keyClick(field, Qt::Key(Qt::Key_A + i % 26));
        keystroke.push_back(t.nsecsElapsed() / 1e6);
    }
    std::vector<double> saveOnly;
    for (int i = 0; i < keys; ++i) {
        QElapsedTimer t;
        t.start();
        notes.save();
        saveOnly.push_back(t.nsecsElapsed() / 1e6);
    }
    const Figures k = summarise(keystroke);
    const Figures s = summarise(saveOnly);
    std::printf("%-34s open+first frame %7.1f ms | keystroke median %6.2f ms, worst %6.2f ms | "
                "save alone median %6.2f ms, worst %6.2f ms\n",
                label, openMs, k.median, k.worst, s.median, s.worst);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const int keys = 200;

    for (const int count : {10, 2000}) {
        const QList<NoteItem> notes = sampleNotes(count);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Hodgebin.conf"));
        SettingsFileDefaults onDisk(file);
        const QByteArray label = QStringLiteral("%1 lines, settings file").arg(count).toUtf8();
        run(label.constData(), onDisk, notes, count / 2, keys);
        std::printf("%-34s settings file %lld bytes\n", "", QFileInfo(file).size());
        MemoryUserDefaults inMemory;
        const QByteArray memLabel = QStringLiteral("%1 lines, in memory").arg(count).toUtf8();
        run(memLabel.constData(), inMemory, notes, count / 2, keys);
    }

    QList<NoteItem> huge = sampleNotes(3);
    huge[1].text = QString(100000, QLatin1Char('x'));
    for (int i = 0; i < huge[1].text.size(); i += 9) {
        huge[1].text[i] = QLatin1Char(' ');
    }
    QTemporaryDir dir;
    SettingsFileDefaults onDisk(dir.filePath(QStringLiteral("Hodgebin.conf")));
    run("one line of 100,000 characters", onDisk, huge, 1, 20);
    return 0;
}
