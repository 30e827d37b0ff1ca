// The world `lumivane --headless` sees in bench/footprint.sh: a realistic storage folder in a
// private home, TMDB and the daemon faked on loopback (the daemon reports every followed
// torrent as a healthy download), every index on a port nobody listens on.
//
//   lumivane_footprint_fixture <home> [series movies torrents]
//
// Prints "ready" once the files and endpoints.json are written, then serves until killed.

#include "DaemonSupport.h"
#include "FakeServices.h"
#include "FakeTransmission.h"
#include "RealisticLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <nlohmann/json.hpp>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2 && args.size() != 5) {
        std::fprintf(stderr, "usage: %s <home> [series movies torrents]\n", argv[0]);
        return 2;
    }
    RealisticLibrary::Size size{200, 100, 20};
    if (args.size() == 5)
        size = {args[2].toInt(), args[3].toInt(), args[4].toInt()};

    const QString storage = QDir(args[1]).filePath(QStringLiteral("data/Lumivane"));
    const RealisticLibrary library = RealisticLibrary::generate(size, 1);
    if (!library.writeTo(storage)) {
        std::fprintf(stderr, "cannot write the storage files into %s\n", qPrintable(storage));
        return 1;
    }

    FakeTmdb tmdb;
    library.describeTo(tmdb, QDate::currentDate());
    FakeTransmission daemon;
    library.loadInto(daemon);

    const std::string nowhere = "http://127.0.0.1:" + std::to_string(freeLoopbackPort()) + "/";
    const nlohmann::json endpoints{{"knabenAPI", nowhere},   {"apibayQuery", nowhere},
                                   {"eztvPrimary", nowhere}, {"eztvFallback", nowhere},
                                   {"torrentsCsvSearch", nowhere}, {"nyaaRoot", nowhere},
                                   {"ytsHost", nowhere},     {"tmdbImages", nowhere},
                                   {"tmdbAPI", tmdb.apiRoot().toString().toStdString()},
                                   {"rpcPort", daemon.port()},
                                   {"peerPort", freeLoopbackPort()}};
    QFile file(QDir(storage).filePath(QStringLiteral("endpoints.json")));
    if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray::fromStdString(endpoints.dump())) < 0)
        return 1;
    file.close();

    std::puts("ready");
    std::fflush(stdout);
    return app.exec();
}
