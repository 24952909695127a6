#include "shelf/FileShelfManager.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/ManualMainQueue.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class FileShelfManagerTest : public ::testing::Test {
protected:
    QUrl makeFile(const QString& name, const QByteArray& content = "hello") {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return QUrl::fromLocalFile(path);
    }

    QStringList names() const {
        QStringList out;
        for (const ShelfFile& file : shelf.files()) {
            out << file.name();
        }
        return out;
    }

    QTemporaryDir dir;
    FakeWorkspace workspace;
    ManualMainQueue queue;
    FileShelfManager shelf{&workspace, queue};
};

} // namespace

TEST_F(FileShelfManagerTest, NewFilesGoOnTopWithTheirDetailsTakenAtAddTime) {
    const QUrl a = makeFile(QStringLiteral("a.txt"), "12345");
    const QUrl b = makeFile(QStringLiteral("b b.pdf"), QByteArray(2048, 'x'));

    shelf.addFile(a);
    queue.advance(60);
    shelf.addFile(b);

    ASSERT_EQ(shelf.files().size(), 2);
    EXPECT_EQ(names(), (QStringList{QStringLiteral("b b.pdf"), QStringLiteral("a.txt")}));
    const ShelfFile& newest = shelf.files().at(0);
    EXPECT_EQ(newest.url(), b);
    EXPECT_EQ(newest.size(), 2048);
    EXPECT_EQ(shelf.files().at(1).size(), 5);
    EXPECT_EQ(shelf.files().at(1).timestamp().secsTo(newest.timestamp()), 60);
    EXPECT_FALSE(newest.id().isNull());
    EXPECT_NE(newest.id(), shelf.files().at(1).id());
    EXPECT_EQ(workspace.iconRequests, (QStringList{a.toLocalFile(), b.toLocalFile()}));

    // The entry keeps what it learnt: a file deleted afterwards is still listed as it was.
    QFile::remove(b.toLocalFile());
    EXPECT_EQ(shelf.files().at(0).size(), 2048);
}

TEST_F(FileShelfManagerTest, AddingAFileAgainNeitherDuplicatesNorMovesItNorNotifies) {
    const QUrl a = makeFile(QStringLiteral("a"));
    const QUrl b = makeFile(QStringLiteral("b"));
    shelf.addFile(a);
    shelf.addFile(b);
    const QUuid idOfA = shelf.files().at(1).id();
    QSignalSpy spy(&shelf, &FileShelfManager::filesChanged);

    shelf.addFile(a);
    // The same URL written with an escape is the same URL.
    shelf.addFile(QUrl(QStringLiteral("file://") + dir.path() + QStringLiteral("/%61")));

    EXPECT_EQ(names(), (QStringList{QStringLiteral("b"), QStringLiteral("a")}));
    EXPECT_EQ(shelf.files().at(1).id(), idOfA);
    EXPECT_EQ(spy.count(), 0);
}

TEST_F(FileShelfManagerTest, DifferentSpellingsOfOnePathAreDifferentEntries) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const QString folder = dir.filePath(QStringLiteral("folder"));
    const QUrl plain = QUrl::fromLocalFile(folder);
    const QUrl slash = QUrl::fromLocalFile(folder + QLatin1Char('/'));
    const QUrl dotted = QUrl::fromLocalFile(dir.path() + QStringLiteral("/./folder"));

    shelf.addFile(plain);
    shelf.addFile(slash);
    shelf.addFile(dotted);

    ASSERT_EQ(shelf.files().size(), 3);
    // Each is named after the folder, trailing slash or not.
    EXPECT_EQ(names(), (QStringList{QStringLiteral("folder"), QStringLiteral("folder"),
                                    QStringLiteral("folder")}));
}

TEST_F(FileShelfManagerTest, MissingFilesAreAddedWithSizeZero) {
    shelf.addFile(QUrl::fromLocalFile(dir.filePath(QStringLiteral("never-existed.bin"))));
    ASSERT_EQ(shelf.files().size(), 1);
    EXPECT_EQ(shelf.files().at(0).size(), 0);
    EXPECT_EQ(shelf.files().at(0).name(), QStringLiteral("never-existed.bin"));
}

TEST_F(FileShelfManagerTest, RemovingKeepsTheOrderOfTheRestAndAlwaysNotifies) {
    for (const char* name : {"a", "b", "c"}) {
        shelf.addFile(makeFile(QString::fromUtf8(name)));
    }
    QSignalSpy spy(&shelf, &FileShelfManager::filesChanged);

    shelf.removeFile(shelf.files().at(1).id());
    EXPECT_EQ(names(), (QStringList{QStringLiteral("c"), QStringLiteral("a")}));
    EXPECT_EQ(spy.count(), 1);

    shelf.removeFile(QUuid::createUuid());
    EXPECT_EQ(names(), (QStringList{QStringLiteral("c"), QStringLiteral("a")}));
    EXPECT_EQ(spy.count(), 2);

    // A removed file can be added again, as a new entry at the top.
    shelf.addFile(QUrl::fromLocalFile(dir.filePath(QStringLiteral("b"))));
    EXPECT_EQ(names().first(), QStringLiteral("b"));
}

TEST_F(FileShelfManagerTest, ClearAllEmptiesTheShelfAndAnnouncesItEvenWhenEmpty) {
    shelf.addFile(makeFile(QStringLiteral("a")));
    shelf.addFile(makeFile(QStringLiteral("b")));
    QSignalSpy spy(&shelf, &FileShelfManager::filesChanged);

    shelf.clearAll();
    EXPECT_TRUE(shelf.files().isEmpty());
    shelf.clearAll();
    EXPECT_EQ(spy.count(), 2);
}

TEST(ShelfFile, NameIsTheDecodedLastPathComponent) {
    auto name = [](const char* url) {
        return ShelfFile::lastPathComponent(QUrl(QString::fromUtf8(url)));
    };
    EXPECT_EQ(name("file:///home/u/Report%20Q3.pdf"), QStringLiteral("Report Q3.pdf"));
    EXPECT_EQ(name("file:///home/u/Folder/"), QStringLiteral("Folder"));
    EXPECT_EQ(name("file:///home/u/Folder//"), QStringLiteral("Folder"));
    EXPECT_EQ(name("file:///"), QStringLiteral("/"));
    EXPECT_EQ(name("file:///tmp/%E2%9C%93%20done"), QStringLiteral("✓ done"));
}

TEST(ShelfFile, WithoutAWorkspaceTheEntryHasNoIconAndSizeZero) {
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("x")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("abc");
    f.close();
    ManualMainQueue queue;
    FileShelfManager shelf(nullptr, queue);

    shelf.addFile(QUrl::fromLocalFile(f.fileName()));
    ASSERT_EQ(shelf.files().size(), 1);
    EXPECT_EQ(shelf.files().at(0).size(), 0);
    EXPECT_TRUE(shelf.files().at(0).icon().isNull());
}

TEST_F(FileShelfManagerTest, AClearCanBeTakenBackForAFewSecondsBelowFilesAddedSince) {
    shelf.addFile(makeFile(QStringLiteral("a")));
    shelf.addFile(makeFile(QStringLiteral("b")));
    const QList<ShelfFile> before = shelf.files();
    shelf.clearAll();
    EXPECT_TRUE(shelf.clearUndo().isOpen());
    // Added since: one new file, and one that was on the shelf (it stays where it is now).
    shelf.addFile(makeFile(QStringLiteral("c")));
    shelf.addFile(before[1].url());
    EXPECT_TRUE(shelf.undoClear());
    EXPECT_EQ(names(),
              (QStringList{QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("b")}));
    EXPECT_EQ(shelf.files()[2].id(), before[0].id());
    EXPECT_FALSE(shelf.undoClear());

    shelf.clearAll();
    queue.advance(UndoOffer::duration);
    EXPECT_FALSE(shelf.undoClear());
    EXPECT_TRUE(shelf.files().isEmpty());
}
