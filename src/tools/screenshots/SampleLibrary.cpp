#include "SampleLibrary.h"

#include "model/ActiveDownload.h"
#include "model/ActivityEntry.h"
#include "model/AppSettings.h"
#include "model/Clock.h"
#include "model/DownloadRecord.h"
#include "model/Movie.h"
#include "model/Show.h"
#include "model/StorageFiles.h"

#include <QCryptographicHash>
#include <QUuid>

namespace {

QUuid idOf(const QString& name) {
    return QUuid::createUuidV5(QUuid(), name);
}

QString hashOf(const QString& name) {
    return QString::fromLatin1(
        QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha1).toHex());
}

Show show(const QString& name, ShowStatus::State state, const QString& episode, double progress,
          Timestamp now) {
    Show s;
    s.id = idOf(name);
    s.name = name;
    s.status.state = state;
    s.status.progress = progress;
    if (!episode.isEmpty())
        s.status.episode = episode;
    s.status.lastEventDate = now - 3600.0;
    s.nextAirDate = now + 3 * 86400.0;
    s.tmdbID = 1000 + static_cast<int>(qHash(name) % 90000);
    s.airInfoRefreshedAt = now - 3600.0;
    return s;
}

} // namespace

bool writeSampleLibrary(const QString& storageFolder, const QString& libraryRoot, Timestamp now) {
    using State = ShowStatus::State;
    QList<Show> shows{
        show(QStringLiteral("Severance"), State::downloading, QStringLiteral("S02E07"), 0.62, now),
        show(QStringLiteral("The Bear"), State::sorted, QStringLiteral("S03E10"), 1.0, now),
        show(QStringLiteral("Slow Horses"), State::idle, QString(), 0.0, now),
        show(QStringLiteral("Shōgun"), State::found, QStringLiteral("S01E04"), 0.0, now),
        show(QStringLiteral("Andor"), State::downloading, QStringLiteral("S02E03"), 0.18, now),
        show(QStringLiteral("Only Murders in the Building"), State::error, QStringLiteral("S04E02"),
             0.0, now),
    };
    shows[5].status.detail = QStringLiteral("No seeded release");

    Movie dune;
    dune.id = idOf(QStringLiteral("Dune: Part Two"));
    dune.name = QStringLiteral("Dune: Part Two");
    dune.year = QStringLiteral("2024");
    dune.status.state = State::downloading;
    dune.status.progress = 0.41;
    Movie perfect;
    perfect.id = idOf(QStringLiteral("Perfect Days"));
    perfect.name = QStringLiteral("Perfect Days");
    perfect.year = QStringLiteral("2023");
    perfect.downloaded = true;
    perfect.status.state = State::sorted;
    QList<Movie> movies{dune, perfect};

    // The log, newest first: a busy today, yesterday, and days before.
    struct Line {
        double hoursAgo;
        const char* message;
        ActivityEntry::Kind kind;
    };
    using K = ActivityEntry::Kind;
    const Line lines[] = {
        {0.2, "Checked 6 series — nothing new", K::check},
        {0.9, "Severance S02E07 — downloading (62%)", K::found},
        {1.1, "Found Severance S02E07 · 1080p WEB · 412 seeders via Knaben", K::found},
        {1.4, "Sorted The Bear S03E10 into The Bear/Season 3", K::sorted},
        {1.6, "Downloaded The Bear S03E10", K::downloaded},
        {2.5, "Andor S02E03 — no seeders for 2 days, refreshing trackers", K::error},
        {3.0, "Checked 6 series — 1 new episode", K::check},
        {5.0, "Added \"Slow Horses\" to schedule", K::check},
        {26.0, "Only Murders in the Building S04E02 — no 1080p release yet", K::error},
        {27.5, "Found Dune: Part Two (2024) · 2160p · 1,204 seeders via YTS", K::found},
        {28.0, "Checked 6 series — nothing new", K::check},
        {31.0, "Sorted Perfect Days (2023) into Movies", K::sorted},
        {31.2, "Downloaded Perfect Days (2023)", K::downloaded},
        {50.0, "Found Andor S02E03 · 1080p WEB · 88 seeders via EZTV", K::found},
        {52.0, "Checked 6 series — 2 new episodes", K::check},
        {75.0, "Added \"Andor\" — pulling Season 2", K::check},
        {77.0, "Checked 5 series — nothing new", K::check},
    };
    QList<ActivityEntry> activity;
    for (const Line& line : lines)
        activity.append({idOf(QString::fromUtf8(line.message)), now - line.hoursAgo * 3600.0,
                         QString::fromUtf8(line.message), line.kind});
    // Before that, a quiet week of hourly checks, so the list is long enough to scroll.
    for (int hour = 80; hour < 80 + 24 * 6; hour += 2)
        activity.append({idOf(QString::number(hour)), now - hour * 3600.0,
                         QStringLiteral("Checked 5 series — nothing new"),
                         ActivityEntry::Kind::check});

    const auto row = [&](const Show& s, const QString& episode, DownloadRecord::State state,
                         double progress) {
        DownloadRecord r;
        r.id = hashOf(s.name + episode);
        r.showID = s.id;
        r.showName = s.name;
        r.episode = episode;
        r.title = s.name + QLatin1Char('.') + episode + QStringLiteral(".1080p.WEB.h264");
        r.addedAt = now - 86400.0;
        r.state = state;
        r.progress = progress;
        return r;
    };
    QList<DownloadRecord> history{
        row(shows[0], QStringLiteral("S02E07"), DownloadRecord::State::downloading, 0.62),
        row(shows[1], QStringLiteral("S03E10"), DownloadRecord::State::sorted, 1.0),
    };
    // Two downloads that have not moved for over a week: they raise the attention marks.
    DownloadRecord stuck =
        row(shows[4], QStringLiteral("S02E03"), DownloadRecord::State::downloading, 0.18);
    stuck.addedAt = now - 10 * 86400.0;
    stuck.stuckSince = now - 8 * 86400.0;
    history.append(stuck);
    DownloadRecord stuckMovie;
    stuckMovie.id = hashOf(dune.name);
    stuckMovie.showID = dune.id;
    stuckMovie.showName = dune.name;
    stuckMovie.episode = QStringLiteral("Movie");
    stuckMovie.title = QStringLiteral("Dune.Part.Two.2024.2160p.WEB");
    stuckMovie.addedAt = now - 12 * 86400.0;
    stuckMovie.progress = 0.41;
    stuckMovie.stuckSince = now - 9 * 86400.0;
    history.append(stuckMovie);

    AppSettings settings;
    settings.rootFolder = QUrl::fromLocalFile(libraryRoot);

    // The downloads the store follows; without them it would reset the statuses that claim one.
    const auto follow = [](const Show& s, const QString& code, const char* source) {
        return ActiveDownload{ActiveDownload::Kind::episode, s.id, code, false,
                              QString::fromLatin1(source)};
    };
    QMap<QString, ActiveDownload> downloads{
        {hashOf(shows[0].name + QStringLiteral("S02E07")),
         follow(shows[0], QStringLiteral("S02E07"), "Knaben")},
        {hashOf(shows[3].name + QStringLiteral("S01E04")),
         follow(shows[3], QStringLiteral("S01E04"), "EZTV")},
        {stuck.id, follow(shows[4], QStringLiteral("S02E03"), "EZTV")},
        {hashOf(shows[5].name), follow(shows[5], QStringLiteral("S04E02"), "Nyaa")},
        {stuckMovie.id, ActiveDownload{ActiveDownload::Kind::movie, dune.id, QString(), false,
                                       QStringLiteral("YTS")}},
    };

    const ManualClock clock(now);
    StorageFiles files(storageFolder, clock);
    return files.saveShows(shows) && files.saveMovies(movies) && files.saveActivity(activity) &&
           files.saveSettings(settings) && files.saveDownloads(downloads) &&
           files.saveHistory(history);
}
