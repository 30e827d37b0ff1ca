// The outside world of a journey through the real application: TMDB, the torrent indexes and the
// download daemon's RPC on loopback, and a private home with the application copied into it and
// endpoints.json pointing it at them. Prints one JSON line (home, executable, environment), then
// serves until its standard input closes, so the driver that started it ends it by exiting.

#include "DaemonSupport.h"
#include "FakeServices.h"
#include "FakeTransmission.h"
#include "PrivateHome.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QSocketNotifier>

#include <nlohmann/json.hpp>

#include <iostream>
#include <unistd.h>

namespace {

// "Harbour Lights": one match, a season with two aired episodes and one to come, and a
// release for each aired episode on Torrents-CSV.
void describeWorld(FakeTmdb& tmdb, FakeIndexes& indexes) {
    constexpr int kId = 4242;
    tmdb.matches = {{kId, "Harbour Lights", "2025", QString()}};
    const QDate today = QDate::currentDate();
    FakeTmdb::Series series;
    series.name = "Harbour Lights";
    series.currentSeason = 1;
    series.lastAired = std::pair{1, 2};
    series.originCountries = {"GB"};
    series.imdbID = "tt4242424";
    series.seasons[1] = {{1, today.addDays(-14)}, {2, today.addDays(-7)}, {3, today.addDays(7)}};
    tmdb.series[kId] = series;
    indexes.hits = {
        {"Harbour.Lights.S01E01.1080p.WEB.h264-GROUP", QString(40, QLatin1Char('a')), 40},
        {"Harbour.Lights.S01E02.1080p.WEB.h264-GROUP", QString(40, QLatin1Char('b')), 30},
    };
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    PrivateHome install(PrivateHome::Executable::ownCopy);
    if (!install.isValid()) {
        std::cerr << install.problem().toStdString() << std::endl;
        return 1;
    }
    FakeTmdb tmdb;
    FakeIndexes indexes;
    FakeTransmission daemon;
    describeWorld(tmdb, indexes);

    ServiceEndpoints endpoints;
    // Anything not faked (images, the update feed) lands on a port nothing listens on.
    endpoints.pointEveryServiceAt(QStringLiteral("http://127.0.0.1:%1/").arg(freeLoopbackPort()));
    indexes.apply(endpoints);
    endpoints.tmdbAPI = tmdb.apiRoot();
    endpoints.rpcPort = daemon.port();
    endpoints.peerPort = freeLoopbackPort();
    install.writeEndpoints(endpoints);

    const QDir home(install.path());
    const nlohmann::json ready{{"home", install.path().toStdString()},
                               {"executable", install.executable().toStdString()},
                               {"storage", install.storageFolder().toStdString()},
                               {"environment",
                                {{"HOME", install.path().toStdString()},
                                 {"XDG_DATA_HOME", home.filePath("data").toStdString()},
                                 {"XDG_CONFIG_HOME", home.filePath("config").toStdString()},
                                 {"XDG_CACHE_HOME", home.filePath("cache").toStdString()}}}};
    std::cout << ready.dump() << std::endl;

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[256];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            QCoreApplication::quit();
    });
    return app.exec();
}
