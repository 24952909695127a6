#include "clipboard/ClipboardItem.h"

#include "platform/MainQueue.h"
#include "platform/Platform.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace {

// Below U+0300 no two different strings are canonically equivalent (every decomposition
// there introduces a combining mark at or above it), so such text compares as it stands.
bool hasOnlyUnitsBelowCombiningMarks(const QString& s) {
    for (const QChar ch : s) {
        if (ch.unicode() >= 0x0300) {
            return false;
        }
    }
    return true;
}

char32_t codePointAt(const QString& s, qsizetype i, int* length) {
    const QChar c = s.at(i);
    if (c.isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
        *length = 2;
        return QChar::surrogateToUcs4(c, s.at(i + 1));
    }
    *length = 1;
    return c.unicode();
}

// Whether the canonical decomposition of c begins with a starter (combining class 0). Canonical
// reordering never moves a mark across a starter, so text can be decomposed piecewise at such
// characters.
bool beginsSegment(char32_t c) {
    if (c < 0x0300) {
        return true;
    }
    while (true) {
        if (QChar::combiningClass(c) != 0) {
            return false;
        }
        if (QChar::decompositionTag(c) != QChar::Canonical) {
            return true;
        }
        const QString d = QChar::decomposition(c);
        if (d.isEmpty()) {
            return true;
        }
        int length = 0;
        c = codePointAt(d, 0, &length);
    }
}

// Produces the canonical decomposition (NFD) of a text piece by piece, in linear time:
// QString::normalized shifts the rest of the string for every character it decomposes, which
// takes minutes on a large accented text.
class Decomposer {
public:
    Decomposer(const QString& s, qsizetype from)
        : s_(s)
        , i_(from) {}

    // Appends the next piece; false once the text is used up.
    bool appendNext(QString& out) {
        const qsizetype n = s_.size();
        if (i_ >= n) {
            return false;
        }
        // Characters below U+00C0 have no canonical decomposition: copied as a run, except a
        // last one that carries combining marks.
        qsizetype run = i_;
        while (run < n && run - i_ < maxRun && s_.at(run).unicode() < 0x00C0) {
            ++run;
        }
        if (run > i_) {
            int length = 0;
            const bool marksFollow = run < n && !beginsSegment(codePointAt(s_, run, &length));
            const qsizetype plainEnd = marksFollow ? run - 1 : run;
            if (plainEnd > i_) {
                out.append(QStringView(s_).sliced(i_, plainEnd - i_));
                i_ = plainEnd;
                return true;
            }
        }
        // One segment: a character and the marks that follow it.
        int length = 0;
        const char32_t first = codePointAt(s_, i_, &length);
        qsizetype end = i_ + length;
        while (end < n && !beginsSegment(codePointAt(s_, end, &length))) {
            end += length;
        }
        const bool single = end == i_ + (QChar::requiresSurrogates(first) ? 2 : 1);
        if (single && QChar::decompositionTag(first) != QChar::Canonical) {
            out.append(QStringView(s_).sliced(i_, end - i_));
        } else {
            out.append(s_.sliced(i_, end - i_).normalized(QString::NormalizationForm_D));
        }
        i_ = end;
        return true;
    }

private:
    static constexpr qsizetype maxRun = 4096;
    const QString& s_;
    qsizetype i_;
};

bool isBoundary(const QString& s, qsizetype i) {
    if (i >= s.size()) {
        return true;
    }
    if (s.at(i).isLowSurrogate()) {
        return false;
    }
    int length = 0;
    return beginsSegment(codePointAt(s, i, &length));
}

bool canonicallyEqual(const QString& a, const QString& b) {
    if (a == b) {
        return true;
    }
    if (hasOnlyUnitsBelowCombiningMarks(a) && hasOnlyUnitsBelowCombiningMarks(b)) {
        return false;
    }
    // The common prefix needs no decomposing: start at the last boundary before the first
    // difference, and stop at the first difference after decomposing.
    const qsizetype common = std::min(a.size(), b.size());
    qsizetype start = std::mismatch(a.begin(), a.begin() + common, b.begin()).first - a.begin();
    while (start > 0 && !(isBoundary(a, start) && isBoundary(b, start))) {
        --start;
    }
    Decomposer da(a, start);
    Decomposer db(b, start);
    QString pendingA;
    QString pendingB;
    qsizetype offsetA = 0;
    qsizetype offsetB = 0;
    while (true) {
        if (offsetA == pendingA.size()) {
            pendingA.clear();
            offsetA = 0;
            if (!da.appendNext(pendingA)) {
                // a is used up: equal only if b has nothing left either.
                return offsetB == pendingB.size() && !db.appendNext(pendingB);
            }
        }
        if (offsetB == pendingB.size()) {
            pendingB.clear();
            offsetB = 0;
            if (!db.appendNext(pendingB)) {
                return false;
            }
        }
        const qsizetype n = std::min(pendingA.size() - offsetA, pendingB.size() - offsetB);
        if (QStringView(pendingA).sliced(offsetA, n) != QStringView(pendingB).sliced(offsetB, n)) {
            return false;
        }
        offsetA += n;
        offsetB += n;
    }
}

// The end of the first `count` grapheme clusters of text, or -1 when text has no more than
// `count` of them. Only a growing prefix is handed to the boundary finder, so a huge text
// costs little more than a short one.
qsizetype endOfClusters(QStringView text, int count) {
    qsizetype window = 1024;
    while (true) {
        const bool whole = window >= text.size();
        const QStringView part = whole ? text : text.first(window);
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, part.data(), part.size());
        int found = 0;
        qsizetype position = 0;
        while (found < count) {
            position = finder.toNextBoundary();
            if (position < 0) {
                break;
            }
            ++found;
        }
        // A boundary at the end of a partial window may be an artefact of the cut.
        if (found == count && (whole || position < part.size())) {
            return position < text.size() ? position : -1;
        }
        if (whole) {
            return -1;
        }
        window *= 4;
    }
}

} // namespace

ClipboardContent::ClipboardContent(Payload payload)
    : payload_(std::move(payload)) {}

ClipboardContent ClipboardContent::text(const QString& string) {
    return ClipboardContent(Payload(std::in_place_index<0>, string));
}

ClipboardContent ClipboardContent::image(std::shared_ptr<const ClipboardImage> image) {
    return ClipboardContent(Payload(std::in_place_index<1>, std::move(image)));
}

ClipboardContent ClipboardContent::fileURL(const QUrl& url) {
    return ClipboardContent(Payload(std::in_place_index<2>, url));
}

ClipboardContent ClipboardContent::rtf(std::shared_ptr<const RichText> richText) {
    return ClipboardContent(Payload(std::in_place_index<3>, std::move(richText)));
}

QString ClipboardContent::textValue() const {
    const QString* s = std::get_if<0>(&payload_);
    return s != nullptr ? *s : QString();
}

std::shared_ptr<const ClipboardImage> ClipboardContent::imageValue() const {
    const auto* p = std::get_if<1>(&payload_);
    return p != nullptr ? *p : nullptr;
}

QUrl ClipboardContent::fileURLValue() const {
    const QUrl* u = std::get_if<2>(&payload_);
    return u != nullptr ? *u : QUrl();
}

std::shared_ptr<const RichText> ClipboardContent::rtfValue() const {
    const auto* p = std::get_if<3>(&payload_);
    return p != nullptr ? *p : nullptr;
}

bool ClipboardContent::operator==(const ClipboardContent& other) const {
    if (kind() != other.kind()) {
        return false;
    }
    switch (kind()) {
    case Kind::text:
        return canonicallyEqual(std::get<0>(payload_), std::get<0>(other.payload_));
    case Kind::image:
        return false;
    case Kind::fileURL:
        return std::get<2>(payload_) == std::get<2>(other.payload_);
    case Kind::rtf: {
        const auto& a = std::get<3>(payload_);
        const auto& b = std::get<3>(other.payload_);
        if (!a || !b) {
            return !a && !b;
        }
        return canonicallyEqual(a->string(), b->string());
    }
    }
    return false;
}

QString ClipboardContent::symbolName(Kind kind) {
    switch (kind) {
    case Kind::text:
        return QStringLiteral("doc.text");
    case Kind::image:
        return QStringLiteral("photo");
    case Kind::fileURL:
        return QStringLiteral("doc");
    case Kind::rtf:
        return QStringLiteral("doc.richtext");
    }
    return {};
}

QString ClipboardContent::kindName(Kind kind) {
    switch (kind) {
    case Kind::text:
        return QStringLiteral("text");
    case Kind::image:
        return QStringLiteral("image");
    case Kind::fileURL:
        return QStringLiteral("file");
    case Kind::rtf:
        return QStringLiteral("rtf");
    }
    return {};
}

ClipboardItem ClipboardItem::make(ClipboardContent content, const QDateTime& timestamp,
                                  std::optional<QString> sourceApp) {
    return ClipboardItem{QUuid::createUuid(), std::move(content), timestamp, std::move(sourceApp)};
}

bool ClipboardItem::operator==(const ClipboardItem& other) const {
    return id == other.id && content == other.content && timestamp == other.timestamp &&
           sourceApp == other.sourceApp;
}

QString ClipboardItem::preview() const {
    switch (content.kind()) {
    case ClipboardContent::Kind::text:
        return previewText(content.textValue());
    case ClipboardContent::Kind::rtf: {
        const auto rich = content.rtfValue();
        return rich ? previewText(rich->string()) : QString();
    }
    case ClipboardContent::Kind::image:
        return QStringLiteral("Image");
    case ClipboardContent::Kind::fileURL: {
        // A folder's URL may end in a slash; its name is still the last component.
        const QUrl url = content.fileURLValue().adjusted(QUrl::StripTrailingSlash);
        const QString name = url.fileName();
        return name.isEmpty() ? url.path() : name;
    }
    }
    return {};
}

QString previewText(const QString& text) {
    // The same white space and line breaks as QString::trimmed, without copying the text.
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start).isSpace()) {
        ++start;
    }
    while (end > start && text.at(end - 1).isSpace()) {
        --end;
    }
    const QStringView trimmed = QStringView(text).sliced(start, end - start);
    const int maxClusters = 120;
    if (trimmed.size() <= maxClusters) {
        return trimmed.toString();
    }
    const qsizetype cut = endOfClusters(trimmed, maxClusters);
    if (cut < 0) {
        return trimmed.toString();
    }
    return trimmed.first(cut).toString() + QChar(0x2026);
}

QString timeAgo(const QDateTime& date, const QDateTime& now) {
    // Integer division truncates toward zero, as the label wants.
    const qint64 s = date.msecsTo(now) / 1000;
    if (s < 5) {
        return QStringLiteral("now");
    }
    if (s <= 59) {
        return QString::number(s) + QLatin1Char('s');
    }
    if (s <= 3599) {
        return QString::number(s / 60) + QLatin1Char('m');
    }
    return QString::number(s / 3600) + QLatin1Char('h');
}

QString timeAgo(const QDateTime& date) {
    return timeAgo(date, Platform::current().mainQueue->now());
}
