// Loading and saving full-size files: 300 series with 100 downloaded codes each, 200 movies,
// 500 log lines, 500 history rows and 20 followed downloads.

#include "model/RecordCodecs.h"
#include "store/WatchlistStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void writeFile(const QString& folder, const char* name, const QByteArray& bytes) {
    QFile f(QDir(folder).filePath(QString::fromLatin1(name)));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", name);
}

struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<WatchlistStore> store;

    Fixture() {
        const QString data = QDir(dir.path()).filePath("data");
        QDir().mkpath(data);

        QList<Show> shows;
        for (int i = 0; i < 300; ++i) {
            Show s{.id = QUuid::createUuid(), .name = QStringLiteral("Series number %1").arg(i)};
            s.nextAirDate = Timestamp{786000000.0 + i};
            s.tmdbID = 1000 + i;
            s.posterPath = QStringLiteral("/poster%1.jpg").arg(i);
            s.firstAirYear = "2019";
            s.originCountries = {"US", "GB"};
            s.imdbID = QStringLiteral("tt%1").arg(9000000 + i);
            s.status = {ShowStatus::State::sorted, 1.0, "S05E10", std::nullopt,
                        Timestamp{786000000.5}};
            for (int e = 0; e < 100; ++e)
                s.downloadedEpisodes << QStringLiteral("S%1E%2")
                                            .arg(e / 20 + 1, 2, 10, QLatin1Char('0'))
                                            .arg(e % 20 + 1, 2, 10, QLatin1Char('0'));
            s.rejectedHashes = {QStringLiteral("%1").arg(i, 40, 16, QLatin1Char('a'))};
            s.tmdbStatus = "Returning Series";
            s.lastCheckedAt = s.airInfoRefreshedAt = Timestamp{786000100.25};
            shows << s;
        }
        QList<Movie> movies;
        for (int i = 0; i < 200; ++i) {
            Movie m{.id = QUuid::createUuid(), .name = QStringLiteral("Movie number %1").arg(i)};
            m.year = "2021";
            m.tmdbID = 5000 + i;
            m.posterPath = "/m.jpg";
            m.releaseDate = Timestamp{700000000};
            m.status = {ShowStatus::State::error, 0.0, std::nullopt, "no release found yet",
                        Timestamp{786000000}};
            movies << m;
        }
        QList<ActivityEntry> activity;
        for (int i = 0; i < 500; ++i)
            activity << ActivityEntry{
                QUuid::createUuid(), Timestamp{786000000.0 + i},
                QStringLiteral(
                    "Sorted Series number %1 S01E02 → /home/user/Downloads/Lumivane/Series/Series "
                    "number %1/Season_01/Series.Number.S01E02.1080p.WEB.h264-GRP.mkv")
                    .arg(i),
                ActivityEntry::Kind::sorted};
        QList<DownloadRecord> history;
        QMap<QString, ActiveDownload> downloads;
        for (int i = 0; i < 500; ++i) {
            const QString hash = QStringLiteral("%1").arg(i, 40, 16, QLatin1Char('0'));
            DownloadRecord r{.id = hash,
                             .showID = shows[i % 300].id,
                             .showName = shows[i % 300].name,
                             .episode = "S01E02",
                             .title = "Series.Number.S01E02.1080p.WEB.h264-GRP",
                             .addedAt = Timestamp{786000000.0 + i}};
            r.state = i < 20 ? DownloadRecord::State::downloading : DownloadRecord::State::sorted;
            r.progress = 0.5;
            r.detail = "/home/user/Downloads/Lumivane/Series/x.mkv";
            r.trackerHint = "3 of 14 trackers answered";
            history << r;
            if (i < 20)
                downloads.insert(
                    hash, {ActiveDownload::Kind::episode, r.showID, "S01E02", false, "EZTV"});
        }
        AppSettings settings;
        settings.seedMigratedV1 = true;

        writeFile(data, StorageFiles::kShows, encodeDocument(shows));
        writeFile(data, StorageFiles::kMovies, encodeDocument(movies));
        writeFile(data, StorageFiles::kActivity, encodeDocument(activity));
        writeFile(data, StorageFiles::kSettings, encodeDocument(settings));
        writeFile(data, StorageFiles::kDownloads, encodeDocument(downloads));
        writeFile(data, StorageFiles::kHistory, encodeDocument(history));

        StoreEnvironment env;
        env.storageFolder = data;
        env.defaultLibraryRoot = QDir(dir.path()).filePath("library");
        env.clock = std::make_shared<ManualClock>();
        store = std::make_unique<WatchlistStore>(env, nullptr, nullptr);
        if (store->shows().size() != 300 || store->history().size() != 500)
            qFatal("fixture did not load");
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_loadAll(benchmark::State& state) {
    WatchlistStore& store = *fixture().store;
    for (auto _ : state)
        store.loadAll();
    if (store.shows().size() != 300)
        state.SkipWithError("loadAll lost series");
}

// A save as the store makes it: one file written in full, then renamed over the old one.
template <auto write>
void BM_save(benchmark::State& state) {
    WatchlistStore& store = *fixture().store;
    StorageFiles files(store.environment().storageFolder, *store.environment().clock);
    for (auto _ : state)
        if (!write(files, store))
            state.SkipWithError("save failed");
}

// The share of saveShows spent encoding, the rest being the write and rename.
void BM_encodeShows(benchmark::State& state) {
    WatchlistStore& store = *fixture().store;
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeDocument(store.shows()));
}

} // namespace

BENCHMARK(BM_loadAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_encodeShows)->Unit(benchmark::kMillisecond);
#define LUMIVANE_SAVE_BENCH(part, value)                                                           \
    BENCHMARK(BM_save<[](StorageFiles& f, WatchlistStore& s) { return f.save##part(value); }>)     \
        ->Name("BM_save" #part)                                                                    \
        ->Unit(benchmark::kMillisecond)
LUMIVANE_SAVE_BENCH(Shows, s.shows());
LUMIVANE_SAVE_BENCH(Movies, s.movies());
LUMIVANE_SAVE_BENCH(Activity, s.activity());
LUMIVANE_SAVE_BENCH(Settings, s.settings());
LUMIVANE_SAVE_BENCH(Downloads, s.activeDownloads());
LUMIVANE_SAVE_BENCH(History, s.history());
