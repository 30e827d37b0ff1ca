// The decisions of the feed checker that need no network: filtering hits for a series,
// scoring, the per-episode buckets, and the choices for movies and resolutions.

#include "FeedChecker.h"
#include "Magnet.h"
#include "TitleGrammar.h"

#include <QHash>

#include <algorithm>

namespace {

bool hasText(const std::optional<QString>& text) {
    return text && !text->isEmpty();
}

// The bad-source and repack words shared with the title, in one pass over its words.
struct WordFlags {
    bool badSource = false;
    bool repack = false;
};

WordFlags wordFlags(const QString& title) {
    static const QSet<QString> badSource{
        QStringLiteral("cam"),      QStringLiteral("camrip"), QStringLiteral("hdcam"),
        QStringLiteral("ts"),       QStringLiteral("hdts"),   QStringLiteral("telesync"),
        QStringLiteral("tc"),       QStringLiteral("hdtc"),   QStringLiteral("telecine"),
        QStringLiteral("screener"), QStringLiteral("dvdscr"), QStringLiteral("scr")};
    static const QSet<QString> repack{QStringLiteral("proper"), QStringLiteral("repack"),
                                      QStringLiteral("rerip")};
    WordFlags flags;
    for (const QString& word : titleWords(title)) {
        flags.badSource = flags.badSource || badSource.contains(word);
        flags.repack = flags.repack || repack.contains(word);
    }
    return flags;
}

// Filters a–f of a series check: the hit is seeded, not rejected, of this series, and carries
// an episode code.
std::optional<EpisodeCode> acceptedEpisode(const Show& show, const RawHit& hit) {
    if (hit.seeders < 1)
        return std::nullopt;
    if (const auto hash = infoHash(hit.magnetURL);
        hash && show.rejectedHashes.contains(*hash, Qt::CaseInsensitive))
        return std::nullopt;
    if (hasText(hit.imdbID) && hasText(show.imdbID)) {
        // The index knows the series: its id decides, the name checks are skipped.
        if (*hit.imdbID != *show.imdbID)
            return std::nullopt;
    } else {
        if (conflictsWithFirstAirYear(hit.title, show))
            return std::nullopt;
        bool accepted = false;
        for (const auto& name : {std::optional<QString>(show.name), show.searchAlias}) {
            if (!name || accepted)
                continue;
            accepted = FeedChecker::acceptsEpisodeTitle(hit.title, *name) &&
                       !isOtherRegion(hit.title, *name, show.originCountries);
        }
        if (!accepted)
            return std::nullopt;
    }
    return episodeCode(hit.title);
}

qsizetype digitRun(QStringView t, qsizetype from) {
    qsizetype end = from;
    while (end < t.size() && t[end].isDigit())
        ++end;
    return end - from;
}

// Where compactEpisode first matches in a compact title, by hand: it runs on every hit. The
// pattern decides for text with surrogates (one UTF-16 unit is then not one code point).
std::optional<qsizetype> compactEpisodeAt(const QString& t) {
    if (std::any_of(t.begin(), t.end(), [](QChar c) { return c.isSurrogate(); })) {
        const auto m = FeedChecker::compactEpisode().match(t);
        return m.hasMatch() ? std::optional<qsizetype>(m.capturedStart(0)) : std::nullopt;
    }
    const qsizetype n = t.size();
    auto twoDigitsIn = [&t](qsizetype at, std::u16string_view firsts, std::u16string_view seconds) {
        return firsts.find(t[at].unicode()) != std::u16string_view::npos &&
               seconds.find(t[at + 1].unicode()) != std::u16string_view::npos;
    };
    for (qsizetype i = 0; i < n; ++i) {
        // s\d{1,2}e\d{1,2}
        if (t[i] == u's') {
            const qsizetype season = digitRun(t, i + 1);
            const qsizetype e = i + 1 + season;
            if (season >= 1 && season <= 2 && e + 1 < n && t[e] == u'e' && t[e + 1].isDigit())
                return i;
        }
        if (!t[i].isDigit() || (i > 0 && t[i - 1].isDigit()))
            continue;
        // (?<!\d)\d{1,2}x\d{1,2}(?!\d)
        const qsizetype first = digitRun(t, i);
        const qsizetype x = i + first;
        if (first <= 2 && x < n && t[x] == u'x') {
            const qsizetype second = digitRun(t, x + 1);
            if (second >= 1 && second <= 2)
                return i;
        }
        // (?<!\d)(?:19|20)\d{2}(?:0[1-9]|1[0-2])(?:0[1-9]|[12]\d|3[01])(?!\d)
        if (i + 8 <= n &&
            ((t[i] == u'1' && t[i + 1] == u'9') || (t[i] == u'2' && t[i + 1] == u'0')) &&
            t[i + 2].isDigit() && t[i + 3].isDigit() &&
            (twoDigitsIn(i + 4, u"0", u"123456789") || twoDigitsIn(i + 4, u"1", u"012")) &&
            (twoDigitsIn(i + 6, u"0", u"123456789") ||
             (((t[i + 6] == u'1' || t[i + 6] == u'2') && t[i + 7].isDigit())) ||
             twoDigitsIn(i + 6, u"3", u"01")) &&
            (i + 8 == n || !t[i + 8].isDigit()))
            return i;
    }
    return std::nullopt;
}

bool before(const FeedChecker::Bucket* a, const FeedChecker::Bucket* b) {
    return std::pair(a->s, a->e) < std::pair(b->s, b->e);
}

} // namespace

FeedChecker::ReleaseScore FeedChecker::ReleaseScore::of(const QString& title, int seeders,
                                                        qint64 sizeBytes, bool checkSize) {
    const WordFlags flags = wordFlags(title);
    ReleaseScore score;
    if (flags.badSource) {
        score.tier = 0;
    } else if (!checkSize || sizeBytes < 1) {
        score.tier = 2;
    } else {
        // A release too small for the resolution it claims ranks below every full-size one.
        const QString label = qualityLabel(title);
        const bool tooSmall = (label == u"4K" && sizeBytes < 500'000'000) ||
                              (label == u"1080p" && sizeBytes < 150'000'000) ||
                              (label == u"720p" && sizeBytes < 80'000'000);
        score.tier = tooSmall ? 1 : 2;
    }
    score.value = seeders * (flags.repack ? 1.15 : 1.0);
    return score;
}

SearchResult FeedChecker::searchResult(const RawHit& hit) {
    SearchResult result;
    result.id = identityKey(hit);
    result.title = hit.title;
    result.quality = qualityLabel(hit.title);
    if (const auto code = episodeCode(hit.title)) {
        result.episodeCode = code->text();
        result.season = code->ordinal().season;
    } else if (const auto pack = packSeason(hit.title)) {
        // A season pack has no episode code; without its season the add flow would file it
        // as a whole-series pack.
        result.season = *pack;
    }
    result.date = hit.date;
    result.seeders = hit.seeders;
    result.leechers = hit.leechers;
    result.sizeBytes = hit.sizeBytes;
    result.source = hit.source;
    result.magnetURL = hit.magnetURL;
    return result;
}

ShowCheckResult FeedChecker::selectShowReleases(const Show& show, const QList<RawHit>& hits,
                                                int limit) {
    QHash<QString, Bucket> buckets;
    for (const RawHit& hit : hits) {
        const auto code = acceptedEpisode(show, hit);
        if (!code)
            continue;
        const EpisodeNumber number = code->ordinal();
        if (show.seasonFilter && number.season != *show.seasonFilter)
            continue;
        const QString text = code->text();
        if (show.downloadedEpisodes.contains(text))
            continue;

        const FeedMatch match{show.id,       text,        false,     hit.title,
                              hit.magnetURL, hit.seeders, hit.source};
        const ReleaseScore score = ReleaseScore::of(hit, true);
        auto it = buckets.find(text);
        if (it == buckets.end())
            it = buckets.insert(text, Bucket{number.season, number.episode, {}, {}, {}});
        Bucket& bucket = *it;

        if (!show.anyQuality && titleMatchesQuality(hit.title, show.quality)) {
            if (!bucket.preferred || score > bucket.preferred->score)
                bucket.preferred = Bucket::Preferred{score, match};
            continue;
        }
        const int rank = !show.anyQuality && show.fallbackAnyQuality
                             ? qualityDistance(hit.title, show.quality)
                             : 0;
        if (!bucket.alternateBest || rank < bucket.alternateBest->rank ||
            (rank == bucket.alternateBest->rank && score > bucket.alternateBest->score))
            bucket.alternateBest = Bucket::AlternateBest{rank, score, match};
        bucket.alternates.append(Bucket::Alternate{score, searchResult(hit)});
    }

    // Which episodes: after the latest known one, of the same kind (dated or numbered).
    QList<const Bucket*> all;
    for (const Bucket& bucket : buckets)
        all.append(&bucket);
    std::sort(all.begin(), all.end(), before);
    QList<const Bucket*> chosen = all;
    if (const auto latest = show.latestKnownEpisode()) {
        const bool dated = latest->season > 1899;
        QList<const Bucket*> sameKind;
        for (const Bucket* bucket : all) {
            if ((bucket->s >= 1900) == dated)
                sameKind.append(bucket);
        }
        if (!sameKind.isEmpty()) {
            chosen.clear();
            for (const Bucket* bucket : sameKind) {
                if (chosen.size() >= limit)
                    break;
                if (EpisodeNumber{bucket->s, bucket->e} > *latest)
                    chosen.append(bucket);
            }
        }
    }

    ShowCheckResult result{show.id, {}, {}};
    for (const Bucket* bucket : chosen) {
        const QString code = bucket->preferred ? bucket->preferred->match.episodeCode
                                               : bucket->alternateBest->match.episodeCode;
        if (show.anyQuality) {
            result.grabs.append(bucket->alternateBest ? bucket->alternateBest->match
                                                      : bucket->preferred->match);
        } else if (show.fallbackAnyQuality) {
            result.grabs.append(bucket->preferred ? bucket->preferred->match
                                                  : bucket->alternateBest->match);
        } else if (bucket->preferred) {
            result.grabs.append(bucket->preferred->match);
        } else if (!bucket->alternates.isEmpty()) {
            QList<Bucket::Alternate> ranked = bucket->alternates;
            std::stable_sort(ranked.begin(), ranked.end(),
                             [](const auto& a, const auto& b) { return a.score > b.score; });
            EpisodePick pick{code, {}};
            for (const auto& alternate : ranked)
                pick.alternates.append(alternate.result);
            result.picks.append(pick);
        }
    }
    return result;
}

QList<SearchResult> FeedChecker::selectEpisodeAlternates(const Show& show,
                                                         const QList<RawHit>& hits,
                                                         const QString& episodeCode) {
    const auto wanted = Show::parseEpisodeCode(episodeCode);
    QList<Bucket::Alternate> found;
    for (const RawHit& hit : hits) {
        const auto code = acceptedEpisode(show, hit);
        if (!code)
            continue;
        const bool same = wanted ? code->ordinal() == *wanted : code->text() == episodeCode;
        if (same)
            found.append(Bucket::Alternate{ReleaseScore::of(hit, true), searchResult(hit)});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.score > b.score; });
    QList<SearchResult> results;
    for (const auto& alternate : found)
        results.append(alternate.result);
    return results;
}

std::optional<FeedChecker::MovieChoice>
FeedChecker::chooseMovieRelease(const QList<RawHit>& hits, const QString& name,
                                const std::optional<QString>& year, Show::Quality quality,
                                Show::QualityMode mode, const QStringList& rejected) {
    struct Candidate {
        const RawHit* hit;
        ReleaseScore score;
    };
    QList<Candidate> candidates;
    for (const RawHit& hit : hits) {
        if (hit.seeders < 1)
            continue;
        if (const auto hash = infoHash(hit.magnetURL);
            hash && rejected.contains(*hash, Qt::CaseInsensitive))
            continue;
        if (!acceptsMovieTitle(hit.title, name, year))
            continue;
        const ReleaseScore score = ReleaseScore::of(hit, true);
        if (score.tier == 0)
            continue; // camera copies are never chosen
        candidates.append({&hit, score});
    }

    auto chosen = [](const Candidate& c, bool other) {
        SearchResult result = searchResult(*c.hit);
        result.episodeCode.reset();
        result.season.reset();
        return MovieChoice{result, other};
    };
    auto best = [&](auto&& eligible) -> const Candidate* {
        const Candidate* top = nullptr;
        for (const Candidate& c : candidates) {
            if (eligible(c) && (!top || c.score > top->score))
                top = &c;
        }
        return top;
    };

    if (mode == Show::QualityMode::any) {
        if (const Candidate* top = best([](const Candidate&) { return true; }))
            return chosen(*top, false);
        return std::nullopt;
    }
    if (const Candidate* top =
            best([&](const Candidate& c) { return titleMatchesQuality(c.hit->title, quality); }))
        return chosen(*top, false);
    if (mode == Show::QualityMode::strict)
        return std::nullopt;

    const Candidate* nearest = nullptr;
    int nearestDistance = 0;
    for (const Candidate& c : candidates) {
        const int distance = qualityDistance(c.hit->title, quality);
        if (!nearest || distance < nearestDistance ||
            (distance == nearestDistance && c.score > nearest->score)) {
            nearest = &c;
            nearestDistance = distance;
        }
    }
    if (nearest)
        return chosen(*nearest, true);
    return std::nullopt;
}

std::optional<SearchResult> FeedChecker::closestQuality(const QList<SearchResult>& results,
                                                        Show::Quality wanted) {
    std::optional<SearchResult> kept;
    int keptDistance = 0;
    for (const SearchResult& result : results) {
        const int distance = qualityDistance(result.title, wanted);
        if (!kept || distance < keptDistance ||
            (distance == keptDistance && result.seeders > kept->seeders)) {
            kept = result;
            keptDistance = distance;
        }
    }
    return kept;
}

bool FeedChecker::acceptsEpisodeTitle(const QString& title, const QString& name) {
    if (!titleContainsName(title, name) || hasExtraWordsAfterName(title, name) ||
        hasExtraWordsBeforeName(title, name))
        return false;
    const QString t = lowerCompact(title);
    const QString n = lowerCompact(name);
    if (n.isEmpty())
        return false;
    const qsizetype at = t.indexOf(n);
    if (at < 0 || at > 20)
        return false;
    const auto episodeAt = compactEpisodeAt(t);
    return episodeAt && *episodeAt >= at + n.size();
}

bool FeedChecker::acceptsMovieTitle(const QString& title, const QString& name,
                                    const std::optional<QString>& year) {
    if (!titleContainsName(title, name))
        return false;
    const QString t = lowerCompact(title);
    const QString n = lowerCompact(name);
    if (n.isEmpty())
        return false;
    const qsizetype at = t.indexOf(n);
    if (at < 0 || at > 20)
        return false;
    if (compactEpisodeAt(t))
        return false; // an episode code: not a movie

    if (!year || year->size() != 4 || !std::all_of(year->begin(), year->end(), [](QChar c) {
            return c.unicode() >= '0' && c.unicode() <= '9';
        }))
        return true;
    const int wanted = year->toInt();
    const QList<int> years = yearsIn(title.toLower());
    return std::any_of(years.begin(), years.end(),
                       [wanted](int y) { return std::abs(y - wanted) <= 1; });
}
