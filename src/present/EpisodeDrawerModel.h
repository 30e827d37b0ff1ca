#pragma once

#include "EpisodeDrawerTexts.h"
#include "api/Watchlist.h"
#include "model/Episode.h"
#include "model/Lookup.h"
#include "model/SearchResult.h"
#include "model/SeriesResult.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>
#include <qcoro/qcorotask.h>

#include <optional>

// Everything the episode drawer shows and does for one series, without a widget: where the
// TMDB link stands, the seasons and the selected season's episodes with each row's state, the
// other-quality offer, the download history with its actions and the alternates for one
// download. The drawer asks it for every text and forwards every press; `changed` says when
// to look again.
class EpisodeDrawerModel final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EpisodeDrawerModel)

public:
    // `failed`: TMDB could not be asked (refused key, unreachable, unreadable answer); the
    // other phases are about what it answered.
    enum class Phase { loading, noKey, needsPick, ready, notFound, failed };
    enum class Tab { recent, episodes };

    struct EpisodeRow {
        QString code; // S01E05
        QString name;
        QString dateText;
        EpisodeDrawerTexts::RowState state = EpisodeDrawerTexts::RowState::grab;
        QString label;
        QString tooltip;
        bool pressable = false;
        EpisodeDrawerTexts::Tone tone = EpisodeDrawerTexts::Tone::action;

        bool operator==(const EpisodeRow&) const = default;
    };
    struct ReleaseRow {
        QString label;  // "720p release for S01E05", or a release title
        QString detail; // "12 seeders · 1.4 GB"

        bool operator==(const ReleaseRow&) const = default;
    };
    struct RecentRow {
        QString id; // the info hash
        QString episode;
        QString title;
        QString stateLine;
        bool flagged = false; // stuck long enough to offer the three actions
        bool failed = false;  // ended in an error (a cancel is not one)
        EpisodeDrawerTexts::Tone tone = EpisodeDrawerTexts::Tone::quiet; // of the state line

        bool operator==(const RecentRow&) const = default;
    };

    explicit EpisodeDrawerModel(const Watchlist& watchlist, QObject* parent = nullptr);
    ~EpisodeDrawerModel() override;

    // Starts over for this series: the phases run from the top.
    void open(const QUuid& showID);
    // After a failure: asks TMDB again from where it failed.
    void retry();
    void pickCandidate(int index);
    void selectSeason(int season);
    void setTab(Tab tab);
    // Grab, grab again, or open the offer, by the row's state.
    void pressEpisode(const QString& code);
    void chooseOffered(int index);
    void closeOffer();
    void completeSeason();
    void findAlternates(const QString& recordID);
    void chooseAlternate(int index);
    void closeAlternates();
    void removeRequest(const QString& recordID);
    void snoozeWeek(const QString& recordID);

    // --- what to show ----------------------------------------------------------------------
    const QUuid& showID() const { return m_showID; }
    QString showName() const;
    Phase phase() const { return m_phase; }
    QString phaseTitle() const;  // the phase's headline; empty for ready and needsPick
    QString phaseDetail() const; // the line under it, where there is one
    EpisodeDrawerTexts::Tone phaseTone() const; // of the phase's symbol
    bool canRetry() const { return m_phase == Phase::failed; }
    static QString retryLabel() { return QStringLiteral("Try Again"); }
    static QString closeTooltip() { return QStringLiteral("Back to the list"); }

    static QString whichShowHeading() { return QStringLiteral("WHICH SHOW?"); }
    const QList<SeriesResult>& candidates() const { return m_candidates; }
    static QString candidateLabel(const SeriesResult& candidate);

    const QList<int>& seasons() const { return m_seasons; }
    int selectedSeason() const { return m_selectedSeason; }
    static QString seasonLabel(int season);
    bool loadingEpisodes() const { return m_loadingEpisodes; }
    // Under the season picker when there are no rows to show: loading, empty or failed.
    QString episodesNote() const;
    QList<EpisodeRow> episodeRows() const;

    std::optional<QString> offerEpisode() const { return m_altOfferEp; }
    static QString offerHeading();
    QList<ReleaseRow> offerRows() const;

    static QString completeSeasonLabel() { return QStringLiteral("Complete this Season"); }
    int missingInSeason() const;
    QString completeSeasonTooltip() const;
    bool completeSeasonEnabled() const { return m_phase == Phase::ready && missingInSeason() > 0; }

    Tab tab() const { return m_tab; }
    static QString tabLabel(Tab tab);
    QList<RecentRow> recentRows() const;
    static QString recentEmptyText();
    static QString findAlternateLabel() { return QStringLiteral("Find an alternate request"); }
    static QString removeRequestLabel() { return QStringLiteral("Remove request"); }
    static QString snoozeLabel() { return QStringLiteral("Snooze a week"); }
    static QString switchLabel() { return QStringLiteral("Switch"); }

    std::optional<QString> switchTarget() const { return m_switchTargetID; }
    QString switchHeading() const;
    bool loadingAlternates() const { return m_loadingAlternates; }
    QString alternatesNote() const; // "Searching…", none found, or the indexes unreachable
    EpisodeDrawerTexts::Tone alternatesNoteTone() const; // quiet while searching
    QList<ReleaseRow> alternateRows() const;

Q_SIGNALS:
    void changed();

private:
    enum class Step { search, seasons };

    QCoro::Task<> searchTask(quint64 openToken);
    QCoro::Task<> seasonsTask(quint64 openToken, int tmdbID);
    QCoro::Task<> episodesTask(quint64 seasonToken, int tmdbID, int season);
    QCoro::Task<> alternatesTask(quint64 token, QString recordID);
    QCoro::Task<> grabTask(QString code);
    void begin();
    void link(const SeriesResult& match);
    void loadSeason(int season);
    void fail(LookupFailure failure, Step step);
    void onSearchFinished(const QUuid& showID, const QString& code,
                          WatchlistOperations::EpisodeOutcome outcome);
    const Show* show() const;
    bool inProgress(const QString& code) const; // a followed download of this episode
    void publish() { Q_EMIT changed(); }

    Watchlist m_watchlist;
    QUuid m_showID;
    QString m_name; // kept for the texts should the series go away meanwhile
    Phase m_phase = Phase::loading;
    LookupFailure m_failure = LookupFailure::none;
    Step m_failedStep = Step::search;
    QList<SeriesResult> m_candidates;
    QList<int> m_seasons;
    int m_selectedSeason = 0;
    QList<Episode> m_episodes;
    LookupFailure m_episodesFailure = LookupFailure::none;
    bool m_loadingEpisodes = false;
    quint64 m_openToken = 0;        // identity of the latest opening
    quint64 m_episodeLoadToken = 0; // identity of the latest season request
    Tab m_tab = Tab::episodes;
    std::optional<QString> m_switchTargetID;
    QList<SearchResult> m_alternates;
    bool m_loadingAlternates = false;
    bool m_indexesUnreachable = false;
    quint64 m_alternatesToken = 0;
    QSet<QString> m_grabbingEps;
    std::optional<QString> m_altOfferEp;
    QMap<QString, QList<SearchResult>> m_epAlternates;
    QSet<QString> m_noReleaseEps;
    QSet<QString> m_unreachableEps;
};
