#include "notes/NotesManager.h"
#include "fakes/ManualMainQueue.h"
#include "fakes/MemoryUserDefaults.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

const QString key = QStringLiteral("hodgebin.notes.v2");
const QString backup = QStringLiteral("hodgebin.notes.v2.unreadable");

const char* idA = "0F4C2A9E-1B3D-4E5F-8A7B-6C5D4E3F2A1B";
const char* idB = "9A8B7C6D-5E4F-4A3B-9C2D-1E0F9A8B7C6D";

QByteArray note(const char* id, const char* text, bool done, const char* indent) {
    return QByteArray("{\"id\":\"") + id + "\",\"text\":\"" + text +
           "\",\"done\":" + (done ? "true" : "false") + ",\"indent\":" + indent + "}";
}

bool isOneFreshEmptyNote(const QList<NoteItem>& items) {
    return items.size() == 1 && !items[0].id.isNull() && items[0].text.isEmpty() &&
           !items[0].done && items[0].indent == 0;
}

NoteItem item(const QString& text, qint64 indent = 0) {
    NoteItem n = NoteItem::make(indent);
    n.text = text;
    return n;
}

QStringList texts(const NotesManager& notes) {
    QStringList out;
    for (const NoteItem& n : notes.items()) {
        out << n.text;
    }
    return out;
}

// A manager over defaults that already hold these notes.
struct Fixture {
    explicit Fixture(const QList<NoteItem>& items) {
        defaults.values.insert(key, encodeNotes(items));
        notes = std::make_unique<NotesManager>(defaults);
        defaults.writes.clear();
    }
    MemoryUserDefaults defaults;
    std::unique_ptr<NotesManager> notes;
};

} // namespace

// Loading

TEST(NotesLoading, NothingStoredGivesOneEmptyNoteAndWritesNothing) {
    MemoryUserDefaults defaults;
    NotesManager notes(defaults);
    EXPECT_TRUE(isOneFreshEmptyNote(notes.items()));
    EXPECT_TRUE(defaults.writes.isEmpty());
}

TEST(NotesLoading, AStoredEmptyListStaysEmpty) {
    MemoryUserDefaults defaults;
    defaults.values.insert(key, QByteArray("[]"));
    NotesManager notes(defaults);
    EXPECT_TRUE(notes.items().isEmpty());
    EXPECT_TRUE(defaults.writes.isEmpty());
}

TEST(NotesLoading, StoredNotesLoadInOrderWithIndentsBeyondTheEditingRange) {
    MemoryUserDefaults defaults;
    defaults.values.insert(key, "[" + note(idA, "first", true, "7") + "," +
                                    note(idB, "second", false, "0") + "]");
    NotesManager notes(defaults);

    ASSERT_EQ(notes.items().size(), 2);
    EXPECT_EQ(notes.items()[0].id, QUuid::fromString(QString::fromLatin1(idA)));
    EXPECT_EQ(notes.items()[0].text, QStringLiteral("first"));
    EXPECT_TRUE(notes.items()[0].done);
    EXPECT_EQ(notes.items()[0].indent, 7);
    EXPECT_EQ(notes.items()[1].text, QStringLiteral("second"));
    EXPECT_TRUE(defaults.writes.isEmpty());
}

TEST(NotesLoading, OneBadElementRejectsTheWholeList) {
    const QByteArray good = note(idA, "kept?", false, "0");
    const QByteArray noIndent = "{\"id\":\"" + QByteArray(idB) + "\",\"text\":\"\",\"done\":false}";
    for (const QByteArray& stored : {"[" + good + "," + noIndent + "]", "[" + good + ",42]",
                                     "[" + good + ",null]", "[" + good + ",[]]"}) {
        MemoryUserDefaults defaults;
        defaults.values.insert(key, stored);
        NotesManager notes(defaults);
        EXPECT_TRUE(isOneFreshEmptyNote(notes.items())) << stored.constData();
    }
}

TEST(NotesLoading, DataThatIsNotANotesArrayGivesOneEmptyNote) {
    const QList<QByteArray> foreign = {
        "not json at all",
        "{\"id\":\"x\"}",
        "\"[]\"",
        "42",
        "null",
        "[{}]",
        "[",
        QByteArray("\xff\xfe\x00\x01", 4),
        QByteArray(100000, '[') + QByteArray(100000, ']'),
        "[" + note(idA, "a", false, "0") + "] trailing",
    };
    for (const QByteArray& stored : foreign) {
        MemoryUserDefaults defaults;
        defaults.values.insert(key, stored);
        NotesManager notes(defaults);
        EXPECT_TRUE(isOneFreshEmptyNote(notes.items())) << stored.left(40).constData();
        EXPECT_TRUE(defaults.writes.isEmpty());
    }
}

TEST(NotesLoading, ValuesOfTheWrongTypeOrFormAreRejected) {
    // Each element differs from a good one in one field only.
    const QList<QByteArray> bad = {
        note(idA, "t", false, "1.5"),
        note(idA, "t", false, "\"1\""),
        note(idA, "t", false, "1e30"),
        note(idA, "t", false, "null"),
        "{\"id\":\"" + QByteArray(idA) + "\",\"text\":\"t\",\"done\":1,\"indent\":0}",
        "{\"id\":\"" + QByteArray(idA) + "\",\"text\":7,\"done\":false,\"indent\":0}",
        "{\"id\":\"" + QByteArray(idA) + "\",\"text\":null,\"done\":false,\"indent\":0}",
        note("{0F4C2A9E-1B3D-4E5F-8A7B-6C5D4E3F2A1B}", "t", false, "0"),
        note("0F4C2A9E1B3D4E5F8A7B6C5D4E3F2A1B", "t", false, "0"),
        note("0F4C2A9E-1B3D-4E5F-8A7B-6C5D4E3F2A1", "t", false, "0"),
        note("not-a-uuid", "t", false, "0"),
        "{\"id\":42,\"text\":\"t\",\"done\":false,\"indent\":0}",
    };
    for (const QByteArray& element : bad) {
        EXPECT_FALSE(decodeNotes("[" + element + "]").has_value()) << element.constData();
    }
}

TEST(NotesLoading, LowerCaseIdsWholeFloatsNegativeIndentsAndExtraKeysAreAccepted) {
    const auto decoded = decodeNotes(
        "[{\"id\":\"0f4c2a9e-1b3d-4e5f-8a7b-6c5d4e3f2a1b\",\"text\":\"x\",\"done\":false,"
        "\"indent\":2.0,\"colour\":\"red\",\"children\":[1,2]},"
        "{\"done\":true,\"indent\":-3,\"text\":\"\",\"id\":\"" +
        QByteArray(idB) + "\"}]");
    ASSERT_TRUE(decoded.has_value());
    ASSERT_EQ(decoded->size(), 2);
    EXPECT_EQ((*decoded)[0].id, QUuid::fromString(QString::fromLatin1(idA)));
    EXPECT_EQ((*decoded)[0].indent, 2);
    EXPECT_EQ((*decoded)[1].indent, -3);
    EXPECT_TRUE((*decoded)[1].done);
}

TEST(NotesLoading, AStoredTextValueIsReadLikeData) {
    MemoryUserDefaults defaults;
    defaults.values.insert(key, QString::fromUtf8("[" + note(idA, "ü", false, "1") + "]"));
    NotesManager notes(defaults);
    ASSERT_EQ(notes.items().size(), 1);
    EXPECT_EQ(notes.items()[0].text, QStringLiteral("ü"));
}

// Saving

TEST(NotesSaving, TheStoredFormIsACompactArrayWithUpperCaseIds) {
    NoteItem n;
    n.id = QUuid::fromString(QStringLiteral("0f4c2a9e-1b3d-4e5f-8a7b-6c5d4e3f2a1b"));
    n.text = QStringLiteral("say\"hi\"");
    n.done = true;
    n.indent = 3;
    const QByteArray encoded = encodeNotes({n});

    // Compact: no white space outside the strings (and the text holds none).
    EXPECT_FALSE(encoded.contains(' '));
    EXPECT_FALSE(encoded.contains('\n'));
    const QJsonArray array = QJsonDocument::fromJson(encoded).array();
    ASSERT_EQ(array.size(), 1);
    const QJsonObject object = array[0].toObject();
    EXPECT_EQ(object.keys(), (QStringList{QStringLiteral("done"), QStringLiteral("id"),
                                          QStringLiteral("indent"), QStringLiteral("text")}));
    EXPECT_EQ(object[QStringLiteral("id")].toString(), QString::fromLatin1(idA));
    EXPECT_EQ(object[QStringLiteral("text")].toString(), QStringLiteral("say\"hi\""));
    EXPECT_TRUE(object[QStringLiteral("done")].isBool());
    EXPECT_EQ(object[QStringLiteral("indent")].toInteger(), 3);
    EXPECT_EQ(encodeNotes({}), QByteArray("[]"));
}

TEST(NotesSaving, ChangingOneTextWritesTheWholeListOnce) {
    Fixture f({item(QStringLiteral("a")), item(QStringLiteral("b"), 2)});
    QSignalSpy spy(f.notes.get(), &NotesManager::itemsChanged);

    f.notes->setText(f.notes->items()[1].id, QStringLiteral("bee"));

    EXPECT_EQ(f.defaults.writes, QStringList{key});
    const auto stored = decodeNotes(f.defaults.dataForKey(key));
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(*stored, f.notes->items());
    EXPECT_EQ((*stored)[1].text, QStringLiteral("bee"));
    EXPECT_EQ((*stored)[1].indent, 2);
    EXPECT_EQ(spy.count(), 1);
}

TEST(NotesSaving, AssigningTheListAlwaysSavesButOnlyAChangeNotifies) {
    Fixture f({item(QStringLiteral("a"))});
    QSignalSpy spy(f.notes.get(), &NotesManager::itemsChanged);

    f.notes->setItems(f.notes->items());
    EXPECT_EQ(f.defaults.writeCount(key), 1);
    EXPECT_EQ(spy.count(), 0);

    f.notes->setItems({});
    EXPECT_EQ(f.defaults.writeCount(key), 2);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(f.defaults.dataForKey(key), QByteArray("[]"));
}

TEST(NotesSaving, EditsOfAnUnknownIdChangeAndWriteNothing) {
    Fixture f({item(QStringLiteral("a"))});
    f.notes->setText(QUuid::createUuid(), QStringLiteral("lost"));
    f.notes->setDone(QUuid::createUuid(), true);
    EXPECT_TRUE(f.defaults.writes.isEmpty());
    EXPECT_EQ(texts(*f.notes), QStringList{QStringLiteral("a")});
}

TEST(NotesSaving, NotesOfAnyScriptComeBackUnchangedInAFreshManager) {
    const QList<QString> samples = {
        QStringLiteral("plain"),
        QString(),
        QStringLiteral("👩‍👩‍👧‍👦 family, 🇩🇪 flag, 👍🏽 tone"),
        QStringLiteral("e\u0301 vs \u00e9 (kept as typed, not normalised)"),
        QStringLiteral("עברית and العربية mixed with English"),
        QStringLiteral("中文 日本語 한국어"),
        QStringLiteral("tab\there, quote \" backslash \\ slash / newline\nend"),
        QString(QChar(0)) + QStringLiteral("nul and \u0001 control and \u2028 separator"),
        QStringLiteral("\U0001D11E musical, \uFEFF bom, \u200B zero width"),
        QStringLiteral("😀").repeated(20000),
    };
    MemoryUserDefaults defaults;
    QList<NoteItem> written;
    {
        NotesManager notes(defaults);
        notes.setItems({});
        qint64 indent = 0;
        for (const QString& text : samples) {
            const QUuid id =
                notes.addItem(notes.items().isEmpty() ? QUuid() : notes.items().last().id);
            notes.setText(id, text);
            notes.setDone(id, indent % 2 == 1);
            for (qint64 i = 0; i < indent % 5; ++i) {
                notes.indentItem(id);
            }
            ++indent;
        }
        written = notes.items();
    }
    NotesManager reloaded(defaults);
    ASSERT_EQ(reloaded.items().size(), samples.size());
    EXPECT_EQ(reloaded.items(), written);
    for (qsizetype i = 0; i < samples.size(); ++i) {
        EXPECT_EQ(reloaded.items()[i].text, samples[i]) << i;
    }
}

// Unreadable stored notes are kept before they are replaced.

TEST(NotesBackup, UnreadableNotesAreKeptUnderTheBackupKeyBeforeTheFirstSave) {
    const QByteArray corrupt = "[" + note(idA, "my only copy", false, "0") + ",{\"id\":";
    MemoryUserDefaults defaults;
    defaults.values.insert(key, corrupt);
    NotesManager notes(defaults);
    EXPECT_TRUE(isOneFreshEmptyNote(notes.items()));
    EXPECT_TRUE(defaults.writes.isEmpty()) << "loading alone touches nothing";
    EXPECT_EQ(notes.backupKeyUsed(), std::nullopt);

    notes.setText(notes.items()[0].id, QStringLiteral("new"));

    EXPECT_EQ(defaults.writes, (QStringList{backup, key}));
    EXPECT_EQ(defaults.dataForKey(backup), corrupt);
    EXPECT_EQ(notes.backupKeyUsed(), backup);
    // Only once: later saves leave the backup alone.
    notes.addItem(notes.items()[0].id);
    EXPECT_EQ(defaults.writeCount(backup), 1);
    EXPECT_EQ(decodeNotes(defaults.dataForKey(key))->size(), 2);
}

TEST(NotesBackup, AnEarlierBackupIsNeverOverwritten) {
    MemoryUserDefaults defaults;
    defaults.values.insert(backup, QByteArray("older loss"));
    defaults.values.insert(backup + QStringLiteral("-2"), QByteArray("second loss"));
    defaults.values.insert(key, QByteArray("{broken"));
    NotesManager notes(defaults);
    notes.save();

    EXPECT_EQ(defaults.dataForKey(backup), QByteArray("older loss"));
    EXPECT_EQ(defaults.dataForKey(backup + QStringLiteral("-2")), QByteArray("second loss"));
    EXPECT_EQ(defaults.dataForKey(backup + QStringLiteral("-3")), QByteArray("{broken"));
    EXPECT_EQ(notes.backupKeyUsed(), backup + QStringLiteral("-3"));

    // The same unreadable data again (say, an older copy of the file restored) is not kept
    // twice.
    defaults.values.insert(key, QByteArray("{broken"));
    NotesManager again(defaults);
    again.save();
    EXPECT_EQ(again.backupKeyUsed(), backup + QStringLiteral("-3"));
    EXPECT_FALSE(defaults.values.contains(backup + QStringLiteral("-4")));
}

TEST(NotesBackup, TextSplitIntoAListBySettingsFileQuotingIsKeptJoined) {
    MemoryUserDefaults defaults;
    defaults.values.insert(key, QStringList{QStringLiteral("[{\"a\":1}"), QStringLiteral("2]")});
    NotesManager notes(defaults);
    EXPECT_TRUE(isOneFreshEmptyNote(notes.items()));
    notes.save();
    EXPECT_EQ(defaults.dataForKey(backup), QByteArray("[{\"a\":1},2]"));
}

TEST(NotesBackup, ReadableOrEmptyStoredValuesNeedNoBackup) {
    for (const QVariant& stored :
         {QVariant(QByteArray("[]")), QVariant(QByteArray()), QVariant(QString())}) {
        MemoryUserDefaults defaults;
        defaults.values.insert(key, stored);
        NotesManager notes(defaults);
        notes.save();
        EXPECT_FALSE(defaults.values.contains(backup));
        EXPECT_EQ(notes.backupKeyUsed(), std::nullopt);
    }
}

TEST(NotesBackup, HugeUnreadableDataIsKeptWhole) {
    QByteArray huge(8 * 1024 * 1024, 'x');
    huge.prepend("[{\"id\":\"");
    MemoryUserDefaults defaults;
    defaults.values.insert(key, huge);
    NotesManager notes(defaults);
    EXPECT_TRUE(isOneFreshEmptyNote(notes.items()));
    notes.save();
    EXPECT_EQ(defaults.dataForKey(backup), huge);
}

TEST(NotesBackup, ABackupThatFailsToWriteIsNotCountedAndTheOnlyCopyIsNotSavedOver) {
    const QByteArray corrupt = "[" + note(idA, "my only copy", false, "0") + ",{\"id\":";
    MemoryUserDefaults defaults;
    defaults.values.insert(key, corrupt);
    NotesManager notes(defaults);
    defaults.failWrites = true;

    notes.setText(notes.items()[0].id, QStringLiteral("new"));
    EXPECT_EQ(notes.backupKeyUsed(), std::nullopt);
    EXPECT_EQ(defaults.refused, QStringList{backup}) << "no attempt on the only copy";
    EXPECT_TRUE(notes.cannotSave());

    defaults.failWrites = false;
    notes.setText(notes.items()[0].id, QStringLiteral("newer"));
    EXPECT_EQ(defaults.writes, (QStringList{backup, key}));
    EXPECT_EQ(defaults.dataForKey(backup), corrupt);
    EXPECT_EQ(notes.backupKeyUsed(), backup);
    EXPECT_EQ(decodeNotes(defaults.dataForKey(key))->first().text, QStringLiteral("newer"));
    EXPECT_FALSE(notes.cannotSave());
}

// Saves that fail

TEST(NotesSaving, AFailedSaveIsAnnouncedOnceAndTheNextChangeSavesEverything) {
    Fixture f({item(QStringLiteral("a"))});
    QSignalSpy announced(f.notes.get(), &NotesManager::cannotSaveChanged);
    const QUuid id = f.notes->items()[0].id;
    f.defaults.failWrites = true;

    f.notes->setText(id, QStringLiteral("ab"));
    f.notes->addItem(id);
    EXPECT_TRUE(f.notes->cannotSave());
    EXPECT_EQ(announced.count(), 1);
    EXPECT_EQ(texts(*f.notes), (QStringList{QStringLiteral("ab"), QString()}))
        << "the notes live on in memory";

    f.defaults.failWrites = false;
    f.notes->indentItem(f.notes->items()[1].id);
    EXPECT_FALSE(f.notes->cannotSave());
    EXPECT_EQ(announced.count(), 2);
    EXPECT_EQ(*decodeNotes(f.defaults.dataForKey(key)), f.notes->items());
}

// Editing operations

TEST(NotesEditing, AddPutsAnEmptyLineDirectlyBelowAtTheSameDepth) {
    Fixture f({item(QStringLiteral("a")), item(QStringLiteral("b"), 2), item(QStringLiteral("c"))});
    const QUuid middle = f.notes->items()[1].id;

    const QUuid added = f.notes->addItem(middle);

    ASSERT_EQ(f.notes->items().size(), 4);
    EXPECT_EQ(f.notes->items()[2].id, added);
    EXPECT_EQ(f.notes->items()[2].indent, 2);
    EXPECT_TRUE(f.notes->items()[2].text.isEmpty());
    EXPECT_FALSE(f.notes->items()[2].done);
    EXPECT_EQ(texts(*f.notes), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QString(),
                                            QStringLiteral("c")}));
    EXPECT_EQ(f.defaults.writes, QStringList{key});
}

TEST(NotesEditing, AddAfterAnUnknownIdAppendsAtTheMargin) {
    Fixture f({item(QStringLiteral("a"), 3)});
    const QUuid added = f.notes->addItem(QUuid::createUuid());
    ASSERT_EQ(f.notes->items().size(), 2);
    EXPECT_EQ(f.notes->items().last().id, added);
    EXPECT_EQ(f.notes->items().last().indent, 0);
}

TEST(NotesEditing, IndentStopsAtFourAndOutdentAtZeroWithoutSavingAtTheBounds) {
    Fixture f({item(QStringLiteral("a"), 3)});
    const QUuid id = f.notes->items()[0].id;
    QSignalSpy spy(f.notes.get(), &NotesManager::itemsChanged);

    f.notes->indentItem(id);
    EXPECT_EQ(f.notes->items()[0].indent, 4);
    EXPECT_EQ(f.defaults.writeCount(key), 1);
    f.notes->indentItem(id);
    EXPECT_EQ(f.notes->items()[0].indent, 4);
    EXPECT_EQ(f.defaults.writeCount(key), 1);
    EXPECT_EQ(spy.count(), 1);

    for (int i = 0; i < 4; ++i) {
        f.notes->outdentItem(id);
    }
    EXPECT_EQ(f.notes->items()[0].indent, 0);
    EXPECT_EQ(f.defaults.writeCount(key), 5);
    f.notes->outdentItem(id);
    EXPECT_EQ(f.notes->items()[0].indent, 0);
    EXPECT_EQ(f.defaults.writeCount(key), 5);

    f.notes->indentItem(QUuid::createUuid());
    f.notes->outdentItem(QUuid::createUuid());
    EXPECT_EQ(f.defaults.writeCount(key), 5);
}

TEST(NotesEditing, AStoredDeepIndentOnlyMovesOutward) {
    Fixture f({item(QStringLiteral("deep"), 6), item(QStringLiteral("negative"), -2)});
    const QUuid deep = f.notes->items()[0].id;
    const QUuid negative = f.notes->items()[1].id;

    f.notes->indentItem(deep);
    EXPECT_EQ(f.notes->items()[0].indent, 6);
    f.notes->outdentItem(deep);
    EXPECT_EQ(f.notes->items()[0].indent, 5);

    f.notes->outdentItem(negative);
    EXPECT_EQ(f.notes->items()[1].indent, -2);
    f.notes->indentItem(negative);
    EXPECT_EQ(f.notes->items()[1].indent, -1);
}

TEST(NotesEditing, BackspaceInAnEmptyIndentedLineClimbsOutThenDeletes) {
    Fixture f({item(QStringLiteral("above")), item(QString(), 1), item(QStringLiteral("below"))});
    const QUuid empty = f.notes->items()[1].id;

    EXPECT_EQ(f.notes->backspaceEmptyItem(empty), std::nullopt);
    EXPECT_EQ(f.notes->items().size(), 3);
    EXPECT_EQ(f.notes->items()[1].indent, 0);
    EXPECT_EQ(f.defaults.writeCount(key), 1);

    EXPECT_EQ(f.notes->backspaceEmptyItem(empty), f.notes->items()[0].id);
    EXPECT_EQ(texts(*f.notes), (QStringList{QStringLiteral("above"), QStringLiteral("below")}));
    EXPECT_EQ(f.defaults.writeCount(key), 2);
}

TEST(NotesEditing, BackspaceInTheEmptyFirstLineFocusesTheNewFirstLine) {
    Fixture f({item(QString()), item(QStringLiteral("b")), item(QStringLiteral("c"))});
    const QUuid second = f.notes->items()[1].id;

    EXPECT_EQ(f.notes->backspaceEmptyItem(f.notes->items()[0].id), second);
    EXPECT_EQ(texts(*f.notes), (QStringList{QStringLiteral("b"), QStringLiteral("c")}));
}

TEST(NotesEditing, BackspaceInTheEmptyLastLineFocusesTheLineAbove) {
    Fixture f({item(QStringLiteral("a")), item(QStringLiteral("b")), item(QString())});
    const QUuid b = f.notes->items()[1].id;
    EXPECT_EQ(f.notes->backspaceEmptyItem(f.notes->items()[2].id), b);
    EXPECT_EQ(f.notes->items().size(), 2);
}

TEST(NotesEditing, BackspaceNeverDeletesTheLastNoteALineWithTextOrAnUnknownLine) {
    Fixture only({item(QString())});
    EXPECT_EQ(only.notes->backspaceEmptyItem(only.notes->items()[0].id), std::nullopt);
    EXPECT_EQ(only.notes->items().size(), 1);
    EXPECT_TRUE(only.defaults.writes.isEmpty());

    Fixture f({item(QStringLiteral("text"), 2), item(QString())});
    EXPECT_EQ(f.notes->backspaceEmptyItem(f.notes->items()[0].id), std::nullopt);
    EXPECT_EQ(f.notes->items()[0].indent, 2);
    EXPECT_EQ(f.notes->backspaceEmptyItem(QUuid::createUuid()), std::nullopt);
    EXPECT_EQ(f.notes->items().size(), 2);
    EXPECT_TRUE(f.defaults.writes.isEmpty());
}

TEST(NotesEditing, OperationsAddressTheFirstNoteWithARepeatedId) {
    NoteItem first = item(QStringLiteral("first"), 1);
    NoteItem twin = first;
    twin.text = QStringLiteral("twin");
    Fixture f({first, twin});

    f.notes->indentItem(first.id);
    EXPECT_EQ(f.notes->items()[0].indent, 2);
    EXPECT_EQ(f.notes->items()[1].indent, 1);
    const QUuid added = f.notes->addItem(first.id);
    EXPECT_EQ(f.notes->items()[1].id, added);
}

TEST(NotesClear, AClearCanBeTakenBackForAFewSecondsExactlyAsItWasAndIsSaved) {
    ManualMainQueue queue;
    MemoryUserDefaults defaults;
    NotesManager notes(defaults, &queue);
    NoteItem done = item(QStringLiteral("done"), 1);
    done.done = true;
    const QList<NoteItem> before{item(QStringLiteral("top")), done, item(QString(), 2),
                                 item(QStringLiteral("deep"), 4)};
    notes.setItems(before);

    const QUuid blank = notes.clear();
    EXPECT_EQ(notes.items().size(), 1);
    EXPECT_EQ(notes.items().first().id, blank);
    EXPECT_TRUE(notes.undoClear());
    EXPECT_EQ(notes.items(), before);
    EXPECT_EQ(NotesManager(defaults).items(), before); // saved as it is now

    // A line written after the clear is kept below the notes brought back; the line left
    // empty by the clear is not.
    notes.clear();
    notes.setText(notes.items().first().id, QStringLiteral("new"));
    notes.clear();
    notes.addItem(notes.items().first().id);
    EXPECT_TRUE(notes.undoClear());
    EXPECT_EQ(notes.items().mid(0, 4), before);
    EXPECT_EQ(texts(notes), (QStringList{QStringLiteral("top"), QStringLiteral("done"), QString(),
                                         QStringLiteral("deep"), QStringLiteral("new")}));

    notes.clear();
    queue.advance(UndoOffer::duration);
    EXPECT_FALSE(notes.undoClear());
    EXPECT_EQ(notes.items().size(), 1);
    // Without a clock nothing is offered.
    NotesManager untimed(defaults);
    untimed.setItems(before);
    untimed.clear();
    EXPECT_FALSE(untimed.clearUndo().isOpen());
    EXPECT_FALSE(untimed.undoClear());
}
