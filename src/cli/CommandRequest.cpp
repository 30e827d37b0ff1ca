#include "CommandRequest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QStringList>

#include <array>
#include <cmath>
#include <limits>

namespace {

using Kind = CommandRequest::Kind;

// Which arguments each command takes; every other key is refused.
enum Arg : unsigned {
    aTarget = 1U << 0,
    aQuality = 1U << 1,
    aSeason = 1U << 2,
    aTmdb = 1U << 3,
    aYear = 1U << 4,
    aSubscribe = 1U << 5,
    aAsTyped = 1U << 6,
    aFollow = 1U << 7,
};

struct Command {
    Kind kind;
    const char* name;
    unsigned allowed;
    bool needsTarget;
};

constexpr std::array kCommands{
    Command{Kind::status, "status", 0, false},
    Command{Kind::seriesList, "series list", 0, false},
    Command{Kind::seriesAdd, "series add",
            aTarget | aQuality | aSeason | aTmdb | aSubscribe | aAsTyped, true},
    Command{Kind::seriesRemove, "series remove", aTarget, true},
    Command{Kind::seriesSubscribe, "series subscribe", aTarget, true},
    Command{Kind::seriesUnsubscribe, "series unsubscribe", aTarget, true},
    Command{Kind::seriesCheck, "series check", aTarget, true},
    Command{Kind::moviesList, "movies list", 0, false},
    Command{Kind::moviesAdd, "movies add", aTarget | aQuality | aTmdb | aYear | aAsTyped, true},
    Command{Kind::moviesRemove, "movies remove", aTarget, true},
    Command{Kind::check, "check", 0, false},
    Command{Kind::activity, "activity", aFollow, false},
};

const Command* find(Kind kind) {
    for (const Command& c : kCommands)
        if (c.kind == kind)
            return &c;
    return nullptr;
}

struct Key {
    Arg arg;
    const char* key;
};
constexpr std::array kKeys{
    Key{aTarget, "name"},     Key{aQuality, "quality"}, Key{aSeason, "season"},
    Key{aTmdb, "tmdbID"},     Key{aYear, "year"},       Key{aSubscribe, "subscribe"},
    Key{aAsTyped, "asTyped"}, Key{aFollow, "follow"},
};

const QStringList kQualities{"480p", "720p", "1080p", "4K", "any"};

// A whole number in [1, max]; JSON numbers are doubles, so 2.5 and 1e300 are refused here.
std::optional<int> positive(const QJsonValue& v, int max) {
    if (!v.isDouble())
        return std::nullopt;
    const double d = v.toDouble();
    if (!std::isfinite(d) || d < 1 || d > max || std::floor(d) != d)
        return std::nullopt;
    return static_cast<int>(d);
}

} // namespace

QString CommandRequest::name(Kind kind) {
    const Command* c = find(kind);
    return c ? QString::fromLatin1(c->name) : QString();
}

std::optional<CommandRequest::Kind> CommandRequest::kindNamed(const QString& name) {
    for (const Command& c : kCommands)
        if (name == QLatin1String(c.name))
            return c.kind;
    return std::nullopt;
}

QByteArray CommandRequest::encode() const {
    QJsonObject args;
    if (!target.isEmpty())
        args["name"] = target;
    if (quality)
        args["quality"] = *quality;
    if (season)
        args["season"] = *season;
    if (tmdbID)
        args["tmdbID"] = *tmdbID;
    if (year)
        args["year"] = *year;
    if (!subscribe)
        args["subscribe"] = false;
    if (asTyped)
        args["asTyped"] = true;
    if (follow)
        args["follow"] = true;
    QJsonObject request{{"command", name(kind)}};
    if (!args.isEmpty())
        request["arguments"] = args;
    return QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n';
}

std::variant<CommandRequest, QString> CommandRequest::decode(const QByteArray& line) {
    if (line.size() > kMaxBytes)
        return QStringLiteral("The request is larger than %1 bytes.").arg(kMaxBytes);
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(line, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return QStringLiteral("The request is not a JSON object.");
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it)
        if (it.key() != "command" && it.key() != "arguments")
            return QStringLiteral("Unknown field \"%1\" in the request.").arg(it.key());
    const QJsonValue commandValue = object.value("command");
    const auto kind = commandValue.isString() ? kindNamed(commandValue.toString()) : std::nullopt;
    if (!kind)
        return QStringLiteral("Unknown command.");
    const Command& command = *find(*kind);
    const QJsonValue argumentsValue = object.value("arguments");
    if (!argumentsValue.isUndefined() && !argumentsValue.isObject())
        return QStringLiteral("The arguments are not a JSON object.");
    const QJsonObject args = argumentsValue.toObject();

    CommandRequest request;
    request.kind = *kind;
    for (auto it = args.begin(); it != args.end(); ++it) {
        const Key* key = nullptr;
        for (const Key& k : kKeys)
            if (it.key() == QLatin1String(k.key))
                key = &k;
        if (!key || !(command.allowed & key->arg))
            return QStringLiteral("\"%1\" takes no argument \"%2\".")
                .arg(QLatin1String(command.name), it.key());
        const QJsonValue v = it.value();
        const QString bad =
            QStringLiteral("Argument \"%1\" has a wrong value.").arg(QLatin1String(key->key));
        switch (key->arg) {
        case aTarget:
            if (!v.isString() || v.toString().trimmed().isEmpty())
                return bad;
            request.target = v.toString().trimmed();
            break;
        case aQuality:
            if (!v.isString() || !kQualities.contains(v.toString()))
                return bad;
            request.quality = v.toString();
            break;
        case aSeason:
            if (!(request.season = positive(v, 999)))
                return bad;
            break;
        case aTmdb:
            if (!(request.tmdbID = positive(v, std::numeric_limits<int>::max())))
                return bad;
            break;
        case aYear:
            if (!(request.year = positive(v, 9999)))
                return bad;
            break;
        case aSubscribe:
        case aAsTyped:
        case aFollow:
            if (!v.isBool())
                return bad;
            if (key->arg == aSubscribe)
                request.subscribe = v.toBool();
            else if (key->arg == aAsTyped)
                request.asTyped = v.toBool();
            else
                request.follow = v.toBool();
            break;
        }
    }
    if (command.needsTarget && request.target.isEmpty())
        return QStringLiteral("\"%1\" needs a name.").arg(QLatin1String(command.name));
    return request;
}

namespace CommandAnswer {

namespace {
QByteArray line(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}
} // namespace

QByteArray ok(const QString& text, const QJsonValue& data) {
    return line({{"ok", true}, {"exit", success}, {"text", text}, {"data", data}});
}

QByteArray error(const QString& message, Exit exit, const QJsonValue& data) {
    QJsonObject answer{{"ok", false}, {"exit", exit}, {"error", message}};
    if (!data.isNull() && !data.isUndefined())
        answer["data"] = data;
    return line(answer);
}

QByteArray streamed(const QString& text, const QJsonValue& data) {
    return line({{"text", text}, {"data", data}});
}

} // namespace CommandAnswer
