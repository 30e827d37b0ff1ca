#include "TitlePatterns.h"

#include <algorithm>
#include <array>

namespace TitlePatterns {

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

QRegularExpressionMatch find(const QRegularExpression& re, QStringView text, qsizetype offset) {
    return re.match(text, offset, QRegularExpression::NormalMatch,
                    QRegularExpression::DontCheckSubjectStringMatchOption);
}

namespace {

Table sortedTable(std::initializer_list<std::u16string_view> words) {
    Table table(words);
    std::sort(table.begin(), table.end());
    return table;
}

} // namespace

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

} // namespace TitlePatterns
