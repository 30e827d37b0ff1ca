#pragma once

#include "DaemonWatchdog.h"
#include "model/Clock.h"
#include "model/EngineHealth.h"
#include "model/ServiceEndpoints.h"
#include "model/Timestamp.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>

class QProcess;
class QTcpSocket;
class QTimer;

struct TransmissionEngineOptions {
    // Holds TransmissionEngine/bin/transmission-daemon; empty when it cannot be determined.
    QString resourceFolder;
    std::chrono::milliseconds restartDelay{2000};
    // How often a daemon that cannot start (missing, not runnable, its port taken) is tried
    // again, so installing it or freeing the port needs no restart of the application.
    std::chrono::milliseconds retryDelay{10000};
    // How a daemon that is up is asked whether it still answers. A whole RPC exchange of the
    // client may take 5 s, so a daemon slower than that already fails the store; three such
    // questions over half a minute leave a busy daemon (a big check, a slow disk) alone.
    DaemonWatchdogTimings watch;
    // A hung daemon asked to exit gets this long to save its state before it is killed.
    std::chrono::milliseconds killGrace{5000};

    // The installed layout: <executable's folder>/../share/lumivane (the build mirrors it).
    static TransmissionEngineOptions production();
};

// Runs the download daemon as a child process: finds the executable among the application's
// resources, kills strays left by an earlier run, starts it with a fixed command line, logs
// its output, and restarts it when it dies unexpectedly or stops answering, a bounded number
// of times. Everything happens on the main thread.
class TransmissionEngine final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TransmissionEngine)

public:
    static constexpr auto kExecutablePath = "TransmissionEngine/bin/transmission-daemon";
    static constexpr auto kStrayKiller = "/usr/bin/pkill";
    static constexpr int kRestartLimit = 5;
    static constexpr double kStableRunSeconds = 60.0;
    static constexpr std::chrono::milliseconds kRestartDelay{2000};

    using Options = TransmissionEngineOptions;

    // `storageFolder` is the application's own data folder; the daemon keeps its configuration
    // in a folder inside it. Ports come from `endpoints`. An empty `downloadDir` leaves the
    // library to setLibraryRoot, which must come before start().
    TransmissionEngine(QString downloadDir, const QString& storageFolder,
                       const ServiceEndpoints& endpoints, std::shared_ptr<const Clock> clock,
                       Options options = Options::production(), QObject* parent = nullptr);
    ~TransmissionEngine() override;

    void start();
    // Asks the daemon to save its state and exit (a signal only when it does not answer);
    // the destructor waits for it to be gone.
    void stop();
    void setLibraryRoot(const QString& root);
    // The daemon's version as it prints it ("3.00", "4.0.6"); none when it cannot be run.
    std::optional<QString> daemonVersion();

    bool isRunning() const { return m_isRunning; }
    bool intentionalStop() const { return m_intentionalStop; }
    int restartAttempts() const { return m_restartAttempts; }
    std::optional<Timestamp> lastStartAt() const { return m_lastStartAt; }
    const QString& configDir() const { return m_configDir; }
    const QString& downloadDir() const { return m_downloadDir; }
    const QString& incompleteDir() const { return m_incompleteDir; }
    QString executablePath() const; // empty when the resource folder is unknown
    QString logFilePath() const;
    // The command line start() uses; the log option depends on the daemon's version.
    QStringList arguments();
    qint64 processId() const; // 0 when no daemon runs
    bool isRestartPending() const;

    // --- health ------------------------------------------------------------------------------
    const EngineHealth& health() const { return m_health; }

Q_SIGNALS:
    void runningChanged(bool running);
    void healthChanged(const EngineHealth& health);

private:
    void killStrays();
    // Lets a daemon go: asks it to close, or terminates it when it does not answer.
    void release(QProcess* process);
    void onFinished(QProcess* process);
    // Replaces a daemon that is alive but no longer answers; it keeps its resume files.
    void onHung();
    void setRunning(bool running);

    // --- health ------------------------------------------------------------------------------
    void setHealth(EngineHealth health);
    // A start that cannot happen now; tried again after the retry delay.
    void failToStart(EngineHealth::Cause cause, const QString& detail);
    bool rpcPortTaken() const;
    void probeListening();
    // Why a daemon ended: the last line of its log, else how it exited.
    QString lastWords(const QProcess& process) const;

    std::shared_ptr<const Clock> m_clock;
    ServiceEndpoints m_endpoints;
    Options m_options;

    bool m_isRunning = false;
    QPointer<QProcess> m_process;
    bool m_intentionalStop = false;
    int m_restartAttempts = 0;
    std::optional<Timestamp> m_lastStartAt;
    QString m_configDir;
    QString m_downloadDir;
    QString m_incompleteDir;

    std::optional<QString> m_version; // read once it could be read
    QTimer* m_restartTimer = nullptr;

    // --- health ------------------------------------------------------------------------------
    EngineHealth m_health;
    QTimer* m_retryTimer = nullptr;  // a start that could not happen, tried again
    QTimer* m_listenTimer = nullptr; // until the daemon accepts connections on its RPC port
    QPointer<QTcpSocket> m_listenProbe;
    DaemonWatchdog* m_watchdog = nullptr;    // while it is running
    std::optional<Timestamp> m_lastAnswerAt; // by the daemon now running, to the watchdog
};
