// Typing into the notes tab with a long list: how long one keystroke takes from the key to the
// saved file, how much of that is the save, and how long the tab takes to open.
#include "clipboard/ClipboardManager.h"
#include "fakes/FakePlatform.h"
#include "notes/BulletTextField.h"
#include "notes/NoteRowList.h"
#include "notes/NotesEditor.h"
#include "notes/NotesManager.h"
#include "notes/NotesView.h"
#include "panel/PanelState.h"
#include "platform/linux/QtMainQueue.h"
#include "platform/linux/SettingsFileDefaults.h"
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
    const double loadMs = open.nsecsElapsed() / 1e6;
    const DrawerContext ctx{clipboard,      shelf,          notes,
                            shots,          panel,          fake.notificationCenter,
                            fake.mainQueue, fake.workspace, fake.pasteboard};
    QWidget window;
    window.resize(380, 420);
    auto* view = new NotesView(ctx, &window);
    view->resize(380, 420);
    const double builtMs = open.nsecsElapsed() / 1e6;
    window.show();
    // The first frame: everything laid out and painted once.
    (void)window.grab();
    const double openMs = open.nsecsElapsed() / 1e6;

    view->editor().setFocusedId(notes.items()[focus].id);
    BulletTextField* field = view->list()->field();
    // The main thread's share of a keystroke (key handling, layout, handing the save over), and
    // the time from the key until the save is on disk.
    std::vector<double> keystroke;
    std::vector<double> onDisk;
    for (int i = 0; i < keys; ++i) {
        QElapsedTimer t;
        t.start();
        QTest::keyClick(field, Qt::Key(Qt::Key_A + i % 26));
        keystroke.push_back(t.nsecsElapsed() / 1e6);
        defaults.waitForBackgroundWrites();
        onDisk.push_back(t.nsecsElapsed() / 1e6);
        QCoreApplication::processEvents();
    }
    // What the writer pays per save: encoding the list, then the write.
    std::vector<double> encode;
    std::vector<double> write;
    for (int i = 0; i < std::min(keys, 50); ++i) {
        QElapsedTimer t;
        t.start();
        const QByteArray data = encodeNotes(notes.items());
        encode.push_back(t.nsecsElapsed() / 1e6);
        t.start();
        defaults.setData(NotesManager::storageKey, data);
        write.push_back(t.nsecsElapsed() / 1e6);
    }
    const Figures k = summarise(keystroke);
    const Figures d = summarise(onDisk);
    const Figures e = summarise(encode);
    const Figures w = summarise(write);
    std::printf("%-32s open+first frame %6.1f ms (load %.1f, view built %.1f)\n", label, openMs,
                loadMs, builtMs);
    std::printf("%-32s keystroke on the main thread: median %6.2f ms, worst %6.2f ms\n", "",
                k.median, k.worst);
    std::printf("%-32s keystroke until saved on disk: median %6.2f ms, worst %6.2f ms\n", "",
                d.median, d.worst);
    std::printf("%-32s per save: encode %6.2f ms + write %6.2f ms (medians)\n", "", e.median,
                w.median);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QtMainQueue queue;
    const int keys = 200;

    for (const int count : {10, 2000}) {
        const QList<NoteItem> notes = sampleNotes(count);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Hodgebin.conf"));
        SettingsFileDefaults onDisk(file, queue);
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
    SettingsFileDefaults onDisk(dir.filePath(QStringLiteral("Hodgebin.conf")), queue);
    run("one line of 100,000 characters", onDisk, huge, 1, 20);
    return 0;
}
