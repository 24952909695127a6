#include "ClipboardTestSupport.h"

#include <gtest/gtest.h>

TEST(ClipboardImage, SizeAndTypeComeFromTheBytesNotFromTheirLabel) {
    const auto png = ClipboardImage::fromData(encodedImage("png", {640, 480}));
    ASSERT_TRUE(png);
    EXPECT_EQ(png->pixelSize(), QSize(640, 480));
    EXPECT_EQ(png->mimeType(), QStringLiteral("image/png"));

    const auto tiff = ClipboardImage::fromData(encodedImage("tiff", {3, 9}));
    ASSERT_TRUE(tiff);
    EXPECT_EQ(tiff->mimeType(), QStringLiteral("image/tiff"));
    EXPECT_EQ(tiff->pixelSize(), QSize(3, 9));
}

TEST(ClipboardImage, BytesThatAreNotAnImageAreNoImage) {
    EXPECT_FALSE(ClipboardImage::fromData(QByteArray()));
    EXPECT_FALSE(ClipboardImage::fromData("just some text"));
    EXPECT_FALSE(ClipboardImage::fromData(QByteArray(4096, '\xff')));
    EXPECT_FALSE(ClipboardImage::fromData(QByteArray("\x89PNG\r\n\x1a\n", 8)));
}

TEST(ClipboardImage, ThumbnailFitsTheBoundsKeepsTheShapeAndIsNeverEnlarged) {
    const auto image = ClipboardImage::fromData(encodedImage("png", {400, 100}, Qt::blue));
    ASSERT_TRUE(image);
    const QImage thumb = image->thumbnail({80, 80});
    EXPECT_EQ(thumb.size(), QSize(80, 20));
    EXPECT_EQ(QColor(thumb.pixel(40, 10)), QColor(Qt::blue));
    EXPECT_EQ(image->thumbnail({1000, 1000}).size(), QSize(400, 100));
    // The encoded bytes are what the entry keeps.
    EXPECT_EQ(image->data(), encodedImage("png", {400, 100}, Qt::blue));
}

TEST(ClipboardImage, ATruncatedImageWithAGoodHeaderGivesNoThumbnailInsteadOfCrashing) {
    const QByteArray full = encodedImage("png", {300, 300});
    const auto image = ClipboardImage::fromData(full.left(full.size() / 2));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelSize(), QSize(300, 300));
    EXPECT_TRUE(image->thumbnail({50, 50}).isNull());
    EXPECT_TRUE(image->thumbnail({50, 50}).isNull());
}

TEST(ClipboardImage, ASliverStillGivesAThumbnailOfAtLeastOnePixelAndKeepsIt) {
    for (const QSize size : {QSize(1, 20000), QSize(20000, 1)}) {
        const auto image = ClipboardImage::fromData(encodedImage("png", size));
        ASSERT_TRUE(image);
        const QSize bounds(384, 48);
        EXPECT_TRUE(image->cachedThumbnail(bounds).isNull());
        const QImage thumb = image->thumbnail(bounds);
        ASSERT_FALSE(thumb.isNull());
        EXPECT_TRUE(thumb.width() >= 1 && thumb.height() >= 1);
        EXPECT_TRUE(thumb.width() <= bounds.width() && thumb.height() <= bounds.height());
        EXPECT_EQ(image->cachedThumbnail(bounds), thumb);
        EXPECT_FALSE(image->isUnreadable());
    }
}
