#include "screenshots/ScreenshotItem.h"
#include "ScreenshotFiles.h"
#include "fakes/FakePasteboard.h"
#include "fakes/FakeWorkspace.h"

#include <QBuffer>
#include <QImageReader>
#include <QMimeData>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

const QDateTime buildTime(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC);

QUrl fileUrl(const QString& path) {
    return QUrl::fromLocalFile(path);
}

bool redAt(const QImage& image, int x, int y) {
    const QRgb p = image.pixel(x, y);
    return qAlpha(p) == 255 && qRed(p) == 255 && qGreen(p) == 0 && qBlue(p) == 0;
}

} // namespace

TEST(ScreenshotItem, PictureIsFittedIntoTheSquareWithTransparentMargins) {
    EXPECT_EQ(ScreenshotItem::thumbnailRect(QSizeF(400, 100)), QRectF(0, 75, 200, 50));
    EXPECT_EQ(ScreenshotItem::thumbnailRect(QSizeF(100, 400)), QRectF(75, 0, 50, 200));
    EXPECT_EQ(ScreenshotItem::thumbnailRect(QSizeF(300, 300)), QRectF(0, 0, 200, 200));
    EXPECT_EQ(ScreenshotItem::thumbnailRect(QSizeF(3840, 2160)), QRectF(0, 43.75, 200, 112.5));

    // The thumbnail is that rectangle's picture alone: the whole picture, nothing cropped.
    QTemporaryDir dir;
    const QImage wide = ScreenshotItem::makeThumbnail(
        fileUrl(writePicture(dir.filePath("Screenshot w.png"), QSize(400, 100))));
    EXPECT_EQ(wide.size(), QSize(200, 50));
    EXPECT_TRUE(redAt(wide, 0, 0));
    EXPECT_TRUE(redAt(wide, 199, 49));
    const QImage tall = ScreenshotItem::makeThumbnail(
        fileUrl(writePicture(dir.filePath("Screenshot t.jpg"), QSize(100, 400), Qt::red, "JPG")));
    EXPECT_EQ(tall.size(), QSize(50, 200));
    EXPECT_TRUE(ScreenshotItem::makeThumbnail(fileUrl(dir.filePath("missing.png"))).isNull());
}

TEST(ScreenshotItem, ItemCarriesTheFileItsDateAndSizeAndAFreshIdEachTime) {
    QTemporaryDir dir;
    const QString path = writePicture(dir.filePath("Screenshot 1.png"));
    const auto first = ScreenshotItem::makeItem(fileUrl(path), buildTime);
    const auto second = ScreenshotItem::makeItem(fileUrl(path), buildTime);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->id(), second->id());
    EXPECT_EQ(first->url(), fileUrl(path));
    EXPECT_EQ(first->date(), fileDate(path));
    EXPECT_EQ(first->size(), QStringLiteral("%1 B").arg(QFileInfo(path).size()));
}

TEST(ScreenshotItem, SizeTextAtEachBoundary) {
    QTemporaryDir dir;
    const std::pair<qint64, const char*> cases[] = {
        {0, "0 B"},           {1023, "1023 B"},    {1024, "1 KB"},
        {1048575, "1023 KB"}, {1048576, "1.0 MB"}, {1572864, "1.5 MB"},
    };
    for (const auto& [bytes, text] : cases) {
        QFile file(dir.filePath(QString::number(bytes)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(bytes));
        EXPECT_EQ(ScreenshotItem::formattedSize(fileUrl(file.fileName())), QLatin1String(text));
    }
    EXPECT_EQ(ScreenshotItem::formattedSize(fileUrl(dir.filePath("missing"))), QString());
}

TEST(ScreenshotItem, AgeTextAtEachBoundary) {
    const QDateTime now = buildTime;
    const std::pair<qint64, const char*> cases[] = {
        {-10000, "now"},      {0, "now"},
        {4999, "now"},        {5000, "5s ago"},
        {42000, "42s ago"},   {59999, "59s ago"},
        {60000, "1m ago"},    {90000, "1m ago"},
        {3599000, "59m ago"}, {3600000, "1h ago"},
        {7200000, "2h ago"},  {86399000, "23h ago"},
        {86400000, "1d ago"}, {3 * 86400000LL, "3d ago"},
    };
    for (const auto& [msAgo, text] : cases) {
        EXPECT_EQ(ScreenshotItem::ageLabel(now.addMSecs(-msAgo), now), QLatin1String(text))
            << msAgo;
    }
}

TEST(ScreenshotItem, FilesWithoutACompletePictureGiveNoItem) {
    QTemporaryDir dir;
    const QByteArray png = pictureBytes(QSize(300, 200), "PNG");
    const QByteArray jpeg = pictureBytes(QSize(300, 200), "JPG");
    writeBytes(dir.filePath("empty.png"), {});
    writeBytes(dir.filePath("text.png"), "this is not a picture\n");
    writeBytes(dir.filePath("cut.png"), png.left(png.size() * 9 / 10));
    writeBytes(dir.filePath("cut.jpg"), jpeg.left(jpeg.size() * 9 / 10));
    QDir(dir.path()).mkdir(QStringLiteral("folder.png"));
    // A pipe under a screenshot's name must not block the program waiting for a writer.
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe.png")).constData(), 0600), 0);

    for (const char* name :
         {"empty.png", "text.png", "cut.png", "cut.jpg", "folder.png", "pipe.png", "missing.png"}) {
        EXPECT_FALSE(ScreenshotItem::makeItem(fileUrl(dir.filePath(name)), buildTime)) << name;
    }
    EXPECT_FALSE(
        ScreenshotItem::makeItem(QUrl(QStringLiteral("https://example.org/a.png")), buildTime));

    // The same bytes, once complete, do make items.
    writeBytes(dir.filePath("cut.png"), png);
    writeBytes(dir.filePath("cut.jpg"), jpeg);
    EXPECT_TRUE(ScreenshotItem::makeItem(fileUrl(dir.filePath("cut.png")), buildTime));
    EXPECT_TRUE(ScreenshotItem::makeItem(fileUrl(dir.filePath("cut.jpg")), buildTime));
}

TEST(ScreenshotItem, PicturesWithDataAfterTheirEndAreListedAndCopy) {
    QTemporaryDir dir;
    // Some tools append metadata after the end marker; its bytes may look like markers too.
    QByteArray tail(200, '\0');
    for (int i = 0; i < tail.size(); ++i) {
        tail[i] = char(i % 3 == 0 ? 0xFF : 0xD8 + i % 5);
    }
    for (const char* format : {"JPG", "PNG"}) {
        const QString path = dir.filePath(QStringLiteral("Screenshot.") + format);
        writeBytes(path, pictureBytes(QSize(64, 36), format) + tail);
        const auto item = ScreenshotItem::makeItem(fileUrl(path), buildTime);
        ASSERT_TRUE(item) << format;
        EXPECT_EQ(ScreenshotItem::makeThumbnail(item->url()).width(), 200) << format;
        FakePasteboard pasteboard;
        EXPECT_TRUE(ScreenshotItem::copyImage(*item, pasteboard)) << format;
        EXPECT_EQ(QImage::fromData(pasteboard.contents.value(QStringLiteral("image/png"))).size(),
                  QSize(64, 36))
            << format;
    }
}

TEST(ScreenshotItem, CopyPutsTheFullPictureOnThePasteboardAsPng) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Screenshot.png");
    // Packed tighter than the program packs, so a re-encoded copy would show.
    const QByteArray png =
        encodeImage(QImage::fromData(pictureBytes(QSize(640, 360), "PNG")), "PNG", 0);
    ASSERT_NE(png, pictureBytes(QSize(640, 360), "PNG"));
    writeBytes(path, png);
    const auto item = ScreenshotItem::makeItem(fileUrl(path), buildTime);
    ASSERT_TRUE(item);

    FakePasteboard pasteboard;
    pasteboard.copyText(QStringLiteral("before"));
    EXPECT_TRUE(ScreenshotItem::copyImage(*item, pasteboard));
    // The file's own bytes; the pasteboard offers TIFF from them itself.
    EXPECT_EQ(pasteboard.types(), QList<QString>{QStringLiteral("image/png")});
    EXPECT_EQ(pasteboard.contents.value(QStringLiteral("image/png")), png);

    // A JPEG is offered as PNG too, at full size.
    const QString jpegPath = dir.filePath("Screenshot.jpg");
    writeBytes(jpegPath, pictureBytes(QSize(640, 360), "JPG"));
    const auto jpegItem = ScreenshotItem::makeItem(fileUrl(jpegPath), buildTime);
    ASSERT_TRUE(jpegItem);
    EXPECT_TRUE(ScreenshotItem::copyImage(*jpegItem, pasteboard));
    EXPECT_EQ(
        QImage::fromData(pasteboard.contents.value(QStringLiteral("image/png")), "PNG").size(),
        QSize(640, 360));

    // Gone or spoilt since: the pasteboard keeps what it had.
    const qint64 count = pasteboard.changeCount();
    const auto kept = pasteboard.contents;
    QFile::remove(path);
    EXPECT_FALSE(ScreenshotItem::copyImage(*item, pasteboard));
    writeBytes(jpegPath, "garbage");
    EXPECT_FALSE(ScreenshotItem::copyImage(*jpegItem, pasteboard));
    EXPECT_EQ(pasteboard.changeCount(), count);
    EXPECT_EQ(pasteboard.contents, kept);
}

TEST(ScreenshotItem, RevealOpenAndDragAllCarryTheFileUrl) {
    QTemporaryDir dir;
    const QString path = writePicture(dir.filePath("Screenshot.png"));
    const auto item = ScreenshotItem::makeItem(fileUrl(path), buildTime);
    ASSERT_TRUE(item);

    FakeWorkspace workspace;
    ScreenshotItem::reveal(*item, workspace);
    ScreenshotItem::open(*item, workspace);
    EXPECT_EQ(workspace.revealed, QList<QUrl>{fileUrl(path)});
    EXPECT_EQ(workspace.opened, QList<QUrl>{fileUrl(path)});
    EXPECT_EQ(ScreenshotItem::dragPayload(*item)->urls(), QList<QUrl>{fileUrl(path)});
}
