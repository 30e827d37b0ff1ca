// A forced calendar rebuild over 50 subscribed series (ten dated episodes each) against a TMDB
// that answers every request after 20 ms. Wall time is dominated by the 100 requests made one
// after the other; the CPU column is the main thread's own work. The fake TMDB runs on a thread
// of its own, so its work is not counted.

#include "AwaitTask.h"
#include "FakeServices.h"
#include "model/RecordCodecs.h"
#include "store/CalendarKeeper.h"
#include "store/WatchlistStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

namespace {

constexpr int kSeries = 50;
constexpr int kEpisodes = 10;
constexpr int kLatencyMs = 20;

// The fake TMDB on its own thread.
class RemoteTmdb {
public:
    RemoteTmdb() {
        m_thread.start();
        m_context->moveToThread(&m_thread);
        QMetaObject::invokeMethod(
            m_context,
            [this] {
                tmdb = std::make_unique<FakeTmdb>();
                tmdb->delayMs = kLatencyMs;
                for (int i = 0; i < kSeries; ++i) {
                    FakeTmdb::Series s{.name = QStringLiteral("Series %1").arg(i),
                                       .currentSeason = 3};
                    for (int e = 1; e <= kEpisodes; ++e)
                        s.seasons[3].append({e, QDate(2025, 1, 1).addDays(7 * e + i % 7)});
                    tmdb->series.insert(1000 + i, s);
                }
            },
            Qt::BlockingQueuedConnection);
    }
    ~RemoteTmdb() {
        QMetaObject::invokeMethod(
            m_context,
            [this] {
                tmdb.reset();
                delete m_context;
            },
            Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

    std::unique_ptr<FakeTmdb> tmdb;

private:
    QThread m_thread;
    QObject* m_context = new QObject;
};

void BM_refreshCalendar(benchmark::State& state) {
    QTemporaryDir dir;
    RemoteTmdb remote;
    StoreEnvironment env;
    env.storageFolder = QDir(dir.path()).filePath("data");
    env.defaultLibraryRoot = QDir(dir.path()).filePath("library");
    env.clock = std::make_shared<ManualClock>(Timestamp::fromUnixSeconds(1740787200.0)); // Mar 1
    env.endpoints.pointEveryServiceAt(QUrl("http://127.0.0.1:9"));
    env.endpoints.tmdbAPI = remote.tmdb->apiRoot();
    env.endpoints.rpcPort = 9;

    QList<Show> shows;
    for (int i = 0; i < kSeries; ++i) {
        Show s{.id = QUuid::createUuid(), .name = QStringLiteral("Series %1").arg(i)};
        s.tmdbID = 1000 + i;
        s.downloadedEpisodes = {"S03E01", "S03E02"};
        shows << s;
    }
    QDir().mkpath(env.storageFolder);
    QFile file(QDir(env.storageFolder).filePath(QString::fromLatin1(StorageFiles::kShows)));
    if (!file.open(QIODevice::WriteOnly) || file.write(encodeDocument(shows)) < 0)
        qFatal("cannot write the series");
    file.close();

    WatchlistStore store(env, nullptr, nullptr);
    // Let the start-up's own TMDB work (air information, first calendar) finish first.
    const auto settled = [&] {
        return store.calendarEvents().size() == kSeries * kEpisodes &&
               std::all_of(store.shows().cbegin(), store.shows().cend(),
                           [](const Show& s) { return s.airInfoRefreshedAt.has_value(); });
    };
    if (!runEventLoopUntil(settled, 60000))
        state.SkipWithError("the start-up did not settle");

    for (auto _ : state)
        awaitTask(store.calendar().refresh(true), 60000);

    const auto& events = store.calendarEvents();
    if (events.size() != kSeries * kEpisodes ||
        events.first().state != CalEvent::EpisodeState::gotIt)
        state.SkipWithError("the calendar was not rebuilt");
    state.counters["events"] = static_cast<double>(events.size());
}

} // namespace

BENCHMARK(BM_refreshCalendar)->Unit(benchmark::kMillisecond)->Iterations(3);
