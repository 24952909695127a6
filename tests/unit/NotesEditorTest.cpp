#include "notes/NotesEditor.h"
#include "fakes/ManualMainQueue.h"
#include "fakes/MemoryUserDefaults.h"
#include "notes/NotesManager.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

const QString key = QStringLiteral("hodgebin.notes.v2");

NoteItem item(const QString& text, qint64 indent = 0) {
    NoteItem n = NoteItem::make(indent);
    n.text = text;
    return n;
}

// The notes tab as it comes on screen over stored notes: nothing focused yet.
class NotesEditorTest : public ::testing::Test {
protected:
    void start(const QList<NoteItem>& stored) {
        defaults.values.insert(key, encodeNotes(stored));
        notes = std::make_unique<NotesManager>(defaults);
        editor = std::make_unique<NotesEditor>(*notes, queue);
    }

    const QList<NoteItem>& items() const { return notes->items(); }
    QUuid idAt(qsizetype i) const { return items()[i].id; }
    QList<NoteItem> stored() const { return decodeNotes(defaults.dataForKey(key)).value(); }

    MemoryUserDefaults defaults;
    ManualMainQueue queue;
    std::unique_ptr<NotesManager> notes;
    std::unique_ptr<NotesEditor> editor;
};

} // namespace

TEST_F(NotesEditorTest, NothingIsFocusedUntilTheTabTakesOver) {
    start({item(QStringLiteral("a"))});
    EXPECT_EQ(editor->focusedId(), std::nullopt);
}

TEST_F(NotesEditorTest, ReturnInTheMiddleAddsAFocusedLineBelowAndScrollsToItShortlyAfter) {
    start({item(QStringLiteral("a")), item(QStringLiteral("b"), 2), item(QStringLiteral("c"))});
    QSignalSpy scroll(editor.get(), &NotesEditor::scrollToBottomRequested);
    QSignalSpy focus(editor.get(), &NotesEditor::focusedIdChanged);

    editor->submit(idAt(1));

    ASSERT_EQ(items().size(), 4);
    EXPECT_EQ(editor->focusedId(), idAt(2));
    EXPECT_EQ(items()[2].indent, 2);
    EXPECT_TRUE(items()[2].text.isEmpty());
    EXPECT_EQ(focus.count(), 1);
    EXPECT_EQ(stored(), items());

    queue.advance(0.049);
    EXPECT_EQ(scroll.count(), 0);
    queue.advance(0.001);
    ASSERT_EQ(scroll.count(), 1);
    EXPECT_EQ(scroll.at(0).at(0).value<QUuid>(), idAt(2));
}

TEST_F(NotesEditorTest, AScrollDueAfterTheTabWentAwayIsDropped) {
    start({item(QStringLiteral("a"))});
    editor->submit(idAt(0));
    editor.reset();
    queue.advance(1);
    EXPECT_EQ(queue.pendingCount(), 0);
    EXPECT_EQ(items().size(), 2);
}

TEST_F(NotesEditorTest, BackspaceMovesFocusOnlyWhenALineWasDeleted) {
    start({item(QStringLiteral("above")), item(QString(), 1)});
    const QUuid above = idAt(0);
    const QUuid empty = idAt(1);
    editor->setFocusedId(empty);
    QSignalSpy focus(editor.get(), &NotesEditor::focusedIdChanged);

    editor->backspaceEmpty(empty);
    EXPECT_EQ(items()[1].indent, 0);
    EXPECT_EQ(editor->focusedId(), empty);
    EXPECT_EQ(focus.count(), 0);

    editor->backspaceEmpty(empty);
    EXPECT_EQ(items().size(), 1);
    EXPECT_EQ(editor->focusedId(), above);

    // The only line left stays, and so does the focus.
    notes->setText(above, QString());
    editor->backspaceEmpty(above);
    EXPECT_EQ(items().size(), 1);
    EXPECT_EQ(editor->focusedId(), above);
}

TEST_F(NotesEditorTest, BackspaceInTheEmptyFirstOfThreeFocusesTheNewFirstLine) {
    start({item(QString()), item(QStringLiteral("b")), item(QStringLiteral("c"))});
    const QUuid b = idAt(1);
    editor->setFocusedId(idAt(0));
    editor->backspaceEmpty(idAt(0));
    EXPECT_EQ(editor->focusedId(), b);
    EXPECT_EQ(items().size(), 2);
}

TEST_F(NotesEditorTest, TabAndShiftTabChangeDepthAndLeaveFocusAlone) {
    start({item(QStringLiteral("a"), 3)});
    const QUuid a = idAt(0);
    editor->setFocusedId(a);
    editor->indent(a);
    editor->indent(a);
    EXPECT_EQ(items()[0].indent, 4);
    editor->outdent(a);
    EXPECT_EQ(items()[0].indent, 3);
    EXPECT_EQ(stored(), items());
    EXPECT_EQ(editor->focusedId(), a);
}

TEST_F(NotesEditorTest, TheDoneMarkFlipsBothWaysAndEachClickSaves) {
    start({item(QStringLiteral("a"))});
    const QUuid a = idAt(0);
    defaults.writes.clear();

    editor->toggleDone(a);
    EXPECT_TRUE(items()[0].done);
    EXPECT_TRUE(stored()[0].done);
    editor->toggleDone(a);
    EXPECT_FALSE(items()[0].done);
    EXPECT_EQ(defaults.writeCount(key), 2);

    editor->toggleDone(QUuid::createUuid());
    EXPECT_EQ(defaults.writeCount(key), 2);
}

TEST_F(NotesEditorTest, TypingWritesTheTextAfterEveryChange) {
    start({item(QString())});
    const QUuid a = idAt(0);
    defaults.writes.clear();
    for (const char* text : {"h", "hi", "hi!"}) {
        editor->editText(a, QString::fromUtf8(text));
    }
    EXPECT_EQ(items()[0].text, QStringLiteral("hi!"));
    EXPECT_EQ(stored()[0].text, QStringLiteral("hi!"));
    EXPECT_EQ(defaults.writeCount(key), 3);
}

TEST_F(NotesEditorTest, ClearLeavesOneFreshEmptyLineAndFocusesIt) {
    start({item(QStringLiteral("a"), 2), item(QStringLiteral("b")), item(QString(), 4)});
    const QList<NoteItem> before = items();
    editor->clear();

    ASSERT_EQ(items().size(), 1);
    EXPECT_TRUE(items()[0].text.isEmpty());
    EXPECT_FALSE(items()[0].done);
    EXPECT_EQ(items()[0].indent, 0);
    for (const NoteItem& old : before) {
        EXPECT_NE(items()[0].id, old.id);
    }
    EXPECT_EQ(editor->focusedId(), idAt(0));
    EXPECT_EQ(stored(), items());

    // Also from an empty list.
    notes->setItems({});
    editor->clear();
    EXPECT_EQ(items().size(), 1);
    EXPECT_EQ(editor->focusedId(), idAt(0));
}

TEST_F(NotesEditorTest, PendingTextGoesIntoAnEmptyLastLine) {
    start({item(QStringLiteral("a"), 1), item(QString(), 2)});
    editor->takeOverPendingText(QStringLiteral("a"));

    ASSERT_EQ(items().size(), 2);
    EXPECT_EQ(items()[1].text, QStringLiteral("a"));
    EXPECT_EQ(items()[1].indent, 2);
    EXPECT_EQ(editor->focusedId(), idAt(1));
    EXPECT_EQ(stored(), items());
}

TEST_F(NotesEditorTest, PendingTextAfterALastLineWithTextIsAppendedAtItsDepth) {
    start({item(QString()), item(QStringLiteral("last"), 3)});
    editor->takeOverPendingText(QStringLiteral("a"));

    ASSERT_EQ(items().size(), 3);
    EXPECT_EQ(items()[0].text, QString()) << "an empty line higher up is not used";
    EXPECT_EQ(items()[2].text, QStringLiteral("a"));
    EXPECT_EQ(items()[2].indent, 3);
    EXPECT_EQ(editor->focusedId(), idAt(2));
    EXPECT_EQ(stored(), items());
}

TEST_F(NotesEditorTest, PendingTextIntoAnEmptyListBecomesTheFirstLine) {
    start({});
    ASSERT_TRUE(items().isEmpty());
    editor->takeOverPendingText(QStringLiteral("ü🙂"));

    ASSERT_EQ(items().size(), 1);
    EXPECT_EQ(items()[0].text, QStringLiteral("ü🙂"));
    EXPECT_EQ(items()[0].indent, 0);
    EXPECT_EQ(editor->focusedId(), idAt(0));
}

TEST_F(NotesEditorTest, WithoutPendingTextTheLastLineIsFocusedOrNothingInAnEmptyList) {
    start({item(QStringLiteral("a")), item(QString())});
    editor->takeOverPendingText(std::nullopt);
    EXPECT_EQ(editor->focusedId(), idAt(1));
    EXPECT_EQ(items().size(), 2);

    notes->setItems({});
    editor->takeOverPendingText(std::nullopt);
    EXPECT_EQ(editor->focusedId(), std::nullopt);
}
