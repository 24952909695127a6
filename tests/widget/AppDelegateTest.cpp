#include "app/AppDelegate.h"
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
    delegate.useModels(&shelf, &notes);

    const QString status = delegate.status().toString();
    EXPECT_TRUE(status.startsWith(QStringLiteral("{\"running\":true,\"pid\":")))
        << status.toStdString();
    EXPECT_TRUE(status.contains(QStringLiteral(
        "\"settings\":{\"showNotch\":false,\"soundsEnabled\":true,\"maxClipboardItems\":7}")))
        << status.toStdString();
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
    delegate.useModels(&shelf, &notes);

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
