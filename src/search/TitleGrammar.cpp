#include "TitleGrammar.h"

#include "TitlePatterns.h"
#include "TitleText.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>

namespace {

using namespace TitlePatterns;
using namespace TitleText;

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
