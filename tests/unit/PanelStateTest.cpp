#include "panel/PanelState.h"
#include "fakes/ManualMainQueue.h"
#include "panel/DrawerTab.h"
#include "panel/PanelNotifications.h"
#include "platform/NotificationCenter.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

TEST(DrawerTab, TabsComeInTabBarOrderWithTheirTitlesAndSymbols) {
    QStringList titles;
    QStringList symbols;
    for (DrawerTab tab : allDrawerTabs) {
        titles << rawValue(tab);
        symbols << icon(tab);
    }
    EXPECT_EQ(titles, (QStringList{QStringLiteral("Clips"), QStringLiteral("Shelf"),
                                   QStringLiteral("Notes"), QStringLiteral("Shots")}));
    EXPECT_EQ(symbols,
              (QStringList{QStringLiteral("doc.on.clipboard"), QStringLiteral("tray.full"),
                           QStringLiteral("note.text"), QStringLiteral("camera.viewfinder")}));
    EXPECT_EQ(allDrawerTabs.front(), DrawerTab::clipboard);
    EXPECT_EQ(allDrawerTabs.back(), DrawerTab::screenshots);
}

TEST(DrawerTab, OnlyTheExactRawValueMakesATab) {
    for (DrawerTab tab : allDrawerTabs) {
        EXPECT_EQ(drawerTabFromRawValue(rawValue(tab)), tab);
    }
    for (const char* other : {"clips", "SHELF", "notes", "shots", "Clips ", " Notes", "", "Shot",
                              "clipboard", "screenshots"}) {
        EXPECT_EQ(drawerTabFromRawValue(QString::fromUtf8(other)), std::nullopt) << other;
    }
}

TEST(PanelState, StartsWithNoRequestsAndNoBadge) {
    ManualMainQueue queue;
    PanelState state(queue);
    EXPECT_EQ(state.requestedTab(), std::nullopt);
    EXPECT_EQ(state.pendingNoteText(), std::nullopt);
    EXPECT_FALSE(state.copyFlashVisible());
    // Nothing shows the badge of its own accord.
    queue.advance(3600);
    EXPECT_FALSE(state.copyFlashVisible());
}

TEST(PanelState, RequestedTabNotifiesOnlyWhenItChanges) {
    ManualMainQueue queue;
    PanelState state(queue);
    QSignalSpy spy(&state, &PanelState::requestedTabChanged);

    state.setRequestedTab(DrawerTab::shelf);
    EXPECT_EQ(spy.count(), 1);
    state.setRequestedTab(DrawerTab::shelf);
    EXPECT_EQ(spy.count(), 1);
    state.setRequestedTab(DrawerTab::notes);
    EXPECT_EQ(spy.count(), 2);
    state.setRequestedTab(std::nullopt);
    EXPECT_EQ(spy.count(), 3);
    state.setRequestedTab(std::nullopt);
    EXPECT_EQ(spy.count(), 3);
    EXPECT_EQ(state.requestedTab(), std::nullopt);
}

TEST(PanelState, PendingTextTellsEmptyTextFromNoneAndComparesByContent) {
    ManualMainQueue queue;
    PanelState state(queue);
    QSignalSpy spy(&state, &PanelState::pendingNoteTextChanged);

    state.setPendingNoteText(QString());
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(state.pendingNoteText(), QString());
    state.setPendingNoteText(QStringLiteral("a"));
    state.setPendingNoteText(QStringLiteral("a"));
    EXPECT_EQ(spy.count(), 2);
    state.setPendingNoteText(std::nullopt);
    EXPECT_EQ(spy.count(), 3);
}

TEST(PanelState, EachFlashHidesOnItsOwnScheduleSoTheFirstEndsTheBadge) {
    ManualMainQueue queue;
    PanelState state(queue);
    QSignalSpy spy(&state, &PanelState::copyFlashVisibleChanged);

    state.showCopyFlash();
    EXPECT_TRUE(state.copyFlashVisible());
    EXPECT_EQ(spy.count(), 1);

    queue.advance(0.5);
    state.showCopyFlash();
    EXPECT_TRUE(state.copyFlashVisible());
    EXPECT_EQ(spy.count(), 1) << "already visible: no second announcement";

    queue.advance(0.29);
    EXPECT_TRUE(state.copyFlashVisible());
    queue.advance(0.01);
    EXPECT_FALSE(state.copyFlashVisible()) << "0.8 s after the first call";
    EXPECT_EQ(spy.count(), 2);

    // The second call's hiding finds it hidden and changes nothing.
    queue.advance(0.5);
    EXPECT_FALSE(state.copyFlashVisible());
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(queue.pendingCount(), 0);
}

// Under the sanitizers this catches a hiding that still reaches a destroyed state.
TEST(PanelState, APendingHideDoesNothingOnceTheStateIsGone) {
    ManualMainQueue queue;
    {
        PanelState state(queue);
        state.showCopyFlash();
    }
    EXPECT_EQ(queue.pendingCount(), 1);
    queue.advance(1);
    EXPECT_EQ(queue.pendingCount(), 0);
}

TEST(PanelNotifications, TheTwoTabSwitchesAreDistinctNamesObserversCanTellApart) {
    NotificationCenter center;
    QStringList seen;
    center.addObserver(PanelNotifications::switchToFileShelf, nullptr,
                       [&] { seen << QStringLiteral("shelf"); });
    center.addObserver(PanelNotifications::switchToNotes, nullptr,
                       [&] { seen << QStringLiteral("notes"); });

    center.post(QStringLiteral("switchToNotes"));
    center.post(QStringLiteral("switchToFileShelf"));
    EXPECT_EQ(seen, (QStringList{QStringLiteral("notes"), QStringLiteral("shelf")}));
}
