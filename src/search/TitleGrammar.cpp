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

// The last two texts prepared one way, so the several questions asked about one title
// lower-case it once.
class TextMemo {
public:
    template <typename Make>
    QString get(const QString& source, Make make) {
        for (const Entry& e : m_entries) {
            if (e.filled && e.source == source)
                return e.value;
        }
        Entry& slot = m_entries[m_next];
        m_next = (m_next + 1) % m_entries.size();
        slot.source = source;
        slot.value = make(source);
        slot.filled = true;
        return slot.value;
    }

private:
    struct Entry {
        QString source;
        QString value;
        bool filled = false;
    };
    std::array<Entry, 2> m_entries;
    std::size_t m_next = 0;
};

QString capped(const QString& text, qsizetype limit) {
    QString out = text.size() > limit ? text.left(limit) : text;
    makeValidUtf16(out);
    return out;
}

// The title as matched: at most kMaxTitleLength characters, valid UTF-16.
QString original(const QString& title) {
    thread_local TextMemo memo;
    return memo.get(title, [](const QString& t) { return capped(t, kMaxTitleLength); });
}

// The same, fully lower-cased.
QString lowered(const QString& text) {
    thread_local TextMemo memo;
    return memo.get(text, [](const QString& t) {
        QString out = (t.size() > kMaxTitleLength ? t.left(kMaxTitleLength) : t).toLower();
        makeValidUtf16(out);
        return out;
    });
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

QString formatCode(int season, int episode) {
    QString code;
    code.reserve(8);
    code += u'S';
    if (season < 10)
        code += u'0';
    code += QString::number(season);
    code += u'E';
    if (episode < 10)
        code += u'0';
    code += QString::number(episode);
    return code;
}

QString formatDateCode(int year, int month, int day) {
    return QStringLiteral("%1.%2.%3")
        .arg(year, 4, 10, QLatin1Char('0'))
        .arg(month, 2, 10, QLatin1Char('0'))
        .arg(day, 2, 10, QLatin1Char('0'));
}

// Necessary conditions checked before the patterns run: most titles fail them cheaply. A
// surrogate counts as a possible match (the patterns see whole code points).
bool hasLetterBeforeDigit(QStringView text, std::u16string_view letters) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (letters.find(text[i].unicode()) == std::u16string_view::npos)
            continue;
        if (text[i + 1].isDigit() || text[i + 1].isSurrogate())
            return true;
    }
    return false;
}

bool hasDigitBefore(QStringView text, char16_t letter) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i + 1].unicode() == letter && (text[i].isDigit() || text[i].isSurrogate()))
            return true;
    }
    return false;
}

bool hasCenturyDigits(QStringView text) {
    return text.contains(u"19") || text.contains(u"20");
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
    if (!name.valid || !lower.contains(name.firstWord))
        return std::nullopt;
    const auto m = find(name.pattern, lower);
    if (!m.hasMatch())
        return std::nullopt;
    return Span{m.capturedStart(0), m.capturedEnd(0)};
}

// The text between the name and the episode token after it; none when either is missing.
std::optional<QStringView> betweenNameAndEpisode(QStringView lower, const NamePattern& name) {
    const auto span = findName(lower, name);
    if (!span)
        return std::nullopt;
    const QStringView rest = lower.sliced(span->end);
    const auto token = find(episodeTokenPattern(), rest);
    if (!token.hasMatch())
        return std::nullopt;
    return rest.first(token.capturedStart(0));
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
    const QString lower = lowered(title);
    if (lower.contains(u"2160p") || lower.contains(u"4k") || lower.contains(u"uhd"))
        return QStringLiteral("4K");
    if (lower.contains(u"1080p") || lower.contains(u"1080i"))
        return QStringLiteral("1080p");
    if (lower.contains(u"720p"))
        return QStringLiteral("720p");
    if (lower.contains(u"480p"))
        return QStringLiteral("480p");
    return QStringLiteral("\u2014");
}

bool titleMatchesQuality(const QString& title, Show::Quality quality) {
    const QString lower = lowered(title);
    switch (quality) {
    case Show::Quality::p480:
        return lower.contains(u"480p");
    case Show::Quality::p720:
        return lower.contains(u"720p");
    case Show::Quality::p1080:
        return lower.contains(u"1080p") || lower.contains(u"1080i");
    case Show::Quality::k4:
        return lower.contains(u"2160p") || lower.contains(u"4k");
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
    QSet<QString> words;
    forEachWord(lowered(title), [&words](QStringView word) {
        words.insert(word.toString());
        return true;
    });
    return words;
}

// ---- episode codes and packs -----------------------------------------------------------------

std::optional<EpisodeCode> episodeCode(const QString& title) {
    const QString text = original(title);

    if (hasLetterBeforeDigit(text, u"Ss")) {
        if (const auto m = find(seasonEpisodePattern(), text); m.hasMatch()) {
            const auto season = toInt(m.capturedView(1));
            const auto episode = toInt(m.capturedView(2));
            if (season && episode)
                return EpisodeCode{formatCode(*season, *episode), *season, *episode};
        }
    }
    if (hasDigitBefore(text, u'x')) {
        if (const auto m = find(crossPattern(), text); m.hasMatch()) {
            const auto season = toInt(m.capturedView(1));
            const auto episode = toInt(m.capturedView(2));
            if (season && episode)
                return EpisodeCode{formatCode(*season, *episode), *season, *episode};
        }
    }
    if (hasCenturyDigits(text)) {
        if (const auto m = find(airDatePattern(), text); m.hasMatch()) {
            // The match is digits and exactly two separators.
            QList<int> numbers;
            bool ok = true;
            const QStringView matched = m.capturedView(0);
            qsizetype start = 0;
            for (qsizetype i = 0; i <= matched.size(); ++i) {
                if (i < matched.size() && !QStringView(u" ._-").contains(matched[i]))
                    continue;
                const auto n = toInt(matched.sliced(start, i - start));
                ok = ok && n.has_value();
                numbers.append(n.value_or(0));
                start = i + 1;
            }
            if (ok && numbers.size() == 3) {
                const int year = numbers[0], month = numbers[1], day = numbers[2];
                return EpisodeCode{formatDateCode(year, month, day), year, month * 100 + day};
            }
        }
    }
    return std::nullopt;
}

std::optional<int> packSeason(const QString& title) {
    const QString lower = lowered(title);
    const bool seasonWord = lower.contains(u"erie") || lower.contains(u"easo");
    const bool dash = lower.contains(u'-');

    // Several seasons: not a pack of one.
    if (seasonWord && find(multiSeasonPattern(), lower).hasMatch())
        return std::nullopt;
    if (dash && find(seasonSpanPattern(), lower).hasMatch())
        return std::nullopt;
    if (lower.contains(u"complete series") || lower.contains(u"complete collection"))
        return std::nullopt;

    const bool digitThenE = hasDigitBefore(lower, u'e') || hasDigitBefore(lower, u'E');
    if (dash && digitThenE) {
        if (const auto m = find(episodeRangePattern(), lower); m.hasMatch()) {
            if (const auto season = toInt(m.capturedView(1)))
                return season;
        }
    }
    if (digitThenE && find(singleEpisodePattern(), lower).hasMatch())
        return std::nullopt;
    if (seasonWord) {
        if (const auto m = find(seasonWordPattern(), lower); m.hasMatch()) {
            if (const auto season = toInt(m.capturedView(1)))
                return season;
        }
    }
    // U+017F (long s) matches "s" without regard to case.
    if (hasLetterBeforeDigit(lower, u"sS\u017F")) {
        if (const auto m = find(bareSeasonPattern(), lower); m.hasMatch()) {
            if (const auto season = toInt(m.capturedView(1)))
                return season;
        }
    }
    return std::nullopt;
}

QList<int> yearsIn(const QString& text) {
    return yearsInView(original(text));
}

// ---- names -----------------------------------------------------------------------------------

bool titleContainsName(const QString& title, const QString& name) {
    return findName(lowered(title), *namePattern(name)).has_value();
}

bool hasExtraWordsAfterName(const QString& title, const QString& name) {
    const QString lower = lowered(title);
    const auto between = betweenNameAndEpisode(lower, *namePattern(name));
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
    const QString lower = lowered(title);
    QStringView rest = lower;
    if (const auto junk = find(junkPrefixPattern(), rest); junk.hasMatch())
        rest = rest.sliced(junk.capturedEnd(0));
    const auto span = findName(rest, *namePattern(name));
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
    const QString lower = lowered(title);
    const auto between = betweenNameAndEpisode(lower, *namePattern(name));
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
    const QString lower = lowered(title);
    const auto token = find(episodeTokenPattern(), lower);
    if (!token.hasMatch())
        return false;
    QList<int> years = yearsInView(QStringView(lower).first(token.capturedStart(0)));
    // A year that is part of the series' own name ("1923") says nothing about the series.
    for (const auto& name : {std::optional<QString>(show.name), show.searchAlias}) {
        if (!name)
            continue;
        for (const int own : yearsInView(lowered(*name)))
            years.removeAll(own);
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
    const QString lower = lowered(title);
    if ((lower.contains(u'(') || lower.contains(u'[')) &&
        find(datedInBracketsPattern(), lower).hasMatch())
        return true;
    return !lower.isEmpty() && (lower[0].isDigit() || lower[0].isSurrogate()) &&
           find(leadingShortDatePattern(), lower).hasMatch();
}

// ---- compact text ----------------------------------------------------------------------------

QString compact(const QString& text) {
    return compactOf(text);
}

QString lowerCompact(const QString& text) {
    thread_local TextMemo memo;
    return memo.get(text, [](const QString& t) { return compactOf(lowered(t)); });
}
