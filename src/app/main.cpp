// Lumivane's entry. A plain start runs the tray application: the engine (daemon, store,
// timers) behind a tray icon, its menu and the main window. `--headless` runs the same engine
// without a window and prints each activity line to standard output (the systemd service).

#include "CommandServer.h"
#include "EngineSession.h"
#include "ImageLoader.h"
#include "InstanceChannel.h"
#include "InstanceLock.h"
#include "LaunchEnvironment.h"
#include "LaunchRequest.h"
#include "MainViews.h"
#include "Theme.h"
#include "TrayNotifier.h"
#include "TrayShell.h"
#include "UnixSignalWatcher.h"
#include "Updater.h"
#include "cli/CommandClient.h"
#include "cli/CommandLine.h"
#include "model/ActivityEntry.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDeadlineTimer>
#include <QDir>
#include <QLockFile>
#include <QNetworkAccessManager>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <cstdio>

namespace {

constexpr int kTrayWaitMs = 5000;     // at login the panel may come up after us
constexpr int kHandOffWaitMs = 10000; // a first instance still starting has no socket yet

void printLine(const QString& line, FILE* to = stdout) {
    std::fputs(line.toUtf8().constData(), to);
    std::fputc('\n', to);
    std::fflush(to);
}

void printActivity(const ActivityEntry& entry) {
    printLine(QStringLiteral("%1 [%2] %3")
                  .arg(entry.date.toDateTime().toLocalTime().toString(Qt::ISODate),
                       toRaw(entry.kind), entry.message));
}

void printAlreadyRunning(qint64 pid) {
    std::fprintf(stderr, "Lumivane is already running (process %lld); not starting a second one.\n",
                 static_cast<long long>(pid));
}

void addOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Fetches new episodes and movies into your library.\n\n"
                       "Commands, for the running instance (see `lumivane <command> --help`):\n") +
        CommandLine::overview());
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(
        {QStringLiteral("headless"),
         QStringLiteral("Run the engine without a window, logging activity to standard output.")});
    parser.addPositionalArgument(QStringLiteral("url"),
                                 QStringLiteral("lumivane://show opens the main window."),
                                 QStringLiteral("[url]"));
}

void setNames() {
    QCoreApplication::setApplicationName(QStringLiteral("Lumivane"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LUMIVANE_VERSION));
    QCoreApplication::setOrganizationName(QString());
}

// The last step of every run: work still in flight when the loop stopped (a request torn down
// with its client, a turn handed on) finishes now that its owners are gone.
int finish(int status) {
    QCoreApplication::processEvents();
    return status;
}

int runHeadless(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    setNames();
    QCommandLineParser parser;
    addOptions(parser);
    parser.process(app);

    UnixSignalWatcher signals({SIGINT, SIGTERM});
    QObject::connect(&signals, &UnixSignalWatcher::received, &app,
                     [] { QCoreApplication::quit(); });

    const StoreEnvironment env = StoreEnvironment::production();
    QDir().mkpath(env.storageFolder);
    InstanceLock lock(env.storageFolder);
    if (!lock.tryLock()) {
        printAlreadyRunning(lock.holder());
        return 1;
    }
    int status = 0;
    {
        EngineSession session(env);
        // A later plain start asks us to show a window we do not have: it is told so.
        InstanceChannel channel([](const QStringList&) { return InstanceChannel::kHeadless; });
        CommandServer commands(session.store().watchlist(), env.storageFolder);
        channel.setCommandHandler([&commands](QLocalSocket* socket, const QByteArray& line) {
            commands.serve(socket, line);
        });
        if (!channel.listen(InstanceChannel::socketPath(env.storageFolder)))
            printLine(
                QStringLiteral("Lumivane cannot listen on %1: %2")
                    .arg(InstanceChannel::socketPath(env.storageFolder), channel.errorString()),
                stderr);
        QObject::connect(&session.store(), &WatchlistStore::activityLogged, &session.store(),
                         printActivity);
        session.begin();
        status = app.exec();
    }
    return finish(status);
}

// `lumivane <command>`: asks the running instance and prints its answer.
int runCommand(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    setNames();
    const CommandLine::Parsed parsed = CommandLine::parse(QCoreApplication::arguments().mid(1));
    if (const auto* help = std::get_if<CommandLine::Help>(&parsed)) {
        std::fputs(help->text.toUtf8().constData(), stdout);
        return 0;
    }
    if (const auto* mistake = std::get_if<CommandLine::Mistake>(&parsed)) {
        printLine(mistake->message, stderr);
        return 2;
    }
    const StoreEnvironment env = StoreEnvironment::production();
    // The lock's holder is alive: an instance that is still starting, not none.
    const QString lockPath = QDir(env.storageFolder).filePath(QStringLiteral("lumivane.lock"));
    const auto starting = [lockPath] {
        qint64 pid = 0;
        QString host, application;
        return QLockFile(lockPath).getLockInfo(&pid, &host, &application) && pid > 0 &&
               ::kill(static_cast<pid_t>(pid), 0) == 0;
    };
    return CommandClient::run(std::get<CommandLine::Run>(parsed),
                              InstanceChannel::socketPath(env.storageFolder), starting);
}

// A later start of the tray application hands its arguments to the running instance.
int handOff(const QString& socketPath, const QStringList& arguments, qint64 holder) {
    const QDeadlineTimer deadline(kHandOffWaitMs);
    while (!deadline.hasExpired()) {
        if (const auto answer = InstanceChannel::ask(socketPath, arguments, 2000)) {
            if (*answer == InstanceChannel::kHeadless) {
                printLine(LaunchEnvironment::headlessRunningMessage(), stderr);
                return 1;
            }
            return 0;
        }
        QThread::msleep(200);
    }
    printAlreadyRunning(holder);
    return 1;
}

int runTray(int argc, char* argv[]) {
    QApplication app(argc, argv);
    setNames();
    QApplication::setQuitOnLastWindowClosed(false);
    QCommandLineParser parser;
    addOptions(parser);
    parser.process(app);

    const StoreEnvironment env = StoreEnvironment::production();
    QDir().mkpath(env.storageFolder);
    const QString socketPath = InstanceChannel::socketPath(env.storageFolder);
    InstanceLock lock(env.storageFolder);
    if (!lock.tryLock())
        return handOff(socketPath, parser.positionalArguments(), lock.holder());

    // exit(), not quit(): a quit first asks every window to close, and the main window only
    // ever hides.
    UnixSignalWatcher signals({SIGINT, SIGTERM});
    QObject::connect(&signals, &UnixSignalWatcher::received, &app,
                     [] { QCoreApplication::exit(0); });

    int status = 0;
    {
        EngineSession session(env);
        WatchlistStore& store = session.store();
        QObject::connect(&store, &WatchlistStore::activityLogged, &store, printActivity);

        Theme theme(store.settings().theme);
        // Without a release feed in endpoints.json, updates come with the system's packages.
        QNetworkAccessManager updateNetwork;
        std::unique_ptr<Updater> updaterOwner;
        if (const auto feed = store.environment().endpoints.updateFeed) {
            auto* feedUpdater =
                new FeedUpdater(*feed, updateNetwork, FeedUpdater::defaultPreferencesFile(),
                                store.environment().clock, QStringLiteral(LUMIVANE_VERSION));
            updaterOwner.reset(feedUpdater);
            QTimer::singleShot(0, feedUpdater, &FeedUpdater::startAutomaticChecks);
        } else {
            updaterOwner = std::make_unique<UnconfiguredUpdater>();
        }
        Updater& updater = *updaterOwner;
        QObject::connect(&updater, &Updater::updateAvailable, &app,
                         [&session](const ReleaseInfo& release, const QString& message) {
                             session.notifier().post(
                                 {QStringLiteral("Lumivane update available"), message,
                                  release.page, false});
                         });
        ImageLoader images(store.environment().endpoints.tmdbImages,
                           QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation))
                               .filePath(QStringLiteral("images")));
        MainViews views(store.watchlist(), theme, images, updater,
                        store.environment().defaultLibraryRoot);
        TrayShell shell(store, theme, updater, views.contentFactory());
        views.setKeepClear([&shell] { return shell.iconArea(); });
        QObject::connect(
            &shell, &TrayShell::quitRequested, &app, [] { QCoreApplication::exit(0); },
            Qt::QueuedConnection);
        session.notifier().setOnTap([&shell] { shell.showMainWindow(); });
        std::unique_ptr<TrayNotifier> balloons;
        session.begin();

        InstanceChannel channel(
            [&shell](const QStringList& arguments) { return shell.handleLaunch(arguments); });
        CommandServer commands(store.watchlist(), env.storageFolder);
        channel.setCommandHandler([&commands](QLocalSocket* socket, const QByteArray& line) {
            commands.serve(socket, line);
        });
        const QStringList launchArguments = parser.positionalArguments();
        auto startShell = [&](TrayShell::Presence presence) {
            shell.start(presence);
            if (presence == TrayShell::Presence::window)
                printLine(LaunchEnvironment::noTrayMessage());
            else {
                // Without a notification service, notices become the tray icon's balloons.
                balloons = std::make_unique<TrayNotifier>(shell.trayIcon());
                balloons->setOnTap([&shell] { shell.showMainWindow(); });
                session.notifier().setFallback(balloons.get());
            }
            if (!launchArguments.isEmpty() &&
                launchRequest(launchArguments) == LaunchRequest::showWindow)
                shell.showMainWindow(); // started by a lumivane://show link
            // Later starts are served once the shell can answer them.
            if (!channel.listen(socketPath))
                printLine(QStringLiteral("Lumivane cannot listen on %1: %2")
                              .arg(socketPath, channel.errorString()),
                          stderr);
        };

        if (QSystemTrayIcon::isSystemTrayAvailable()) {
            startShell(TrayShell::Presence::tray);
        } else {
            auto* poll = new QTimer(&app);
            const QDeadlineTimer deadline(kTrayWaitMs);
            QObject::connect(poll, &QTimer::timeout, &app, [&, poll, deadline] {
                const bool tray = QSystemTrayIcon::isSystemTrayAvailable();
                if (!tray && !deadline.hasExpired())
                    return;
                poll->deleteLater();
                startShell(tray ? TrayShell::Presence::tray : TrayShell::Presence::window);
            });
            poll->start(250);
        }

        status = app.exec();
        // The shell and its balloons go first; a late notice goes to the console.
        session.notifier().setOnTap({});
        session.useConsoleNotices();
    } // the session stops the daemon as it goes
    return finish(status);
}

} // namespace

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (CommandLine::isCommand(arguments))
        return runCommand(argc, argv);
    if (!LaunchEnvironment::startsTrayApplication(arguments))
        return runHeadless(argc, argv);

    // Checked before Qt loads a platform plugin, which would abort without a display.
    const LaunchEnvironment launch =
        LaunchEnvironment::from(QProcessEnvironment::systemEnvironment());
    if (!launch.hasDisplay()) {
        printLine(LaunchEnvironment::noDisplayMessage(), stderr);
        return 1;
    }
    if (launch.prefersXcb())
        qputenv("QT_QPA_PLATFORM", "xcb");
    return runTray(argc, argv);
}
