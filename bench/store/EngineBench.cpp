// CPU time the engine spends on the main thread for one follow-up pass (50 followed torrents,
// 500 history rows) and for one check cycle (100 due series, 100 hits each). The fake daemon
// and indexes run on a thread of their own, so their work is not counted.

#include "AwaitTask.h"
#include "FakeServices.h"
#include "FakeTransmission.h"
#include "model/RecordCodecs.h"
#include "store/DownloadFollower.h"
#include "store/WatchlistStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

namespace {

void writeFile(const QString& folder, const char* name, const QByteArray& bytes) {
    QDir().mkpath(folder);
    QFile f(QDir(folder).filePath(QString::fromLatin1(name)));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", name);
}

QString hashOf(int i) {
    return QStringLiteral("%1").arg(i, 40, 16, QLatin1Char('0'));
}

// The loopback services, on their own thread.
class Services {
public:
    Services() {
        m_thread.start();
        m_context->moveToThread(&m_thread);
        QMetaObject::invokeMethod(
            m_context,
            [this] {
                daemon = std::make_unique<FakeTransmission>();
                indexes = std::make_unique<FakeIndexes>();
            },
            Qt::BlockingQueuedConnection);
    }
    ~Services() {
        QMetaObject::invokeMethod(
            m_context,
            [this] {
                daemon.reset();
                indexes.reset();
                delete m_context;
            },
            Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

    std::unique_ptr<FakeTransmission> daemon;
    std::unique_ptr<FakeIndexes> indexes;

private:
    QThread m_thread;
    QObject* m_context = new QObject;
};

struct Fixture {
    QTemporaryDir dir;
    Services services;
    StoreEnvironment env;

    Fixture() {
        env.storageFolder = QDir(dir.path()).filePath("data");
        env.defaultLibraryRoot = QDir(dir.path()).filePath("library");
        env.clock = std::make_shared<ManualClock>();
        env.pollInterval = std::chrono::hours(1); // the benchmark drives every pass itself
        services.indexes->apply(env.endpoints);
        env.endpoints.rpcPort = services.daemon->port();
        env.endpoints.tmdbAPI = QUrl("http://127.0.0.1:9/3");
    }
};

void BM_followUpPass(benchmark::State& state) {
    Fixture f;
    QList<Show> shows;
    QMap<QString, ActiveDownload> downloads;
    QList<DownloadRecord> history;
    for (int i = 0; i < 500; ++i) {
        if (i < 50) {
            Show s{.id = QUuid::createUuid(), .name = QStringLiteral("Series %1").arg(i)};
            shows << s;
            downloads.insert(hashOf(i),
                             {ActiveDownload::Kind::episode, s.id, "S01E01", false, "EZTV"});
            FakeTransmission::Torrent t{
                .hash = hashOf(i), .name = s.name, .downloadDir = f.env.defaultLibraryRoot};
            t.files = {s.name + "/" + s.name + ".S01E01.1080p.mkv", s.name + "/sample.mkv"};
            t.percentDone = 0.5;
            t.peersConnected = 2;
            t.rateDownload = 100000;
            t.seeders = 5;
            f.services.daemon->torrents.insert(t.hash, t);
        }
        history << DownloadRecord{.id = hashOf(i),
                                  .showID = shows[i % 50].id,
                                  .showName = shows[i % 50].name,
                                  .episode = "S01E01",
                                  .title = "Series.S01E01.1080p.WEB"};
    }
    writeFile(f.env.storageFolder, StorageFiles::kShows, encodeDocument(shows));
    writeFile(f.env.storageFolder, StorageFiles::kDownloads, encodeDocument(downloads));
    writeFile(f.env.storageFolder, StorageFiles::kHistory, encodeDocument(history));
    WatchlistStore store(f.env, nullptr, nullptr);
    // The store follows restored downloads at once; let that first pass finish.
    runEventLoopUntil([&] { return store.shows().first().status.progress == 0.5; });

    for (auto _ : state)
        awaitTask(store.follower().poll());
    if (store.activeDownloads().size() != 50 || store.shows().first().status.progress != 0.5)
        state.SkipWithError(
            QStringLiteral("the pass did not follow the torrents: %1 followed, progress %2")
                .arg(store.activeDownloads().size())
                .arg(store.shows().first().status.progress)
                .toStdString()
                .c_str());
}

void BM_checkCycle(benchmark::State& state) {
    Fixture f;
    f.services.indexes->hitsFor = [](const QString& query) {
        QList<FakeIndexes::Hit> hits;
        QString dotted = query;
        dotted.replace(QLatin1Char(' '), QLatin1Char('.'));
        for (int i = 0; i < 100; ++i) {
            const QString res = i % 3 == 0 ? "720p" : i % 3 == 1 ? "1080p" : "2160p";
            hits.append({QStringLiteral("%1.S%2E%3.%4.WEB.h264-GRP%5")
                             .arg(dotted)
                             .arg(i / 20 + 1, 2, 10, QLatin1Char('0'))
                             .arg(i % 20 + 1, 2, 10, QLatin1Char('0'))
                             .arg(res)
                             .arg(i),
                         QStringLiteral("%1%2")
                             .arg(qHash(query), 8, 16, QLatin1Char('0'))
                             .arg(i, 32, 16, QLatin1Char('0')),
                         5 + i, 2'000'000'000});
        }
        return hits;
    };
    QList<Show> shows;
    for (int i = 0; i < 100; ++i) {
        Show s{.id = QUuid::createUuid(), .name = QStringLiteral("Series Number %1").arg(i)};
        s.downloadedEpisodes = {"S02E18"}; // three episodes after it are wanted
        shows << s;
    }
    writeFile(f.env.storageFolder, StorageFiles::kShows, encodeDocument(shows));

    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(QDir(f.env.storageFolder).filePath(StorageFiles::kDownloads));
        WatchlistStore store(f.env, nullptr, nullptr);
        state.ResumeTiming();
        store.runCheck(true);
        if (!runEventLoopUntil([&] { return !store.isChecking(); }, 60000))
            state.SkipWithError("the cycle did not end");
        state.PauseTiming();
        if (store.activity().isEmpty() ||
            !store.activity().last().message.startsWith("Checking 100 series"))
            state.SkipWithError("the cycle did not search");
        if (!runEventLoopUntil([&] { return store.activeDownloads().size() == 300; }, 20000))
            qWarning("followed %lld, %lld log lines, newest: %s",
                     (long long)store.activeDownloads().size(), (long long)store.activity().size(),
                     qPrintable(store.activity().first().message));
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_followUpPass)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_checkCycle)->Unit(benchmark::kMillisecond)->Iterations(5);
