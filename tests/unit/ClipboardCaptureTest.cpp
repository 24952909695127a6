#include "clipboard/ClipboardCapture.h"
#include "ClipboardTestSupport.h"
#include "fakes/FakePasteboard.h"

#include <gtest/gtest.h>

namespace {
using K = ClipboardContent::Kind;
const QString& text = PasteboardType::string;
const QString& rtf = PasteboardType::rtf;
const QString& png = PasteboardType::png;
const QString& tiff = PasteboardType::tiff;
const QString& uris = PasteboardType::fileURL;
} // namespace

TEST(ReadContent, FilesWinOverImagesAndTextAndOnlyTheFirstFileCounts) {
    FakePasteboard pb;
    pb.copy({{uris, "# copied from a file manager\r\nfile:///home/u/a.txt\r\n"
                    "file:///home/u/b%20c.png\r\nfile:///home/u/d\r\n"},
             {png, encodedImage("png")},
             {text, "/home/u/a.txt"}});
    const auto content = readContent(pb);
    ASSERT_TRUE(content);
    ASSERT_EQ(content->kind(), K::fileURL);
    EXPECT_EQ(content->fileURLValue(), QUrl::fromLocalFile(QStringLiteral("/home/u/a.txt")));
}

TEST(ReadContent, WebAndRelativeAddressesAreNotFilesAndFallToText) {
    FakePasteboard pb;
    pb.copy(
        {{uris, "https://example.org/page\r\nnotes.txt\r\n"}, {text, "https://example.org/page"}});
    const auto content = readContent(pb);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->kind(), K::text);
    EXPECT_EQ(content->textValue(), QStringLiteral("https://example.org/page"));
}

TEST(ReadContent, PngBeforeTiffAndUndecodableBytesFallThroughToTheOther) {
    FakePasteboard pb;
    pb.copy({{tiff, encodedImage("tiff", {7, 5})}, {png, encodedImage("png", {3, 2})}});
    auto content = readContent(pb);
    ASSERT_TRUE(content);
    ASSERT_EQ(content->kind(), K::image);
    EXPECT_EQ(content->imageValue()->mimeType(), png);
    EXPECT_EQ(content->imageValue()->pixelSize(), QSize(3, 2));

    pb.copy({{tiff, "II*\0garbage"}, {png, encodedImage("png", {3, 2})}});
    content = readContent(pb);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->imageValue()->pixelSize(), QSize(3, 2));

    pb.copy({{tiff, encodedImage("tiff", {7, 5})}, {png, "\x89PNG garbage"}});
    content = readContent(pb);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->imageValue()->mimeType(), tiff);
    EXPECT_EQ(content->imageValue()->pixelSize(), QSize(7, 5));
}

TEST(ReadContent, GarbageUnderBothImageTypesFallsThroughToText) {
    FakePasteboard pb;
    pb.copy({{tiff, QByteArray(100, '\x7f')},
             {png, QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(40, '\0')},
             {text, "caption"}});
    const auto content = readContent(pb);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->kind(), K::text);
}

TEST(ReadContent, RichTextWinsOverPlainTextUnlessBlankOrUnreadable) {
    FakePasteboard pb;
    pb.copy({{rtf, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Bold \\b move\\b0\\par}"},
             {text, "Bold move"}});
    auto content = readContent(pb);
    ASSERT_TRUE(content);
    ASSERT_EQ(content->kind(), K::rtf);
    EXPECT_EQ(content->rtfValue()->string(), QStringLiteral("Bold move\n"));

    pb.copy({{rtf, "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\par \\tab \\par}"}, {text, "plain words"}});
    content = readContent(pb);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->kind(), K::text);
    EXPECT_EQ(content->textValue(), QStringLiteral("plain words"));

    pb.copy({{rtf, "{\\rtf1 truncated \\b bo"}, {text, "plain words"}});
    content = readContent(pb);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->kind(), K::text);
}

TEST(ReadContent, PlainTextIsKeptUntrimmedAndBlankTextGivesNothing) {
    FakePasteboard pb;
    pb.copyText(QStringLiteral("\n\n  body line\n\n"));
    auto content = readContent(pb);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->textValue(), QStringLiteral("\n\n  body line\n\n"));

    pb.copyText(QStringLiteral("   \n \t"));
    EXPECT_FALSE(readContent(pb));
}

TEST(ReadContent, OtherTypesAloneAndOffersThatSendNothingGiveNothing) {
    FakePasteboard pb;
    pb.copy({{QStringLiteral("text/html"), "<b>hi</b>"},
             {QStringLiteral("image/jpeg"), encodedImage("jpeg")}});
    EXPECT_FALSE(readContent(pb));

    pb.copy({{uris, "file:///a"}, {png, encodedImage("png")}, {text, "words"}});
    pb.failingTypes = {uris, png, text};
    EXPECT_FALSE(readContent(pb));
    pb.failingTypes = {uris, png};
    const auto content = readContent(pb);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->kind(), K::text);
}

TEST(ReadContent, ReadingLeavesThePasteboardAsItWas) {
    FakePasteboard pb;
    pb.copy({{rtf, "{\\rtf1 x}"}, {text, "x"}});
    const auto before = pb.contents;
    const qint64 count = pb.changeCount();
    readContent(pb);
    EXPECT_EQ(pb.contents, before);
    EXPECT_EQ(pb.changeCount(), count);
}

TEST(IsMarkedSecret, OnlyTheSecretHintCounts) {
    FakePasteboard pb;
    pb.copy({{text, "hunter2"}, {PasteboardType::secretHint, "secret"}});
    EXPECT_TRUE(isMarkedSecret(pb));
    pb.copy({{text, "hunter2"}, {PasteboardType::secretHint, "public"}});
    EXPECT_FALSE(isMarkedSecret(pb));
    pb.copyText(QStringLiteral("secret"));
    EXPECT_FALSE(isMarkedSecret(pb));
}
