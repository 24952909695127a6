#include "ClipboardTestSupport.h"

#include <gtest/gtest.h>

namespace {
const QDateTime t0(QDate(2026, 1, 15), QTime(9, 0), Qt::UTC);
} // namespace

TEST(ClipboardContent, TextIsEqualByCanonicalEquivalenceNotByCodeUnits) {
    const QString composed = QStringLiteral("caf\u00e9");
    const QString decomposed = QStringLiteral("cafe\u0301");
    EXPECT_TRUE(textContent(composed) == textContent(decomposed));
    EXPECT_TRUE(textContent(QStringLiteral("\u212b")) == textContent(QStringLiteral("\u00c5")));
    EXPECT_FALSE(textContent(QStringLiteral("cafe")) == textContent(composed));
    EXPECT_FALSE(textContent(QStringLiteral("a ")) == textContent(QStringLiteral("a")));
    EXPECT_FALSE(textContent(QStringLiteral("Abc")) == textContent(QStringLiteral("abc")));
}

TEST(ClipboardContent, CanonicalEquivalenceAgreesWithQtOnMixedScriptsAndMarkOrders) {
    // Pieces whose decompositions and mark orders interact: precomposed and decomposed
    // letters, marks in both orders, Hangul syllables and jamo, a mark that decomposes into
    // two marks, a letter beyond the BMP.
    const QStringList pieces = {QStringLiteral("a"),       QStringLiteral("\u00e9"),
                                QStringLiteral("e\u0301"), QStringLiteral("\u0301"),
                                QStringLiteral("\u0323"),  QStringLiteral("\u1ec7"),
                                QStringLiteral("\ud55c"),  QStringLiteral("\u1112\u1161\u11ab"),
                                QStringLiteral("\u0344"),  QStringLiteral("\u212b"),
                                QStringLiteral("\u00c5"),  QStringLiteral("\U0001d15e"),
                                QStringLiteral(" "),       QStringLiteral("\u0f73")};
    quint32 seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7fff;
    };
    auto randomText = [&] {
        QString s;
        const int length = int(next() % 8);
        for (int i = 0; i < length; ++i) {
            s += pieces[int(next() % pieces.size())];
        }
        return s;
    };
    int equalPairs = 0;
    for (int round = 0; round < 3000; ++round) {
        const QString a = randomText();
        const QString b = randomText();
        const bool expected = a.normalized(QString::NormalizationForm_D) ==
                              b.normalized(QString::NormalizationForm_D);
        equalPairs += expected ? 1 : 0;
        ASSERT_EQ(textContent(a) == textContent(b), expected)
            << a.toStdString() << " vs " << b.toStdString();
        // The same pair behind a shared beginning, which is compared without decomposing.
        const QString prefix = randomText();
        ASSERT_EQ(textContent(prefix + a) == textContent(prefix + b), expected)
            << (prefix + a).toStdString() << " vs " << (prefix + b).toStdString();
        ASSERT_TRUE(textContent(a) == textContent(a.normalized(QString::NormalizationForm_C)));
        ASSERT_TRUE(textContent(a) == textContent(a.normalized(QString::NormalizationForm_D)));
    }
    EXPECT_GT(equalPairs, 10);
}

TEST(ClipboardContent, LargeAccentedTextsCompareCanonically) {
    QString composed;
    for (int i = 0; i < 4000; ++i) {
        composed += QStringLiteral("Fran\u00e7ois d\u00e9j\u00e0 vu \ud55c ");
    }
    const QString decomposed = composed.normalized(QString::NormalizationForm_D);
    ASSERT_NE(composed, decomposed);
    EXPECT_TRUE(textContent(composed) == textContent(decomposed));
    QString changed = decomposed;
    changed[changed.size() / 2 + 3] = QLatin1Char('#');
    EXPECT_FALSE(textContent(composed) == textContent(changed));
}

TEST(ClipboardContent, RichTextComparesByPlainTextAndNeverEqualsPlainText) {
    const auto times = rtfContent("{\\rtf1{\\fonttbl{\\f0 Times;}}\\f0\\b Hello\\b0  world}");
    const auto courier =
        rtfContent("{\\rtf1{\\fonttbl{\\f1 Courier;}}{\\colortbl;\\red255\\green0\\blue0;}"
                   "\\f1\\cf1 Hello world}");
    const auto other = rtfContent("{\\rtf1 Hello there}");
    EXPECT_TRUE(times == courier);
    EXPECT_FALSE(times == other);
    EXPECT_FALSE(times == textContent(QStringLiteral("Hello world")));
    EXPECT_FALSE(textContent(QStringLiteral("Hello world")) == courier);
}

TEST(ClipboardContent, ImagesAreNeverEqualEvenToThemselvesButFileURLsAre) {
    const auto image = imageContent();
    EXPECT_FALSE(image == image);
    const auto file =
        ClipboardContent::fileURL(QUrl::fromLocalFile(QStringLiteral("/tmp/a b.txt")));
    EXPECT_TRUE(file == ClipboardContent::fileURL(QUrl(QStringLiteral("file:///tmp/a%20b.txt"))));
    EXPECT_FALSE(file == ClipboardContent::fileURL(QUrl::fromLocalFile(QStringLiteral("/tmp/b"))));
    EXPECT_FALSE(file == textContent(QStringLiteral("/tmp/a b.txt")));
}

TEST(ClipboardItem, EqualOnlyWithAllFourFieldsAndAnImageEntryNotEvenToItself) {
    const auto item = itemAt(textContent(QStringLiteral("x")), t0);
    const ClipboardItem copy = item;
    EXPECT_TRUE(item == copy);
    EXPECT_FALSE(item == itemAt(textContent(QStringLiteral("x")), t0)); // fresh id
    ClipboardItem named = item;
    named.sourceApp = QStringLiteral("Editor");
    EXPECT_FALSE(item == named);
    ClipboardItem later = item;
    later.timestamp = t0.addSecs(1);
    EXPECT_FALSE(item == later);

    const auto image = itemAt(imageContent(), t0);
    const ClipboardItem imageCopy = image;
    EXPECT_FALSE(image == imageCopy);
    // Copies share the payload rather than duplicating it.
    EXPECT_EQ(image.content.imageValue().get(), imageCopy.content.imageValue().get());
}

TEST(ClipboardItem, PreviewTrimsEndsButKeepsInnerLineBreaks) {
    EXPECT_EQ(itemAt(textContent(QStringLiteral("\n\n  \tfirst\nsecond  \n")), t0).preview(),
              QStringLiteral("first\nsecond"));
    EXPECT_EQ(itemAt(textContent(QStringLiteral(" \n \u00a0\u2028")), t0).preview(), QString());
    const QString stored = QStringLiteral("\n  indented");
    const auto item = itemAt(textContent(stored), t0);
    EXPECT_EQ(item.preview(), QStringLiteral("indented"));
    EXPECT_EQ(item.content.textValue(), stored);
}

TEST(ClipboardItem, PreviewShowsAtMost120UserPerceivedCharacters) {
    const QString exactly(120, QLatin1Char('a'));
    EXPECT_EQ(
        itemAt(textContent(QStringLiteral("  ") + exactly + QStringLiteral("\n")), t0).preview(),
        exactly);
    EXPECT_EQ(itemAt(textContent(exactly + QStringLiteral("b")), t0).preview(),
              exactly + QStringLiteral("\u2026"));

    // Each "e" with two combining marks, and each flag, is one character on screen.
    QString accents;
    for (int i = 0; i < 121; ++i) {
        accents += QStringLiteral("e\u0301\u0323");
    }
    const QString shown = itemAt(textContent(accents), t0).preview();
    EXPECT_EQ(shown, accents.left(360) + QStringLiteral("\u2026"));

    QString flags;
    for (int i = 0; i < 120; ++i) {
        flags += QStringLiteral("\U0001F1EB\U0001F1F7");
    }
    EXPECT_EQ(itemAt(textContent(flags), t0).preview(), flags);
    EXPECT_EQ(itemAt(textContent(flags + QStringLiteral("\U0001F1EB\U0001F1F7")), t0).preview(),
              flags + QStringLiteral("\u2026"));
}

TEST(ClipboardItem, PreviewOfAHugeTextIsCutWithoutLosingTheStoredText) {
    const QString huge = QString(5'000'000, QLatin1Char('x'));
    const auto item = itemAt(textContent(huge), t0);
    EXPECT_EQ(item.preview(), QString(120, QLatin1Char('x')) + QStringLiteral("\u2026"));
    EXPECT_EQ(item.content.textValue().size(), huge.size());

    // A single cluster longer than the first look-ahead window is still kept whole.
    const QString longCluster = QStringLiteral("a") + QString(3000, QChar(0x0301));
    EXPECT_EQ(itemAt(textContent(longCluster + QStringLiteral("b")), t0).preview(),
              longCluster + QStringLiteral("b"));
}

TEST(ClipboardItem, PreviewOfOtherKinds) {
    EXPECT_EQ(itemAt(imageContent(), t0).preview(), QStringLiteral("Image"));
    EXPECT_EQ(itemAt(ClipboardContent::fileURL(
                         QUrl::fromLocalFile(QStringLiteral("/home/u/Report final.pdf"))),
                     t0)
                  .preview(),
              QStringLiteral("Report final.pdf"));
    EXPECT_EQ(itemAt(ClipboardContent::fileURL(QUrl(QStringLiteral("file:///home/u/Photos/"))), t0)
                  .preview(),
              QStringLiteral("Photos"));
    EXPECT_EQ(itemAt(rtfContent("{\\rtf1\\par\\par  Rich \\b words\\b0\\par}"), t0).preview(),
              QStringLiteral("Rich words"));
}

TEST(ClipboardContent, SymbolNamesAndKindNames) {
    using K = ClipboardContent::Kind;
    EXPECT_EQ(ClipboardContent::symbolName(K::text), QStringLiteral("doc.text"));
    EXPECT_EQ(ClipboardContent::symbolName(K::image), QStringLiteral("photo"));
    EXPECT_EQ(ClipboardContent::symbolName(K::fileURL), QStringLiteral("doc"));
    EXPECT_EQ(ClipboardContent::symbolName(K::rtf), QStringLiteral("doc.richtext"));
    EXPECT_EQ(ClipboardContent::kindName(K::fileURL), QStringLiteral("file"));
}

TEST(TimeAgo, ThresholdsAtFiveSixtyAndThirtySixHundredSeconds) {
    auto ago = [](double seconds) { return timeAgo(t0, t0.addMSecs(qint64(seconds * 1000))); };
    EXPECT_EQ(ago(0), QStringLiteral("now"));
    EXPECT_EQ(ago(4.9), QStringLiteral("now"));
    EXPECT_EQ(ago(-3600), QStringLiteral("now"));
    EXPECT_EQ(ago(5), QStringLiteral("5s"));
    EXPECT_EQ(ago(42.7), QStringLiteral("42s"));
    EXPECT_EQ(ago(59.9), QStringLiteral("59s"));
    EXPECT_EQ(ago(60), QStringLiteral("1m"));
    EXPECT_EQ(ago(3599), QStringLiteral("59m"));
    EXPECT_EQ(ago(3600), QStringLiteral("1h"));
    EXPECT_EQ(ago(86400), QStringLiteral("24h"));
    EXPECT_EQ(ago(49 * 3600 + 59 * 60), QStringLiteral("49h"));
}
