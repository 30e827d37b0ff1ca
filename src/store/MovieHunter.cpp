#include "MovieHunter.h"

#include "DownloadFollower.h"
#include "StoreRecords.h"
#include "model/DateText.h"
#include "search/TitleGrammar.h"

#include <QPointer>
#include <QUrlQuery>

using Part = StoreRecords::Part;

namespace {

const QString kHolding = QStringLiteral("release pending — holding for a real copy");
const QString kUnreachable = QStringLiteral("could not reach the torrent indexes");

QString unreachableLine(const QString& title) {
    return title + QStringLiteral(" — ") + kUnreachable;
}

// The title a hand-picked magnet names, else the movie's own.
QString magnetTitle(const QUrl& magnet, const QString& fallback) {
    const QString dn =
        QUrlQuery(magnet.query()).queryItemValue(QStringLiteral("dn"), QUrl::FullyDecoded);
    return dn.isEmpty() ? fallback : dn;
}

} // namespace

MovieHunter::MovieHunter(StoreRecords& records, FeedChecker& checker, DownloadFollower& follower,
                         QObject* parent)
    : QObject(parent)
    , m_records(records)
    , m_checker(checker)
    , m_follower(follower) {}

void MovieHunter::sweep() {
    for (const Movie& movie : m_records.movies()) {
        const bool busy = movie.status.state == ShowStatus::State::found ||
                          movie.status.state == ShowStatus::State::downloading;
        const bool followed = m_follower.movieDownload(movie.id).has_value();
        if (movie.isEnabled && movie.monitor && !movie.downloaded && !busy && !followed)
            hunt(movie.id);
    }
}

void MovieHunter::hunt(const QUuid& id) {
    Movie* movie = m_records.findMovie(id);
    if (!movie)
        return;
    // A hold or an outage is announced once: remember it across the "searching" status.
    const QString before = movie->status.detail.value_or(QString());
    movie->status =
        m_records.statusNow(ShowStatus::State::found, std::nullopt, QStringLiteral("searching"));
    m_records.edited(Part::movies);
    huntTask(id, before);
}

QCoro::Task<> MovieHunter::huntTask(QUuid id, QString detailBefore) {
    const bool wasHolding = detailBefore == kHolding;
    QPointer<MovieHunter> self(this);
    const Movie* movie = m_records.findMovie(id);
    if (!movie)
        co_return;
    if (movie->pendingMagnet) {
        // A release the user picked by hand starts without a search.
        const FeedMatch picked{id,
                               QString(),
                               true,
                               magnetTitle(*movie->pendingMagnet, movie->displayTitle()),
                               *movie->pendingMagnet,
                               0,
                               QStringLiteral("hand-picked")};
        co_await m_follower.startMovie(picked);
        co_return;
    }
    const Movie wanted = *movie;
    const int bufferHours = m_records.settings().qualityGraceBufferHours;
    const TorrentQuery query =
        FeedChecker::movieQuery(wanted.searchAlias.value_or(wanted.name), std::nullopt);
    const auto [hits, tally] = co_await m_checker.searchAllReported(query);
    if (!self)
        co_return;
    if (tally.noneAnswered()) {
        // Not "no release found": nobody could be asked. A hold stays a hold.
        Movie* hunted = m_records.findMovie(id);
        if (!hunted)
            co_return;
        if (detailBefore != kUnreachable && !wasHolding)
            m_records.logActivity(unreachableLine(hunted->displayTitle()),
                                  ActivityEntry::Kind::error);
        hunted->status = m_records.statusNow(ShowStatus::State::error, std::nullopt,
                                             wasHolding ? kHolding : kUnreachable);
        m_records.edited(Part::movies);
        co_return;
    }
    const auto choice =
        FeedChecker::chooseMovieRelease(hits, wanted.name, wanted.year, wanted.quality,
                                        wanted.qualityMode(), wanted.rejectedHashes);
    decide(id, choice, wanted.releaseDate, bufferHours, wasHolding);
}

void MovieHunter::decide(const QUuid& id, const std::optional<FeedChecker::MovieChoice>& choice,
                         std::optional<Timestamp> releaseDate, int bufferHours, bool wasHolding) {
    Movie* movie = m_records.findMovie(id);
    if (!movie)
        return;
    const QString title = movie->displayTitle();
    const QString label = toRaw(movie->quality);

    if (!choice) {
        m_records.logActivity(title + QStringLiteral(" — no release found yet"),
                              ActivityEntry::Kind::check);
        if ((movie = m_records.findMovie(id))) {
            movie->status = m_records.statusNow(ShowStatus::State::error, std::nullopt,
                                                QStringLiteral("no release found yet"));
            m_records.edited(Part::movies);
        }
        return;
    }

    const SearchResult& release = choice->result;
    if (choice->atOtherResolution && releaseDate) {
        // A copy in another resolution this close to the release is often an early fake.
        const Timestamp holdEnd = *releaseDate + bufferHours * 3600.0;
        if (m_records.now() < holdEnd) {
            if (!wasHolding) {
                m_records.logActivity(
                    QStringLiteral(
                        "%1 — found a copy, but not in %2 — holding off until %3 in case the real "
                        "release is just late")
                        .arg(title, label,
                             abbreviatedDate(holdEnd.toDateTime().toLocalTime().date())),
                    ActivityEntry::Kind::check);
            }
            if ((movie = m_records.findMovie(id))) {
                movie->status =
                    m_records.statusNow(ShowStatus::State::error, std::nullopt, kHolding);
                m_records.edited(Part::movies);
            }
            return;
        }
    }

    m_records.logActivity(QStringLiteral("Found: %1 via %2 (%3 seeders)")
                              .arg(title, release.source)
                              .arg(release.seeders),
                          ActivityEntry::Kind::found);
    if (choice->atOtherResolution) {
        const QString taken = release.quality == QStringLiteral("—")
                                  ? QStringLiteral("an unlabelled resolution")
                                  : release.quality;
        m_records.logActivity(
            QStringLiteral("%1 — no %2 release exists, took %3 instead").arg(title, label, taken),
            ActivityEntry::Kind::check);
    }
    m_follower.startMovie(FeedMatch{id, QString(), false, release.title, release.magnetURL,
                                    release.seeders, release.source});
}
