#include "RealisticLibrary.h"

#include "FakeServices.h"
#include "FakeTransmission.h"
#include "model/Clock.h"
#include "model/StorageFiles.h"

#include <QCryptographicHash>

#include <random>

namespace {

// Names with the characters real titles carry: articles, digits, punctuation, accents, CJK.
const QStringList kWords{QStringLiteral("Northern"), QStringLiteral("Line"),    QStringLiteral("Café"),
                         QStringLiteral("Lumière"),  QStringLiteral("Station"), QStringLiteral("Eleven"),
                         QStringLiteral("Harbour"),  QStringLiteral("Ghosts"),  QStringLiteral("東京"),
                         QStringLiteral("Doctor's"), QStringLiteral("Blue"),    QStringLiteral("Empire"),
                         QStringLiteral("Night"),    QStringLiteral("Shift"),   QStringLiteral("Crown")};

QUuid uuidFrom(std::mt19937& rng) {
    QByteArray bytes(16, Qt::Uninitialized);
    for (char& byte : bytes)
        byte = static_cast<char>(rng());
    return QUuid::fromRfc4122(bytes);
}

QString titleFrom(std::mt19937& rng, int n) {
    std::uniform_int_distribution<qsizetype> pick(0, kWords.size() - 1);
    QString name = n % 4 == 0 ? QStringLiteral("The ") : QString();
    name += kWords[pick(rng)] + QLatin1Char(' ') + kWords[pick(rng)];
    return name + QStringLiteral(" %1").arg(n); // unique, so a lost record is named
}

QString code(int season, int episode) {
    return QStringLiteral("S%1E%2").arg(season, 2, 10, QLatin1Char('0')).arg(episode, 2, 10, QLatin1Char('0'));
}

const Timestamp kNow = Timestamp::fromUnixSeconds(1767225600.0); // 2026-01-01

} // namespace

QString madeUpHash(std::uint64_t n) {
    return QString::fromLatin1(
        QCryptographicHash::hash(QByteArray::number(static_cast<qulonglong>(n)), QCryptographicHash::Sha1)
            .toHex());
}

RealisticLibrary RealisticLibrary::generate(Size size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> percent(0, 99);
    RealisticLibrary lib;

    for (int i = 0; i < size.series; ++i) {
        Show s;
        s.id = uuidFrom(rng);
        s.name = titleFrom(rng, i);
        s.quality = percent(rng) < 70 ? Show::Quality::p1080 : Show::Quality::p720;
        s.tmdbID = 10000 + i;
        s.firstAirYear = QString::number(1995 + i % 30);
        s.originCountries = {QStringLiteral("US")};
        s.imdbID = QStringLiteral("tt%1").arg(7000000 + i);
        s.posterPath = QStringLiteral("/poster%1.jpg").arg(i);
        s.tmdbStatus = QStringLiteral("Returning Series");
        const int seasons = 2 + percent(rng) % 8;
        for (int season = seasons; season >= 1 && s.downloadedEpisodes.size() < Show::kMaxDownloadedEpisodes;
             --season) {
            for (int e = 12; e >= 1 && s.downloadedEpisodes.size() < Show::kMaxDownloadedEpisodes; --e)
                s.downloadedEpisodes << code(season, e);
        }
        s.monitorAnchor = code(seasons, 12);
        for (int r = 0; r < percent(rng) % 4; ++r)
            s.rejectedHashes << madeUpHash(seed * 1000003ULL + i * 10 + r);
        s.lastCheckedAt = kNow - 3600.0;
        s.airInfoRefreshedAt = kNow - 7200.0;
        s.nextAirDate = kNow + 86400.0 * (1 + i % 9);
        s.status = ShowStatus{ShowStatus::State::sorted, 1.0, code(seasons, 12), std::nullopt, kNow - 86400.0};
        lib.shows << s;
    }

    for (int i = 0; i < size.movies; ++i) {
        Movie m;
        m.id = uuidFrom(rng);
        m.name = titleFrom(rng, 1000 + i);
        m.year = QString::number(1980 + i % 45);
        m.tmdbID = 500000 + i;
        m.posterPath = QStringLiteral("/movie%1.jpg").arg(i);
        m.releaseDate = kNow - 86400.0 * (30 + i);
        m.downloaded = percent(rng) < 60;
        m.monitor = !m.downloaded;
        if (m.downloaded)
            m.status = ShowStatus{ShowStatus::State::sorted, 1.0, std::nullopt, std::nullopt, kNow - 86400.0 * i};
        lib.movies << m;
    }

    for (int i = 0; i < size.downloads && !lib.shows.isEmpty(); ++i) {
        const bool movie = i % 4 == 3 && !lib.movies.isEmpty();
        const QString hash = madeUpHash(seed * 7919ULL + 100000 + i);
        ActiveDownload d;
        DownloadRecord row;
        if (movie) {
            Movie& m = lib.movies[i % lib.movies.size()];
            m.downloaded = false;
            m.status = ShowStatus{ShowStatus::State::downloading, 0.4, std::nullopt, std::nullopt, kNow};
            d = ActiveDownload{ActiveDownload::Kind::movie, m.id, QString(), false, QStringLiteral("YTS")};
            row = DownloadRecord{.id = hash, .showID = m.id, .showName = m.name, .episode = QStringLiteral("Movie")};
            row.title = m.name + QStringLiteral(" 1080p BluRay x264");
        } else {
            Show& s = lib.shows[i % lib.shows.size()];
            const QString next = code(99, i + 1);
            s.status = ShowStatus{ShowStatus::State::downloading, 0.4, next, std::nullopt, kNow};
            d = ActiveDownload{ActiveDownload::Kind::episode, s.id, next, false, QStringLiteral("EZTV")};
            row = DownloadRecord{.id = hash, .showID = s.id, .showName = s.name, .episode = next};
            row.title = s.name + QLatin1Char(' ') + next + QStringLiteral(" 1080p WEB h264");
        }
        row.addedAt = kNow - 60.0 * i;
        row.progress = 0.4;
        lib.downloads.insert(hash, d);
        lib.history << row;
    }
    // Older rows: finished and failed downloads, up to the cap.
    for (int i = 0; lib.history.size() < 500 && !lib.shows.isEmpty(); ++i) {
        const Show& s = lib.shows[i % lib.shows.size()];
        DownloadRecord row{.id = madeUpHash(seed * 31ULL + 900000 + i), .showID = s.id, .showName = s.name,
                           .episode = s.downloadedEpisodes.value(i % 10)};
        row.title = s.name + QLatin1Char(' ') + row.episode + QStringLiteral(" 1080p WEB h264");
        row.addedAt = kNow - 3600.0 * (i + 1);
        const bool failed = percent(rng) < 10;
        row.state = failed ? DownloadRecord::State::error : DownloadRecord::State::sorted;
        row.progress = failed ? 0.3 : 1.0;
        row.detail = failed ? QStringLiteral("sort failed: no space left")
                            : QStringLiteral("/library/Series/%1/Season_01").arg(s.name);
        row.peers = percent(rng) % 20;
        row.seedsSeen = percent(rng);
        lib.history << row;
    }

    const QList<ActivityEntry::Kind> kinds{ActivityEntry::Kind::check, ActivityEntry::Kind::found,
                                           ActivityEntry::Kind::downloaded, ActivityEntry::Kind::sorted,
                                           ActivityEntry::Kind::error};
    for (int i = 0; i < 500; ++i) {
        const QString name = lib.shows.isEmpty() ? QStringLiteral("Nothing") : lib.shows[i % lib.shows.size()].name;
        lib.activity << ActivityEntry{uuidFrom(rng), kNow - 600.0 * i,
                                      QStringLiteral("Sorted %1 S01E%2 → /library/Series/%1/Season_01").arg(name).arg(i % 20),
                                      kinds[i % kinds.size()]};
    }

    lib.settings.checkIntervalMinutes = 60;
    lib.settings.seedMigratedV1 = true;
    lib.settings.seedRatioLimit = 1.5;
    lib.settings.theme = AppTheme::dark;
    return lib;
}

bool RealisticLibrary::writeTo(const QString& storageFolder) const {
    const SystemClock clock;
    const StorageFiles files(storageFolder, clock);
    return files.ensureFolder() && files.saveShows(shows) && files.saveMovies(movies) &&
           files.saveActivity(activity) && files.saveSettings(settings) && files.saveDownloads(downloads) &&
           files.saveHistory(history);
}

void RealisticLibrary::describeTo(FakeTmdb& tmdb, QDate today) const {
    for (const Show& s : shows) {
        if (!s.tmdbID)
            continue;
        FakeTmdb::Series series{.name = s.name, .currentSeason = 5, .lastAired = std::pair{5, 6},
                                .originCountries = s.originCountries, .imdbID = s.imdbID.value_or(QString())};
        QList<FakeTmdb::Episode> episodes;
        for (int e = 1; e <= 12; ++e)
            episodes << FakeTmdb::Episode{e, today.addDays(7 * (e - 6))};
        series.seasons.insert(5, episodes);
        tmdb.series.insert(*s.tmdbID, series);
    }
}

void RealisticLibrary::loadInto(FakeTransmission& daemon) const {
    for (auto it = downloads.cbegin(); it != downloads.cend(); ++it) {
        const QString name = it->kind == ActiveDownload::Kind::movie ? QStringLiteral("Movie.1080p") : it->episodeCode;
        daemon.torrents.insert(it.key(), {.hash = it.key(), .name = name, .downloadDir = "/nonexistent/Incomplete",
                                          .files = {name + ".mkv"}, .percentDone = 0.5, .rateDownload = 250'000,
                                          .peersConnected = 4, .seeders = 12});
    }
}
