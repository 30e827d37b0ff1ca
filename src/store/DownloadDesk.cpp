#include "DownloadDesk.h"

#include "DownloadFollower.h"
#include "MovieHunter.h"
#include "StoreRecords.h"
#include "WorkingFolder.h"
#include "search/FeedChecker.h"
#include "search/Magnet.h"

#include <QPointer>

using Part = StoreRecords::Part;

DownloadDesk::DownloadDesk(StoreRecords& records, Parts parts, QObject* parent)
    : QObject(parent)
    , m_records(records)
    , m_follower(parts.follower)
    , m_checker(parts.checker)
    , m_hunter(parts.hunter)
    , m_workingFolder(parts.workingFolder) {}

void DownloadDesk::switchRelease(const QString& hash, const SearchResult& release) {
    const auto tracked = m_follower.downloads().constFind(hash);
    if (tracked == m_follower.downloads().cend())
        return;
    const ActiveDownload entry = *tracked;
    const DownloadRecord* row = m_records.findHistoryRow(hash);
    const QString episode = row ? row->episode : entry.episodeCode;
    m_records.logActivity(QStringLiteral("Cancelled ") +
                              (row ? row->showName + QLatin1Char(' ') + row->episode : hash),
                          ActivityEntry::Kind::check);
    m_follower.cancel(hash, entry, QStringLiteral("Cancelled"));

    if (entry.kind == ActiveDownload::Kind::movie) {
        Movie* movie = m_records.findMovie(entry.showID);
        if (!movie)
            return;
        // The hunt starts a pending magnet at once, as a hand-picked release.
        movie->pendingMagnet = release.magnetURL;
        m_records.edited(Part::movies);
        m_hunter.hunt(entry.showID);
        return;
    }
    m_follower.grab(FeedMatch{entry.showID, release.episodeCode.value_or(episode), true,
                              release.title, release.magnetURL, release.seeders, release.source});
}

QCoro::Task<DownloadDesk::Releases> DownloadDesk::otherReleases(QString hash) {
    QPointer<DownloadDesk> self(this);
    const DownloadRecord* row = m_records.findHistoryRow(hash);
    const Show* show = row ? m_records.findShow(row->showID) : nullptr;
    if (!show)
        co_return Releases{};
    const QUuid id = show->id;
    const FeedChecker::Alternates found =
        co_await m_checker.episodeAlternatesReported(*show, row->episode);
    if (!self)
        co_return Releases{};
    show = m_records.findShow(id);
    if (!show)
        co_return Releases{};
    Releases out;
    out.indexesUnreachable = found.noIndexAnswered;
    for (const SearchResult& r : found.releases) {
        const QString h = infoHash(r.magnetURL).value_or(QString());
        if (h != hash && !show->rejectedHashes.contains(h))
            out.results.append(r);
    }
    co_return out;
}

QCoro::Task<> DownloadDesk::clearWorkingFolder() {
    const QMap<QString, ActiveDownload> taken = m_follower.takeAll();

    const QString reason = QStringLiteral("Cancelled — working folder cleared");
    bool historyTouched = false;
    bool showsTouched = false;
    bool moviesTouched = false;
    for (auto it = taken.cbegin(); it != taken.cend(); ++it) {
        if (DownloadRecord* row = m_records.findHistoryRow(it.key())) {
            row->state = DownloadRecord::State::error;
            row->detail = reason;
            historyTouched = true;
        }
        if (it->kind == ActiveDownload::Kind::episode) {
            Show* show = m_records.findShow(it->showID);
            if (show && show->status.episode == it->episodeCode) {
                show->status = ShowStatus{};
                showsTouched = true;
            }
        } else if (Movie* movie = m_records.findMovie(it->showID)) {
            movie->status = ShowStatus{};
            moviesTouched = true;
        }
    }
    m_records.save(Part::history);
    m_records.save(Part::shows);
    m_records.save(Part::movies);
    if (historyTouched)
        m_records.publish(Part::history);
    if (showsTouched)
        m_records.publish(Part::shows);
    if (moviesTouched)
        m_records.publish(Part::movies);

    const qsizetype n = taken.size();
    m_records.logActivity(
        QStringLiteral("Clearing working folder — %1 in-progress download%2 cancelled")
            .arg(n)
            .arg(n == 1 ? QString() : QStringLiteral("s")),
        ActivityEntry::Kind::check);

    return m_workingFolder.empty(taken.keys());
}
