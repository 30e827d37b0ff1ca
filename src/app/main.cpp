// Lumivane's entry. `--headless` runs the engine without a window and prints every
// activity line to standard output; until the tray application exists it is the default.

#include "FreedesktopNotifier.h"
#include "TrayNotifier.h"
#include "UnixSignalWatcher.h"
#include "engine/TransmissionEngine.h"
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

    const StoreEnvironment env = StoreEnvironment::production();

    // The daemon starts before the store: it needs the library root, read straight from the
    // settings file.
    const AppSettings stored = AppSettings::loadFromDisk(env.storageFolder).value_or(AppSettings{});
    const QString root = WatchlistStore::libraryRoot(stored, env.defaultLibraryRoot).toLocalFile();
    TransmissionEngine engine(root, env.storageFolder, env.endpoints, env.clock);
    engine.start();

    FreedesktopNotifier notifier;
    ConsoleNotifier console; // no notification service: the notice goes to the log output
    notifier.setFallback(&console);
    WatchlistStore store(env, &engine, &notifier);
    QObject::connect(&store, &WatchlistStore::activityLogged, &store, printActivity);
    store.applySeedRatio(5);

    const int status = app.exec();
    engine.stop();
    return status;
}
