// The answer bodies of the JSON indexes (Knaben, apibay, EZTV, Torrents-CSV, YTS); each body
// goes through every client's mapping, so shapes one index accepts are tried on the others.
// Whatever the body, a hit handed on carries a magnet the daemon may be given. The hits then
// go through the feed checker's decisions, for a series and a movie named like the first hit.

#include "FuzzSupport.h"
#include "search/ApibayIndex.h"
#include "search/EztvIndex.h"
#include "search/FeedChecker.h"
#include "search/IndexAnswer.h"
#include "search/KnabenIndex.h"
#include "search/TorrentsCsvIndex.h"
#include "search/YtsIndex.h"

#include <QSet>

#include <algorithm>

namespace {

QList<RawHit> check(const std::optional<QList<RawHit>>& hits) {
    if (!hits)
        return {};
    for (const RawHit& hit : *hits)
        fuzz::requireSoundHit(hit);
    return *hits;
}

void decide(const QList<QList<RawHit>>& answers) {
    const QList<RawHit> hits = FeedChecker::mergeHits(answers);
    if (hits.isEmpty())
        return;
    Show show;
    show.id = QUuid(QStringLiteral("3F2504E0-4F89-11D3-9A0C-0305E82C3301"));
    show.name = hits.first().title.section(u' ', 0, 1);
    show.downloadedEpisodes = {QStringLiteral("S01E02")};
    for (const bool anyQuality : {false, true}) {
        show.anyQuality = anyQuality;
        const ShowCheckResult result = FeedChecker::selectShowReleases(show, hits, 3);
        // After the latest known S01E02 at most three numbered episodes come (dated ones
        // come all when no numbered one is found).
        QStringList codes;
        for (const FeedMatch& grab : result.grabs)
            codes.append(grab.episodeCode);
        for (const EpisodePick& pick : result.picks)
            codes.append(pick.episodeCode);
        const bool numbered = std::any_of(codes.begin(), codes.end(),
                                          [](const QString& c) { return c.startsWith(u'S'); });
        fuzz::require(!numbered || codes.size() <= 3, "more than three episodes from one check",
                      codes.join(u' '));
        for (const FeedMatch& grab : result.grabs)
            fuzz::require(!show.downloadedEpisodes.contains(grab.episodeCode),
                          "a downloaded episode grabbed again", grab.episodeCode);
    }
    (void)FeedChecker::selectEpisodeAlternates(show, hits, QStringLiteral("S01E03"));
    for (const auto mode :
         {Show::QualityMode::any, Show::QualityMode::preferWithFallback, Show::QualityMode::strict})
        (void)FeedChecker::chooseMovieRelease(hits, show.name, QStringLiteral("2019"),
                                              Show::Quality::p1080, mode, {});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray body = fuzz::bytes(data, size);

    QSet<QString> seen;
    QList<QList<RawHit>> answers{check(KnabenIndex::answerHits(body, seen))};
    // A second spelling answering the same hits adds nothing.
    const auto again = KnabenIndex::answerHits(body, seen);
    fuzz::require(!again || again->isEmpty(), "Knaben hands on a hit twice");

    answers.append(check(ApibayIndex::answerHits(body)));
    answers.append(check(EztvIndex::answerHits(body)));
    answers.append(check(TorrentsCsvIndex::answerHits(body)));
    answers.append(check(YtsIndex::answerHits(body, QStringLiteral("Query Text"))));
    decide(answers);

    // The loose scalar readers the clients share, on the body as text.
    const QString text = QString::fromUtf8(body.left(128));
    (void)IndexAnswer::parseDecimalInteger(text);
    (void)IndexAnswer::parseInternetDate(text);
    return 0;
}
