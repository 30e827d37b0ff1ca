#include "TitleGrammar.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>

namespace {

// ---- patterns ------------------------------------------------------------------------------
// ICU-like semantics: \d, \s and \b are Unicode-aware. Each pattern is compiled on first use.

constexpr auto kUnicode = QRegularExpression::UseUnicodePropertiesOption;
constexpr auto kUnicodeCaseless = kUnicode | QRegularExpression::CaseInsensitiveOption;

#define LUMIVANE_PATTERN(fn, literal, options)                                                     \
    const QRegularExpression& fn() {                                                               \
        static const QRegularExpression re(QStringLiteral(literal), options);                      \
        return re;                                                                                 \
    }

// Show.S02E05, Show.s1e2, Show.S01E105 (three digits read in full)
LUMIVANE_PATTERN(seasonEpisodePattern, R"([Ss](\d{1,2})[Ee](\d{1,3})(?!\d))", kUnicode)
// Show 3x07
LUMIVANE_PATTERN(crossPattern, R"(\b(\d{1,2})x(\d{1,2})\b)", kUnicode)
// Show 2024.03.07, Show 2024-3-7
LUMIVANE_PATTERN(airDatePattern, R"((?<!\d)(?:19|20)\d{2}[ ._-]\d{1,2}[ ._-]\d{1,2}(?!\d))",
                 kUnicode)
// where a title's episode part starts: s02e05, 3x07, 2024.03.07
LUMIVANE_PATTERN(
    episodeTokenPattern,
    R"((?<![a-z0-9])(s\d{1,2}e\d{1,2}|\d{1,2}x\d{1,2}|(?:19|20)\d{2}[^a-z0-9]\d{1,2}[^a-z0-9]\d{1,2}))",
    kUnicode)
// show 2019 (not 1920x1080, not 2160p)
LUMIVANE_PATTERN(yearPattern, R"((?<![0-9x])((?:19|20)\d{2})(?![0-9xp]))", kUnicode)
// "[site] - ", "(tag) ", "www.site.com - " before the name
LUMIVANE_PATTERN(junkPrefixPattern,
                 "^\\s*(?:[\\[\\{\\(][^\\]\\}\\)]*[\\]\\}\\)]\\s*[-\u2013_.]*\\s*|(?:www\\.)?[a-z0-"
                 "9-]+\\.(?:com|net|org|to|me|se|info|cc|is|tv)\\s*[-\u2013_.]*\\s*)+",
                 kUnicode)
// show seasons 1-3, show series 1 to 4
LUMIVANE_PATTERN(multiSeasonPattern, R"((series|seasons?)\s*\d{1,2}\s*(-|to)\s*\d{1,2})",
                 kUnicodeCaseless)
// show s01-s03
LUMIVANE_PATTERN(seasonSpanPattern, R"(\bs\d{1,2}\s*-\s*s\d{1,2}\b)", kUnicodeCaseless)
// show s02e01-e08
LUMIVANE_PATTERN(episodeRangePattern, R"(s(\d{1,2})e\d{1,2}\s*-\s*e?\d{1,2})", kUnicodeCaseless)
// show s02e05
LUMIVANE_PATTERN(singleEpisodePattern, R"(s\d{1,2}e\d{1,2})", kUnicodeCaseless)
// show season 3, show series 3
LUMIVANE_PATTERN(seasonWordPattern, R"((?:series|season)\s*(\d{1,2}))", kUnicodeCaseless)
// show s03 1080p
LUMIVANE_PATTERN(bareSeasonPattern, R"(\bs(\d{1,2})\b(?![ .]?e\d))", kUnicodeCaseless)
// match (12.05.2023) 720p
LUMIVANE_PATTERN(datedInBracketsPattern, R"([(\[]\s*\d{2}[.\-/]\d{2}[.\-/](?:19|20)\d{2}\s*[)\]])",
                 kUnicode)
// 12.05.23 match
LUMIVANE_PATTERN(leadingShortDatePattern, R"(^\d{2}\.\d{2}\.\d{2}[.\s_-])", kUnicode)

#undef LUMIVANE_PATTERN

// Subjects are made valid UTF-16 once when prepared, so matches skip PCRE's own check.
QRegularExpressionMatch find(const QRegularExpression& re, QStringView text, qsizetype offset = 0) {
    return re.match(text, offset, QRegularExpression::NormalMatch,
                    QRegularExpression::DontCheckSubjectStringMatchOption);
}

// ---- tables --------------------------------------------------------------------------------

using Table = std::vector<std::u16string_view>;

Table sortedTable(std::initializer_list<std::u16string_view> words) {
    Table table(words);
    std::sort(table.begin(), table.end());
    return table;
}

bool inTable(const Table& table, QStringView word) {
    return std::binary_search(table.begin(), table.end(),
                              std::u16string_view(word.utf16(), static_cast<size_t>(word.size())));
}

const Table& noiseWords() {
    static const Table table = sortedTable({
        u"us",       u"usa",      u"uk",      u"gb",       u"au",          u"aus",
        u"nz",       u"ca",       u"ie",      u"za",       u"in",          u"english",
        u"eng",      u"subbed",   u"dubbed",  u"multi",    u"dual",        u"audio",
        u"complete", u"series",   u"season",  u"seasons",  u"collection",  u"boxset",
        u"box",      u"set",      u"pack",    u"all",      u"full",        u"repack",
        u"proper",   u"internal", u"limited", u"extended", u"uncut",       u"remastered",
        u"restored", u"final",    u"cut",     u"edition",  u"anniversary", u"special",
        u"web",      u"webrip",   u"webdl",   u"web-dl",   u"bluray",      u"blu",
        u"ray",      u"brrip",    u"bdrip",   u"hdtv",     u"hdrip",       u"dvdrip",
        u"dvd",      u"amzn",     u"nf",      u"hulu",     u"dsnp",        u"atvp",
        u"max",      u"x264",     u"x265",    u"h264",     u"h265",        u"hevc",
        u"avc",      u"xvid",     u"aac",     u"ac3",      u"dts",         u"480p",
        u"720p",     u"1080p",    u"1080i",   u"2160p",    u"4k",          u"uhd",
        u"hdr",      u"sdr",      u"10bit",
    });
    return table;
}

std::optional<QString> regionCode(QStringView word) {
    static constexpr std::array<std::pair<std::u16string_view, const char*>, 10> regions{{
        {u"us", "US"},
        {u"usa", "US"},
        {u"uk", "GB"},
        {u"gb", "GB"},
        {u"au", "AU"},
        {u"aus", "AU"},
        {u"nz", "NZ"},
        {u"ie", "IE"},
        {u"za", "ZA"},
        {u"ca", "CA"},
    }};
    const std::u16string_view w(word.utf16(), static_cast<size_t>(word.size()));
    for (const auto& [region, code] : regions) {
        if (region == w)
            return QString::fromLatin1(code);
    }
    return std::nullopt;
}

// ---- text helpers --------------------------------------------------------------------------

bool isAsciiDigit(QChar c) {
    return c.unicode() >= '0' && c.unicode() <= '9';
}

bool isAlphanumeric(char32_t c) {
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    return QChar::isLetterOrNumber(c);
}

// Calls f(word) for every maximal run of letters and digits, until f returns false.
template <typename F>
void forEachWord(QStringView text, F&& f) {
    qsizetype start = -1;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        char32_t c = text[i].unicode();
        qsizetype width = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            width = 2;
        }
        if (isAlphanumeric(c)) {
            if (start < 0)
                start = i;
        } else if (start >= 0) {
            if (!f(text.sliced(start, i - start)))
                return;
            start = -1;
        }
        i += width;
    }
    if (start >= 0)
        f(text.sliced(start));
}

// A word made only of ASCII digits that fits a 64-bit integer.
std::optional<qint64> integerWord(QStringView word) {
    if (word.isEmpty() || word.size() > 18 || !std::all_of(word.begin(), word.end(), isAsciiDigit))
        return std::nullopt;
    return word.toLongLong();
}

// ASCII digits with an optional sign, nothing else; none when it does not fit.
std::optional<int> toInt(QStringView text) {
    const QStringView digits =
        text.startsWith(u'+') || text.startsWith(u'-') ? text.sliced(1) : text;
    if (digits.isEmpty() || digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), isAsciiDigit))
        return std::nullopt;
    const int value = digits.toInt();
    return text.startsWith(u'-') ? -value : value;
}

// Lone surrogates become U+FFFD: the text is then safe for unchecked matching.
void makeValidUtf16(QString& text) {
    if (QStringView(text).isValidUtf16())
        return;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
}

// A title as the patterns see it (capped, valid UTF-16, lower-cased or not), with the facts
// that decide cheaply whether a pattern can match at all, gathered in one pass. A surrogate
// counts as a possible digit or space: the patterns see whole code points.
struct Prepared {
    QString text;
    bool surrogates = false;
    bool dash = false;         // "-"
    bool bracket = false;      // "(" or "["
    bool century = false;      // "19" or "20"
    bool sDigit = false;       // "s" or "S" before a digit
    bool longSDigit = false;   // U+017F (matches "s" without case) before a digit
    bool bareS = false;        // an s-like letter after a non-word character, before a digit
    bool digitX = false;       // a digit before "x"
    bool seasonWord = false;   // "series"/"season" (their tails, "s" in any case)
    bool seasonNumber = false; // one of them followed by white space and a digit
    bool multiSeason = false;  // "complete series" or "complete collection"
    // resolution markers
    bool has2160p = false, has4k = false, hasUhd = false, has1080p = false, has1080i = false,
         has720p = false, has480p = false;
};

std::u16string_view u16(QStringView text) {
    return std::u16string_view(text.utf16(), static_cast<size_t>(text.size()));
}

bool contains(QStringView text, std::u16string_view needle) {
    return u16(text).find(needle) != std::u16string_view::npos;
}

bool isSLike(char16_t c) {
    return c == u's' || c == u'S' || c == 0x017F;
}

// Could be a digit to a Unicode-aware pattern.
bool maybeDigit(QChar c) {
    return c.isDigit() || c.isSurrogate();
}

Prepared prepare(QString text) {
    Prepared p;
    const std::u16string_view t = u16(text);
    const std::size_t n = t.size();
    auto at = [&t, n](std::size_t i, std::u16string_view word) {
        return i + word.size() <= n && t.compare(i, word.size(), word) == 0;
    };
    // Whether "series"/"season" ending before `i` is followed by white space and a digit.
    auto numberFollows = [&text, n](std::size_t i) {
        while (i < n && (text[i].isSpace() || text[i].unicode() >= 0x80) && !maybeDigit(text[i]))
            ++i;
        return i < n && maybeDigit(text[i]);
    };
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t c = t[i];
        if (c >= 0x80) {
            if (QChar::isSurrogate(c))
                p.surrogates = true;
            else if (text[i].isDigit() && i + 1 < n && t[i + 1] == u'x')
                p.digitX = true;
            if (c == 0x017F && i + 1 < n && maybeDigit(text[i + 1])) {
                p.longSDigit = true;
                p.bareS = true;
            }
            continue;
        }
        const bool nextDigit = i + 1 < n && maybeDigit(text[i + 1]);
        switch (c) {
        case u'-':
            p.dash = true;
            break;
        case u'(':
        case u'[':
            p.bracket = true;
            break;
        case u's':
        case u'S':
            if (nextDigit) {
                p.sDigit = true;
                p.bareS = p.bareS || i == 0 || !text[i - 1].isLetterOrNumber() || t[i - 1] >= 0x80;
            }
            break;
        case u'e':
            if (at(i, u"erie") && i + 4 < n && isSLike(t[i + 4])) {
                p.seasonWord = true;
                p.seasonNumber = p.seasonNumber || numberFollows(i + 5);
            } else if (at(i, u"ea") && i + 4 < n && isSLike(t[i + 2]) && t[i + 3] == u'o' &&
                       (t[i + 4] == u'n' || t[i + 4] == u'N')) {
                p.seasonWord = true;
                p.seasonNumber = p.seasonNumber || numberFollows(i + 5) ||
                                 (i + 5 < n && isSLike(t[i + 5]) && numberFollows(i + 6));
            }
            break;
        case u'c':
            p.multiSeason =
                p.multiSeason || at(i, u"complete series") || at(i, u"complete collection");
            break;
        case u'u':
            p.hasUhd = p.hasUhd || at(i, u"uhd");
            break;
        case u'1':
            p.century = p.century || (i + 1 < n && t[i + 1] == u'9');
            p.has1080p = p.has1080p || at(i, u"1080p");
            p.has1080i = p.has1080i || at(i, u"1080i");
            break;
        case u'2':
            p.century = p.century || (i + 1 < n && t[i + 1] == u'0');
            p.has2160p = p.has2160p || at(i, u"2160p");
            break;
        case u'4':
            p.has4k = p.has4k || at(i, u"4k");
            p.has480p = p.has480p || at(i, u"480p");
            break;
        case u'7':
            p.has720p = p.has720p || at(i, u"720p");
            break;
        default:
            break;
        }
        if (i + 1 < n && t[i + 1] == u'x' && c >= u'0' && c <= u'9')
            p.digitX = true;
    }
    if (p.surrogates) {
        makeValidUtf16(text);
        // Anything could hide behind a code point outside the BMP: let the patterns decide.
        p.sDigit = p.longSDigit = p.bareS = p.digitX = true;
    }
    p.text = std::move(text);
    return p;
}

QString lowerCased(const QString& text) {
    const bool ascii =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (!ascii)
        return text.toLower();
    QString out = text;
    for (QChar& c : out) {
        if (c.unicode() >= u'A' && c.unicode() <= u'Z')
            c = QChar(c.unicode() + 32);
    }
    return out;
}

// The last two texts prepared one way, so the several questions asked about one title (and
// the series name asked alongside) prepare each once. Least recently used goes first.
template <typename Value>
class Memo {
public:
    template <typename Make>
    const Value& get(const QString& source, Make make) {
        ++m_clock;
        for (Entry& e : m_entries) {
            if (e.used && e.source == source) {
                e.used = m_clock;
                return e.value;
            }
        }
        Entry& slot = m_entries[0].used <= m_entries[1].used ? m_entries[0] : m_entries[1];
        slot.source = source;
        slot.value = make(source);
        slot.used = m_clock;
        return slot.value;
    }

private:
    struct Entry {
        QString source;
        Value value{};
        quint64 used = 0; // 0: empty
    };
    std::array<Entry, 2> m_entries;
    quint64 m_clock = 0;
};

QString capped(const QString& text) {
    return text.size() > kMaxTitleLength ? text.left(kMaxTitleLength) : text;
}

// The title as matched: at most kMaxTitleLength characters, valid UTF-16. The reference is
// good until the next call.
const Prepared& original(const QString& title) {
    thread_local Memo<Prepared> memo;
    return memo.get(title, [](const QString& t) { return prepare(capped(t)); });
}

// The same, fully lower-cased.
const Prepared& lowered(const QString& text) {
    thread_local Memo<Prepared> memo;
    return memo.get(text, [](const QString& t) { return prepare(lowerCased(capped(t))); });
}

QString compactOf(QStringView text) {
    QString out;
    out.reserve(text.size());
    forEachWord(text, [&out](QStringView word) {
        out += word;
        return true;
    });
    return out;
}

bool hasCenturyDigits(QStringView text) {
    return contains(text, u"19") || contains(text, u"20");
}

// ---- name patterns -------------------------------------------------------------------------

struct NamePattern {
    bool valid = false;
    QString firstWord; // every match starts with it, so a title without it is skipped at once
    QRegularExpression pattern;
};

using NamePatternPtr = std::shared_ptr<const NamePattern>;

NamePatternPtr buildNamePattern(const QString& name) {
    constexpr qsizetype kMaxNameLength = 256;
    auto result = std::make_shared<NamePattern>();
    QString lower = (name.size() > kMaxNameLength ? name.left(kMaxNameLength) : name).toLower();
    makeValidUtf16(lower);
    QStringList words;
    forEachWord(lower, [&words](QStringView word) {
        words.append(word.toString());
        return true;
    });
    if (words.isEmpty())
        return result;
    QStringList escaped;
    for (const QString& word : words)
        escaped.append(QRegularExpression::escape(word));
    result->valid = true;
    result->firstWord = words.first();
    result->pattern = QRegularExpression(QStringLiteral("(?<![a-z0-9])") +
                                             escaped.join(QStringLiteral("[^a-z0-9]*")) +
                                             QStringLiteral("(?![a-z])"),
                                         kUnicode);
    return result;
}

// Callers test many titles against one name, so the patterns are kept per name.
NamePatternPtr namePattern(const QString& name) {
    thread_local QString lastName;
    thread_local NamePatternPtr last;
    thread_local QHash<QString, NamePatternPtr> cache;
    if (last && lastName == name)
        return last;
    NamePatternPtr found = cache.value(name);
    if (!found) {
        if (cache.size() >= 256)
            cache.clear();
        found = buildNamePattern(name);
        cache.insert(name, found);
    }
    lastName = name;
    last = found;
    return found;
}

struct Span {
    qsizetype start = 0;
    qsizetype end = 0;
};

std::optional<Span> findName(QStringView lower, const NamePattern& name) {
    if (!name.valid || !contains(lower, u16(name.firstWord)))
        return std::nullopt;
    const auto m = find(name.pattern, lower);
    if (!m.hasMatch())
        return std::nullopt;
    return Span{m.capturedStart(0), m.capturedEnd(0)};
}

// Where the name and the episode part after it lie in one lower-cased title. Several
// questions about one title and one name in a row share it.
struct NameMatch {
    QString text; // held, so its buffer cannot be reused while the entry lives
    NamePatternPtr pattern;
    std::optional<Span> name;
    bool betweenKnown = false;
    std::optional<QStringView> between;
};

const NameMatch& nameMatch(const QString& lower, const NamePatternPtr& pattern, bool withBetween) {
    thread_local NameMatch memo;
    if (memo.pattern != pattern || memo.text.constData() != lower.constData() ||
        memo.text.size() != lower.size()) {
        memo = NameMatch{lower, pattern, findName(lower, *pattern), false, std::nullopt};
    }
    if (withBetween && !memo.betweenKnown) {
        memo.betweenKnown = true;
        if (memo.name) {
            const QStringView rest = QStringView(memo.text).sliced(memo.name->end);
            if (const auto token = find(episodeTokenPattern(), rest); token.hasMatch())
                memo.between = rest.first(token.capturedStart(0));
        }
    }
    return memo;
}

// A necessary condition of the junk-prefix pattern: after leading space, a bracket, or a run
// of [a-z0-9-] and a dot followed by one of its site endings (possibly after "www.").
bool mayHaveJunkPrefix(QStringView t) {
    qsizetype i = 0;
    while (i < t.size() && (t[i].isSpace() || t[i].unicode() >= 0x80))
        ++i;
    if (i == t.size())
        return false;
    if (t[i] == u'[' || t[i] == u'{' || t[i] == u'(')
        return true;
    auto siteChar = [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-';
    };
    auto endingAt = [&t](qsizetype at) {
        for (const std::u16string_view ending :
             {u"com", u"net", u"org", u"to", u"me", u"se", u"info", u"cc", u"is", u"tv"}) {
            if (u16(t).substr(static_cast<size_t>(at)).starts_with(ending))
                return true;
        }
        return false;
    };
    for (int part = 0; part < 2; ++part) {
        const qsizetype start = i;
        while (i < t.size() && siteChar(t[i]))
            ++i;
        if (i == start || i == t.size() || t[i] != u'.')
            return false;
        if (endingAt(i + 1))
            return true;
        if (t.sliced(start, i - start) != u"www")
            return false;
        ++i;
    }
    return false;
}

QList<int> yearsInView(QStringView text) {
    QList<int> years;
    if (!hasCenturyDigits(text))
        return years;
    qsizetype offset = 0;
    while (offset < text.size()) {
        const auto m = find(yearPattern(), text, offset);
        if (!m.hasMatch())
            break;
        if (const auto year = toInt(m.capturedView(1)))
            years.append(*year);
        offset = m.capturedEnd(0);
    }
    return years;
}

// A hand scan for "s\d{1,2}e\d{1,2}" (without case, so also "S" and U+017F) in text free of
// surrogates: `single` when it occurs, `rangeLike` when one occurrence's digits are followed by
// white space and a dash, as an episode range needs. Exact for `single`, generous for
// `rangeLike` (the range pattern decides).
struct EpisodeShape {
    bool single = false;
    bool rangeLike = false;
};

EpisodeShape episodeShape(QStringView t) {
    auto isS = [](QChar c) { return c == u's' || c == u'S' || c.unicode() == 0x017F; };
    auto isE = [](QChar c) { return c == u'e' || c == u'E'; };
    const qsizetype n = t.size();
    EpisodeShape shape;
    for (qsizetype i = 0; i + 3 < n; ++i) {
        if (!isS(t[i]) || !t[i + 1].isDigit())
            continue;
        qsizetype e = i + 2;
        if (!isE(t[e]) && t[e].isDigit())
            ++e;
        if (e + 1 >= n || !isE(t[e]) || !t[e + 1].isDigit())
            continue;
        shape.single = true;
        qsizetype k = e + 1;
        while (k < n && t[k].isDigit())
            ++k;
        while (k < n && (t[k].isSpace() || t[k].unicode() >= 0x80))
            ++k;
        if (k < n && t[k] == u'-') {
            shape.rangeLike = true;
            break;
        }
    }
    return shape;
}

// ---- hand scans of the episode patterns -------------------------------------------------------
// The three episode-code patterns run on nearly every title, so they are also written out by
// hand. Each returns exactly the leftmost match of its pattern (groups as views) on text without
// surrogates, where one UTF-16 unit is one code point; \d is any decimal digit, as in the
// pattern. The patterns stay the reference: text with surrogates goes to them.

using Groups = std::pair<QStringView, QStringView>;

std::optional<Groups> patternGroups(const QRegularExpression& re, QStringView text) {
    const auto m = find(re, text);
    if (!m.hasMatch())
        return std::nullopt;
    return Groups{m.capturedView(1), m.capturedView(2)};
}

qsizetype digitRun(QStringView t, qsizetype from) {
    qsizetype end = from;
    while (end < t.size() && t[end].isDigit())
        ++end;
    return end - from;
}

bool isWordCharacter(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

// [Ss](\d{1,2})[Ee](\d{1,3})(?!\d)
std::optional<Groups> scanSeasonEpisode(QStringView t) {
    const qsizetype n = t.size();
    for (qsizetype i = 0; i + 3 < n; ++i) {
        if (t[i] != u'S' && t[i] != u's')
            continue;
        // A run of three or more digits leaves a digit where the E must be.
        const qsizetype seasonLength = digitRun(t, i + 1);
        if (seasonLength < 1 || seasonLength > 2)
            continue;
        const qsizetype e = i + 1 + seasonLength;
        if (e >= n || (t[e] != u'E' && t[e] != u'e'))
            continue;
        // Four or more digits leave a digit after any shorter group.
        const qsizetype episodeLength = digitRun(t, e + 1);
        if (episodeLength < 1 || episodeLength > 3)
            continue;
        return Groups{t.sliced(i + 1, seasonLength), t.sliced(e + 1, episodeLength)};
    }
    return std::nullopt;
}

// \b(\d{1,2})x(\d{1,2})\b
std::optional<Groups> scanCross(QStringView t) {
    const qsizetype n = t.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (!t[i].isDigit() || (i > 0 && isWordCharacter(t[i - 1])))
            continue;
        const qsizetype first = digitRun(t, i);
        const qsizetype x = i + first;
        if (first <= 2 && x < n && t[x] == u'x') {
            const qsizetype second = digitRun(t, x + 1);
            const qsizetype end = x + 1 + second;
            if (second >= 1 && second <= 2 && (end == n || !isWordCharacter(t[end])))
                return Groups{t.sliced(i, first), t.sliced(x + 1, second)};
        }
        i = x; // no match can start inside this run of digits
    }
    return std::nullopt;
}

// (?<!\d)(?:19|20)\d{2}[ ._-]\d{1,2}[ ._-]\d{1,2}(?!\d)
std::optional<QStringView> scanAirDate(QStringView t) {
    auto separator = [](QChar c) { return c == u' ' || c == u'.' || c == u'_' || c == u'-'; };
    const qsizetype n = t.size();
    for (qsizetype i = 0; i + 8 <= n; ++i) {
        if (!((t[i] == u'1' && t[i + 1] == u'9') || (t[i] == u'2' && t[i + 1] == u'0')))
            continue;
        if ((i > 0 && t[i - 1].isDigit()) || !t[i + 2].isDigit() || !t[i + 3].isDigit() ||
            !separator(t[i + 4]))
            continue;
        const qsizetype month = digitRun(t, i + 5);
        const qsizetype second = i + 5 + month;
        if (month < 1 || month > 2 || second >= n || !separator(t[second]))
            continue;
        const qsizetype day = digitRun(t, second + 1);
        if (day < 1 || day > 2)
            continue;
        return t.sliced(i, second + 1 + day - i);
    }
    return std::nullopt;
}

int ladderIndex(Show::Quality quality) {
    switch (quality) {
    case Show::Quality::p480:
        return 0;
    case Show::Quality::p720:
        return 1;
    case Show::Quality::p1080:
        return 2;
    case Show::Quality::k4:
        return 3;
    }
    return 2;
}

} // namespace

// ---- resolution ------------------------------------------------------------------------------

QString qualityLabel(const QString& title) {
    const Prepared& lower = lowered(title);
    if (lower.has2160p || lower.has4k || lower.hasUhd)
        return QStringLiteral("4K");
    if (lower.has1080p || lower.has1080i)
        return QStringLiteral("1080p");
    if (lower.has720p)
        return QStringLiteral("720p");
    if (lower.has480p)
        return QStringLiteral("480p");
    return QStringLiteral("\u2014");
}

bool titleMatchesQuality(const QString& title, Show::Quality quality) {
    const Prepared& lower = lowered(title);
    switch (quality) {
    case Show::Quality::p480:
        return lower.has480p;
    case Show::Quality::p720:
        return lower.has720p;
    case Show::Quality::p1080:
        return lower.has1080p || lower.has1080i;
    case Show::Quality::k4:
        return lower.has2160p || lower.has4k;
    }
    return false;
}

// Nearest lower resolution first (1–3), then the wanted one and higher ones (10–12), an
// unwanted 4K only after those (50), unlabelled titles last (100).
int qualityDistance(const QString& title, Show::Quality wanted) {
    const QString label = qualityLabel(title);
    if (label == u"\u2014")
        return 100;
    if (label == u"4K" && wanted != Show::Quality::k4)
        return 50;
    const int i = label == u"480p" ? 0 : label == u"720p" ? 1 : label == u"1080p" ? 2 : 3;
    const int j = ladderIndex(wanted);
    if (i < j)
        return j - i;
    return (i - j) + 10;
}

QSet<QString> titleWords(const QString& title) {
    const Prepared lower = lowered(title);
    QSet<QString> words;
    forEachWord(lower.text, [&words](QStringView word) {
        words.insert(word.toString());
        return true;
    });
    return words;
}

// ---- episode codes and packs -----------------------------------------------------------------

std::optional<EpisodeCode> episodeCode(const QString& title) {
    const Prepared prepared = original(title);
    const QStringView text = prepared.text;
    // Outside the BMP the hand scans would miscount code points: the patterns decide there.
    const bool scan = !prepared.surrogates;

    if (prepared.sDigit) {
        const auto groups =
            scan ? scanSeasonEpisode(text) : patternGroups(seasonEpisodePattern(), text);
        if (groups) {
            const auto season = toInt(groups->first);
            const auto episode = toInt(groups->second);
            if (season && episode)
                return EpisodeCode::episode(*season, *episode);
        }
    }
    if (prepared.digitX) {
        const auto groups = scan ? scanCross(text) : patternGroups(crossPattern(), text);
        if (groups) {
            const auto season = toInt(groups->first);
            const auto episode = toInt(groups->second);
            if (season && episode)
                return EpisodeCode::episode(*season, *episode);
        }
    }
    if (prepared.century) {
        std::optional<QStringView> date;
        if (scan) {
            date = scanAirDate(text);
        } else if (const auto m = find(airDatePattern(), text); m.hasMatch()) {
            date = m.capturedView(0);
        }
        if (date) {
            // The match is digits and exactly two separators.
            QList<int> numbers;
            bool ok = true;
            qsizetype start = 0;
            for (qsizetype i = 0; i <= date->size(); ++i) {
                if (i < date->size() && !QStringView(u" ._-").contains((*date)[i]))
                    continue;
                const auto n = toInt(date->sliced(start, i - start));
                ok = ok && n.has_value();
                numbers.append(n.value_or(0));
                start = i + 1;
            }
            if (ok && numbers.size() == 3) {
                const int year = numbers[0], month = numbers[1], day = numbers[2];
                return EpisodeCode::daily(year, month, day);
            }
        }
    }
    return std::nullopt;
}

std::optional<int> packSeason(const QString& title) {
    const Prepared lower = lowered(title);
    const QStringView t = lower.text;

    // Several seasons: not a pack of one.
    if (lower.seasonNumber && find(multiSeasonPattern(), t).hasMatch())
        return std::nullopt;
    if (lower.dash && lower.bareS && find(seasonSpanPattern(), t).hasMatch())
        return std::nullopt;
    if (lower.multiSeason)
        return std::nullopt;

    const EpisodeShape shape = lower.surrogates ? EpisodeShape{true, true} : episodeShape(t);
    if (lower.dash && shape.rangeLike) {
        if (const auto m = find(episodeRangePattern(), t); m.hasMatch()) {
            if (const auto season = toInt(m.capturedView(1)))
                return season;
        }
    }
    if (shape.single && (!lower.surrogates || find(singleEpisodePattern(), t).hasMatch()))
        return std::nullopt;
    if (lower.seasonNumber) {
        if (const auto m = find(seasonWordPattern(), t); m.hasMatch()) {
            if (const auto season = toInt(m.capturedView(1)))
                return season;
        }
    }
    if (lower.bareS) {
        if (const auto m = find(bareSeasonPattern(), t); m.hasMatch()) {
            if (const auto season = toInt(m.capturedView(1)))
                return season;
        }
    }
    return std::nullopt;
}

QList<int> yearsIn(const QString& text) {
    const Prepared prepared = original(text);
    return yearsInView(prepared.text);
}

// ---- names -----------------------------------------------------------------------------------

bool titleContainsName(const QString& title, const QString& name) {
    const Prepared lower = lowered(title);
    return nameMatch(lower.text, namePattern(name), false).name.has_value();
}

bool hasExtraWordsAfterName(const QString& title, const QString& name) {
    const Prepared lower = lowered(title); // keeps the text the view below points into
    const auto between = nameMatch(lower.text, namePattern(name), true).between;
    if (!between)
        return false;
    bool extra = false;
    forEachWord(*between, [&extra](QStringView word) {
        if (inTable(noiseWords(), word))
            return true;
        const auto number = word.size() == 4 ? integerWord(word) : std::nullopt;
        if (number && *number >= 1900 && *number < 2100)
            return true;
        extra = true;
        return false;
    });
    return extra;
}

bool hasExtraWordsBeforeName(const QString& title, const QString& name) {
    const Prepared lower = lowered(title);
    const NamePatternPtr pattern = namePattern(name);
    QStringView rest = lower.text;
    if (!pattern->valid || !contains(rest, u16(pattern->firstWord)))
        return false; // the name cannot occur after the prefix either
    std::optional<Span> span;
    const auto junk =
        mayHaveJunkPrefix(rest) ? find(junkPrefixPattern(), rest) : QRegularExpressionMatch();
    if (junk.hasMatch()) {
        rest = rest.sliced(junk.capturedEnd(0));
        span = findName(rest, *pattern);
    } else {
        span = nameMatch(lower.text, pattern, false).name;
    }
    if (!span)
        return false;
    bool extra = false;
    forEachWord(rest.first(span->start), [&extra](QStringView word) {
        if (inTable(noiseWords(), word))
            return true;
        if (integerWord(word) && (word.startsWith(u"19") || word.startsWith(u"20")))
            return true;
        extra = true;
        return false;
    });
    return extra;
}

bool isOtherRegion(const QString& title, const QString& name, const QStringList& originCountries) {
    const Prepared lower = lowered(title); // keeps the text the view below points into
    const auto between = nameMatch(lower.text, namePattern(name), true).between;
    if (!between)
        return false;
    bool mapped = false;
    bool ours = false;
    forEachWord(*between, [&](QStringView word) {
        if (const auto code = regionCode(word)) {
            mapped = true;
            ours = ours || originCountries.contains(*code);
        }
        return true;
    });
    return mapped && !ours;
}

bool conflictsWithFirstAirYear(const QString& title, const Show& show) {
    if (!show.firstAirYear || show.firstAirYear->isEmpty())
        return false;
    const auto firstAir = toInt(*show.firstAirYear);
    if (!firstAir)
        return false;
    const Prepared lower = lowered(title);
    if (!lower.century)
        return false; // no year anywhere
    const auto token = find(episodeTokenPattern(), lower.text);
    if (!token.hasMatch())
        return false;
    QList<int> years = yearsInView(QStringView(lower.text).first(token.capturedStart(0)));
    // A year that is part of the series' own name ("1923") says nothing about the series.
    for (const auto& name : {std::optional<QString>(show.name), show.searchAlias}) {
        if (!name || years.isEmpty())
            continue;
        const Prepared own = lowered(*name);
        for (const int year : yearsInView(own.text))
            years.removeAll(year);
    }
    if (years.isEmpty())
        return false;
    return std::none_of(years.begin(), years.end(),
                        [&](int year) { return std::abs(year - *firstAir) <= 1; });
}

bool isIncompleteOrDated(const QString& title) {
    // Suffixes are checked on the whole title, however long.
    for (const auto suffix : {u".part", u".!qb", u".crdownload"}) {
        if (title.endsWith(QStringView(suffix), Qt::CaseInsensitive))
            return true;
    }
    // Both date patterns are digits, brackets and separators, which lower-casing leaves alone:
    // a look at the title as given tells whether either can match before it is prepared.
    const QStringView head = QStringView(title).first(std::min(title.size(), kMaxTitleLength));
    const bool leadingDigit = !head.isEmpty() && (head[0].isDigit() || head[0].isSurrogate());
    const bool bracketed = (head.contains(u'(') || head.contains(u'[')) && hasCenturyDigits(head);
    if (!leadingDigit && !bracketed)
        return false;
    const Prepared lower = lowered(title);
    const QStringView t = lower.text;
    if (bracketed && find(datedInBracketsPattern(), t).hasMatch())
        return true;
    return leadingDigit && !t.isEmpty() && (t[0].isDigit() || t[0].isSurrogate()) &&
           find(leadingShortDatePattern(), t).hasMatch();
}

// ---- compact text ----------------------------------------------------------------------------

QString compact(const QString& text) {
    return compactOf(text);
}

QString lowerCompact(const QString& text) {
    thread_local Memo<QString> memo;
    return memo.get(text, [](const QString& t) {
        const Prepared lower = lowered(t);
        return compactOf(lower.text);
    });
}
