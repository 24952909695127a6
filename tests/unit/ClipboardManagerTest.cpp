#include "clipboard/ClipboardManager.h"
#include "ClipboardTestSupport.h"
#include "fakes/FakePasteboard.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/ManualMainQueue.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

class ClipboardManagerTest : public ::testing::Test {
protected:
    ClipboardManagerTest() { pasteboard.copyText(QStringLiteral("there before launch")); }

    void start() { manager.startPolling(); }
    // Lets the read of the changes announced so far begin.
    void tick() { queue.advance(ClipboardManager::settleDelay); }
    void copyAndTick(const QString& text) {
        pasteboard.copyText(text);
        tick();
    }
    QStringList texts(const QList<ClipboardItem>& items) const {
        QStringList out;
        for (const ClipboardItem& item : items) {
            out.append(item.content.textValue());
        }
        return out;
    }
    // Fills the history with n texts "1".."n" (newest last), one per tick.
    void capture(int n, int from = 1) {
        for (int i = from; i < from + n; ++i) {
            copyAndTick(QString::number(i));
        }
    }

    FakePasteboard pasteboard;
    FakeWorkspace workspace;
    ManualMainQueue queue;
    ClipboardManager manager{pasteboard, workspace, queue};
};

} // namespace

TEST_F(ClipboardManagerTest, ContentPresentAtStartIsNeverRecordedButTheFirstChangeIs) {
    start();
    EXPECT_TRUE(manager.isPolling());
    EXPECT_EQ(manager.lastChangeCount(), pasteboard.changeCount());
    tick();
    tick();
    EXPECT_TRUE(manager.items().isEmpty());

    queue.advance(0.2);
    pasteboard.copyText(QStringLiteral("first"));
    EXPECT_TRUE(manager.items().isEmpty()); // read once the change has settled
    tick();
    ASSERT_EQ(manager.items().size(), 1);
    const ClipboardItem& item = manager.items().first();
    EXPECT_EQ(item.content.textValue(), QStringLiteral("first"));
    EXPECT_EQ(item.timestamp, queue.now());
}

TEST_F(ClipboardManagerTest, CopiesATenthOfASecondApartAreEachRecordedInOrder) {
    start();
    QStringList expected;
    for (int i = 1; i <= 20; ++i) {
        const QString text = QString::number(i);
        if (i == 7) {
            // An owner that sends nothing, and one that marks its copy secret, give no entry.
            pasteboard.copy({{PasteboardType::string, text.toUtf8()}});
            pasteboard.failingTypes = {PasteboardType::string};
        } else if (i == 13) {
            pasteboard.copy(
                {{PasteboardType::string, text.toUtf8()}, {PasteboardType::secretHint, "secret"}});
        } else {
            pasteboard.copyText(text);
            expected.prepend(text);
        }
        queue.advance(0.1);
        pasteboard.failingTypes.clear();
    }
    EXPECT_EQ(texts(manager.items()), expected);
}

TEST_F(ClipboardManagerTest, TheSourceIsTheOwnerElseTheFrontmostApplication) {
    start();
    workspace.activeApplication = QStringLiteral("gedit");
    pasteboard.copyText(QStringLiteral("from the owner"), QStringLiteral("Firefox"));
    tick();
    pasteboard.copyText(QStringLiteral("from an owner that tells nothing"));
    tick();
    workspace.activeApplication.reset();
    pasteboard.copyText(QStringLiteral("from nobody known"));
    tick();
    ASSERT_EQ(manager.items().size(), 3);
    EXPECT_EQ(manager.items()[2].sourceApp, QStringLiteral("Firefox"));
    EXPECT_EQ(manager.items()[1].sourceApp, QStringLiteral("gedit"));
    EXPECT_EQ(manager.items()[0].sourceApp, std::nullopt);
}

TEST_F(ClipboardManagerTest, NothingIsScheduledWhileTheClipboardDoesNotChange) {
    start();
    EXPECT_EQ(queue.pendingCount(), 0);
    queue.advance(0.2);
    pasteboard.copyText(QStringLiteral("one"));
    EXPECT_NE(manager.settleTimer(), nullptr);
    tick();
    ASSERT_EQ(manager.items().size(), 1);
    // The change is handled: nothing is left scheduled until the next one.
    EXPECT_EQ(manager.settleTimer(), nullptr);
    EXPECT_EQ(queue.pendingCount(), 0);
    queue.advance(60);
    pasteboard.copyText(QStringLiteral("two"));
    tick();
    EXPECT_EQ(manager.items().size(), 2);
}

TEST_F(ClipboardManagerTest, AChangeIsConsumedWhenNoticedAndALaterOneWinsWhileTheReadIsUnderWay) {
    start();
    pasteboard.holdReads = true;
    copyAndTick(QStringLiteral("first"));
    EXPECT_EQ(manager.lastChangeCount(), pasteboard.changeCount());
    tick();
    EXPECT_EQ(pasteboard.held.size(), 1u); // not asked again
    // Two more copies replace the first before its read is reached: that read finds it gone,
    // and the two, announced within one settle, are read once.
    pasteboard.copyText(QStringLiteral("second"));
    copyAndTick(QStringLiteral("third"));
    EXPECT_EQ(pasteboard.held.size(), 2u);
    EXPECT_TRUE(manager.items().isEmpty());
    pasteboard.finishReads();
    EXPECT_EQ(texts(manager.items()), QStringList{QStringLiteral("third")});
}

TEST_F(ClipboardManagerTest, ARepeatIsJudgedAgainstTheNewestEntryWhenTheReadArrives) {
    start();
    copyAndTick(QStringLiteral("older"));
    pasteboard.holdReads = true;
    copyAndTick(QStringLiteral("dropped"));
    // The same text reaches the top another way while the clipboard is being read.
    manager.insertAtTop(ClipboardItem::make(ClipboardContent::text(QStringLiteral("dropped")),
                                            queue.now(), QStringLiteral("Drop")));
    pasteboard.finishReads();
    EXPECT_EQ(texts(manager.items()),
              (QStringList{QStringLiteral("dropped"), QStringLiteral("older")}));
    // And the other way round: the entry it repeated has gone from the top.
    copyAndTick(QStringLiteral("dropped"));
    manager.remove(manager.items()[0].id);
    pasteboard.finishReads();
    EXPECT_EQ(texts(manager.items()),
              (QStringList{QStringLiteral("dropped"), QStringLiteral("older")}));
}

TEST_F(ClipboardManagerTest, AnUnchangedTickReadsNothing) {
    start();
    const int reads = pasteboard.reads;
    for (int i = 0; i < 10; ++i) {
        tick();
    }
    EXPECT_EQ(pasteboard.reads, reads);
}

TEST_F(ClipboardManagerTest, OnlyARepeatOfTheNewestEntryIsSuppressed) {
    start();
    copyAndTick(QStringLiteral("A"));
    copyAndTick(QStringLiteral("A"));
    EXPECT_EQ(texts(manager.items()), QStringList{QStringLiteral("A")});
    copyAndTick(QStringLiteral("B"));
    copyAndTick(QStringLiteral("A"));
    EXPECT_EQ(texts(manager.items()),
              (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("A")}));
    // The same words as composed and decomposed characters are the same text.
    copyAndTick(QStringLiteral("\u00c5"));
    copyAndTick(QStringLiteral("A\u030a"));
    EXPECT_EQ(manager.items().size(), 4);
}

TEST_F(ClipboardManagerTest, TwoCopiesWithinOneSettleGiveOneEntryForTheLater) {
    start();
    pasteboard.copyText(QStringLiteral("early"));
    pasteboard.copyText(QStringLiteral("late"));
    tick();
    EXPECT_EQ(texts(manager.items()), QStringList{QStringLiteral("late")});
}

TEST_F(ClipboardManagerTest, TheSameImageTwiceGivesTwoEntries) {
    start();
    const QByteArray png = encodedImage("png");
    pasteboard.copy({{PasteboardType::png, png}});
    tick();
    pasteboard.copy({{PasteboardType::png, png}});
    tick();
    ASSERT_EQ(manager.items().size(), 2);
    EXPECT_EQ(manager.items()[0].content.kind(), ClipboardContent::Kind::image);
    EXPECT_EQ(manager.items()[1].content.kind(), ClipboardContent::Kind::image);
}

TEST_F(ClipboardManagerTest, AnUnreadableChangeIsConsumedAndNotRetried) {
    start();
    pasteboard.copy({{PasteboardType::string, "words"}});
    pasteboard.failingTypes = {PasteboardType::string};
    tick();
    EXPECT_TRUE(manager.items().isEmpty());
    EXPECT_EQ(manager.lastChangeCount(), pasteboard.changeCount());
    // The owner answers now, but the change was already handled.
    pasteboard.failingTypes.clear();
    tick();
    EXPECT_TRUE(manager.items().isEmpty());
    copyAndTick(QStringLiteral("next"));
    EXPECT_EQ(manager.items().size(), 1);
}

TEST_F(ClipboardManagerTest, ContentMarkedSecretIsNotRecorded) {
    start();
    copyAndTick(QStringLiteral("visible"));
    pasteboard.copy({{PasteboardType::string, "correct horse battery staple"},
                     {PasteboardType::secretHint, "secret"}});
    tick();
    EXPECT_EQ(texts(manager.items()), QStringList{QStringLiteral("visible")});
    EXPECT_EQ(manager.lastChangeCount(), pasteboard.changeCount());
    // The same text copied again without the mark is an ordinary copy.
    copyAndTick(QStringLiteral("correct horse battery staple"));
    EXPECT_EQ(manager.items().size(), 2);
}

TEST_F(ClipboardManagerTest, The101stCaptureDropsTheOldest) {
    start();
    capture(101);
    ASSERT_EQ(manager.items().size(), 100);
    EXPECT_EQ(manager.items().first().content.textValue(), QStringLiteral("101"));
    EXPECT_EQ(manager.items().last().content.textValue(), QStringLiteral("2"));
}

TEST_F(ClipboardManagerTest, ThreePinnedAmongAHundredSurviveAndOrderStaysByTime) {
    start();
    capture(100);
    // Entries "1" (the oldest), "40" and "90" are pinned.
    for (const ClipboardItem& item : manager.items()) {
        const QString t = item.content.textValue();
        if (t == QStringLiteral("1") || t == QStringLiteral("40") || t == QStringLiteral("90")) {
            manager.togglePin(item.id);
        }
    }
    copyAndTick(QStringLiteral("101"));

    QStringList expected;
    for (int i = 101; i >= 3; --i) {
        expected.append(QString::number(i));
    }
    expected.append(QStringLiteral("1"));
    EXPECT_EQ(texts(manager.items()), expected);
    for (int i = 1; i < manager.items().size(); ++i) {
        EXPECT_GT(manager.items()[i - 1].timestamp, manager.items()[i].timestamp);
    }
}

TEST_F(ClipboardManagerTest, WithAHundredPinnedTheNewCaptureIsDroppedAtOnce) {
    start();
    capture(100);
    for (const ClipboardItem& item : manager.items()) {
        manager.togglePin(item.id);
    }
    copyAndTick(QStringLiteral("extra"));
    EXPECT_EQ(manager.items().size(), 100);
    EXPECT_FALSE(texts(manager.items()).contains(QStringLiteral("extra")));

    // More than a hundred pinned stay, all of them.
    manager.insertAtTop(itemAt(textContent(QStringLiteral("dropped")), queue.now()));
    manager.togglePin(manager.items().first().id);
    copyAndTick(QStringLiteral("another"));
    EXPECT_EQ(manager.items().size(), 101);
    EXPECT_EQ(manager.items().first().content.textValue(), QStringLiteral("dropped"));
}

TEST_F(ClipboardManagerTest, AnEntryWhoseClockWentBackSinksAtTheNextTrim) {
    start();
    capture(100);
    queue.setWallClock(queue.now().addDays(-1));
    copyAndTick(QStringLiteral("yesterday"));
    // Trimmed and sorted: the back-dated entry is now the oldest.
    EXPECT_EQ(manager.items().last().content.textValue(), QStringLiteral("yesterday"));
    EXPECT_EQ(manager.items().first().content.textValue(), QStringLiteral("100"));
}

TEST_F(ClipboardManagerTest, PinningReordersDisplayItemsOnly) {
    start();
    capture(60);
    const QUuid fiftieth = manager.items()[49].id;
    const QList<ClipboardItem> before = manager.items();
    manager.togglePin(fiftieth);
    EXPECT_EQ(manager.displayItems().first().id, fiftieth);
    EXPECT_EQ(manager.displayItems().size(), 60);
    EXPECT_EQ(manager.items()[49].id, fiftieth);
    EXPECT_EQ(texts(manager.items()), texts(before));

    const QUuid tenth = manager.items()[9].id;
    manager.togglePin(tenth);
    // Pinned entries keep history order among themselves.
    EXPECT_EQ(manager.displayItems()[0].id, tenth);
    EXPECT_EQ(manager.displayItems()[1].id, fiftieth);

    manager.togglePin(fiftieth);
    manager.togglePin(tenth);
    EXPECT_EQ(texts(manager.displayItems()), texts(before));
}

TEST_F(ClipboardManagerTest, RemovingAndClearingLeavePinnedIdsBehind) {
    start();
    capture(3);
    const QUuid pinned = manager.items()[1].id;
    manager.togglePin(pinned);
    manager.remove(pinned);
    EXPECT_EQ(texts(manager.items()), (QStringList{QStringLiteral("3"), QStringLiteral("1")}));
    EXPECT_TRUE(manager.pinnedIds().contains(pinned));

    manager.togglePin(manager.items()[0].id);
    manager.clearAll();
    EXPECT_TRUE(manager.items().isEmpty());
    EXPECT_EQ(manager.pinnedIds().size(), 2);
    copyAndTick(QStringLiteral("after"));
    EXPECT_EQ(manager.displayItems().size(), 1);
    EXPECT_FALSE(manager.pinnedIds().contains(manager.items()[0].id));
}

TEST_F(ClipboardManagerTest, TogglePinAcceptsAnyIdentifier) {
    const QUuid stranger = QUuid::createUuid();
    manager.togglePin(stranger);
    EXPECT_TRUE(manager.pinnedIds().contains(stranger));
    manager.togglePin(stranger);
    EXPECT_TRUE(manager.pinnedIds().isEmpty());
}

TEST_F(ClipboardManagerTest, InsertAtTopNeitherComparesNorTrims) {
    start();
    capture(100);
    const auto dropped =
        itemAt(textContent(QStringLiteral("100")), queue.now(), QStringLiteral("Drop"));
    manager.insertAtTop(dropped);
    EXPECT_EQ(manager.items().size(), 101);
    EXPECT_TRUE(manager.items().first() == dropped);
    copyAndTick(QStringLiteral("next"));
    EXPECT_EQ(manager.items().size(), 100);
}

TEST_F(ClipboardManagerTest, ChangesAreAnnouncedAndEqualAssignmentsAreNot) {
    QSignalSpy items(&manager, &ClipboardManager::itemsChanged);
    QSignalSpy pins(&manager, &ClipboardManager::pinnedIdsChanged);
    QSignalSpy count(&manager, &ClipboardManager::lastChangeCountChanged);
    start();
    EXPECT_EQ(count.count(), 1);
    tick();
    EXPECT_EQ(count.count(), 1);
    EXPECT_EQ(items.count(), 0);
    copyAndTick(QStringLiteral("x"));
    EXPECT_EQ(items.count(), 1);
    manager.remove(QUuid::createUuid()); // in place: announced even though nothing went
    EXPECT_EQ(items.count(), 2);
    manager.togglePin(QUuid::createUuid());
    EXPECT_EQ(pins.count(), 1);
    manager.clearAll();
    EXPECT_EQ(items.count(), 3);
    manager.clearAll(); // already empty
    EXPECT_EQ(items.count(), 3);
}

TEST_F(ClipboardManagerTest, PollingStopsDoingAnythingOnceTheManagerIsGone) {
    auto* transient = new ClipboardManager(pasteboard, workspace, queue);
    transient->startPolling();
    delete transient;
    pasteboard.copyText(QStringLiteral("after"));
    const int reads = pasteboard.reads;
    tick();
    EXPECT_EQ(pasteboard.reads, reads);
}

TEST_F(ClipboardManagerTest, AFiftyMegabyteTextIsRecordedWholeWithAShortPreview) {
    start();
    QByteArray huge(50 * 1024 * 1024, 'w');
    huge[0] = '\n';
    pasteboard.copy({{PasteboardType::string, huge}});
    tick();
    ASSERT_EQ(manager.items().size(), 1);
    EXPECT_EQ(manager.items()[0].content.textValue().size(), huge.size());
    EXPECT_EQ(manager.items()[0].preview(), QString(120, QLatin1Char('w')) + QChar(0x2026));
}

TEST_F(ClipboardManagerTest, AClearCanBeTakenBackForAFewSecondsWithItsPinsBelowNewerCopies) {
    start();
    capture(3);
    const QUuid pinned = manager.items()[2].id; // "1", the oldest
    manager.togglePin(pinned);
    const QList<ClipboardItem> before = manager.items();
    EXPECT_FALSE(manager.undoClear()); // nothing cleared yet

    manager.clearAll();
    EXPECT_TRUE(manager.items().isEmpty());
    EXPECT_TRUE(manager.clearUndo().isOpen());
    copyAndTick(QStringLiteral("after"));
    EXPECT_TRUE(manager.undoClear());
    EXPECT_FALSE(manager.clearUndo().isOpen());
    EXPECT_EQ(texts(manager.items()), (QStringList{QStringLiteral("after"), QStringLiteral("3"),
                                                   QStringLiteral("2"), QStringLiteral("1")}));
    EXPECT_EQ(manager.items().mid(1), before); // the same entries, ids and times
    EXPECT_EQ(manager.displayItems().first().id, pinned);
    EXPECT_FALSE(manager.undoClear());

    // Two clears in a row come back together.
    manager.clearAll();
    copyAndTick(QStringLiteral("between"));
    manager.clearAll();
    ASSERT_TRUE(manager.undoClear());
    EXPECT_EQ(manager.items().size(), 5);
    EXPECT_EQ(manager.items().first().id, manager.displayItems()[1].id);
    EXPECT_EQ(texts(manager.items()).first(), QStringLiteral("between"));

    // Once the time is up the entries are gone for good.
    manager.clearAll();
    queue.advance(UndoOffer::duration - 0.1);
    EXPECT_TRUE(manager.clearUndo().isOpen());
    queue.advance(0.1);
    EXPECT_FALSE(manager.clearUndo().isOpen());
    EXPECT_FALSE(manager.undoClear());
    EXPECT_TRUE(manager.items().isEmpty());
    // Clearing an empty history offers nothing to take back.
    manager.clearAll();
    EXPECT_FALSE(manager.clearUndo().isOpen());
}
