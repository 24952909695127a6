#include "notes/NotesView.h"
#include "clipboard/ClipboardManager.h"
#include "fakes/FakePlatform.h"
#include "notes/BulletTextField.h"
#include "notes/NoteRow.h"
#include "notes/NoteRowList.h"
#include "notes/NotesEditor.h"
#include "notes/NotesManager.h"
#include "panel/PanelState.h"
#include "screenshots/ScreenshotManager.h"
#include "shelf/FileShelfManager.h"
#include "widgets/DrawerStyle.h"
#include "widgets/FadingSnapshot.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPropertyAnimation>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString key = QStringLiteral("hodgebin.notes.v2");

NoteItem line(const QString& text, qint64 indent = 0, bool done = false) {
    NoteItem n = NoteItem::make(indent);
    n.text = text;
    n.done = done;
    return n;
}

// The notes tab over fakes in a window of the drawer's size, with these notes stored before it
// opens.
struct NotesTab {
    explicit NotesTab(const QList<NoteItem>& stored, const std::optional<QString>& pending = {},
                      QSize size = {380, 420}) {
        fake.screenCapture.answer = screenshots.path();
        shots = std::make_unique<ScreenshotManager>(fake.mainQueue, fake.directoryWatcher,
                                                    fake.screenCapture);
        fake.userDefaults.values.insert(key, encodeNotes(stored));
        notes = std::make_unique<NotesManager>(fake.userDefaults, &fake.mainQueue);
        panel.setPendingNoteText(pending);
        ctx = std::make_unique<DrawerContext>(DrawerContext{clipboard, shelf, *notes, *shots, panel,
                                                            fake.notificationCenter, fake.mainQueue,
                                                            fake.workspace, fake.pasteboard});
        view = new NotesView(*ctx, &window);
        window.resize(size);
        view->resize(size);
        window.show();
        QApplication::setActiveWindow(&window);
    }

    BulletTextField* field() const { return view->list()->field(); }
    QList<NoteItem> stored() const {
        return decodeNotes(fake.userDefaults.dataForKey(key)).value_or(QList<NoteItem>{});
    }
    const NoteItem& at(qsizetype i) const { return notes->items()[i]; }
    std::optional<QUuid> focused() const { return view->editor().focusedId(); }
    // A click on a line: on its mark, or into its text.
    void click(qsizetype i, bool onMark) {
        const NoteItem& item = at(i);
        const QRect row = view->list()->rowRect(item.id);
        const NoteRow layout(item, row.width());
        const QRectF target = onMark ? layout.markRect() : layout.textRect();
        QTest::mouseClick(view->list()->viewport(), Qt::LeftButton, {},
                          row.topLeft() + target.center().toPoint());
    }

    QTemporaryDir screenshots;
    FakePlatform fake;
    ClipboardManager clipboard{fake.pasteboard, fake.workspace, fake.mainQueue};
    FileShelfManager shelf{&fake.workspace, fake.mainQueue};
    std::unique_ptr<ScreenshotManager> shots;
    PanelState panel{fake.mainQueue};
    std::unique_ptr<NotesManager> notes;
    std::unique_ptr<DrawerContext> ctx;
    QWidget window;
    NotesView* view = nullptr;
};

} // namespace

TEST(NotesView, TextTypedIntoTheDrawerBecomesANoteWithTheCaretAfterItReadyForTheNextKey) {
    NotesTab tab({line(QStringLiteral("groceries"), 2)}, QStringLiteral("a"));

    ASSERT_EQ(tab.notes->items().size(), 2);
    EXPECT_EQ(tab.at(1).text, QStringLiteral("a"));
    EXPECT_EQ(tab.at(1).indent, 2);
    EXPECT_EQ(tab.panel.pendingNoteText(), std::nullopt);
    EXPECT_EQ(tab.focused(), tab.at(1).id);
    EXPECT_TRUE(tab.field()->hasFocus());
    EXPECT_EQ(tab.field()->text(), QStringLiteral("a"));
    EXPECT_EQ(tab.field()->textCursor().position(), 1);

    QTest::keyClick(tab.field(), Qt::Key_B);
    EXPECT_EQ(tab.at(1).text, QStringLiteral("ab"));
    EXPECT_EQ(tab.stored(), tab.notes->items()) << "saved at the keystroke";
}

TEST(NotesView, TextTypedWhileTheTabIsShownWaitsForItsNextAppearance) {
    NotesTab tab({line(QStringLiteral("a"))});
    tab.panel.setPendingNoteText(QStringLiteral("later"));
    QTest::keyClick(tab.field(), Qt::Key_Return);
    QTest::keyClick(tab.field(), Qt::Key_X);
    EXPECT_EQ(tab.panel.pendingNoteText(), QStringLiteral("later"));
    EXPECT_EQ(tab.at(1).text, QStringLiteral("x"));

    tab.view->hide();
    tab.view->show();
    EXPECT_EQ(tab.notes->items().last().text, QStringLiteral("later"));
    EXPECT_EQ(tab.panel.pendingNoteText(), std::nullopt);
}

TEST(NotesView, KeysOfTheFocusedLineEditTheOutlineAndTheFocusFollows) {
    NotesTab tab({line(QStringLiteral("first"))});
    ASSERT_EQ(tab.focused(), tab.at(0).id) << "opening focuses the last line";

    QTest::keyClick(tab.field(), Qt::Key_Return);
    ASSERT_EQ(tab.notes->items().size(), 2);
    EXPECT_EQ(tab.focused(), tab.at(1).id);
    EXPECT_EQ(tab.field()->text(), QString());

    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(tab.field(), Qt::Key_Tab);
    }
    EXPECT_EQ(tab.at(1).indent, 4);
    QTest::keyClick(tab.field(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(tab.at(1).indent, 3);
    EXPECT_TRUE(tab.field()->hasFocus());

    // Backspace climbs out level by level, then deletes the line; as a key and as a command.
    QTest::keyClick(tab.field(), Qt::Key_Backspace);
    tab.field()->deleteBackward();
    QTest::keyClick(tab.field(), Qt::Key_Backspace);
    EXPECT_EQ(tab.at(1).indent, 0);
    EXPECT_EQ(tab.focused(), tab.at(1).id);
    tab.field()->deleteBackward();
    ASSERT_EQ(tab.notes->items().size(), 1);
    EXPECT_EQ(tab.focused(), tab.at(0).id);
    EXPECT_EQ(tab.field()->text(), QStringLiteral("first"));
    EXPECT_EQ(tab.field()->textCursor().position(), 5);
    EXPECT_EQ(tab.stored(), tab.notes->items());
}

TEST(NotesView, TickingTheLineBeingEditedStrikesItWithoutMovingTheCaretOrTheFocus) {
    NotesTab tab({line(QStringLiteral("other")), line(QStringLiteral("hello world"))});
    QTextCursor cursor = tab.field()->textCursor();
    cursor.setPosition(3);
    tab.field()->setTextCursor(cursor);

    tab.click(1, true);
    EXPECT_TRUE(tab.at(1).done);
    EXPECT_TRUE(tab.stored()[1].done);
    EXPECT_TRUE(tab.field()->isDone());
    EXPECT_EQ(tab.field()->textCursor().position(), 3);
    EXPECT_TRUE(tab.field()->hasFocus());

    tab.click(1, true);
    EXPECT_FALSE(tab.at(1).done);
    EXPECT_FALSE(tab.field()->isDone());

    // Another line's mark ticks that line; a click into its text moves the editor there.
    tab.click(0, true);
    EXPECT_TRUE(tab.at(0).done);
    EXPECT_EQ(tab.focused(), tab.at(1).id);
    tab.click(0, false);
    EXPECT_EQ(tab.focused(), tab.at(0).id);
    EXPECT_EQ(tab.field()->text(), QStringLiteral("other"));
    EXPECT_TRUE(tab.field()->isDone());
}

TEST(NotesView, ReturnAtTheBottomOfALongListScrollsTheNewLineIntoView) {
    QList<NoteItem> many;
    for (int i = 0; i < 80; ++i) {
        many << line(QStringLiteral("line %1").arg(i), i % 3);
    }
    NotesTab tab(many);
    QScrollBar* bar = tab.view->list()->verticalScrollBar();
    const int viewportHeight = tab.view->list()->viewport()->height();
    const auto inView = [&](const QRect& row) {
        return row.top() >= 0 && row.bottom() < viewportHeight;
    };
    EXPECT_TRUE(inView(tab.view->list()->rowRect(tab.at(79).id)))
        << "the focused last line is shown on opening";

    QTest::keyClick(tab.field(), Qt::Key_Return);
    ASSERT_EQ(tab.notes->items().size(), 81);
    EXPECT_FALSE(inView(tab.view->list()->rowRect(tab.at(80).id)))
        << "the scroll waits for its delay";
    tab.fake.mainQueue.advance(NotesEditor::scrollDelay);
    auto* animation = tab.view->list()->findChild<QPropertyAnimation*>();
    ASSERT_NE(animation, nullptr);
    animation->setCurrentTime(animation->duration());

    const QRect row = tab.view->list()->rowRect(tab.at(80).id);
    EXPECT_TRUE(inView(row));
    EXPECT_EQ(bar->value(), bar->maximum());
    // The editor moved with the list.
    EXPECT_TRUE(row.contains(tab.field()->geometry().center()));
}

TEST(NotesView, ClearLeavesOneFocusedEmptyLineAndAnEmptyListShowsNoClear) {
    NotesTab tab({line(QStringLiteral("a"), 1, true), line(QStringLiteral("b"))});
    QTest::mouseClick(tab.view->clearButton(), Qt::LeftButton);
    ASSERT_EQ(tab.notes->items().size(), 1);
    EXPECT_EQ(tab.at(0).text, QString());
    EXPECT_EQ(tab.at(0).indent, 0);
    EXPECT_EQ(tab.focused(), tab.at(0).id);
    EXPECT_EQ(tab.field()->text(), QString());
    EXPECT_TRUE(tab.field()->hasFocus());

    NotesTab empty({});
    EXPECT_FALSE(empty.view->clearButton()->isVisibleTo(empty.view));
    EXPECT_EQ(empty.focused(), std::nullopt);
}

TEST(NotesView, UndoInTheHeaderOrCtrlZInTheEmptyLineBringsTheClearedNotesBack) {
    const QList<NoteItem> before{line(QStringLiteral("a"), 1, true), line(QStringLiteral("b"))};
    NotesTab tab(before);
    QAbstractButton* button = tab.view->clearButton();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(button->text(), QStringLiteral("Undo"));
    ASSERT_TRUE(tab.field()->hasFocus());
    // The line left by the clear has nothing of its own to undo: Ctrl+Z is the drawer's.
    QTest::keyClick(tab.field(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(tab.notes->items(), before);
    EXPECT_EQ(tab.stored(), before);
    EXPECT_EQ(button->text(), QStringLiteral("Clear"));
    EXPECT_EQ(tab.focused(), before.last().id);

    // Typed into the line, Ctrl+Z is the line's own first; the header's Undo still works.
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::keyClick(tab.field(), Qt::Key_X);
    QTest::keyClick(tab.field(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(tab.field()->text(), QString());
    EXPECT_EQ(tab.notes->items().size(), 1);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(tab.notes->items(), before);

    // A few seconds later the clear is for good.
    QTest::mouseClick(button, Qt::LeftButton);
    tab.fake.mainQueue.advance(UndoOffer::duration);
    EXPECT_EQ(button->text(), QStringLiteral("Clear"));
    QTest::keyClick(tab.field(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(tab.notes->items().size(), 1);
}

TEST(NotesView, ClearedLinesFadeOutOverTheFreshLineWhichIsReadyAtOnce) {
    NotesTab tab({line(QStringLiteral("first")), line(QStringLiteral("second"), 1),
                  line(QStringLiteral("third"))});
    QWidget* viewport = tab.view->list()->viewport();
    // The middle line: the editor sits in the last one, with a caret that blinks.
    const QRect middle = tab.view->list()->rowRect(tab.at(1).id);
    const QImage before = viewport->grab(middle).toImage();

    QTest::mouseClick(tab.view->clearButton(), Qt::LeftButton);
    ASSERT_EQ(tab.notes->items().size(), 1);
    // The lines that went are still seen as the fade starts; the keyboard is in the new line.
    FadingSnapshot* fading = tab.view->list()->fadingLines();
    ASSERT_NE(fading, nullptr);
    EXPECT_EQ(viewport->grab(middle).toImage(), before);
    QTest::keyClick(tab.field(), Qt::Key_X);
    EXPECT_EQ(tab.at(0).text, QStringLiteral("x"));

    fading->finish();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(tab.view->list()->fadingLines(), nullptr);
    // Nothing is left of them.
    QImage after = viewport->grab(middle).toImage();
    QImage plain(after.size(), after.format());
    plain.fill(DrawerStyle::background());
    EXPECT_EQ(after, plain);

    // A tab that is not on screen changes at once (once the first clear is for good).
    tab.fake.mainQueue.advance(UndoOffer::duration);
    tab.window.hide();
    tab.notes->setItems({line(QStringLiteral("a")), line(QStringLiteral("b"))});
    tab.view->clearButton()->click();
    EXPECT_EQ(tab.notes->items().size(), 1);
    EXPECT_EQ(tab.view->list()->fadingLines(), nullptr);
}

TEST(NotesView, ANoticeShowsWhileNotesCannotBeSavedAndGoesWhenTheNextChangeIs) {
    NotesTab tab({line(QStringLiteral("a"))});
    EXPECT_FALSE(tab.view->notice()->isVisibleTo(tab.view));

    tab.fake.userDefaults.failWrites = true;
    QTest::keyClick(tab.field(), Qt::Key_B);
    EXPECT_TRUE(tab.view->notice()->isVisibleTo(tab.view));
    EXPECT_EQ(tab.at(0).text, QStringLiteral("ab")) << "typing goes on";

    tab.fake.userDefaults.failWrites = false;
    QTest::keyClick(tab.field(), Qt::Key_C);
    EXPECT_FALSE(tab.view->notice()->isVisibleTo(tab.view));
    EXPECT_EQ(tab.stored()[0].text, QStringLiteral("abc"));
}

TEST(NotesView, TypingPastTheEndOfALineWrapsItAndTheRowGrowsWithTheWholeTextInView) {
    NotesTab tab({line(QStringLiteral("below")), line(QString())});
    const QRect before = tab.view->list()->rowRect(tab.at(1).id);
    for (int i = 0; i < 12; ++i) {
        QTest::keyClicks(tab.field(), QStringLiteral("words and "));
    }
    const QRect after = tab.view->list()->rowRect(tab.at(1).id);
    EXPECT_GT(after.height(), before.height() + tab.field()->fontMetrics().height());
    EXPECT_EQ(tab.field()->height(), tab.field()->contentHeight());
    // The editor shows its text from the first line; it never scrolls inside itself.
    EXPECT_EQ(tab.field()->verticalScrollBar()->value(), 0);
    EXPECT_EQ(tab.field()->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(tab.field()->cursorRect(QTextCursor(tab.field()->document())).top(), 0);

    // The mark stays beside the first line of the wrapped text, edited or painted.
    const QRect firstLine = tab.field()->cursorRect(QTextCursor(tab.field()->document()));
    for (const NoteRow& row : {NoteRow(tab.at(1), after.width(), tab.field()->height()),
                               NoteRow(tab.at(1), after.width())}) {
        EXPECT_GT(row.textRect().height(), 2 * firstLine.height());
        const qreal middle = row.markRect().center().y() - row.textRect().top();
        EXPECT_GE(middle, firstLine.top());
        EXPECT_LE(middle, firstLine.bottom());
    }
}
