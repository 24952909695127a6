#include "clipboard/ClipboardCopyBack.h"
#include "ClipboardTestSupport.h"
#include "clipboard/ClipboardManager.h"
#include "fakes/FakePasteboard.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/ManualMainQueue.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class CopyBackTest : public ::testing::Test {
protected:
    CopyBackTest() { manager.startPolling(); }
    void tick() { queue.advance(ClipboardManager::settleDelay); }

    FakePasteboard pasteboard;
    FakeWorkspace workspace;
    ManualMainQueue queue;
    ClipboardManager manager{pasteboard, workspace, queue};
};

} // namespace

TEST_F(CopyBackTest, CopyingBackTheNewestTextAddsNothing) {
    pasteboard.copyText(QStringLiteral("older"));
    tick();
    pasteboard.copyText(QStringLiteral("newest"));
    tick();
    manager.copyToPasteboard(manager.items()[0]);
    EXPECT_EQ(pasteboard.contents.value(PasteboardType::string), QByteArray("newest"));
    tick();
    EXPECT_EQ(manager.items().size(), 2);
}

TEST_F(CopyBackTest, CopyingBackAnOlderTextPutsAnEqualEntryOnTopAndKeepsTheOld) {
    pasteboard.copyText(QStringLiteral("older"));
    tick();
    pasteboard.copyText(QStringLiteral("newest"));
    tick();
    const ClipboardItem older = manager.items()[1];
    // Our own copy is ours, whatever window is in front.
    workspace.activeApplication = QStringLiteral("gedit");
    manager.copyToPasteboard(older);
    tick();
    ASSERT_EQ(manager.items().size(), 3);
    EXPECT_EQ(manager.items()[0].content.textValue(), QStringLiteral("older"));
    EXPECT_NE(manager.items()[0].id, older.id);
    EXPECT_EQ(manager.items()[0].sourceApp, QStringLiteral("Hodgebin"));
    EXPECT_EQ(manager.items()[2].id, older.id);
}

TEST_F(CopyBackTest, CopyingBackTheNewestImageAddsAnotherImage) {
    pasteboard.copy({{PasteboardType::png, encodedImage("png", {9, 4})}});
    tick();
    manager.copyToPasteboard(manager.items()[0]);
    tick();
    ASSERT_EQ(manager.items().size(), 2);
    EXPECT_EQ(manager.items()[0].content.kind(), ClipboardContent::Kind::image);
    EXPECT_EQ(manager.items()[0].content.imageValue()->pixelSize(), QSize(9, 4));
}

TEST_F(CopyBackTest, TiffImagesGoBackAsTiffWithTheirOwnBytes) {
    const QByteArray tiff = encodedImage("tiff", {6, 6});
    pasteboard.copy({{PasteboardType::tiff, tiff}});
    tick();
    copyToPasteboard(manager.items()[0], pasteboard);
    EXPECT_EQ(pasteboard.contents.keys(), QList<QString>{PasteboardType::tiff});
    EXPECT_EQ(pasteboard.contents.value(PasteboardType::tiff), tiff);
}

TEST_F(CopyBackTest, AnImageInAnotherFormatThanItsTypeSaidGoesBackAsPngAndReadsBackAsAnImage) {
    // Some programs put JPEG bytes under image/png.
    pasteboard.copy({{PasteboardType::png, encodedImage("jpeg", {12, 5})}});
    tick();
    ASSERT_EQ(manager.items().size(), 1);
    manager.copyToPasteboard(manager.items()[0]);
    EXPECT_EQ(pasteboard.contents.keys(), QList<QString>{PasteboardType::png});
    const QImage written = QImage::fromData(pasteboard.contents.value(PasteboardType::png), "png");
    EXPECT_EQ(written.size(), QSize(12, 5));
    tick();
    ASSERT_EQ(manager.items().size(), 2);
    EXPECT_EQ(manager.items()[0].content.kind(), ClipboardContent::Kind::image);
}

TEST_F(CopyBackTest, RichTextGoesBackAsRtfAndPlainTextAndReadsBackAsTheSameEntry) {
    const QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Caf\\'e9 \\b au lait\\b0}";
    pasteboard.copy({{PasteboardType::rtf, rtf}, {PasteboardType::string, "ignored"}});
    tick();
    ASSERT_EQ(manager.items()[0].content.kind(), ClipboardContent::Kind::rtf);
    manager.copyToPasteboard(manager.items()[0]);
    EXPECT_EQ(pasteboard.contents.value(PasteboardType::rtf), rtf);
    EXPECT_EQ(QString::fromUtf8(pasteboard.contents.value(PasteboardType::string)),
              QStringLiteral("Caf\u00e9 au lait"));
    tick();
    EXPECT_EQ(manager.items().size(), 1);
}

TEST_F(CopyBackTest, AFileWhoseFileIsGoneStillWritesItsURL) {
    QUrl url;
    {
        QTemporaryDir dir;
        url = QUrl::fromLocalFile(dir.path() + QStringLiteral("/gone.txt"));
    }
    const auto item = itemAt(ClipboardContent::fileURL(url), queue.now());
    copyToPasteboard(item, pasteboard);
    EXPECT_EQ(pasteboard.readFileURLs(), QList<QUrl>{url});
    tick();
    ASSERT_EQ(manager.items().size(), 1);
    EXPECT_EQ(manager.items()[0].content.fileURLValue(), url);
}

TEST_F(CopyBackTest, ThePasteboardIsClearedFirstInEveryCase) {
    pasteboard.copy(
        {{PasteboardType::png, encodedImage("png")}, {QStringLiteral("text/html"), "<p>old</p>"}});
    const qint64 before = pasteboard.changeCount();
    copyToPasteboard(itemAt(textContent(QStringLiteral("new")), queue.now()), pasteboard);
    EXPECT_EQ(pasteboard.changeCount(), before + 1);
    EXPECT_EQ(pasteboard.contents.keys(), QList<QString>{PasteboardType::string});
}
