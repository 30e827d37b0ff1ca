// Lumivane's entry. `--headless` runs the whole engine without a window — the daemon, the
// countdown, every timer — and prints each activity line to standard output; until the tray
// application exists it is also what a plain start does.

#include "FreedesktopNotifier.h"
#include "TrayNotifier.h"
#include "UnixSignalWatcher.h"
#include "engine/TransmissionEngine.h"
#include "model/ActivityEntry.h"
#include "store/WatchlistStore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <csignal>
#include <cstdio>

namespace {

void printLine(const QString& line) {
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void printActivity(const ActivityEntry& entry) {
    printLine(QStringLiteral("%1 [%2] %3")
                  .arg(entry.date.toDateTime().toLocalTime().toString(Qt::ISODate), toRaw(entry.kind), entry.message));
}

// endpoints.json, when present: the service addresses it moves, or why it was ignored.
std::optional<QString> applyEndpointsFile(StoreEnvironment& env) {
    const QString path = QDir(env.storageFolder).filePath(QStringLiteral("endpoints.json"));
    QFile file(path);
    if (!file.exists())
        return std::nullopt;
    QString why = QStringLiteral("cannot be read");
    if (file.open(QIODevice::ReadOnly) && file.size() < 1024 * 1024) {
        if (const auto endpoints = withOverrides(env.endpoints, file.readAll(), &why)) {
            env.endpoints = *endpoints;
            return std::nullopt;
        }
    }
    return QStringLiteral("Ignored %1: %2 — using the built-in service addresses").arg(path, why);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Lumivane"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LUMIVANE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Fetches new episodes and movies into your library."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({QStringLiteral("headless"),
                      QStringLiteral("Run the engine without a window, logging activity to standard output.")});
    parser.process(app);

    UnixSignalWatcher signals({SIGINT, SIGTERM});
    QObject::connect(&signals, &UnixSignalWatcher::received, &app, [] { QCoreApplication::quit(); });

    StoreEnvironment env = StoreEnvironment::production();
    QDir().mkpath(env.storageFolder);

    // One instance per user: a second one would kill the first one's daemon at start and write
    // the same files.
    const QString lockPath = QDir(env.storageFolder).filePath(QStringLiteral("lumivane.lock"));
    QLockFile lock(lockPath);
    lock.setStaleLockTime(0);
    bool locked = lock.tryLock(0);
    qint64 pid = 0;
    QString host;
    QString name;
    // A kill between creating the lock and writing into it leaves a lock naming nobody, which
    // QLockFile never takes for stale: every later start would refuse. One older than a second
    // is no start in progress (the write follows the creation at once).
    if (!locked && !lock.getLockInfo(&pid, &host, &name) &&
        QFileInfo(lockPath).lastModified().msecsTo(QDateTime::currentDateTime()) > 1000 &&
        lock.removeStaleLockFile())
        locked = lock.tryLock(0);
    if (!locked) {
        std::fprintf(stderr, "Lumivane is already running (process %lld); not starting a second one.\n",
                     static_cast<long long>(pid));
        return 1;
    }

    const std::optional<QString> endpointsProblem = applyEndpointsFile(env);

    int status = 0;
    {
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
        if (endpointsProblem)
            store.logActivity(*endpointsProblem, ActivityEntry::Kind::error);
        store.applySeedRatio(5);

        status = app.exec();
        engine.stop(); // the supervisor waits for the daemon to end when it goes
    }
    // Work still in flight when the loop stopped (a request torn down with its client, a turn
    // handed on) finishes now that its owners are gone, instead of being abandoned mid-way.
    QCoreApplication::processEvents();
    return status;
}
