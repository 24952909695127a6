#include "screenshots/ScreenshotManager.h"
#include "ScreenshotFiles.h"
#include "fakes/FakeDirectoryWatcher.h"
#include "fakes/FakeScreenCapture.h"
#include "fakes/ManualMainQueue.h"
#include "platform/DirectoryWatcher.h"
#include "screenshots/ScreenshotThumbnails.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A manager over a real temporary folder, with the folder watch and the clock in hand.
struct Fixture {
    Fixture() { capture.answer = dir.path(); }

    // The manager, its start-up thumbnails still being built.
    ScreenshotManager& construct() {
        manager = std::make_unique<ScreenshotManager>(queue, watcher, capture);
        return *manager;
    }
    // The manager once the screenshots found at start have landed.
    ScreenshotManager& start() {
        construct();
        queue.runPending();
        return *manager;
    }
    // A change in the folder, and the half second after it.
    void folderChanged(double wait = ScreenshotManager::additionDelay) {
        watcher.fire(manager->screenshotPath());
        queue.advance(wait);
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    QStringList names() const {
        QStringList out;
        for (const ScreenshotItem& item : manager->items()) {
            out.append(QFileInfo(item.url().toLocalFile()).fileName());
        }
        return out;
    }

    QTemporaryDir dir;
    ManualMainQueue queue;
    FakeDirectoryWatcher watcher;
    FakeScreenCapture capture;
    std::unique_ptr<ScreenshotManager> manager;
};

QStringList numbered(const QString& pattern, int from, int to) {
    QStringList names;
    for (int i = from; i < to; ++i) {
        names.append(pattern.arg(i, 3, 10, QLatin1Char('0')));
    }
    return names;
}

} // namespace

TEST(ScreenshotManager, ScreenshotNamesByExtensionAndPrefix) {
    for (const char* name : {"Screenshot 2024-01-01.png", "Screen Shot 2020-01-01.PNG",
                             "CleanShot x.jpeg", "Screenshot.JpG", "Screenshot_1.tiff"}) {
        EXPECT_TRUE(ScreenshotManager::isScreenshot(QString::fromUtf8(name))) << name;
    }
    for (const char* name :
         {"screenshot 1.png", "Photo.png", "Screenshot.gif", "Screenshot.tif", "Screenshot",
          "Screenshot.png.part", ".Screenshot.png", "ScreenShot 1.png", "CleanShot"}) {
        EXPECT_FALSE(ScreenshotManager::isScreenshot(QString::fromUtf8(name))) << name;
    }
}

TEST(ScreenshotManager, FolderIsTheConfiguredLocationWithTildeExpandedElseTheDesktop) {
    Fixture f;
    f.capture.answer = QStringLiteral("~/Some Shots/");
    EXPECT_EQ(f.start().screenshotPath(), QDir::homePath() + QStringLiteral("/Some Shots"));
    EXPECT_EQ(f.watcher.requested, QStringList{QDir::homePath() + QStringLiteral("/Some Shots")});

    Fixture g;
    g.capture.answer.reset();
    EXPECT_EQ(g.start().screenshotPath(),
              QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    EXPECT_EQ(g.capture.reads, 1);
}

TEST(ScreenshotManager, StartLoadsTheFiftyNewestAndTheFirstChangeAddsTheOlderTen) {
    Fixture f;
    const QStringList older = numbered(QStringLiteral("Screenshot old %1.png"), 0, 10);
    const QStringList newer = numbered(QStringLiteral("Screenshot new %1.png"), 0, 50);
    for (const QString& name : older) {
        writePicture(f.path(name));
    }
    waitForLaterFileDates(QDir(f.dir.path()), f.path(older.last()));
    for (const QString& name : newer) {
        writePicture(f.path(name));
    }

    ScreenshotManager& m = f.start();
    ASSERT_EQ(m.items().size(), 50);
    const QStringList loaded = f.names();
    EXPECT_EQ(QSet<QString>(loaded.begin(), loaded.end()),
              QSet<QString>(newer.begin(), newer.end()));
    for (qsizetype i = 1; i < m.items().size(); ++i) {
        EXPECT_GE(m.items()[i - 1].date(), m.items()[i].date());
    }
    EXPECT_EQ(m.knownPaths().size(), 50);
    EXPECT_EQ(m.unseenCount(), 0);
    ASSERT_NE(m.dirSource(), nullptr);

    f.folderChanged(ScreenshotManager::additionDelay - 0.01);
    EXPECT_EQ(m.items().size(), 50);
    f.queue.advance(0.01);
    ASSERT_EQ(m.items().size(), 60);
    EXPECT_EQ(m.unseenCount(), 10);
    const QStringList front = f.names().mid(0, 10);
    EXPECT_EQ(QSet<QString>(front.begin(), front.end()), QSet<QString>(older.begin(), older.end()));
    EXPECT_EQ(m.knownPaths().size(), 60);
}

TEST(ScreenshotManager, NewScreenshotArrivesAtTheFrontOnceEvenAfterTwoQuickChanges) {
    Fixture f;
    writePicture(f.path("Screenshot a.png"));
    ScreenshotManager& m = f.start();
    QSignalSpy inserted(&m, &ScreenshotManager::itemsInserted);

    writePicture(f.path("Screenshot b.png"));
    f.folderChanged(0.3);
    EXPECT_EQ(m.items().size(), 1);
    f.folderChanged(ScreenshotManager::additionDelay);
    f.queue.advance(5);
    EXPECT_EQ(f.names(), (QStringList{"Screenshot b.png", "Screenshot a.png"}));
    EXPECT_EQ(m.unseenCount(), 1);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted.first().first().toInt(), 1);
}

TEST(ScreenshotManager, ScreenshotStillBeingWrittenWaitsForTheChangeThatCompletesIt) {
    for (const char* format : {"PNG", "JPG"}) {
        Fixture f;
        ScreenshotManager& m = f.start();
        const QString path = f.path(QStringLiteral("Screenshot.") + format);
        const QByteArray bytes = pictureBytes(QSize(320, 200), format);

        writeBytes(path, {});
        f.folderChanged();
        writeBytes(path, bytes.left(bytes.size() / 2));
        f.folderChanged();
        EXPECT_TRUE(m.items().isEmpty()) << format;
        EXPECT_TRUE(m.knownPaths().isEmpty()) << format;

        writeBytes(path, bytes);
        f.folderChanged();
        EXPECT_EQ(m.items().size(), 1) << format;
        EXPECT_EQ(m.unseenCount(), 1) << format;
    }
}

TEST(ScreenshotManager, OtherFilesAndFakePicturesAreLeftOutButFakesAreTriedAgain) {
    Fixture f;
    for (const char* name : {"screenshot 1.png", "Photo.png", "Screenshot.gif"}) {
        writePicture(f.path(QString::fromUtf8(name)));
    }
    writeBytes(f.path("Screenshot fake.png"), "not a picture at all");
    ScreenshotManager& m = f.start();
    EXPECT_TRUE(m.items().isEmpty());

    writePicture(f.path("Screen Shot 2020-01-01.PNG"));
    f.folderChanged();
    EXPECT_EQ(f.names(), QStringList{"Screen Shot 2020-01-01.PNG"});

    writePicture(f.path("Screenshot fake.png"));
    f.folderChanged();
    EXPECT_EQ(f.names().first(), QStringLiteral("Screenshot fake.png"));
    EXPECT_EQ(m.unseenCount(), 2);
}

TEST(ScreenshotManager, RemovedEntryComesBackUnseenAtTheNextChange) {
    Fixture f;
    writePicture(f.path("Screenshot a.png"));
    writePicture(f.path("Screenshot b.png"));
    ScreenshotManager& m = f.start();
    const ScreenshotItem a = m.items().at(f.names().indexOf("Screenshot a.png"));
    QSignalSpy changed(&m, &ScreenshotManager::itemsChanged);

    m.remove(a);
    EXPECT_EQ(f.names(), QStringList{"Screenshot b.png"});
    EXPECT_FALSE(m.knownPaths().contains(f.path("Screenshot a.png")));
    EXPECT_TRUE(QFile::exists(f.path("Screenshot a.png")));
    m.remove(a);
    EXPECT_EQ(changed.count(), 2);

    f.folderChanged();
    EXPECT_EQ(f.names(), (QStringList{"Screenshot a.png", "Screenshot b.png"}));
    EXPECT_NE(m.items().first().id(), a.id());
    EXPECT_EQ(m.unseenCount(), 1);
}

TEST(ScreenshotManager, ClearAllKeepsTheCountAndTheNextChangeBringsEveryFileBack) {
    Fixture f;
    for (const QString& name : numbered(QStringLiteral("Screenshot %1.png"), 0, 3)) {
        writePicture(f.path(name));
    }
    ScreenshotManager& m = f.start();
    m.setUnseenCount(7);
    m.clearAll();
    EXPECT_TRUE(m.items().isEmpty());
    EXPECT_TRUE(m.knownPaths().isEmpty());
    EXPECT_EQ(m.unseenCount(), 7);
    EXPECT_TRUE(QFile::exists(f.path("Screenshot 000.png")));

    f.folderChanged();
    EXPECT_EQ(m.items().size(), 3);
    EXPECT_EQ(m.unseenCount(), 10);
}

TEST(ScreenshotManager, ABurstIsOneListingAndDeletedOrMovedFilesLeaveWithTheirThumbnails) {
    Fixture f;
    ScreenshotManager& m = f.start();
    QSignalSpy changed(&m, &ScreenshotManager::itemsChanged);
    QSignalSpy inserted(&m, &ScreenshotManager::itemsInserted);
    const QStringList names = numbered(QStringLiteral("Screenshot %1.png"), 0, 300);
    f.queue.holdBackground(true);
    for (const QString& name : names) {
        writePicture(f.path(name));
        f.watcher.fire(m.screenshotPath());
    }
    f.queue.advance(ScreenshotManager::additionDelay);
    // Every change joined one look, and no picture is decoded for it.
    EXPECT_EQ(f.queue.backgroundCount(), 1);
    f.queue.holdBackground(false);
    f.queue.runPending();
    EXPECT_EQ(m.items().size(), 300);
    EXPECT_EQ(m.unseenCount(), 300);
    EXPECT_EQ(changed.count(), 1);
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted.first().first().toInt(), 300);

    // The newest have their thumbnails made ahead.
    const qsizetype made = m.thumbnails().count();
    ASSERT_EQ(made, ScreenshotManager::prefetchCount);

    // Gone at once: deleted, moved to another folder, renamed to a name that is no screenshot.
    QTemporaryDir elsewhere;
    const QStringList shown = f.names().mid(0, 3);
    ASSERT_TRUE(QFile::remove(f.path(shown[0])));
    ASSERT_TRUE(QFile::rename(f.path(shown[1]), elsewhere.filePath(shown[1])));
    ASSERT_TRUE(QFile::rename(f.path(shown[2]), f.path("notes.png")));
    for (const QString& name : names.mid(0, 200)) {
        ASSERT_TRUE(QFile::remove(f.path(name)));
    }
    f.folderChanged();
    EXPECT_EQ(m.items().size(), 97);
    EXPECT_EQ(m.knownPaths().size(), 97);
    for (const QString& name : shown) {
        EXPECT_FALSE(f.names().contains(name));
    }
    EXPECT_EQ(m.thumbnails().count(), made - 3);
    EXPECT_EQ(m.unseenCount(), 300);

    // Coming back makes it new again.
    ASSERT_TRUE(QFile::rename(elsewhere.filePath(shown[1]), f.path(shown[1])));
    f.folderChanged();
    EXPECT_EQ(f.names().first(), shown[1]);
    EXPECT_EQ(m.unseenCount(), 301);
}

TEST(ScreenshotManager, UnseenCountNotifiesOnlyOnChange) {
    Fixture f;
    ScreenshotManager& m = f.start();
    QSignalSpy spy(&m, &ScreenshotManager::unseenCountChanged);
    m.setUnseenCount(0);
    m.setUnseenCount(3);
    m.setUnseenCount(3);
    EXPECT_EQ(spy.count(), 1);
}

TEST(ScreenshotManager, FilesThatVanishAndManagersThatGoAwayCauseNoAddition) {
    Fixture f;
    ScreenshotManager& m = f.start();
    writePicture(f.path("Screenshot gone.png"));
    f.folderChanged(0.1);
    QFile::remove(f.path("Screenshot gone.png"));
    f.queue.advance(1);
    EXPECT_TRUE(m.items().isEmpty());

    writePicture(f.path("Screenshot late.png"));
    f.watcher.fire(m.screenshotPath());
    f.manager.reset();
    EXPECT_EQ(f.watcher.liveWatchCount(f.dir.path()), 0);
    f.queue.advance(1);
}

TEST(ScreenshotManager, MissingUnwatchableOrVanishedFolderLeavesAnEmptyQuietList) {
    Fixture missing;
    missing.capture.answer = missing.path("not/there");
    EXPECT_TRUE(missing.start().items().isEmpty());
    missing.folderChanged();
    EXPECT_TRUE(missing.manager->items().isEmpty());

    Fixture unwatchable;
    writePicture(unwatchable.path("Screenshot.png"));
    unwatchable.watcher.unwatchable.insert(unwatchable.dir.path());
    EXPECT_EQ(unwatchable.start().items().size(), 1);
    EXPECT_EQ(unwatchable.manager->dirSource(), nullptr);

    // A folder that is gone holds none of its files.
    Fixture vanished;
    writePicture(vanished.path("Screenshot.png"));
    ScreenshotManager& m = vanished.start();
    ASSERT_TRUE(vanished.dir.remove());
    vanished.folderChanged();
    EXPECT_TRUE(m.items().isEmpty());
}

TEST(ScreenshotManager, TenThousandFilesThatAreNotPicturesNeitherHangNorAddAnything) {
    Fixture f;
    for (int i = 0; i < 10000; ++i) {
        writeBytes(f.path(QStringLiteral("Screenshot %1.png").arg(i)), i % 2 ? "x" : "");
    }
    ScreenshotManager& m = f.start();
    f.folderChanged();
    f.folderChanged();
    EXPECT_TRUE(m.items().isEmpty());
    EXPECT_EQ(m.unseenCount(), 0);
    EXPECT_EQ(f.queue.pendingCount(), 0);
}

TEST(ScreenshotManager, TheStartArrivesInOneUpdateAndAChangeMeanwhileWaitsForIt) {
    Fixture f;
    writePicture(f.path("Screenshot a.png"));
    writePicture(f.path("Screenshot b.png"));
    f.queue.holdBackground(true);
    ScreenshotManager& m = f.construct();
    EXPECT_TRUE(m.isLoading());
    EXPECT_TRUE(m.items().isEmpty());
    QList<qsizetype> sizesSeen;
    QObject::connect(&m, &ScreenshotManager::itemsChanged,
                     [&] { sizesSeen.append(m.items().size()); });

    // A change while the start is still being listed reads nothing of its own yet.
    writePicture(f.path("Screenshot c.png"));
    f.folderChanged();
    EXPECT_EQ(f.queue.backgroundCount(), 1);

    f.queue.runBackground();
    f.queue.runPending();
    EXPECT_FALSE(m.isLoading());
    EXPECT_EQ(sizesSeen, QList<qsizetype>{3});
    EXPECT_EQ(m.unseenCount(), 0);

    // The change is looked at once the start is in: only what came after it is new.
    writePicture(f.path("Screenshot d.png"));
    f.folderChanged();
    f.queue.holdBackground(false);
    f.queue.runPending();
    ASSERT_EQ(m.items().size(), 4);
    EXPECT_EQ(f.names().first(), QStringLiteral("Screenshot d.png"));
    EXPECT_EQ(m.unseenCount(), 1);
}

TEST(ScreenshotManager, ManagerDestroyedWhileTheFolderIsReadLeavesTheWorkHarmless) {
    Fixture f;
    writePicture(f.path("Screenshot a.png"));
    f.construct();
    ASSERT_GT(f.queue.pendingCount(), 0);
    f.manager.reset();
    f.queue.runPending();
    EXPECT_EQ(f.queue.pendingCount(), 0);

    // Its start in, a thumbnail being made and a look under way.
    f.queue.holdBackground(true);
    f.construct();
    f.queue.runBackground();
    f.queue.runPending();
    writePicture(f.path("Screenshot b.png"));
    f.folderChanged();
    ASSERT_EQ(f.queue.backgroundCount(), 2);
    f.queue.runBackground();
    f.manager.reset();
    f.queue.holdBackground(false);
    f.queue.runPending();
    EXPECT_EQ(f.queue.pendingCount(), 0);
}

TEST(ScreenshotManager, ClearAllBeforeAChangeBringsTheStartBackButAfterOneDoesNot) {
    // Cleared while the start was listed, then a change: every file is new to that change.
    Fixture f;
    writePicture(f.path("Screenshot a.png"));
    writePicture(f.path("Screenshot b.png"));
    ScreenshotManager& m = f.construct();
    m.clearAll();
    writePicture(f.path("Screenshot c.png"));
    f.watcher.fire(m.screenshotPath());
    f.queue.runPending();
    EXPECT_TRUE(m.items().isEmpty());
    f.queue.advance(ScreenshotManager::additionDelay);
    EXPECT_EQ(m.items().size(), 3);
    EXPECT_EQ(m.unseenCount(), 3);

    // A change, then the clearing: the start was not new to that change.
    Fixture g;
    writePicture(g.path("Screenshot a.png"));
    writePicture(g.path("Screenshot b.png"));
    g.queue.holdBackground(true);
    ScreenshotManager& n = g.construct();
    // Listed, not yet in.
    g.queue.runBackground();
    writePicture(g.path("Screenshot c.png"));
    g.watcher.fire(n.screenshotPath());
    QSignalSpy changed(&n, &ScreenshotManager::itemsChanged);
    n.clearAll();
    g.queue.holdBackground(false);
    g.queue.runPending();
    EXPECT_TRUE(n.items().isEmpty());
    EXPECT_EQ(changed.count(), 0);
    g.queue.advance(ScreenshotManager::additionDelay);
    EXPECT_EQ(g.names(), QStringList{"Screenshot c.png"});
    // As after any clearing, the next change brings back what was cleared.
    g.folderChanged();
    EXPECT_EQ(n.items().size(), 3);
    EXPECT_EQ(n.unseenCount(), 3);
}

TEST(ScreenshotManager, AChangeDuringALookIsLookedAtAfterItAndABrokenPictureLeaves) {
    Fixture f;
    ScreenshotManager& m = f.start();
    const QString path = f.path("Screenshot b.png");
    const QByteArray bytes = pictureBytes(QSize(320, 200), "PNG");
    f.queue.holdBackground(true);
    writeBytes(path, bytes.left(bytes.size() / 2));
    f.folderChanged();
    ASSERT_EQ(f.queue.backgroundCount(), 1);
    f.queue.runBackground();
    // Completed while the half-written file was read.
    writeBytes(path, bytes);
    f.watcher.fire(m.screenshotPath());
    f.queue.runPending();
    EXPECT_TRUE(m.items().isEmpty());
    f.queue.holdBackground(false);
    f.queue.advance(ScreenshotManager::additionDelay);
    ASSERT_EQ(f.names(), QStringList{"Screenshot b.png"});

    // Whole in its structure but not decodable: the entry leaves once its thumbnail fails,
    // unrecorded, so a later change tries the file again.
    QByteArray spoilt = bytes;
    const qsizetype data = spoilt.indexOf("IDAT") + 8;
    for (qsizetype i = data; i < data + 64; ++i) {
        spoilt[i] = char(0xAA);
    }
    const QString other = f.path("Screenshot c.png");
    writeBytes(other, spoilt);
    QSignalSpy changed(&m, &ScreenshotManager::itemsChanged);
    f.folderChanged();
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(f.names(), QStringList{"Screenshot b.png"});
    EXPECT_FALSE(m.knownPaths().contains(other));
    writeBytes(other, bytes);
    f.folderChanged();
    EXPECT_EQ(f.names(), (QStringList{"Screenshot c.png", "Screenshot b.png"}));
}

TEST(ScreenshotThumbnails, KeptUpToTheBudgetTheLeastRecentlyShownDroppedFirst) {
    QTemporaryDir dir;
    ManualMainQueue queue;
    QList<ScreenshotItem> items;
    for (int i = 0; i < 5; ++i) {
        const QString path = writePicture(dir.filePath(QStringLiteral("Screenshot %1.png").arg(i)),
                                          QSize(160, 90), QColor::fromHsv(i * 60, 200, 200));
        items.append(*ScreenshotItem::makeItem(QUrl::fromLocalFile(path), queue.now()));
    }
    const qsizetype each = ScreenshotItem::makeThumbnail(items[0].url()).sizeInBytes();
    ScreenshotThumbnails thumbnails(queue, 3 * each);
    QSignalSpy ready(&thumbnails, &ScreenshotThumbnails::thumbnailReady);

    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(thumbnails.thumbnail(items[i]).isNull());
        // Asked for again while it waits: still one decode.
        thumbnails.thumbnail(items[i]);
    }
    // One at a time.
    EXPECT_EQ(queue.backgroundCount(), 1);
    EXPECT_EQ(thumbnails.pendingCount(), 3);
    queue.runPending();
    EXPECT_EQ(ready.count(), 3);
    EXPECT_EQ(thumbnails.count(), 3);

    // Shown again, the first is the most recent; the second is the one that makes room.
    EXPECT_FALSE(thumbnails.thumbnail(items[0]).isNull());
    thumbnails.thumbnail(items[3]);
    queue.runPending();
    EXPECT_EQ(thumbnails.count(), 3);
    EXPECT_LE(thumbnails.byteCount(), 3 * each);
    EXPECT_FALSE(thumbnails.thumbnail(items[0]).isNull());
    EXPECT_FALSE(thumbnails.thumbnail(items[3]).isNull());
    EXPECT_TRUE(thumbnails.thumbnail(items[1]).isNull());
    queue.runPending();

    // Released before its decode started: none is made, until it is asked for again.
    queue.holdBackground(true);
    thumbnails.thumbnail(items[4]);
    // Dropped when the second came back.
    thumbnails.thumbnail(items[2]);
    thumbnails.release(items[2].id());
    queue.holdBackground(false);
    ready.clear();
    queue.runPending();
    ASSERT_EQ(ready.count(), 1);
    EXPECT_EQ(ready.first().first().toUuid(), items[4].id());
    EXPECT_EQ(thumbnails.pendingCount(), 0);
    thumbnails.thumbnail(items[2]);
    queue.runPending();
    EXPECT_EQ(ready.count(), 2);

    thumbnails.forget(items[4].id());
    EXPECT_TRUE(thumbnails.thumbnail(items[4]).isNull());
    thumbnails.clear();
    EXPECT_EQ(thumbnails.count(), 0);
    EXPECT_EQ(thumbnails.byteCount(), 0);
}
