// Lumivane's entry. `--headless` runs the engine without a window and prints every
// activity line to standard output; until the tray application exists it is the default.

#include "UnixSignalWatcher.h"
#include "model/ActivityEntry.h"
#include "store/WatchlistStore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>

#include <csignal>
#include <cstdio>

namespace {

void printActivity(const ActivityEntry& entry) {
    const QString line = QStringLiteral("%1 [%2] %3\n")
                             .arg(entry.date.toDateTime().toLocalTime().toString(Qt::ISODate),
                                  toRaw(entry.kind), entry.message);
    std::fputs(line.toUtf8().constData(), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Lumivane"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LUMIVANE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Fetches new episodes and movies into your library."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(
        {QStringLiteral("headless"),
         QStringLiteral("Run the engine without a window, logging activity to standard output.")});
    parser.process(app);

    UnixSignalWatcher signals({SIGINT, SIGTERM});
    QObject::connect(&signals, &UnixSignalWatcher::received, &app,
                     [] { QCoreApplication::quit(); });

    WatchlistStore store(StoreEnvironment::production());
    QObject::connect(&store, &WatchlistStore::activityLogged, &store, printActivity);

    return app.exec();
}
