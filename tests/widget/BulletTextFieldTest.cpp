#include "notes/BulletTextField.h"
#include "notes/NoteRow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// A field in a window beside another control that Tab could move the focus to, with a window
// shortcut on each of the field's keys that must never fire while the field has them.
struct FieldFixture : ::testing::Test {
    QWidget window;
    BulletTextField* field = new BulletTextField(&window);
    QLineEdit* other = new QLineEdit(&window);
    int submits = 0, indents = 0, outdents = 0, backspaces = 0, shortcuts = 0;
    QStringList edits;

    FieldFixture() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(field);
        layout->addWidget(other);
        for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Tab),
                                        QKeySequence(Qt::Key_Backspace)}) {
            auto* action = new QAction(&window);
            action->setShortcut(key);
            QObject::connect(action, &QAction::triggered, [this] { ++shortcuts; });
            window.addAction(action);
        }
        QObject::connect(field, &BulletTextField::submitted, [this] { ++submits; });
        QObject::connect(field, &BulletTextField::indentRequested, [this] { ++indents; });
        QObject::connect(field, &BulletTextField::outdentRequested, [this] { ++outdents; });
        QObject::connect(field, &BulletTextField::emptyBackspaced, [this] { ++backspaces; });
        QObject::connect(field, &BulletTextField::textEdited,
                         [this](const QString& text) { edits << text; });
        window.resize(240, 120);
        window.show();
        QApplication::setActiveWindow(&window);
        field->setFocus();
    }
};

} // namespace

TEST_F(FieldFixture, ReturnTabAndShiftTabBecomeCallbacksAndNeitherEditNorMoveTheFocus) {
    field->setText(QStringLiteral("abc"));
    QTest::keyClick(field, Qt::Key_Return);
    QTest::keyClick(field, Qt::Key_Enter);
    QTest::keyClick(field, Qt::Key_Tab);
    QTest::keyClick(field, Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClick(field, Qt::Key_Tab, Qt::ShiftModifier);

    EXPECT_EQ(submits, 2);
    EXPECT_EQ(indents, 1);
    EXPECT_EQ(outdents, 2);
    EXPECT_EQ(field->text(), QStringLiteral("abc"));
    EXPECT_EQ(field->document()->blockCount(), 1);
    EXPECT_TRUE(edits.isEmpty());
    EXPECT_TRUE(field->hasFocus());
    EXPECT_EQ(shortcuts, 0);
}

TEST_F(FieldFixture, BackspaceInAnEmptyFieldFiresOnceAsARawKeyOrAsACommand) {
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(backspaces, 1);
    field->deleteBackward();
    EXPECT_EQ(backspaces, 2);

    // With text it is ordinary editing, either way.
    field->setText(QStringLiteral("ab"));
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(field->text(), QStringLiteral("a"));
    field->deleteBackward();
    EXPECT_EQ(field->text(), QString());
    EXPECT_EQ(backspaces, 2);
    EXPECT_EQ(edits, (QStringList{QStringLiteral("a"), QString()}));
    EXPECT_EQ(shortcuts, 0);
}

TEST_F(FieldFixture, DoneStrikesAndDimsWhileEditingWithoutTouchingTextCaretOrUndo) {
    QTest::keyClicks(field, QStringLiteral("hello world"));
    QTextCursor cursor = field->textCursor();
    cursor.setPosition(5);
    field->setTextCursor(cursor);
    edits.clear();

    field->setDone(true);
    EXPECT_TRUE(field->font().strikeOut());
    EXPECT_NEAR(field->palette().color(QPalette::Text).alphaF(), 0.3, 0.01);
    EXPECT_EQ(field->textCursor().position(), 5);
    EXPECT_EQ(field->text(), QStringLiteral("hello world"));
    EXPECT_TRUE(edits.isEmpty());
    // Undo still takes back typing, not styling.
    field->undo();
    EXPECT_NE(field->text(), QStringLiteral("hello world"));
    field->redo();
    cursor.setPosition(5);
    field->setTextCursor(cursor);

    // What is typed next has the same look; unmarking restores it.
    QTest::keyClick(field, Qt::Key_X);
    EXPECT_EQ(field->text(), QStringLiteral("hellox world"));
    field->setDone(false);
    EXPECT_FALSE(field->font().strikeOut());
    EXPECT_NEAR(field->palette().color(QPalette::Text).alphaF(), 0.85, 0.01);
    EXPECT_EQ(field->textCursor().position(), 6);
}

TEST_F(FieldFixture, AnOutsideChangeShowsWithTheCaretAfterItAndIsNotEchoed) {
    field->setText(QStringLiteral("a"));
    EXPECT_EQ(field->text(), QStringLiteral("a"));
    EXPECT_EQ(field->textCursor().position(), 1);
    EXPECT_TRUE(edits.isEmpty());
    QTest::keyClick(field, Qt::Key_B);
    EXPECT_EQ(edits, QStringList{QStringLiteral("ab")});
}

TEST_F(FieldFixture, PastedLinesStayOneLineWithEveryWord) {
    field->setText(QStringLiteral("x"));
    QApplication::clipboard()->setText(
        QStringLiteral("one\ntwo\r\nthree\rfour\u2028five\u2029six"));
    field->paste();
    EXPECT_EQ(field->text(), QStringLiteral("xone two three four five six"));
    EXPECT_EQ(field->document()->blockCount(), 1);
    EXPECT_EQ(edits.last(), field->text());
}

TEST_F(FieldFixture, LongTextWrapsAndGrowsAsThePaintedLineDoes) {
    field->setFixedWidth(180);
    const int oneLine = field->contentHeight();
    const QStringList samples{
        QStringLiteral("short"),
        QStringLiteral("a sentence long enough to need two or three lines in a narrow field"),
        QString(600, QLatin1Char('w')),
        QStringLiteral("مرحبا بالعالم هذا سطر طويل من النص العربي الذي يلتف "
                       "🙂🙂🙂 "
                       "emoji"),
    };
    for (const QString& text : samples) {
        field->setText(text);
        // The list measures idle lines without an editor; they must wrap the same, or a line
        // would jump as it is clicked into.
        EXPECT_EQ(field->contentHeight(),
                  int(NoteRow::textHeight(text, field->viewport()->width())))
            << text.left(20).toStdString();
        EXPECT_EQ(field->horizontalScrollBar()->maximum(), 0);
    }
    field->setText(QString(600, QLatin1Char('w')));
    EXPECT_GT(field->contentHeight(), 3 * oneLine);
}
