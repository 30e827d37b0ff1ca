#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QLocalServer;
class QLocalSocket;

// The hand-off between a running Lumivane and a later start: the later one sends its
// arguments over a local socket only this user can reach and reads one answer line.
//
// Request: the arguments as a JSON array of strings, then a newline.
// Answer: "shown" (the window is on screen now), "ignored" (nothing asked of us), or
// "headless" (this instance has no window to show).
//
// Any other first line is a command from `lumivane <command>` and goes to the command handler,
// which then owns the connection. Connections from another user are closed unanswered.
class InstanceChannel final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(InstanceChannel)

public:
    using Handler = std::function<QByteArray(const QStringList& arguments)>;
    using CommandHandler = std::function<void(QLocalSocket* socket, const QByteArray& line)>;

    static inline const QByteArray kShown = "shown";
    static inline const QByteArray kIgnored = "ignored";
    static inline const QByteArray kHeadless = "headless";

    explicit InstanceChannel(Handler handler, QObject* parent = nullptr);
    ~InstanceChannel() override;

    void setCommandHandler(CommandHandler handler) { m_commands = std::move(handler); }

    // The socket for the instance whose data lives in `storageFolder`: inside it when the
    // path fits a socket address, else in the runtime folder under a name derived from it.
    static QString socketPath(const QString& storageFolder);

    // Only the instance holding the lock listens, so a socket already there was left by one
    // that was killed: it is replaced, and what that kill left of an earlier listen is removed.
    bool listen(const QString& path);
    QString errorString() const;

    // Whether the process at the other end of a connected local socket runs as this user.
    static bool peerIsThisUser(qintptr socketDescriptor);

    // The running instance's answer, or none when nobody answered within `timeoutMs`.
    static std::optional<QByteArray> ask(const QString& path, const QStringList& arguments,
                                         int timeoutMs);

private:
    void serve();

    Handler m_handler;
    CommandHandler m_commands;
    QLocalServer* m_server;
    QString m_folderError;
};
