// Round trips to a real daemon of our own (loopback, free ports, no DHT or peer discovery):
// one torrents() call for 50 torrents, and one add() of a magnet link.

#include "engine/TransmissionClient.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <optional>

namespace {

template <typename T>
std::optional<T> await(QCoro::Task<T>&& task, int timeoutMs = 30000) {
    auto out = std::make_shared<std::optional<T>>();
    [](QCoro::Task<T> t, std::shared_ptr<std::optional<T>> o) -> QCoro::Task<> {
        o->emplace(co_await std::move(t));
    }(std::move(task), out);
    QDeadlineTimer deadline(timeoutMs);
    while (!out->has_value() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    return *out;
}

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QString randomHash() {
    QString hash;
    for (int i = 0; i < 5; ++i)
        hash += QStringLiteral("%1").arg(QRandomGenerator::global()->generate(), 8, 16,
                                         QLatin1Char('0'));
    return hash;
}

QUrl magnetFor(const QString& hash) {
    return QUrl(
        QStringLiteral("magnet:?xt=urn:btih:%1&dn=Bench&tr=udp%3A%2F%2F127.0.0.1%3A1%2Fannounce")
            .arg(hash));
}

// One daemon for the whole run.
struct Daemon {
    QTemporaryDir dir;
    quint16 port = freePort();
    QProcess process;
    QNetworkAccessManager nam;
    std::unique_ptr<TransmissionClient> client;

    bool start() {
        const QString config = dir.filePath("config");
        QDir().mkpath(config);
        QDir().mkpath(dir.filePath("downloads"));
        QFile settings(config + "/settings.json");
        if (!settings.open(QIODevice::WriteOnly))
            return false;
        settings.write(R"({"dht-enabled":false,"lpd-enabled":false,"pex-enabled":false,
                           "port-forwarding-enabled":false,"utp-enabled":false})");
        settings.close();
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(QStandardPaths::findExecutable("transmission-daemon"),
                      {"--foreground", "--config-dir", config, "--download-dir",
                       dir.filePath("downloads"), "--rpc-bind-address", "127.0.0.1", "--port",
                       QString::number(port), "--peerport", QString::number(freePort()),
                       "--no-auth", "--log-error"});
        if (!process.waitForStarted(5000))
            return false;
        client = std::make_unique<TransmissionClient>(nam, port);
        QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired()) {
            if (const auto answer = await(client->sessionGet()); answer && answer->ok())
                return true;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
        }
        return false;
    }

    ~Daemon() {
        client.reset();
        process.kill();
        process.waitForFinished(5000);
    }
};

Daemon* daemonOnce() {
    static Daemon* daemon = [] {
        auto* d = new Daemon;
        if (!d->start()) {
            delete d;
            return static_cast<Daemon*>(nullptr);
        }
        return d;
    }();
    return daemon;
}

void BM_TorrentsFifty(benchmark::State& state) {
    Daemon* daemon = daemonOnce();
    if (!daemon) {
        state.SkipWithError("transmission-daemon did not start");
        return;
    }
    QStringList hashes;
    for (int i = 0; i < 50; ++i) {
        const auto added =
            await(daemon->client->add(magnetFor(randomHash()), daemon->dir.filePath("downloads")));
        if (!added || !added->ok() || !added->value()) {
            state.SkipWithError("add failed");
            return;
        }
        hashes << *added->value();
    }
    for (auto _ : state) {
        const auto answer = await(daemon->client->torrents(hashes));
        if (!answer || !answer->ok() || answer->value().size() != 50) {
            state.SkipWithError("torrents() failed");
            break;
        }
    }
    await(daemon->client->removeAll(true));
}
BENCHMARK(BM_TorrentsFifty)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_AddMagnet(benchmark::State& state) {
    Daemon* daemon = daemonOnce();
    if (!daemon) {
        state.SkipWithError("transmission-daemon did not start");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        const QUrl magnet = magnetFor(randomHash());
        state.ResumeTiming();
        const auto added = await(daemon->client->add(magnet, daemon->dir.filePath("downloads")));
        state.PauseTiming();
        if (!added || !added->ok() || !added->value()) {
            state.SkipWithError("add failed");
            break;
        }
        // Keep the daemon's load the same for every round.
        await(daemon->client->remove(*added->value(), true));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AddMagnet)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete daemonOnce();
    return 0;
}
