#include "platform/linux/InotifyDirectoryWatcher.h"
#include "EventLoop.h"
#include "ScreenshotFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(InotifyDirectoryWatcher, EachKindOfEntryChangeIsReportedOnceAsOneBatch) {
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    InotifyDirectoryWatcher watcher;
    int calls = 0;
    auto source = watcher.watch(dir.path(), [&] { ++calls; });
    ASSERT_NE(source, nullptr);

    // Twenty files written before the loop runs arrive as one batch.
    for (int i = 0; i < 20; ++i) {
        writeBytes(dir.filePath(QStringLiteral("f%1").arg(i)), "data");
    }
    ASSERT_TRUE(processEventsUntil([&] { return calls > 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 1);

    const std::vector<std::function<void()>> changes = {
        [&] { QFile::remove(dir.filePath("f0")); },
        [&] { QFile::rename(dir.filePath("f1"), elsewhere.filePath("f1")); },
        [&] { QFile::rename(elsewhere.filePath("f1"), dir.filePath("moved back")); },
        [&] { QDir(dir.path()).mkdir(QStringLiteral("sub")); },
        // The folder itself moved away, and back.
        [&] { QDir().rename(dir.path(), dir.path() + QStringLiteral(".away")); },
        [&] { QDir().rename(dir.path() + QStringLiteral(".away"), dir.path()); },
    };
    for (size_t i = 0; i < changes.size(); ++i) {
        calls = 0;
        changes[i]();
        EXPECT_TRUE(processEventsUntil([&] { return calls > 0; })) << "change " << i;
    }
}

TEST(InotifyDirectoryWatcher, AFileFinishedInPlaceIsReportedWhenClosed) {
    QTemporaryDir dir;
    InotifyDirectoryWatcher watcher;
    int calls = 0;
    auto source = watcher.watch(dir.path(), [&] { ++calls; });
    ASSERT_NE(source, nullptr);

    QFile file(dir.filePath("Screenshot.png"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(processEventsUntil([&] { return calls > 0; }));
    calls = 0;
    file.write(pictureBytes(QSize(64, 64), "PNG"));
    file.close();
    EXPECT_TRUE(processEventsUntil([&] { return calls > 0; }));
}

TEST(InotifyDirectoryWatcher, CancelledOrDestroyedSourcesStaySilent) {
    QTemporaryDir dir;
    InotifyDirectoryWatcher watcher;
    int live = 0;
    int cancelled = 0;
    int selfDestroyed = 0;
    auto keep = watcher.watch(dir.path(), [&] { ++live; });
    auto stop = watcher.watch(dir.path(), [&] { ++cancelled; });
    std::unique_ptr<DirectorySource> once;
    once = watcher.watch(dir.path(), [&] {
        ++selfDestroyed;
        once.reset(); // a handler may end its own watch
    });
    ASSERT_TRUE(keep && stop && once);
    stop->cancel();
    stop->cancel();
    EXPECT_TRUE(stop->isCancelled());

    writeBytes(dir.filePath("a"), "1");
    ASSERT_TRUE(processEventsUntil([&] { return live > 0 && selfDestroyed > 0; }));
    writeBytes(dir.filePath("b"), "2");
    ASSERT_TRUE(processEventsUntil([&] { return live > 1; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(cancelled, 0);
    EXPECT_EQ(selfDestroyed, 1);
}

TEST(InotifyDirectoryWatcher, FoldersThatCannotBeWatchedGiveNoSource) {
    QTemporaryDir dir;
    InotifyDirectoryWatcher watcher;
    EXPECT_EQ(watcher.watch(dir.filePath("missing"), [] {}), nullptr);
    writeBytes(dir.filePath("file"), "x");
    EXPECT_EQ(watcher.watch(dir.filePath("file"), [] {}), nullptr);
    EXPECT_EQ(watcher.watch(QString(), [] {}), nullptr);

    // A watched folder that is removed ends quietly.
    const QString gone = dir.filePath("gone");
    QDir().mkpath(gone);
    int calls = 0;
    auto source = watcher.watch(gone, [&] { ++calls; });
    ASSERT_NE(source, nullptr);
    writeBytes(gone + QStringLiteral("/x"), "x");
    ASSERT_TRUE(QDir(gone).removeRecursively());
    EXPECT_TRUE(processEventsUntil([&] { return calls > 0; }));
}
