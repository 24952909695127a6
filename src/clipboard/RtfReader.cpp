#include "clipboard/RtfReader.h"

#include <QStringDecoder>

#include <cstring>
#include <map>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80-0x9F; undefined slots map to themselves.
constexpr char16_t cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The code page that a font's \fcharset implies; 0 means "the document's own".
int codepageForCharset(int charset) {
    switch (charset) {
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    default:
        return 0;
    }
}

// Destinations whose text is not part of what the reader sees.
bool isSkippedDestination(std::string_view word) {
    static const std::unordered_set<std::string_view> names = {
        "fonttbl",      "colortbl",     "stylesheet",
        "info",         "pict",         "object",
        "objdata",      "header",       "headerl",
        "headerr",      "headerf",      "footer",
        "footerl",      "footerr",      "footerf",
        "footnote",     "annotation",   "atnid",
        "atnauthor",    "listtable",    "listoverridetable",
        "revtbl",       "rsidtbl",      "generator",
        "xmlnstbl",     "themedata",    "colorschememapping",
        "latentstyles", "datastore",    "fldinst",
        "filetbl",      "pgdsctbl",     "shpinst",
        "nonshppict",   "bkmkstart",    "bkmkend",
        "template",     "docvar",       "xe",
        "tc",           "mmathPr",      "wgrffmtfilter",
        "pnseclvl",     "pntxta",       "pntxtb",
        "listpicture",  "passwordhash", "userprops",
        "protusertbl",  "ftnsep",       "ftnsepc",
        "ftncn",        "aftnsep",      "aftnsepc",
        "aftncn",       "sp",           "do",
        "blipuid",      "fldtype",      "datafield",
        "formfield",    "private",      "ud"};
    return names.count(word) > 0;
}

// Control words that stand for a character of their own.
std::optional<char16_t> characterWord(std::string_view word) {
    static const std::unordered_map<std::string_view, char16_t> table = {
        {"par", u'\n'},           {"line", u'\n'},        {"sect", u'\n'},
        {"page", u'\n'},          {"row", u'\n'},         {"nestrow", u'\n'},
        {"tab", u'\t'},           {"cell", u'\t'},        {"nestcell", u'\t'},
        {"emdash", u'\u2014'},    {"endash", u'\u2013'},  {"emspace", u'\u2003'},
        {"enspace", u'\u2002'},   {"qmspace", u'\u2005'}, {"bullet", u'\u2022'},
        {"lquote", u'\u2018'},    {"rquote", u'\u2019'},  {"ldblquote", u'\u201C'},
        {"rdblquote", u'\u201D'}, {"zwj", u'\u200D'},     {"zwnj", u'\u200C'},
        {"ltrmark", u'\u200E'},   {"rtlmark", u'\u200F'}, {"zwbo", u'\u200B'}};
    const auto it = table.find(word);
    if (it == table.end()) {
        return std::nullopt;
    }
    return it->second;
}

// What a group changes; a nested group starts as a copy of its parent.
struct GroupState {
    bool skip = false;      // inside a destination whose text is left out
    bool fontTable = false; // inside the font table, where font charsets are noted
    int uc = 1;             // fallback characters that follow \uN
    int codepage = 1252;    // for \'hh and raw 8-bit bytes
    bool operator==(const GroupState&) const = default;
};

// Identical nested states are counted rather than copied, so a document of nothing but
// opening braces needs constant memory however deep it goes.
struct StackEntry {
    GroupState state;
    qint64 count;
};

// Distinct nested states beyond this are not plausible in a real document.
constexpr size_t maxDistinctGroups = 1 << 20;

class Parser {
public:
    explicit Parser(const QByteArray& rtf)
        : data_(rtf.constData())
        , size_(rtf.size()) {}

    std::optional<QString> run() {
        qsizetype i = 0;
        while (i < size_ &&
               (data_[i] == ' ' || data_[i] == '\t' || data_[i] == '\r' || data_[i] == '\n')) {
            ++i;
        }
        if (size_ - i < 5 || std::memcmp(data_ + i, "{\\rtf", 5) != 0) {
            return std::nullopt;
        }
        pos_ = i;
        out_.reserve(int(std::min<qsizetype>(size_, 1 << 20)));
        while (pos_ < size_) {
            const char c = data_[pos_++];
            switch (c) {
            case '{':
                if (!openGroup()) {
                    return std::nullopt;
                }
                break;
            case '}':
                if (depth_ == 0) {
                    return std::nullopt;
                }
                closeGroup();
                if (depth_ == 0) {
                    flushBytes();
                    return out_;
                }
                break;
            case '\\':
                if (!control()) {
                    return std::nullopt;
                }
                break;
            case '\r':
            case '\n':
            case '\0':
                break;
            default:
                literal(static_cast<unsigned char>(c));
                break;
            }
        }
        // The document ended inside a group: truncated.
        return std::nullopt;
    }

private:
    bool openGroup() {
        fallbackToSkip_ = 0;
        if (!stack_.empty() && stack_.back().state == state_) {
            ++stack_.back().count;
        } else {
            if (stack_.size() >= maxDistinctGroups) {
                return false;
            }
            stack_.push_back({state_, 1});
        }
        ++depth_;
        return true;
    }

    void closeGroup() {
        fallbackToSkip_ = 0;
        state_ = stack_.back().state;
        if (--stack_.back().count == 0) {
            stack_.pop_back();
        }
        --depth_;
    }

    // A fallback character after \uN is swallowed; answers whether it was.
    bool swallowFallback() {
        if (fallbackToSkip_ > 0) {
            --fallbackToSkip_;
            return true;
        }
        return false;
    }

    void literal(unsigned char byte) {
        if (swallowFallback() || state_.skip) {
            return;
        }
        if (byte < 0x80) {
            append(QChar(byte));
        } else {
            addByte(byte);
        }
    }

    void append(QChar ch) {
        flushBytes();
        out_.append(ch);
    }

    void addByte(unsigned char byte) {
        if (!bytes_.isEmpty() && bytesCodepage_ != state_.codepage) {
            flushBytes();
        }
        bytesCodepage_ = state_.codepage;
        bytes_.append(char(byte));
    }

    // Bytes in the document's code page are decoded as one run, so double-byte code pages
    // see both halves of a character together.
    void flushBytes() {
        if (bytes_.isEmpty()) {
            return;
        }
        out_.append(decode(bytes_, bytesCodepage_));
        bytes_.clear();
    }

    QString decode(const QByteArray& bytes, int codepage) {
        if (codepage == 65001) {
            return QString::fromUtf8(bytes);
        }
        if (codepage != 1252 && codepage != 0) {
            auto it = decoders_.find(codepage);
            if (it == decoders_.end()) {
                it = decoders_.emplace(codepage, makeDecoder(codepage)).first;
            }
            if (it->second.isValid()) {
                it->second.resetState();
                QString text = it->second.decode(bytes);
                if (!it->second.hasError()) {
                    return text;
                }
            }
        }
        QString text;
        text.reserve(bytes.size());
        for (const char b : bytes) {
            const auto u = static_cast<unsigned char>(b);
            text.append(u >= 0x80 && u < 0xA0 ? QChar(cp1252High[u - 0x80]) : QChar(u));
        }
        return text;
    }

    static QStringDecoder makeDecoder(int codepage) {
        QByteArray name;
        switch (codepage) {
        case 10000:
            name = "macintosh";
            break;
        case 437:
            name = "IBM437";
            break;
        case 850:
            name = "IBM850";
            break;
        case 932:
            name = "Shift_JIS";
            break;
        case 936:
            name = "GBK";
            break;
        case 949:
            name = "windows-949";
            break;
        case 950:
            name = "Big5";
            break;
        case 874:
            name = "windows-874";
            break;
        default:
            name = "windows-" + QByteArray::number(codepage);
            break;
        }
        return QStringDecoder(name.constData(), QStringConverter::Flag::Stateless);
    }

    // After a backslash.
    bool control() {
        if (pos_ >= size_) {
            return false;
        }
        const char c = data_[pos_];
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            return controlWord();
        }
        ++pos_;
        if (c == '\'') {
            if (size_ - pos_ < 2) {
                return false;
            }
            const int hi = hexValue(data_[pos_]);
            const int lo = hexValue(data_[pos_ + 1]);
            if (hi < 0 || lo < 0) {
                // Not a hex escape after all; drop the backslash and quote.
                return true;
            }
            pos_ += 2;
            if (swallowFallback() || state_.skip) {
                return true;
            }
            addByte(static_cast<unsigned char>(hi * 16 + lo));
            return true;
        }
        if (swallowFallback()) {
            return true;
        }
        if (c == '*') {
            state_.skip = true;
            return true;
        }
        if (state_.skip) {
            return true;
        }
        switch (c) {
        case '\\':
        case '{':
        case '}':
            append(QChar::fromLatin1(c));
            break;
        case '~':
            append(QChar(0x00A0));
            break;
        case '_':
            append(QChar(0x2011));
            break;
        case '\n':
        case '\r':
            append(QChar(u'\n'));
            break;
        case '\t':
            append(QChar(u'\t'));
            break;
        default:
            // \- (optional hyphen), \: and \| leave nothing visible.
            break;
        }
        return true;
    }

    static int hexValue(char c) {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        return -1;
    }

    bool controlWord() {
        char word[33];
        int length = 0;
        while (pos_ < size_ && ((data_[pos_] >= 'a' && data_[pos_] <= 'z') ||
                                (data_[pos_] >= 'A' && data_[pos_] <= 'Z'))) {
            if (length < 32) {
                word[length] = data_[pos_];
            }
            ++length;
            ++pos_;
        }
        word[std::min(length, 32)] = '\0';
        if (length > 32) {
            // Longer than any real control word: unknown, so harmless.
            word[0] = '\0';
        }

        bool hasParam = false;
        qint64 param = 0;
        bool negative = false;
        if (pos_ + 1 < size_ && data_[pos_] == '-' && data_[pos_ + 1] >= '0' &&
            data_[pos_ + 1] <= '9') {
            negative = true;
            ++pos_;
        }
        while (pos_ < size_ && data_[pos_] >= '0' && data_[pos_] <= '9') {
            hasParam = true;
            if (param < 100000000000LL) {
                param = param * 10 + (data_[pos_] - '0');
            }
            ++pos_;
        }
        if (negative) {
            param = -param;
        }
        if (pos_ < size_ && data_[pos_] == ' ') {
            ++pos_;
        }
        const int value = int(std::clamp<qint64>(param, INT32_MIN, INT32_MAX));

        // \bin is followed by raw bytes that must not be read as RTF, even where skipped.
        if (std::strcmp(word, "bin") == 0) {
            if (!hasParam || param < 0 || param > size_ - pos_) {
                return false;
            }
            pos_ += qsizetype(param);
            swallowFallback();
            return true;
        }
        if (swallowFallback()) {
            return true;
        }

        if (state_.fontTable) {
            fontTableWord(word, hasParam, value);
            return true;
        }
        if (std::strcmp(word, "fonttbl") == 0) {
            state_.skip = true;
            state_.fontTable = true;
            return true;
        }
        if (isSkippedDestination(word)) {
            state_.skip = true;
            return true;
        }
        if (std::strcmp(word, "uc") == 0) {
            state_.uc = hasParam ? std::clamp(value, 0, 16) : 1;
            return true;
        }
        if (std::strcmp(word, "ansicpg") == 0 && hasParam) {
            documentCodepage_ = value;
            state_.codepage = value;
            return true;
        }
        if (std::strcmp(word, "mac") == 0) {
            documentCodepage_ = state_.codepage = 10000;
            return true;
        }
        if (std::strcmp(word, "pc") == 0) {
            documentCodepage_ = state_.codepage = 437;
            return true;
        }
        if (std::strcmp(word, "pca") == 0) {
            documentCodepage_ = state_.codepage = 850;
            return true;
        }
        if (std::strcmp(word, "f") == 0 && hasParam) {
            const auto it = fontCodepages_.find(value);
            state_.codepage =
                it != fontCodepages_.end() && it->second != 0 ? it->second : documentCodepage_;
            return true;
        }
        if (state_.skip) {
            return true;
        }
        if (std::strcmp(word, "u") == 0 && hasParam) {
            int unit = value;
            if (unit < 0) {
                unit += 65536;
            }
            if (unit >= 0 && unit <= 0xFFFF) {
                append(QChar(char16_t(unit)));
            }
            fallbackToSkip_ = state_.uc;
            return true;
        }
        if (const auto ch = characterWord(word)) {
            append(QChar(*ch));
        }
        return true;
    }

    void fontTableWord(const char* word, bool hasParam, int value) {
        if (!hasParam) {
            return;
        }
        if (std::strcmp(word, "f") == 0) {
            currentFont_ = value;
        } else if (std::strcmp(word, "fcharset") == 0) {
            if (fontCodepages_.size() < 65536 || fontCodepages_.count(currentFont_) > 0) {
                fontCodepages_[currentFont_] = codepageForCharset(value);
            }
        } else if (std::strcmp(word, "cpg") == 0) {
            if (fontCodepages_.size() < 65536 || fontCodepages_.count(currentFont_) > 0) {
                fontCodepages_[currentFont_] = value;
            }
        }
    }

    const char* data_;
    qsizetype size_;
    qsizetype pos_ = 0;
    qint64 depth_ = 0;
    std::vector<StackEntry> stack_;
    GroupState state_;
    int fallbackToSkip_ = 0;
    int documentCodepage_ = 1252;
    int currentFont_ = 0;
    std::unordered_map<int, int> fontCodepages_;
    std::map<int, QStringDecoder> decoders_;
    QByteArray bytes_;
    int bytesCodepage_ = 1252;
    QString out_;
};

} // namespace

std::optional<QString> RtfReader::plainText(const QByteArray& rtf) {
    return Parser(rtf).run();
}
