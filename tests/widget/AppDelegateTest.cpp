#include "app/AppDelegate.h"
#include "clipboard/ClipboardManager.h"
#include "fakes/FakePlatform.h"
#include "notes/NotesManager.h"
#include "screenshots/ScreenshotManager.h"
#include "settings/SettingsManager.h"
#include "shelf/FileShelfManager.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// A delegate over the fakes with models of its own (the screenshot list stays the shared one).
// What was stored or copied before the program started is set by `prepare`.
struct AppOverFakes {
    explicit AppOverFakes(const std::function<void(FakePlatform&)>& prepare = {}) {
        if (prepare) {
            prepare(fake);
        }
        platform = fake.services();
        settings = std::make_unique<SettingsManager>(fake.userDefaults);
        clipboard =
            std::make_unique<ClipboardManager>(fake.pasteboard, fake.workspace, fake.mainQueue);
        shelf = std::make_unique<FileShelfManager>(&fake.workspace, fake.mainQueue);
        notes = std::make_unique<NotesManager>(fake.userDefaults);
        delegate = std::make_unique<AppDelegate>(platform, *settings);
        delegate->useModels(
            {.clipboard = clipboard.get(), .shelf = shelf.get(), .notes = notes.get()});
    }

    QString status() const { return delegate->status().toString(); }

    FakePlatform fake;
    Platform platform;
    std::unique_ptr<SettingsManager> settings;
    std::unique_ptr<ClipboardManager> clipboard;
    std::unique_ptr<FileShelfManager> shelf;
    std::unique_ptr<NotesManager> notes;
    std::unique_ptr<AppDelegate> delegate;
};

} // namespace

TEST(AppDelegate, LaunchPutsTheTrayItemUpWithBothButtonsWired) {
    AppOverFakes app;
    EXPECT_EQ(app.delegate->statusItem(), nullptr);
    app.delegate->applicationDidFinishLaunching();

    const FakeStatusBar& bar = app.fake.statusBar;
    ASSERT_NE(bar.lastItem, nullptr);
    EXPECT_EQ(app.delegate->statusItem(), bar.lastItem);
    EXPECT_EQ(bar.requestedLength, StatusItem::SquareLength);
    EXPECT_EQ(bar.lastItem->symbolName, QStringLiteral("tray"));
    EXPECT_EQ(bar.lastItem->accessibilityDescription, QStringLiteral("Hodgebin"));
    EXPECT_TRUE(bar.lastItem->isTemplate);
    EXPECT_EQ(bar.lastItem->eventMask, 20);
    EXPECT_TRUE(bool(bar.lastItem->action));
}

TEST(AppDelegate, ItemWithoutAButtonIsLeftBareAndLaunchGoesOn) {
    AppOverFakes app([](FakePlatform& fake) { fake.statusBar.withButton = false; });
    app.delegate->applicationDidFinishLaunching();

    ASSERT_NE(app.fake.statusBar.lastItem, nullptr);
    EXPECT_TRUE(app.fake.statusBar.lastItem->symbolName.isEmpty());
    EXPECT_FALSE(bool(app.fake.statusBar.lastItem->action));
    EXPECT_TRUE(app.clipboard->isPolling());
}

TEST(AppDelegate, StatusReportsSettingsButNothingElseAboutTheUser) {
    AppOverFakes app([](FakePlatform& fake) {
        fake.userDefaults.values = {{QStringLiteral("replaceNotch"), false},
                                    {QStringLiteral("maxClipboardItems"), 7}};
    });
    const QString status = app.status();
    EXPECT_TRUE(status.startsWith(QStringLiteral("{\"running\":true,\"pid\":")))
        << status.toStdString();
    EXPECT_TRUE(status.contains(QStringLiteral(
        "\"settings\":{\"showNotch\":false,\"soundsEnabled\":true,\"maxClipboardItems\":7}")))
        << status.toStdString();
}

TEST(AppDelegate, LaunchStartsTheClipboardPollWhichIgnoresWhatWasAlreadyCopied) {
    AppOverFakes app([](FakePlatform& fake) {
        fake.pasteboard.copyText(QStringLiteral("copied before launch"));
    });
    app.delegate->applicationDidFinishLaunching();
    EXPECT_TRUE(app.clipboard->isPolling());
    app.fake.mainQueue.advance(1.0);
    EXPECT_TRUE(app.clipboard->items().isEmpty());
    app.fake.pasteboard.copyText(QStringLiteral("after launch"));
    app.fake.mainQueue.advance(0.5);
    EXPECT_EQ(app.clipboard->items().size(), 1);
}

TEST(AppDelegate, StatusCountsClipboardEntriesAndNamesTheirKindsButNeverTheirContents) {
    AppOverFakes app;
    EXPECT_TRUE(app.status().contains(
        QStringLiteral(",\"clipboard\":{\"count\":0,\"pinned\":0,\"kinds\":[]}")))
        << app.status().toStdString();

    app.delegate->applicationDidFinishLaunching();
    FakePasteboard& pasteboard = app.fake.pasteboard;
    pasteboard.copy({{PasteboardType::fileURL, "file:///home/u/secret-plans.odt"}});
    app.fake.mainQueue.advance(0.5);
    pasteboard.copy({{PasteboardType::rtf, "{\\rtf1 my rich password}"}});
    app.fake.mainQueue.advance(0.5);
    pasteboard.copyText(QStringLiteral("my plain password"));
    app.fake.mainQueue.advance(0.5);
    app.clipboard->togglePin(app.clipboard->items()[2].id); // the file

    const QString status = app.status();
    EXPECT_TRUE(status.contains(QStringLiteral(
        "\"clipboard\":{\"count\":3,\"pinned\":1,\"kinds\":[\"file\",\"text\",\"rtf\"]}")))
        << status.toStdString();
    EXPECT_FALSE(status.contains(QStringLiteral("password")));
    EXPECT_FALSE(status.contains(QStringLiteral("plans")));
}

TEST(AppDelegate, StatusCountsShelfFilesAndNotesButNeverShowsThem) {
    AppOverFakes app([](FakePlatform& fake) {
        fake.userDefaults.values.insert(
            QStringLiteral("hodgebin.notes.v2"),
            QByteArray(
                "[{\"id\":\"0F4C2A9E-1B3D-4E5F-8A7B-6C5D4E3F2A1B\",\"text\":\"secret plan\","
                "\"done\":false,\"indent\":0},{\"id\":\"9A8B7C6D-5E4F-4A3B-9C2D-1E0F9A8B7C6D\","
                "\"text\":\"\",\"done\":true,\"indent\":1}]"));
    });
    app.shelf->addFile(QUrl::fromLocalFile(QStringLiteral("/tmp/private-report.pdf")));
    const QString status = app.status();
    EXPECT_TRUE(
        status.contains(QStringLiteral(",\"shelf\":{\"count\":1},\"notes\":{\"count\":2},")))
        << status.toStdString();
    EXPECT_FALSE(status.contains(QStringLiteral("secret")));
    EXPECT_FALSE(status.contains(QStringLiteral("private")));

    app.shelf->clearAll();
    app.notes->setItems({});
    EXPECT_TRUE(
        app.status().contains(QStringLiteral("\"shelf\":{\"count\":0},\"notes\":{\"count\":0}")));
}

TEST(AppDelegate, LaunchEndsByStartingTheScreenshotListWhichStatusReports) {
    AppOverFakes app;
    app.delegate->applicationDidFinishLaunching();

    // The shared list lives over the test run's own platform, watching its folder.
    const ScreenshotManager& shared = ScreenshotManager::shared();
    EXPECT_EQ(&app.delegate->screenshots(), &shared);
    EXPECT_NE(shared.dirSource(), nullptr);
    const QString status = app.status();
    EXPECT_TRUE(status.endsWith(QStringLiteral(",\"screenshots\":{\"count\":0,\"unseen\":0,"
                                               "\"folder\":\"%1\"}}")
                                    .arg(shared.screenshotPath())))
        << status.toStdString();
}
