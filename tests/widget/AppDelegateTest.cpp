#include "app/AppDelegate.h"
#include "clipboard/ClipboardManager.h"
#include "fakes/FakePlatform.h"
#include "notes/NotesManager.h"
#include "screenshots/ScreenshotManager.h"
#include "settings/SettingsManager.h"
#include "shelf/FileShelfManager.h"

#include <gtest/gtest.h>

TEST(AppDelegate, LaunchPutsTheTrayItemUpWithBothButtonsWired) {
    FakePlatform fake;
    const Platform platform = fake.services();
    SettingsManager settings(fake.userDefaults);
    AppDelegate delegate(platform, settings);
    ClipboardManager clipboard(fake.pasteboard, fake.workspace, fake.mainQueue);
    delegate.useModels({.clipboard = &clipboard});

    EXPECT_EQ(delegate.statusItem(), nullptr);
    delegate.applicationDidFinishLaunching();

    ASSERT_NE(fake.statusBar.lastItem, nullptr);
    EXPECT_EQ(delegate.statusItem(), fake.statusBar.lastItem);
    EXPECT_EQ(fake.statusBar.requestedLength, StatusItem::SquareLength);
    EXPECT_EQ(fake.statusBar.lastItem->symbolName, QStringLiteral("tray"));
    EXPECT_EQ(fake.statusBar.lastItem->accessibilityDescription, QStringLiteral("Hodgebin"));
    EXPECT_TRUE(fake.statusBar.lastItem->isTemplate);
    EXPECT_EQ(fake.statusBar.lastItem->eventMask, 20);
    EXPECT_TRUE(bool(fake.statusBar.lastItem->action));
}

TEST(AppDelegate, ItemWithoutAButtonIsLeftBareAndLaunchGoesOn) {
    FakePlatform fake;
    fake.statusBar.withButton = false;
    const Platform platform = fake.services();
    SettingsManager settings(fake.userDefaults);
    AppDelegate delegate(platform, settings);
    ClipboardManager clipboard(fake.pasteboard, fake.workspace, fake.mainQueue);
    delegate.useModels({.clipboard = &clipboard});

    delegate.applicationDidFinishLaunching();

    ASSERT_NE(fake.statusBar.lastItem, nullptr);
    EXPECT_TRUE(fake.statusBar.lastItem->symbolName.isEmpty());
    EXPECT_FALSE(bool(fake.statusBar.lastItem->action));
}

TEST(AppDelegate, StatusReportsSettingsButNothingElseAboutTheUser) {
    FakePlatform fake;
    fake.userDefaults.values = {{QStringLiteral("replaceNotch"), false},
                                {QStringLiteral("maxClipboardItems"), 7}};
    const Platform platform = fake.services();
    SettingsManager settings(fake.userDefaults);
    FileShelfManager shelf(&fake.workspace, fake.mainQueue);
    NotesManager notes(fake.userDefaults);
    AppDelegate delegate(platform, settings);
    ClipboardManager clipboard(fake.pasteboard, fake.workspace, fake.mainQueue);
    delegate.useModels({.clipboard = &clipboard, .shelf = &shelf, .notes = &notes});

    const QString status = delegate.status().toString();
    EXPECT_TRUE(status.startsWith(QStringLiteral("{\"running\":true,\"pid\":")))
        << status.toStdString();
    EXPECT_TRUE(status.contains(QStringLiteral(
        "\"settings\":{\"showNotch\":false,\"soundsEnabled\":true,\"maxClipboardItems\":7}")))
        << status.toStdString();
}

TEST(AppDelegate, LaunchStartsTheClipboardPollWhichIgnoresWhatWasAlreadyCopied) {
    FakePlatform fake;
    fake.pasteboard.copyText(QStringLiteral("copied before launch"));
    const Platform platform = fake.services();
    SettingsManager settings(fake.userDefaults);
    AppDelegate delegate(platform, settings);
    ClipboardManager clipboard(fake.pasteboard, fake.workspace, fake.mainQueue);
    delegate.useModels({.clipboard = &clipboard});

    delegate.applicationDidFinishLaunching();
    EXPECT_NE(clipboard.pollTimer(), nullptr);
    fake.mainQueue.advance(1.0);
    EXPECT_TRUE(clipboard.items().isEmpty());
    fake.pasteboard.copyText(QStringLiteral("after launch"));
    fake.mainQueue.advance(0.5);
    EXPECT_EQ(clipboard.items().size(), 1);
}

TEST(AppDelegate, StatusCountsClipboardEntriesAndNamesTheirKindsButNeverTheirContents) {
    FakePlatform fake;
    const Platform platform = fake.services();
    SettingsManager settings(fake.userDefaults);
    AppDelegate delegate(platform, settings);
    ClipboardManager clipboard(fake.pasteboard, fake.workspace, fake.mainQueue);
    delegate.useModels({.clipboard = &clipboard});
    EXPECT_TRUE(delegate.status().toString().contains(
        QStringLiteral(",\"clipboard\":{\"count\":0,\"pinned\":0,\"kinds\":[]}")))
        << delegate.status().toString().toStdString();

    delegate.applicationDidFinishLaunching();
    fake.pasteboard.copy({{PasteboardType::fileURL, "file:///home/u/secret-plans.odt"}});
    fake.mainQueue.advance(0.5);
    fake.pasteboard.copy({{PasteboardType::rtf, "{\\rtf1 my rich password}"}});
    fake.mainQueue.advance(0.5);
    fake.pasteboard.copyText(QStringLiteral("my plain password"));
    fake.mainQueue.advance(0.5);
    clipboard.togglePin(clipboard.items()[2].id); // the file

    const QString status = delegate.status().toString();
    EXPECT_TRUE(status.contains(QStringLiteral(
        "\"clipboard\":{\"count\":3,\"pinned\":1,\"kinds\":[\"file\",\"text\",\"rtf\"]}")))
        << status.toStdString();
    EXPECT_FALSE(status.contains(QStringLiteral("password")));
    EXPECT_FALSE(status.contains(QStringLiteral("plans")));
}

TEST(AppDelegate, StatusCountsShelfFilesAndNotesButNeverShowsThem) {
    FakePlatform fake;
    fake.userDefaults.values.insert(
        QStringLiteral("hodgebin.notes.v2"),
        QByteArray("[{\"id\":\"0F4C2A9E-1B3D-4E5F-8A7B-6C5D4E3F2A1B\",\"text\":\"secret plan\","
                   "\"done\":false,\"indent\":0},{\"id\":\"9A8B7C6D-5E4F-4A3B-9C2D-1E0F9A8B7C6D\","
                   "\"text\":\"\",\"done\":true,\"indent\":1}]"));
    const Platform platform = fake.services();
    SettingsManager settings(fake.userDefaults);
    FileShelfManager shelf(&fake.workspace, fake.mainQueue);
    NotesManager notes(fake.userDefaults);
    AppDelegate delegate(platform, settings);
    delegate.useModels({.shelf = &shelf, .notes = &notes});

    shelf.addFile(QUrl::fromLocalFile(QStringLiteral("/tmp/private-report.pdf")));
    const QString status = delegate.status().toString();
    EXPECT_TRUE(
        status.contains(QStringLiteral(",\"shelf\":{\"count\":1},\"notes\":{\"count\":2},")))
        << status.toStdString();
    EXPECT_FALSE(status.contains(QStringLiteral("secret")));
    EXPECT_FALSE(status.contains(QStringLiteral("private")));

    shelf.clearAll();
    notes.setItems({});
    EXPECT_TRUE(delegate.status().toString().contains(
        QStringLiteral("\"shelf\":{\"count\":0},\"notes\":{\"count\":0}")));
}

TEST(AppDelegate, LaunchEndsByStartingTheScreenshotListWhichStatusReports) {
    FakePlatform fake;
    const Platform platform = fake.services();
    SettingsManager settings(fake.userDefaults);
    AppDelegate delegate(platform, settings);
    delegate.applicationDidFinishLaunching();

    // The shared list lives over the test run's own platform, watching its folder.
    const ScreenshotManager& shared = ScreenshotManager::shared();
    EXPECT_NE(shared.dirSource(), nullptr);
    const QString status = delegate.status().toString();
    EXPECT_TRUE(status.endsWith(QStringLiteral(",\"screenshots\":{\"count\":0,\"unseen\":0,"
                                               "\"folder\":\"%1\"}}")
                                    .arg(shared.screenshotPath())))
        << status.toStdString();
}
