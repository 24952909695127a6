#include "app/AppDelegate.h"
#include "app/AppModels.h"
#include "clipboard/ClipboardManager.h"
#include "fakes/FakePlatform.h"
#include "notes/NotesManager.h"
#include "screenshots/ScreenshotManager.h"
#include "settings/AutostartEntry.h"
#include "settings/SettingsManager.h"
#include "shelf/FileShelfManager.h"

#include <QCoreApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// A delegate over the fakes with models of its own. What was stored or copied before the
// program started is set by `prepare`.
struct AppOverFakes {
    explicit AppOverFakes(const std::function<void(FakePlatform&)>& prepare = {}) {
        if (prepare) {
            prepare(fake);
        }
        platform = fake.services();
        models = std::make_unique<AppModels>(platform);
        clipboard = &models->clipboard();
        shelf = &models->shelf();
        notes = &models->notes();
        delegate = std::make_unique<AppDelegate>(platform, *models, autostart);
    }

    QJsonObject status() const { return delegate->status(); }
    // The line `hodgebin --status` prints, for checks that nothing private is in it.
    QString statusLine() const {
        return QString::fromUtf8(QJsonDocument(delegate->status()).toJson(QJsonDocument::Compact));
    }

    FakePlatform fake;
    Platform platform;
    QTemporaryDir configHome;
    AutostartEntry autostart{configHome.path(), QStringLiteral("hodgebin")};
    std::unique_ptr<AppModels> models;
    ClipboardManager* clipboard = nullptr;
    FileShelfManager* shelf = nullptr;
    NotesManager* notes = nullptr;
    std::unique_ptr<AppDelegate> delegate;
};

} // namespace

TEST(AppDelegate, LaunchPutsTheTrayItemUpAndAClickOnItTogglesTheDrawer) {
    AppOverFakes app;
    EXPECT_EQ(app.delegate->statusItem(), nullptr);
    app.delegate->start();

    const FakeStatusBar& bar = app.fake.statusBar;
    ASSERT_NE(bar.lastItem, nullptr);
    EXPECT_EQ(app.delegate->statusItem(), bar.lastItem);
    EXPECT_EQ(bar.lastItem->accessibilityDescription, QStringLiteral("Hodgebin"));
    // Drawn to read on any panel: a light glyph edged by a dark halo.
    const QImage icon = bar.lastItem->icon.pixmap(22).toImage();
    bool light = false;
    bool dark = false;
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            const QColor c = icon.pixelColor(x, y);
            light = light || (c.alpha() > 200 && c.lightness() > 200);
            dark = dark || (c.alpha() > 60 && c.lightness() < 60);
        }
    }
    EXPECT_TRUE(light && dark);
    bar.lastItem->click();
    EXPECT_TRUE(app.delegate->isPanelVisible());
}

TEST(AppDelegate, ThePillFollowsItsSettingWhereverItIsChanged) {
    AppOverFakes app;
    app.delegate->start();
    ASSERT_NE(app.delegate->notchWindow(), nullptr);
    app.models->settings().setShowNotch(false);
    EXPECT_EQ(app.delegate->notchWindow(), nullptr);
    app.models->settings().setShowNotch(true);
    EXPECT_NE(app.delegate->notchWindow(), nullptr);
}

TEST(AppDelegate, ItemWithoutAButtonIsLeftBareAndLaunchGoesOn) {
    AppOverFakes app([](FakePlatform& fake) { fake.statusBar.withButton = false; });
    app.delegate->start();

    ASSERT_NE(app.fake.statusBar.lastItem, nullptr);
    EXPECT_TRUE(app.fake.statusBar.lastItem->icon.isNull());
    EXPECT_TRUE(app.clipboard->isPolling());
}

TEST(AppDelegate, StatusReportsSettingsButNothingElseAboutTheUser) {
    AppOverFakes app([](FakePlatform& fake) {
        fake.userDefaults.values = {{QStringLiteral("replaceNotch"), false},
                                    {QStringLiteral("maxClipboardItems"), 7}};
    });
    const QJsonObject status = app.status();
    EXPECT_TRUE(status.value(QStringLiteral("running")).toBool());
    EXPECT_EQ(status.value(QStringLiteral("pid")).toInteger(), QCoreApplication::applicationPid());
    EXPECT_EQ(status.value(QStringLiteral("settings")).toObject(),
              (QJsonObject{{QStringLiteral("showNotch"), false},
                           {QStringLiteral("soundsEnabled"), true},
                           {QStringLiteral("maxClipboardItems"), 7}}));
}

TEST(AppDelegate, LaunchStartsTheClipboardPollWhichIgnoresWhatWasAlreadyCopied) {
    AppOverFakes app([](FakePlatform& fake) {
        fake.pasteboard.copyText(QStringLiteral("copied before launch"));
    });
    app.delegate->start();
    EXPECT_TRUE(app.clipboard->isPolling());
    app.fake.mainQueue.advance(1.0);
    EXPECT_TRUE(app.clipboard->items().isEmpty());
    app.fake.pasteboard.copyText(QStringLiteral("after launch"));
    app.fake.mainQueue.advance(0.5);
    EXPECT_EQ(app.clipboard->items().size(), 1);
}

TEST(AppDelegate, StatusCountsClipboardEntriesAndNamesTheirKindsButNeverTheirContents) {
    AppOverFakes app;
    auto clipboardStatus = [&] {
        return app.status().value(QStringLiteral("clipboard")).toObject();
    };
    EXPECT_EQ(clipboardStatus(), (QJsonObject{{QStringLiteral("count"), 0},
                                              {QStringLiteral("pinned"), 0},
                                              {QStringLiteral("kinds"), QJsonArray()}}));

    app.delegate->start();
    FakePasteboard& pasteboard = app.fake.pasteboard;
    pasteboard.copy({{PasteboardType::fileURL, "file:///home/u/secret-plans.odt"}});
    app.fake.mainQueue.advance(0.5);
    pasteboard.copy({{PasteboardType::rtf, "{\\rtf1 my rich password}"}});
    app.fake.mainQueue.advance(0.5);
    pasteboard.copyText(QStringLiteral("my plain password"));
    app.fake.mainQueue.advance(0.5);
    app.clipboard->togglePin(app.clipboard->items()[2].id); // the file

    EXPECT_EQ(clipboardStatus(),
              (QJsonObject{{QStringLiteral("count"), 3},
                           {QStringLiteral("pinned"), 1},
                           {QStringLiteral("kinds"),
                            QJsonArray{QStringLiteral("file"), QStringLiteral("text"),
                                       QStringLiteral("rtf")}}}));
    EXPECT_FALSE(app.statusLine().contains(QStringLiteral("password")));
    EXPECT_FALSE(app.statusLine().contains(QStringLiteral("plans")));
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
    auto count = [&](const char* part) {
        return app.status().value(QLatin1String(part)).toObject().value(QStringLiteral("count"));
    };
    EXPECT_EQ(count("shelf"), 1);
    EXPECT_EQ(count("notes"), 2);
    EXPECT_EQ(app.status().value(QLatin1String("notes")).toObject().value(QLatin1String("done")),
              1);
    EXPECT_FALSE(app.statusLine().contains(QStringLiteral("secret")));
    EXPECT_FALSE(app.statusLine().contains(QStringLiteral("private")));

    app.shelf->clearAll();
    app.notes->setItems({});
    EXPECT_EQ(count("shelf"), 0);
    EXPECT_EQ(count("notes"), 0);
}

TEST(AppDelegate, TheScreenshotListWatchesItsFolderAndStatusReportsIt) {
    QTemporaryDir folder;
    AppOverFakes app([&](FakePlatform& fake) { fake.screenCapture.answer = folder.path(); });
    app.delegate->start();

    const ScreenshotManager& shots = app.models->screenshots();
    EXPECT_NE(shots.dirSource(), nullptr);
    EXPECT_EQ(app.status().value(QStringLiteral("screenshots")).toObject(),
              (QJsonObject{{QStringLiteral("count"), 0},
                           {QStringLiteral("unseen"), 0},
                           {QStringLiteral("folder"), shots.screenshotPath()}}));
}
