#include "drops/DropIntake.h"
#include "clipboard/ClipboardManager.h"
#include "fakes/FakeDragPasteboard.h"
#include "fakes/FakePasteboard.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/ManualMainQueue.h"
#include "shelf/FileShelfManager.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class DropIntakeTest : public ::testing::Test {
protected:
    QString makeFile(const QString& name) {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
        return path;
    }

    bool drop(const FakeDragPasteboard& drag) { return handleDrop(drag, shelf, clipboard); }

    QStringList shelfPaths() const {
        QStringList paths;
        for (const ShelfFile& file : shelf.files()) {
            paths.append(file.url().toLocalFile());
        }
        return paths;
    }

    QTemporaryDir folder;
    ManualMainQueue queue;
    FakeWorkspace workspace;
    FakePasteboard pasteboard;
    FileShelfManager shelf{&workspace, queue};
    ClipboardManager clipboard{pasteboard, workspace, queue};
};

QByteArray utf16(const QString& text) {
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

} // namespace

TEST_F(DropIntakeTest, ALinkToALocalFileGoesOnTheShelfAndAWebLinkBecomesTextFromTheDrop) {
    const QString report = makeFile(QStringLiteral("report 1.pdf"));
    // A browser's link type is UTF-16, with the title on its second line.
    const QString link = QUrl::fromLocalFile(report).toString(QUrl::FullyEncoded);
    EXPECT_TRUE(drop({{DragType::mozUrl, utf16(link + QStringLiteral("\nreport"))}}));
    EXPECT_EQ(shelfPaths(), QStringList{report});
    EXPECT_TRUE(clipboard.items().isEmpty());

    const FakeDragPasteboard webLink{
        {DragType::mozUrl, utf16(QStringLiteral("https://example.org/a\nExample"))},
        {DragType::uriList, "https://example.org/a\r\n"},
        {DragType::plainText, "  https://example.org/a \n"},
        {QStringLiteral("chromium/x-renderer-taint"), ""}};
    EXPECT_TRUE(drop(webLink));
    ASSERT_EQ(clipboard.items().size(), 1);
    const ClipboardItem& entry = clipboard.items().first();
    EXPECT_EQ(entry.content.textValue(), QStringLiteral("https://example.org/a"));
    EXPECT_EQ(entry.sourceApp, QStringLiteral("Drop"));
    EXPECT_EQ(shelf.files().size(), 1);
}

TEST_F(DropIntakeTest, PathsInTextAddOnlyTheFilesThatExistInTheirOrder) {
    const QString a = makeFile(QStringLiteral("a.txt"));
    const QString b = makeFile(QStringLiteral("b.txt"));
    const QString text = QStringLiteral("two lines of\nordinary text\n  %1  \n%2/missing.txt\n%3\n")
                             .arg(a, folder.path(), QUrl::fromLocalFile(b).toString());
    EXPECT_TRUE(drop({{DragType::utf8Text, text.toUtf8()}}));
    // Added one after the other, so the last one is on top.
    EXPECT_EQ(shelfPaths(), (QStringList{b, a}));
    EXPECT_TRUE(clipboard.items().isEmpty());

    // The same files again change nothing, though the drop is taken.
    QSignalSpy changes(&shelf, &FileShelfManager::filesChanged);
    EXPECT_TRUE(drop({{DragType::plainText, a.toUtf8()}}));
    EXPECT_EQ(shelf.files().size(), 2);
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(DropIntakeTest, DraggedFilesAreAddedAndOtherListEntriesAreLeftOut) {
    const QString a = makeFile(QStringLiteral("a b.png"));
    const QString b = makeFile(QStringLiteral("ü.txt"));
    const QByteArray list = "# a comment\r\n" + QUrl::fromLocalFile(a).toEncoded() +
                            "\r\n"
                            "relative/entry.txt\r\n"
                            "https://example.org/x\r\n"
                            "file:relative.txt\r\n" +
                            QUrl::fromLocalFile(b).toEncoded() + "\r\n" +
                            QUrl::fromLocalFile(a).toEncoded() + "\r\n";
    EXPECT_TRUE(drop({{DragType::uriList, list}}));
    EXPECT_EQ(shelfPaths(), (QStringList{b, a}));
    EXPECT_TRUE(clipboard.items().isEmpty());
}

TEST_F(DropIntakeTest, FilesThatVanishedBeforeTheDropAreNeverAdded) {
    const QString kept = makeFile(QStringLiteral("kept.txt"));
    const QString gone = makeFile(QStringLiteral("gone.txt"));
    QFile::remove(gone);
    const QByteArray paths = (kept + QStringLiteral("\n") + gone).toUtf8();
    const QByteArray list =
        QUrl::fromLocalFile(gone).toEncoded() + "\r\n" + QUrl::fromLocalFile(kept).toEncoded();

    EXPECT_TRUE(drop({{DragType::uriList, list}, {DragType::plainText, paths}}));
    EXPECT_EQ(shelfPaths(), QStringList{kept});

    // When every dragged file is gone the drop is refused, not kept as the text of its paths.
    shelf.clearAll();
    EXPECT_FALSE(drop({{DragType::uriList, QUrl::fromLocalFile(gone).toEncoded()},
                       {DragType::plainText, gone.toUtf8()}}));
    EXPECT_TRUE(shelf.files().isEmpty());
    EXPECT_TRUE(clipboard.items().isEmpty());
}

TEST_F(DropIntakeTest, DropsOfNothingUsableAreRefusedAndChangeNothing) {
    EXPECT_FALSE(drop({}));
    EXPECT_FALSE(drop({{DragType::plainText, " \n\t  \r\n"}}));
    EXPECT_FALSE(drop({{QStringLiteral("image/png"), "\x89PNG"}}));
    EXPECT_FALSE(drop({{DragType::uriList, "relative/only.txt\r\nhttps://example.org/\r\n"}}));
    EXPECT_TRUE(shelf.files().isEmpty());
    EXPECT_TRUE(clipboard.items().isEmpty());
}

TEST_F(DropIntakeTest, ThousandsOfFilesArriveInOneChangeAndAHugeTextAsOneEntry) {
    QByteArray list;
    for (int i = 0; i < 2000; ++i) {
        list += QUrl::fromLocalFile(makeFile(QStringLiteral("f%1").arg(i))).toEncoded() + "\r\n";
    }
    QSignalSpy changes(&shelf, &FileShelfManager::filesChanged);
    EXPECT_TRUE(drop({{DragType::uriList, list}}));
    EXPECT_EQ(shelf.files().size(), 2000);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(shelf.files().first().name(), QStringLiteral("f1999"));

    // Many lines that look like paths (each naming a real file) are still text, not a list of
    // files to look up one by one.
    const QByteArray path = folder.filePath(QStringLiteral("f1")).toUtf8();
    QByteArray huge;
    huge.reserve(50 * 1024 * 1024);
    while (huge.size() < 50 * 1024 * 1024) {
        huge += path + '\n';
    }
    shelf.clearAll();
    EXPECT_TRUE(drop({{DragType::plainText, huge}}));
    EXPECT_TRUE(shelf.files().isEmpty());
    ASSERT_EQ(clipboard.items().size(), 1);
    EXPECT_EQ(clipboard.items().first().content.textValue().size(), huge.trimmed().size());
}
