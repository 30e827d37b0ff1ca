#include "TransmissionEngine.h"

#include "DaemonCloser.h"
#include "model/LibraryLayout.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <unistd.h>

namespace {

// Long enough for the daemon to save its state and tell the trackers goodbye.
constexpr int kShutdownWaitMs = 8000;
// For the daemon to acknowledge a close request on loopback, and between requests.
constexpr std::chrono::milliseconds kCloseRequestBudget{1000};
constexpr int kCloseRetryMs = 1000;
// Set on a daemon process once it has been asked to exit, by request or by signal.
constexpr char kReleasedProperty[] = "lumivaneReleased";
constexpr int kLaunchWaitMs = 5000;
constexpr int kVersionWaitMs = 10000;
constexpr std::chrono::milliseconds kListenProbeInterval{200};
constexpr int kStrayPortWaits = 20; // of 100 ms
constexpr qsizetype kMaxLastWords = 300;
// What a daemon replaced for not answering is said to have done, in place of its last words.
constexpr char kHungWords[] = "it stopped answering";

// Asks a daemon to exit by signal. A stopped process acts on it only once continued.
void terminateProcess(QProcess& process) {
    const qint64 pid = process.processId();
    process.terminate();
    if (pid > 0)
        ::kill(static_cast<pid_t>(pid), SIGCONT);
}

int majorVersion(const QString& version) {
    return version.section(QLatin1Char('.'), 0, 0).toInt();
}

// True when something was killed.
bool killStrayDaemons() {
    QProcess pkill;
    pkill.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    pkill.setStandardOutputFile(QProcess::nullDevice());
    // Only our own user's: on a shared machine another user's Lumivane runs its own daemon.
    pkill.start(QLatin1StringView(TransmissionEngine::kStrayKiller),
                {QStringLiteral("-9"), QStringLiteral("-U"), QString::number(::getuid()),
                 QStringLiteral("-f"), QLatin1StringView(TransmissionEngine::kExecutablePath)});
    if (!pkill.waitForStarted(kLaunchWaitMs))
        return false;
    pkill.waitForFinished(kLaunchWaitMs);
    // Something was killed: give the kernel a moment to free its ports.
    if (pkill.exitStatus() == QProcess::NormalExit && pkill.exitCode() == 0) {
        QThread::msleep(300);
        return true;
    }
    return false;
}

} // namespace

TransmissionEngineOptions TransmissionEngineOptions::production() {
    TransmissionEngineOptions options;
    if (QCoreApplication::instance()) {
        const QString exeDir = QCoreApplication::applicationDirPath();
        if (!exeDir.isEmpty())
            options.resourceFolder = QDir::cleanPath(exeDir + QStringLiteral("/../share/lumivane"));
    }
    return options;
}

TransmissionEngine::TransmissionEngine(QString downloadDir, const QString& storageFolder,
                                       const ServiceEndpoints& endpoints,
                                       std::shared_ptr<const Clock> clock, Options options,
                                       QObject* parent)
    : QObject(parent)
    , m_clock(std::move(clock))
    , m_endpoints(endpoints)
    , m_options(std::move(options))
    , m_configDir(QDir(storageFolder).filePath(QStringLiteral("transmission-config")))
    , m_restartTimer(new QTimer(this)) {
    // Failures surface when the daemon starts.
    QDir().mkpath(m_configDir);
    // Without a library yet, the owner sets it before the start.
    if (!downloadDir.isEmpty())
        setLibraryRoot(downloadDir);

    m_restartTimer->setSingleShot(true);
    m_restartTimer->setTimerType(Qt::PreciseTimer); // a coarse timer may fire early
    m_restartTimer->setInterval(m_options.restartDelay);
    connect(m_restartTimer, &QTimer::timeout, this, [this] {
        if (!m_intentionalStop && !m_isRunning)
            start();
    });

    m_retryTimer = new QTimer(this);
    m_retryTimer->setSingleShot(true);
    m_retryTimer->setInterval(m_options.retryDelay);
    connect(m_retryTimer, &QTimer::timeout, this, [this] {
        if (m_intentionalStop)
            return;
        if (!m_isRunning) {
            start();
            return;
        }
        if (m_health.cause != EngineHealth::Cause::rpcPortTaken)
            return;
        if (rpcPortTaken()) {
            // The daemon tries to bind again by itself: the port may be its own by now.
            if (isDaemonFrom(m_endpoints.rpcPort, m_configDir, kCloseRequestBudget))
                setHealth({EngineHealth::State::running, EngineHealth::Cause::none, {}});
            else
                m_retryTimer->start();
            return;
        }
        // The port is free at last: the daemon that could not take it starts again, and does.
        QProcess* deaf = m_process;
        m_process = nullptr;
        setRunning(false);
        if (deaf)
            release(deaf);
        start();
    });
    m_listenTimer = new QTimer(this);
    m_listenTimer->setInterval(kListenProbeInterval);
    connect(m_listenTimer, &QTimer::timeout, this, &TransmissionEngine::probeListening);

    m_watchdog = new DaemonWatchdog(m_endpoints.rpcPort, m_options.watch, this);
    connect(m_watchdog, &DaemonWatchdog::answered, this,
            [this] { m_lastAnswerAt = m_clock->now(); });
    connect(m_watchdog, &DaemonWatchdog::hung, this, &TransmissionEngine::onHung);
}

TransmissionEngine::~TransmissionEngine() {
    m_restartTimer->stop();
    m_retryTimer->stop();
    m_listenTimer->stop();
    m_watchdog->stop();
    // A daemon we own must not outlive us; give it the chance to shut down cleanly first.
    const auto processes = findChildren<QProcess*>(Qt::FindDirectChildrenOnly);
    for (QProcess* process : processes) {
        process->disconnect(this);
        if (process->state() == QProcess::NotRunning)
            continue;
        if (!process->property(kReleasedProperty).toBool())
            release(process);
        // A close asked for while the daemon was still starting goes unheard (it acknowledges
        // before it listens for it), so it is asked again every second; one that is already
        // closing no longer answers and just gets the time it needs.
        const QDeadlineTimer deadline(kShutdownWaitMs);
        while (!process->waitForFinished(kCloseRetryMs) && !deadline.hasExpired())
            requestDaemonClose(m_endpoints.rpcPort, m_configDir, kCloseRequestBudget);
        if (process->state() == QProcess::NotRunning)
            continue;
        terminateProcess(*process);
        if (!process->waitForFinished(1000)) {
            process->kill();
            process->waitForFinished(1000);
        }
    }
}

QString TransmissionEngine::executablePath() const {
    if (m_options.resourceFolder.isEmpty())
        return {};
    return QDir(m_options.resourceFolder).filePath(QLatin1StringView(kExecutablePath));
}

QString TransmissionEngine::logFilePath() const {
    return QDir(m_configDir).filePath(QStringLiteral("engine.log"));
}

qint64 TransmissionEngine::processId() const {
    return m_process ? m_process->processId() : 0;
}

bool TransmissionEngine::isRestartPending() const {
    return m_restartTimer->isActive();
}

std::optional<QString> TransmissionEngine::daemonVersion() {
    if (m_version)
        return m_version;
    const QString executable = executablePath();
    if (executable.isEmpty() || !QFileInfo(executable).isFile())
        return std::nullopt;

    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(executable, {QStringLiteral("--version")});
    if (!process.waitForStarted(kLaunchWaitMs))
        return std::nullopt;
    if (!process.waitForFinished(kVersionWaitMs)) {
        process.kill();
        process.waitForFinished(1000);
        return std::nullopt;
    }
    const QString output = QString::fromUtf8(process.readAll());
    static const QRegularExpression versionPattern(QStringLiteral("\\d+\\.\\d+(\\.\\d+)?"));
    const QRegularExpressionMatch match = versionPattern.match(output);
    if (!match.hasMatch())
        return std::nullopt;
    m_version = match.captured(0);
    return m_version;
}

QStringList TransmissionEngine::arguments() {
    QStringList args{QStringLiteral("--foreground"),
                     QStringLiteral("--config-dir"),
                     m_configDir,
                     QStringLiteral("--download-dir"),
                     m_downloadDir,
                     QStringLiteral("--incomplete-dir"),
                     m_incompleteDir,
                     QStringLiteral("--rpc-bind-address"),
                     QStringLiteral("127.0.0.1"),
                     QStringLiteral("--port"),
                     QString::number(m_endpoints.rpcPort),
                     QStringLiteral("--peerport"),
                     QString::number(m_endpoints.peerPort),
                     QStringLiteral("--no-auth")};
    // Daemons before 4.0 print their help and exit on --log-level.
    const auto version = daemonVersion();
    if (version && majorVersion(*version) < 4)
        args << QStringLiteral("--log-error");
    else
        args << QStringLiteral("--log-level") << QStringLiteral("warn");
    return args;
}

void TransmissionEngine::setLibraryRoot(const QString& root) {
    m_downloadDir = root;
    m_incompleteDir = LibraryLayout(root).workingFolder();
    QDir().mkpath(m_incompleteDir);
}

void TransmissionEngine::killStrays() {
    killStrayDaemons();
}

void TransmissionEngine::start() {
    if (m_isRunning)
        return;
    m_retryTimer->stop();
    const QString executable = executablePath();
    const QFileInfo file(executable); // follows the link the installation puts there
    if (executable.isEmpty() || !file.exists()) {
        failToStart(EngineHealth::Cause::binaryMissing, executable);
        return;
    }
    if (!file.isFile() || !file.isExecutable()) {
        failToStart(EngineHealth::Cause::notExecutable, executable);
        return;
    }

    const bool killed = killStrayDaemons();
    // A daemon that cannot take its port runs on without RPC and every request fails: that is
    // told, and it is started again once the port is free. A stray just killed on a busy
    // machine may hold the port a little longer than the pause above.
    bool taken = rpcPortTaken();
    for (int wait = 0; taken && killed && wait < kStrayPortWaits; ++wait) {
        QThread::msleep(100);
        taken = rpcPortTaken();
    }

    QDir().mkpath(m_configDir);
    auto* process = new QProcess(this);
    process->setProgram(executable);
    process->setArguments(arguments());
    QFile log(logFilePath());
    if (log.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        log.close();
        process->setProcessChannelMode(QProcess::MergedChannels);
        process->setStandardOutputFile(log.fileName(), QIODevice::Append);
    } else {
        process->setProcessChannelMode(QProcess::ForwardedChannels);
    }
    connect(
        process, &QProcess::finished, this, [this, process] { onFinished(process); },
        Qt::QueuedConnection);

    process->start();
    if (!process->waitForStarted(kLaunchWaitMs)) {
        const QString why = process->errorString();
        process->disconnect(this);
        process->deleteLater();
        failToStart(EngineHealth::Cause::notExecutable,
                    executable + QStringLiteral(" (") + why + QLatin1Char(')'));
        return;
    }
    m_process = process;
    m_intentionalStop = false;
    m_lastStartAt = m_clock->now();
    m_lastAnswerAt.reset();
    setRunning(true);
    if (taken) {
        failToStart(EngineHealth::Cause::rpcPortTaken, QString::number(m_endpoints.rpcPort));
        return;
    }
    setHealth({EngineHealth::State::starting, EngineHealth::Cause::none, {}});
    m_listenTimer->start();
}

void TransmissionEngine::stop() {
    m_intentionalStop = true;
    m_restartTimer->stop();
    m_retryTimer->stop();
    m_listenTimer->stop();
    if (QProcess* process = m_process) {
        m_process = nullptr;
        // It is deleted once it has ended (onFinished), so the destructor never blocks here.
        release(process);
    }
    setRunning(false);
    setHealth({});
}

void TransmissionEngine::release(QProcess* process) {
    process->setProperty(kReleasedProperty, true);
    // Asked over RPC the daemon writes its resume files before it exits; a signal is the
    // fallback for a daemon that does not answer (still starting, or hung).
    if (process->state() == QProcess::Running &&
        requestDaemonClose(m_endpoints.rpcPort, m_configDir, kCloseRequestBudget))
        return;
    terminateProcess(*process);
}

void TransmissionEngine::onHung() {
    QProcess* process = m_process;
    if (!process || m_intentionalStop)
        return;
    // Told while it is down; the restart that follows its end clears it.
    setHealth({EngineHealth::State::stopped, EngineHealth::Cause::stoppedAnswering, {}});
    // Asking it over RPC is pointless. On SIGTERM it still saves its resume files, once it
    // runs again; one that cannot even do that is killed after the grace.
    process->setProperty(kReleasedProperty, true);
    terminateProcess(*process);
    QTimer::singleShot(m_options.killGrace, process, [process] {
        if (process->state() != QProcess::NotRunning)
            process->kill();
    });
}

void TransmissionEngine::onFinished(QProcess* process) {
    process->deleteLater();
    // A daemon we already let go (stopped, or replaced since) changes nothing.
    if (process != m_process)
        return;
    m_process = nullptr;
    m_listenTimer->stop();
    const bool listened = m_health.state == EngineHealth::State::running;
    const bool hung = m_health.cause == EngineHealth::Cause::stoppedAnswering;
    setRunning(false);
    if (m_intentionalStop) {
        setHealth({});
        return;
    }
    // A hung daemon stopped being of use when it last answered, not when it was killed: one
    // that hangs again soon after each start spends the budget like one that keeps exiting.
    const Timestamp ended =
        hung ? m_lastAnswerAt.value_or(m_lastStartAt.value_or(Timestamp{})) : m_clock->now();
    if (m_lastStartAt && ended - *m_lastStartAt > kStableRunSeconds)
        m_restartAttempts = 0;
    const QString words = hung ? QString::fromLatin1(kHungWords) : lastWords(*process);
    if (m_restartAttempts < kRestartLimit) {
        ++m_restartAttempts;
        m_restartTimer->start();
        // A daemon that had got going and died is restarted quietly; one that never listened
        // will most likely fail again for the same reason. A hung one stays told until the
        // restart.
        if (listened)
            setHealth({EngineHealth::State::starting, EngineHealth::Cause::none, {}});
        else if (!hung)
            setHealth({EngineHealth::State::stopped, EngineHealth::Cause::exitedAtStart, words});
        return;
    }
    setHealth({EngineHealth::State::stopped, EngineHealth::Cause::restartsGivenUp, words});
}

void TransmissionEngine::setRunning(bool running) {
    if (m_isRunning == running)
        return;
    m_isRunning = running;
    Q_EMIT runningChanged(running);
}

// --- health ------------------------------------------------------------------------------------

void TransmissionEngine::setHealth(EngineHealth health) {
    if (m_health == health)
        return;
    m_health = std::move(health);
    // Only a daemon that listens is asked whether it answers; starting up is the listen
    // probe's business.
    if (m_health.state != EngineHealth::State::running)
        m_watchdog->stop();
    else if (!m_watchdog->isWatching())
        m_watchdog->watch();
    Q_EMIT healthChanged(m_health);
}

void TransmissionEngine::failToStart(EngineHealth::Cause cause, const QString& detail) {
    setHealth({EngineHealth::State::stopped, cause, detail});
    if (!m_intentionalStop)
        m_retryTimer->start();
}

bool TransmissionEngine::rpcPortTaken() const {
    QTcpServer probe;
    if (probe.listen(QHostAddress::LocalHost, m_endpoints.rpcPort))
        return false;
    return probe.serverError() == QAbstractSocket::AddressInUseError;
}

void TransmissionEngine::probeListening() {
    if (m_listenProbe)
        return; // the last attempt is still on its way
    auto* socket = new QTcpSocket(this);
    m_listenProbe = socket;
    connect(socket, &QTcpSocket::connected, this, [this, socket] {
        socket->abort();
        socket->deleteLater();
        if (!m_isRunning)
            return;
        m_listenTimer->stop();
        setHealth({EngineHealth::State::running, EngineHealth::Cause::none, {}});
    });
    connect(socket, &QTcpSocket::errorOccurred, this, [socket] { socket->deleteLater(); });
    socket->connectToHost(QHostAddress::LocalHost, m_endpoints.rpcPort);
}

QString TransmissionEngine::lastWords(const QProcess& process) const {
    QFile log(logFilePath());
    if (log.open(QIODevice::ReadOnly)) {
        // The end is enough: the reason is the last thing a daemon says.
        if (log.size() > 16384)
            log.seek(log.size() - 16384);
        const QStringList lines = QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'));
        for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
            // Lines start with the daemon's own time stamp: "[2026-01-02 10:00:00.123] …".
            static const QRegularExpression stamp(QStringLiteral(R"(^\[[^\]]*\]\s*)"));
            QString line = it->trimmed().remove(stamp).trimmed();
            if (line.isEmpty())
                continue;
            if (line.size() > kMaxLastWords)
                line = line.left(kMaxLastWords - 1) + QChar(0x2026);
            return line;
        }
    }
    if (process.exitStatus() == QProcess::CrashExit)
        return QStringLiteral("it was killed");
    return QStringLiteral("it exited with status %1").arg(process.exitCode());
}
