#include "app/AppDelegate.h"
#include "fakes/FakePlatform.h"
#include "screenshots/ScreenshotManager.h"
#include "settings/SettingsManager.h"

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
    AppDelegate delegate(platform, settings);

    const QString status = delegate.status().toString();
    EXPECT_TRUE(status.startsWith(QStringLiteral("{\"running\":true,\"pid\":")))
        << status.toStdString();
    EXPECT_TRUE(status.contains(QStringLiteral(
        "\"settings\":{\"showNotch\":false,\"soundsEnabled\":true,\"maxClipboardItems\":7}")))
        << status.toStdString();
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
