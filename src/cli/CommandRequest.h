#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>
#include <variant>

// One command from `lumivane <command>` to the running instance, as it travels over the
// instance's local socket: a single line holding a JSON object,
//   {"command":"series add","arguments":{"name":"Severance","quality":"720p"}}
// A start-up hand-off is a JSON array instead, so neither is ever taken for the other.
struct CommandRequest {
    enum class Kind {
        status,
        seriesList,
        seriesAdd,
        seriesRemove,
        seriesSubscribe,
        seriesUnsubscribe,
        seriesCheck,
        moviesList,
        moviesAdd,
        moviesRemove,
        check,
        activity,
    };

    // Anything longer is not a request this program sends.
    static constexpr qsizetype kMaxBytes = 16 * 1024;

    Kind kind = Kind::status;
    QString target;                 // the name, title or id the command is about
    std::optional<QString> quality; // "480p", "720p", "1080p", "4K" or "any"
    std::optional<int> season;
    std::optional<int> tmdbID;
    std::optional<int> year;
    bool subscribe = true;
    bool asTyped = false;
    bool follow = false;

    bool operator==(const CommandRequest&) const = default;

    // The command's words ("series add") and back.
    static QString name(Kind kind);
    static std::optional<Kind> kindNamed(const QString& name);

    // The line to send, newline included.
    QByteArray encode() const;
    // A received line (without its newline); the error says what is wrong with it.
    static std::variant<CommandRequest, QString> decode(const QByteArray& line);
};

// Answers, one JSON object per line. The first always says how it went:
//   {"ok":true,"exit":0,"text":"…","data":…}   or   {"ok":false,"exit":2,"error":"…","data":…}
// `activity --follow` then sends {"text":"…","data":{…}} for every new line.
namespace CommandAnswer {
enum Exit { success = 0, failed = 1, noMatch = 2, noInstance = 3, instanceGone = 4 };

QByteArray ok(const QString& text, const QJsonValue& data);
// `data` carries what a script may act on, such as the candidates for an ambiguous name.
QByteArray error(const QString& message, Exit exit = failed, const QJsonValue& data = {});
QByteArray streamed(const QString& text, const QJsonValue& data);
} // namespace CommandAnswer
