#include "clipboard/ClipboardSearch.h"

#include "ClipboardTestSupport.h"

#include <QUrl>

#include <gtest/gtest.h>

namespace {

QStringList previews(const QList<ClipboardItem>& items) {
    QStringList out;
    for (const ClipboardItem& item : items) {
        out.append(item.content.kind() == ClipboardContent::Kind::image
                       ? QStringLiteral("image from ") + item.sourceApp.value_or(QString())
                       : item.preview());
    }
    return out;
}

} // namespace

TEST(ClipboardSearch, MatchesTextRichTextAndFileNamesIgnoringCaseAndAccentsAndImagesOnlyBySource) {
    const QDateTime when = QDateTime::fromSecsSinceEpoch(1'700'000'000);
    const QList<ClipboardItem> items = {
        itemAt(textContent(QStringLiteral("Crème brûlée recipe")), when, QStringLiteral("Alpine")),
        // Precomposed and decomposed accents are the same letter.
        itemAt(textContent(QStringLiteral("cre\u0300me fraiche")), when),
        itemAt(rtfContent("{\\rtf1\\ansi {\\b ALPHA} release \\'e9t\\'e9}"), when),
        itemAt(ClipboardContent::fileURL(QUrl::fromLocalFile(QStringLiteral("/tmp/Résumé.PDF"))),
               when),
        // An image matches only on its source, never on the word "Image" its row shows.
        itemAt(imageContent(), when, QStringLiteral("GIMP")),
        itemAt(imageContent(), when),
        itemAt(textContent(QStringLiteral("ΣΊΣΥΦΟΣ and straße")), when),
    };

    auto found = [&](const QString& query) {
        return previews(ClipboardSearch::filter(items, query));
    };

    EXPECT_EQ(found(QStringLiteral("CREME")), QStringList({QStringLiteral("Crème brûlée recipe"),
                                                           QStringLiteral("cre\u0300me fraiche")}));
    EXPECT_EQ(found(QStringLiteral("brulee")), QStringList{QStringLiteral("Crème brûlée recipe")});
    // Rich text matches on its plain text, not on its markup; the source of a text entry is no
    // part of what it matches on.
    EXPECT_EQ(found(QStringLiteral("alp")).size(), 1);
    EXPECT_TRUE(found(QStringLiteral("rtf1")).isEmpty());
    EXPECT_EQ(found(QStringLiteral("été")).size(), 1);
    EXPECT_EQ(found(QStringLiteral("resume.pdf")), QStringList{QStringLiteral("Résumé.PDF")});
    EXPECT_TRUE(found(QStringLiteral("tmp")).isEmpty());
    EXPECT_EQ(found(QStringLiteral("gimp")), QStringList{QStringLiteral("image from GIMP")});
    EXPECT_TRUE(found(QStringLiteral("image")).isEmpty());
    EXPECT_EQ(found(QStringLiteral("σίσυφος")).size(), 1);
    // Every word of the query must be found, in any order.
    EXPECT_EQ(found(QStringLiteral("recipe crème")),
              QStringList{QStringLiteral("Crème brûlée recipe")});
    EXPECT_TRUE(found(QStringLiteral("recipe fraiche")).isEmpty());
    // An empty query, or one of white space, hides nothing.
    EXPECT_EQ(found(QString()).size(), items.size());
    EXPECT_EQ(found(QStringLiteral(" \t ")).size(), items.size());
}
