#include "screenshots/ScreenshotManager.h"
#include "ScreenshotFiles.h"
#include "fakes/FakeDirectoryWatcher.h"
#include "fakes/FakeScreenCapture.h"
#include "fakes/ManualMainQueue.h"
#include "platform/DirectoryWatcher.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A manager over a real temporary folder, with the folder watch and the clock in hand.
struct Fixture {
    Fixture() { capture.answer = dir.path(); }

    ScreenshotManager& start() {
        manager = std::make_unique<ScreenshotManager>(queue, watcher, capture);
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

    QSignalSpy unseen(&m, &ScreenshotManager::unseenCountChanged);
    f.folderChanged(ScreenshotManager::additionDelay - 0.01);
    EXPECT_EQ(m.items().size(), 50);
    f.queue.advance(0.01);
    ASSERT_EQ(m.items().size(), 60);
    EXPECT_EQ(m.unseenCount(), 10);
    EXPECT_EQ(unseen.count(), 10);
    const QStringList front = f.names().mid(0, 10);
    EXPECT_EQ(QSet<QString>(front.begin(), front.end()), QSet<QString>(older.begin(), older.end()));
    EXPECT_EQ(m.knownPaths().size(), 60);
}

TEST(ScreenshotManager, NewScreenshotArrivesAtTheFrontOnceEvenAfterTwoQuickChanges) {
    Fixture f;
    writePicture(f.path("Screenshot a.png"));
    ScreenshotManager& m = f.start();
    QSignalSpy inserted(&m, &ScreenshotManager::itemInserted);

    writePicture(f.path("Screenshot b.png"));
    f.folderChanged(0.3);
    f.folderChanged(ScreenshotManager::additionDelay);
    f.queue.advance(5);
    EXPECT_EQ(f.names(), (QStringList{"Screenshot b.png", "Screenshot a.png"}));
    EXPECT_EQ(m.unseenCount(), 1);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted.first().first().toInt(), 0);
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

TEST(ScreenshotManager, OneChangeReadsAtMostTheFiftyNewestUnknownFiles) {
    Fixture f;
    const QStringList older = numbered(QStringLiteral("Screenshot old %1.png"), 0, 20);
    for (const QString& name : older) {
        writePicture(f.path(name));
    }
    waitForLaterFileDates(QDir(f.dir.path()), f.path(older.last()));
    for (const QString& name : numbered(QStringLiteral("Screenshot new %1.png"), 0, 50)) {
        writePicture(f.path(name));
    }
    ScreenshotManager& m = f.start();
    m.clearAll();

    f.folderChanged();
    EXPECT_EQ(m.items().size(), 50);
    EXPECT_FALSE(f.names().join(',').contains(QStringLiteral("old")));
    f.folderChanged();
    EXPECT_EQ(m.items().size(), 70);
    EXPECT_EQ(m.unseenCount(), 70);
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

    Fixture vanished;
    writePicture(vanished.path("Screenshot.png"));
    ScreenshotManager& m = vanished.start();
    ASSERT_TRUE(vanished.dir.remove());
    vanished.folderChanged();
    EXPECT_EQ(m.items().size(), 1);
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
