#include "CommandClient.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QThread>

namespace CommandClient {

namespace {

// Streamed lines are small; anything longer is not from us.
constexpr qint64 kAnswerLineCap = 64LL * 1024 * 1024;

void print(FILE* to, const QString& text) {
    if (text.isEmpty())
        return;
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), to);
    if (!text.endsWith(QLatin1Char('\n')))
        std::fputc('\n', to);
    std::fflush(to);
}

void printJson(FILE* to, const QJsonValue& value, QJsonDocument::JsonFormat format) {
    QJsonDocument document;
    if (value.isArray())
        document.setArray(value.toArray());
    else
        document.setObject(value.toObject());
    print(to, QString::fromUtf8(document.toJson(format)));
}

// One answer line; none when the connection ended first or the line is not ours.
std::optional<QJsonObject> readAnswer(QLocalSocket& socket, int timeoutMs) {
    while (!socket.canReadLine()) {
        if (socket.bytesAvailable() > kAnswerLineCap)
            return std::nullopt;
        if (socket.state() != QLocalSocket::ConnectedState && socket.bytesAvailable() == 0)
            return std::nullopt;
        if (!socket.waitForReadyRead(timeoutMs) && !socket.canReadLine())
            return std::nullopt;
    }
    const QJsonDocument document = QJsonDocument::fromJson(socket.readLine());
    if (!document.isObject())
        return std::nullopt;
    return document.object();
}

} // namespace

QString noInstanceMessage() {
    return QStringLiteral("Lumivane is not running. Start it with `lumivane`, or as a service "
                          "with `systemctl --user start lumivane`.");
}

int run(const CommandLine::Run& command, const QString& socketPath,
        const std::function<bool()>& starting, FILE* out, FILE* err) {
    QLocalSocket socket;
    const QDeadlineTimer deadline(kStartWaitMs);
    for (;;) {
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(kConnectWaitMs))
            break;
        if (!starting || !starting() || deadline.hasExpired()) {
            print(err, noInstanceMessage());
            return CommandAnswer::noInstance;
        }
        QThread::msleep(200);
    }
    socket.write(command.request.encode());
    socket.waitForBytesWritten(kConnectWaitMs);

    const auto answer = readAnswer(socket, kAnswerWaitMs);
    if (!answer) {
        print(err, QStringLiteral("The running Lumivane did not answer."));
        return CommandAnswer::failed;
    }
    if (!answer->value("ok").toBool()) {
        print(err, answer->value("error").toString());
        if (command.json) // scripts read why, and the candidates of an ambiguous name
            printJson(out, *answer, QJsonDocument::Indented);
        const int exit = answer->value("exit").toInt(CommandAnswer::failed);
        return exit == CommandAnswer::success ? CommandAnswer::failed : exit;
    }
    const QJsonValue data = answer->value("data");
    if (command.names) {
        for (const QJsonValue& entry : data.toArray())
            print(out, entry.toObject().value("name").toString());
    } else if (command.json && command.request.follow && data.isArray()) {
        for (const QJsonValue& entry : data.toArray()) // one JSON line per log line
            printJson(out, entry, QJsonDocument::Compact);
    } else if (command.json)
        printJson(out, data, QJsonDocument::Indented);
    else
        print(out, answer->value("text").toString());
    if (!command.request.follow)
        return CommandAnswer::success;

    // New lines until we are interrupted, or until the instance goes away.
    for (;;) {
        const auto line = readAnswer(socket, -1);
        if (!line)
            break;
        if (command.json)
            printJson(out, line->value("data"), QJsonDocument::Compact);
        else
            print(out, line->value("text").toString());
    }
    print(err, QStringLiteral("Lumivane stopped; run the command again once it is back."));
    return CommandAnswer::instanceGone;
}

} // namespace CommandClient
