#include "clipboard/CanonicalEquivalence.h"

#include <unicode/unorm2.h>

#include <algorithm>

namespace {

const UNormalizer2* decomposition() {
    UErrorCode error = U_ZERO_ERROR;
    const UNormalizer2* nfd = unorm2_getNFDInstance(&error);
    return U_SUCCESS(error) ? nfd : nullptr;
}

// Below U+0300 no two different strings are canonically equivalent (every decomposition there
// introduces a combining mark at or above it), so such text compares as it stands.
bool hasOnlyUnitsBelowCombiningMarks(const QString& s) {
    return std::all_of(s.begin(), s.end(), [](QChar ch) { return ch.unicode() < 0x0300; });
}

// Whether the text may be cut before position i without changing its decomposition: a new
// segment starts there, so canonical reordering never reaches across.
bool isBoundary(const UNormalizer2* nfd, const QString& s, qsizetype i) {
    if (i <= 0 || i >= s.size()) {
        return true;
    }
    if (s.at(i).isLowSurrogate()) {
        return false;
    }
    char32_t c = s.at(i).unicode();
    if (s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
        c = QChar::surrogateToUcs4(s.at(i), s.at(i + 1));
    }
    return unorm2_hasBoundaryBefore(nfd, UChar32(c)) != 0;
}

// The decomposition of a text, made piece by piece between boundaries so that a comparison
// that fails early decomposes little, and a huge text never needs a second huge buffer.
class Decomposer {
public:
    Decomposer(const UNormalizer2* nfd, const QString& s, qsizetype from)
        : nfd_(nfd)
        , s_(s)
        , i_(from) {}

    // The next piece, or false once the text is used up (or ICU fails, which compares unequal).
    bool next(QString& out) {
        out.clear();
        const qsizetype n = s_.size();
        if (i_ >= n) {
            return false;
        }
        qsizetype end = std::min(n, i_ + pieceLength);
        while (end < n && !isBoundary(nfd_, s_, end)) {
            ++end;
        }
        const auto* source = reinterpret_cast<const UChar*>(s_.constData() + i_);
        const auto length = int32_t(end - i_);
        out.resize(qsizetype(length) * 3 + 16);
        UErrorCode error = U_ZERO_ERROR;
        int32_t written =
            unorm2_normalize(nfd_, source, length, reinterpret_cast<UChar*>(out.data()),
                             int32_t(out.size()), &error);
        if (error == U_BUFFER_OVERFLOW_ERROR) {
            out.resize(written);
            error = U_ZERO_ERROR;
            written = unorm2_normalize(nfd_, source, length, reinterpret_cast<UChar*>(out.data()),
                                       int32_t(out.size()), &error);
        }
        if (U_FAILURE(error)) {
            failed_ = true;
            return false;
        }
        out.resize(written);
        i_ = end;
        return true;
    }

    bool failed() const { return failed_; }

private:
    static constexpr qsizetype pieceLength = 4096;
    const UNormalizer2* nfd_;
    const QString& s_;
    qsizetype i_;
    bool failed_ = false;
};

} // namespace

bool canonicallyEqual(const QString& a, const QString& b) {
    if (a == b) {
        return true;
    }
    if (hasOnlyUnitsBelowCombiningMarks(a) && hasOnlyUnitsBelowCombiningMarks(b)) {
        return false;
    }
    const UNormalizer2* nfd = decomposition();
    if (nfd == nullptr) {
        return false;
    }
    // The common prefix needs no decomposing: start at the last boundary before the first
    // difference.
    const qsizetype common = std::min(a.size(), b.size());
    qsizetype start = std::mismatch(a.begin(), a.begin() + common, b.begin()).first - a.begin();
    while (start > 0 && !(isBoundary(nfd, a, start) && isBoundary(nfd, b, start))) {
        --start;
    }
    Decomposer da(nfd, a, start);
    Decomposer db(nfd, b, start);
    QString pieceA;
    QString pieceB;
    qsizetype offsetA = 0;
    qsizetype offsetB = 0;
    while (true) {
        if (offsetA == pieceA.size()) {
            offsetA = 0;
            if (!da.next(pieceA)) {
                // a is used up: equal only if b has nothing left either.
                return !da.failed() && offsetB == pieceB.size() && !db.next(pieceB) && !db.failed();
            }
        }
        if (offsetB == pieceB.size()) {
            offsetB = 0;
            if (!db.next(pieceB)) {
                return false;
            }
        }
        const qsizetype n = std::min(pieceA.size() - offsetA, pieceB.size() - offsetB);
        if (QStringView(pieceA).sliced(offsetA, n) != QStringView(pieceB).sliced(offsetB, n)) {
            return false;
        }
        offsetA += n;
        offsetB += n;
    }
}
