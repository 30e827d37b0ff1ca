#include "TransmissionEngine.h"

#include "DaemonCloser.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

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

int majorVersion(const QString& version) {
    return version.section(QLatin1Char('.'), 0, 0).toInt();
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
    , m_downloadDir(std::move(downloadDir))
    , m_incompleteDir(QDir(m_downloadDir).filePath(QStringLiteral("Incomplete")))
    , m_restartTimer(new QTimer(this)) {
    // Failures surface when the daemon starts.
    QDir().mkpath(m_configDir);
    QDir().mkpath(m_incompleteDir);

    m_restartTimer->setSingleShot(true);
    m_restartTimer->setTimerType(Qt::PreciseTimer); // a coarse timer may fire early
    m_restartTimer->setInterval(m_options.restartDelay);
    connect(m_restartTimer, &QTimer::timeout, this, [this] {
        if (!m_intentionalStop && !m_isRunning)
            start();
    });
}

TransmissionEngine::~TransmissionEngine() {
    m_restartTimer->stop();
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
        process->terminate();
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
    m_incompleteDir = QDir(root).filePath(QStringLiteral("Incomplete"));
    QDir().mkpath(m_incompleteDir);
}

void TransmissionEngine::killStrays() {
    QProcess pkill;
    pkill.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    pkill.setStandardOutputFile(QProcess::nullDevice());
    // Only our own user's: on a shared machine another user's Lumivane runs its own daemon.
    pkill.start(QLatin1StringView(kStrayKiller),
                {QStringLiteral("-9"), QStringLiteral("-U"), QString::number(::getuid()),
                 QStringLiteral("-f"), QLatin1StringView(kExecutablePath)});
    if (!pkill.waitForStarted(kLaunchWaitMs))
        return;
    pkill.waitForFinished(kLaunchWaitMs);
    // Something was killed: give the kernel a moment to free its ports.
    if (pkill.exitStatus() == QProcess::NormalExit && pkill.exitCode() == 0)
        QThread::msleep(300);
}

void TransmissionEngine::start() {
    if (m_isRunning)
        return;
    const QString executable = executablePath();
    if (executable.isEmpty() || !QFileInfo(executable).isFile())
        return;

    killStrays();

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
        process->disconnect(this);
        process->deleteLater();
        return;
    }
    m_process = process;
    m_intentionalStop = false;
    m_lastStartAt = m_clock->now();
    setRunning(true);
}

void TransmissionEngine::stop() {
    m_intentionalStop = true;
    m_restartTimer->stop();
    if (QProcess* process = m_process) {
        m_process = nullptr;
        // It is deleted once it has ended (onFinished), so the destructor never blocks here.
        release(process);
    }
    setRunning(false);
}

void TransmissionEngine::release(QProcess* process) {
    process->setProperty(kReleasedProperty, true);
    // Asked over RPC the daemon writes its resume files before it exits; a signal is the
    // fallback for a daemon that does not answer (still starting, or hung).
    if (process->state() == QProcess::Running &&
        requestDaemonClose(m_endpoints.rpcPort, m_configDir, kCloseRequestBudget))
        return;
    process->terminate();
}

void TransmissionEngine::onFinished(QProcess* process) {
    process->deleteLater();
    // A daemon we already let go (stopped, or replaced since) changes nothing.
    if (process != m_process)
        return;
    m_process = nullptr;
    setRunning(false);
    if (m_intentionalStop)
        return;
    if (m_lastStartAt && m_clock->now() - *m_lastStartAt > kStableRunSeconds)
        m_restartAttempts = 0;
    if (m_restartAttempts < kRestartLimit) {
        ++m_restartAttempts;
        m_restartTimer->start();
    }
}

void TransmissionEngine::setRunning(bool running) {
    if (m_isRunning == running)
        return;
    m_isRunning = running;
    Q_EMIT runningChanged(running);
}
