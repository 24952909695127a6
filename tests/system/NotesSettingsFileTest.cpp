#include "notes/NotesManager.h"
#include "platform/linux/QtMainQueue.h"
#include "platform/linux/SettingsFileDefaults.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Notes kept through the real settings file on disk.

namespace {

const QString key = QStringLiteral("hodgebin.notes.v2");
const QString backup = QStringLiteral("hodgebin.notes.v2.unreadable");

const char* idA = "0F4C2A9E-1B3D-4E5F-8A7B-6C5D4E3F2A1B";

QByteArray note(const char* id, const char* text, bool done, const char* indent) {
    return QByteArray("{\"id\":\"") + id + "\",\"text\":\"" + text +
           "\",\"done\":" + (done ? "true" : "false") + ",\"indent\":" + indent + "}";
}

} // namespace

TEST(NotesSettingsFile, NotesSurviveTheSettingsFileUnchanged) {
    QtMainQueue queue;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Hodgebin.conf"));
    QList<NoteItem> written;
    {
        SettingsFileDefaults defaults(path, queue);
        NotesManager notes(defaults);
        const QUuid first = notes.items()[0].id;
        notes.setText(first, QStringLiteral("line, with = signs; and \"quotes\" [brackets]"));
        const QUuid second = notes.addItem(first);
        notes.setText(second, QStringLiteral("🇫🇷 e\u0301 \\n not a newline\nbut this is"));
        notes.indentItem(second);
        notes.setDone(second, true);
        written = notes.items();
    }
    SettingsFileDefaults reread(path, queue);
    NotesManager notes(reread);
    EXPECT_EQ(notes.items(), written);
}

TEST(NotesSettingsFile, JsonTextWrittenByHandIntoTheFileIsReadOrKept) {
    QtMainQueue queue;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Hodgebin.conf"));
    const QByteArray json = "[" + note(idA, "typed by hand", false, "1") + "]";
    {
        QSettings file(path, QSettings::IniFormat);
        file.setValue(key, json);
    }
    {
        SettingsFileDefaults defaults(path, queue);
        NotesManager notes(defaults);
        ASSERT_EQ(notes.items().size(), 1);
        EXPECT_EQ(notes.items()[0].text, QStringLiteral("typed by hand"));
    }
    // Text with commas comes back from the file split up: it cannot be read as notes, but
    // what the user had is kept.
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("[General]\nhodgebin.notes.v2=[{\"id\":1}, {\"id\":2}]\n");
    }
    SettingsFileDefaults defaults(path, queue);
    NotesManager notes(defaults);
    EXPECT_EQ(notes.items().size(), 1);
    notes.save();
    // The file's own quoting took the double quotes; the rest is there as the user wrote it.
    EXPECT_EQ(defaults.dataForKey(backup), QByteArray("[{id:1},{id:2}]"));
}
