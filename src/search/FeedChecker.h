#pragma once

#include "RawHit.h"
#include "TorrentIndex.h"
#include "TorrentQuery.h"
#include "model/Clock.h"
#include "model/SearchResult.h"
#include "model/Show.h"

#include <QList>
#include <QObject>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <qcoro/qcorotask.h>

#include <memory>
#include <optional>

class QNetworkAccessManager;
struct ServiceEndpoints;

// Turns the hits of the indexes into decisions: which episode releases of a series to grab
// now, where the user must choose a resolution, and scored release lists for the add flows.
// It keeps no per-series state; everything a check needs comes in the Show record. All of it
// runs on the main thread; the indexes of one search are asked side by side.
class FeedChecker final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FeedChecker)

public:
    // Ranks releases: tier first, then value. Larger is better.
    struct ReleaseScore {
        int tier = 0;     // 0 camera copies, 1 too small for the resolution claimed, 2 the rest
        double value = 0; // seeders, with a bonus for PROPER/REPACK releases

        auto operator<=>(const ReleaseScore&) const = default;

        static ReleaseScore of(const QString& title, int seeders, qint64 sizeBytes, bool checkSize);
        static ReleaseScore of(const RawHit& hit, bool checkSize) {
            return of(hit.title, hit.seeders, hit.sizeBytes, checkSize);
        }
    };

    // The working record of one episode during a series check.
    struct Bucket {
        struct Preferred {
            ReleaseScore score;
            FeedMatch match;
        };
        struct AlternateBest {
            int rank = 0;
            ReleaseScore score;
            FeedMatch match;
        };
        struct Alternate {
            ReleaseScore score;
            SearchResult result;
        };

        int s = 0;
        int e = 0;
        std::optional<Preferred> preferred;         // best in the wanted resolution
        std::optional<AlternateBest> alternateBest; // best in another resolution
        QList<Alternate> alternates;                // every acceptable one in another resolution
    };

    struct MovieChoice {
        SearchResult result;
        bool atOtherResolution = false;

        bool operator==(const MovieChoice&) const = default;
    };

    // A release list and whether the indexes could be asked at all: with every asked index
    // failing, an empty list is no answer.
    struct ReleaseSearch {
        QList<SearchResult> results;
        int indexesAsked = 0;    // indexes that made a request for this query
        int indexesAnswered = 0; // of those, the ones that gave a usable answer

        bool noIndexAnswered() const { return indexesAsked > 0 && indexesAnswered == 0; }
    };

    using Source = std::shared_ptr<const TorrentIndex>;
    using Sources = QList<Source>;

    // Knaben, The Pirate Bay, EZTV, Torrents-CSV, Nyaa, YTS.
    static Sources defaultSources(QNetworkAccessManager& network,
                                  const ServiceEndpoints& endpoints);

    FeedChecker(Sources sources, const Clock& clock, QObject* parent = nullptr);
    ~FeedChecker() override;

    const Sources& sources() const { return m_sources; }

    // Which indexes a search (or a series of them) asked, and which of them answered.
    struct IndexTally {
        QStringList asked;    // names, in source order, each once
        QStringList answered; // the asked ones that gave a usable answer at least once

        // Indexes were asked and not one answered: the search is broken, not empty.
        bool noneAnswered() const { return !asked.isEmpty() && answered.isEmpty(); }
        void add(const IndexTally& other);
    };
    struct CheckReport {
        QList<ShowCheckResult> results;
        IndexTally indexes;
    };

    // Every source at once; hits merged as the answers come in, unfinished and dated uploads
    // dropped, each release kept once.
    QCoro::Task<QList<RawHit>> searchAll(TorrentQuery query) const;
    // The same, with the tally of the indexes asked.
    QCoro::Task<std::pair<QList<RawHit>, IndexTally>> searchAllReported(TorrentQuery query) const;

    // One result per enabled series, in list order, each checked with a limit of 3.
    QCoro::Task<QList<ShowCheckResult>> checkShows(QList<Show> shows);
    // The same, with the tally of the indexes over the whole check.
    QCoro::Task<CheckReport> checkShowsReported(QList<Show> shows);
    // `limit` caps the episodes after the latest known one that one check may yield.
    QCoro::Task<ShowCheckResult> checkShow(Show show, int limit);
    QCoro::Task<QList<SearchResult>> searchShowReleases(QString text,
                                                        std::optional<Show::Quality> quality);
    QCoro::Task<ReleaseSearch> searchShowReleasesReported(QString text,
                                                          std::optional<Show::Quality> quality);
    QCoro::Task<QList<SearchResult>> searchMovieReleases(QString text,
                                                         std::optional<Show::Quality> quality);
    QCoro::Task<ReleaseSearch> searchMovieReleasesReported(QString text,
                                                           std::optional<Show::Quality> quality);
    // The acceptable releases of one episode of a series, every resolution, best first.
    QCoro::Task<QList<SearchResult>> episodeAlternates(Show show, QString episodeCode);
    // The same, saying whether any index answered: with none, the empty list means nothing.
    struct Alternates {
        QList<SearchResult> releases;
        bool noIndexAnswered = false;
    };
    QCoro::Task<Alternates> episodeAlternatesReported(Show show, QString episodeCode);

    // ---- the decisions, without the network ----

    static TorrentQuery showQuery(const Show& show);
    // A movie title's releases, most seeded first; no quality asks for every resolution.
    static TorrentQuery movieQuery(QString text, std::optional<Show::Quality> quality);
    // The series' next episode is more than a day away: nothing to look for.
    static bool nothingAiredYet(const Show& show, Timestamp now);
    // What a check of `show` yields from these hits.
    static ShowCheckResult selectShowReleases(const Show& show, const QList<RawHit>& hits,
                                              int limit);
    static QList<SearchResult> selectEpisodeAlternates(const Show& show, const QList<RawHit>& hits,
                                                       const QString& episodeCode);
    static std::optional<MovieChoice>
    chooseMovieRelease(const QList<RawHit>& hits, const QString& name,
                       const std::optional<QString>& year, Show::Quality quality,
                       Show::QualityMode mode, const QStringList& rejected);
    static std::optional<SearchResult> closestQuality(const QList<SearchResult>& results,
                                                      Show::Quality wanted);
    static bool acceptsEpisodeTitle(const QString& title, const QString& name);
    static bool acceptsMovieTitle(const QString& title, const QString& name,
                                  const std::optional<QString>& year);
    static SearchResult searchResult(const RawHit& hit);
    // Answers in completion order → hits without unfinished/dated uploads and duplicates.
    static QList<RawHit> mergeHits(const QList<QList<RawHit>>& answers);

    // An episode code written without separators, found in compact titles: s02e05, 3x07,
    // 20240307.
    static const QRegularExpression& compactEpisode();

private:
    QCoro::Task<QList<SearchResult>> searchReleases(TorrentQuery query);
    QCoro::Task<ReleaseSearch> searchReleasesReported(TorrentQuery query);
    static TorrentQuery showReleasesQuery(QString text, std::optional<Show::Quality> quality);
    QCoro::Task<std::pair<ShowCheckResult, IndexTally>> checkShowReported(Show show, int limit);

    Sources m_sources;
    const Clock& m_clock;
};
