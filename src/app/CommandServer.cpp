#include "CommandServer.h"

#include "model/RecordCodecs.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QPointer>

namespace {

using Answer = CommandAnswer::Exit;

template <typename T>
QJsonObject record(const T& value) {
    return QJsonDocument::fromJson(encodeDocument(value)).object();
}

void answer(QLocalSocket* socket, const QByteArray& bytes) {
    socket->write(bytes);
    socket->disconnectFromServer(); // after what is written has gone
}

QString activityLine(const ActivityEntry& entry) {
    return QStringLiteral("%1 [%2] %3")
        .arg(entry.date.toDateTime().toLocalTime().toString(Qt::ISODate), toRaw(entry.kind),
             entry.message);
}

QString lookupFailure(LookupFailure failure) {
    switch (failure) {
    case LookupFailure::none:
        break;
    case LookupFailure::noKey:
        return QStringLiteral("No TMDB key is set, so names cannot be looked up.");
    case LookupFailure::refusedKey:
        return QStringLiteral("TMDB refused the API key.");
    case LookupFailure::unreachable:
        return QStringLiteral("TMDB could not be reached.");
    case LookupFailure::badAnswer:
        return QStringLiteral("TMDB gave an answer that could not be read.");
    }
    return {};
}

QString engineState(EngineHealth::State state) {
    switch (state) {
    case EngineHealth::State::starting:
        return QStringLiteral("starting");
    case EngineHealth::State::running:
        return QStringLiteral("running");
    case EngineHealth::State::stopped:
        return QStringLiteral("stopped");
    }
    return {};
}

QString engineCause(EngineHealth::Cause cause) {
    switch (cause) {
    case EngineHealth::Cause::none:
        return QStringLiteral("none");
    case EngineHealth::Cause::binaryMissing:
        return QStringLiteral("transmission-daemon is missing");
    case EngineHealth::Cause::notExecutable:
        return QStringLiteral("transmission-daemon cannot be run");
    case EngineHealth::Cause::exitedAtStart:
        return QStringLiteral("it ended at start");
    case EngineHealth::Cause::rpcPortTaken:
        return QStringLiteral("its RPC port is taken");
    case EngineHealth::Cause::restartsGivenUp:
        return QStringLiteral("it kept ending; no more restarts");
    case EngineHealth::Cause::stoppedAnswering:
        return QStringLiteral("it stopped answering and is being replaced");
    }
    return {};
}

QString qualityText(Show::Quality quality, bool any) {
    return any ? QStringLiteral("any resolution") : toRaw(quality);
}

// The one result a name resolves to: the only one, or a first one named like the input.
template <typename Result, typename NameOf>
std::optional<Result> resolve(const QList<Result>& results, const QString& typed, NameOf nameOf) {
    if (results.size() == 1)
        return results.first();
    if (!results.isEmpty() &&
        nameOf(results.first()).compare(typed.trimmed(), Qt::CaseInsensitive) == 0)
        return results.first();
    return std::nullopt;
}

} // namespace

CommandServer::CommandServer(Watchlist watchlist, QString storageFolder, QObject* parent)
    : QObject(parent)
    , m_watchlist(watchlist)
    , m_storageFolder(std::move(storageFolder)) {}

void CommandServer::serve(QLocalSocket* socket, const QByteArray& line) {
    const auto decoded = CommandRequest::decode(line);
    if (const QString* error = std::get_if<QString>(&decoded)) {
        answer(socket, CommandAnswer::error(*error));
        return;
    }
    const CommandRequest& request = std::get<CommandRequest>(decoded);
    using Kind = CommandRequest::Kind;
    switch (request.kind) {
    case Kind::status:
        return answer(socket, status());
    case Kind::seriesList:
        return answer(socket, seriesList());
    case Kind::moviesList:
        return answer(socket, moviesList());
    case Kind::seriesAdd:
        addSeries(socket, request);
        return;
    case Kind::moviesAdd:
        addMovie(socket, request);
        return;
    case Kind::seriesRemove:
    case Kind::seriesSubscribe:
    case Kind::seriesUnsubscribe:
    case Kind::seriesCheck:
        return answer(socket, changeSeries(request));
    case Kind::moviesRemove:
        return answer(socket, removeMovie(request));
    case Kind::check:
        return answer(socket, check());
    case Kind::activity:
        if (!request.follow)
            return answer(socket, activity());
        socket->write(activity());
        follow(socket);
        return;
    }
}

QByteArray CommandServer::status() const {
    const PublishedState& state = m_watchlist.state;
    QStringList text;
    QJsonObject data;

    data["checking"] = state.isChecking();
    data["secondsUntilNextCheck"] = state.secondsUntilNextCheck();
    if (state.isChecking()) {
        text << QStringLiteral("Checking now.");
    } else {
        const int s = state.secondsUntilNextCheck();
        text << QStringLiteral("Next check in %1:%2.")
                    .arg(s / 60)
                    .arg(s % 60, 2, 10, QLatin1Char('0'));
    }

    const EngineHealth& engine = state.engineHealth();
    const std::optional<QString> version = state.daemonVersion();
    data["engine"] = QJsonObject{{"state", engineState(engine.state)},
                                 {"cause", engineCause(engine.cause)},
                                 {"detail", engine.detail},
                                 {"version", version ? QJsonValue(*version) : QJsonValue()}};
    QString engineLine = QStringLiteral("Download engine: %1").arg(engineState(engine.state));
    if (engine.cause != EngineHealth::Cause::none)
        engineLine += QStringLiteral(" (%1%2)").arg(
            engineCause(engine.cause),
            engine.detail.isEmpty() ? QString() : QStringLiteral(": ") + engine.detail);
    engineLine += version ? QStringLiteral(", transmission-daemon %1.").arg(*version)
                          : QStringLiteral(", transmission-daemon cannot be run.");
    text << engineLine;

    const SearchHealth& search = state.searchHealth();
    data["search"] =
        QJsonObject{{"silentIndexes", QJsonArray::fromStringList(search.silentIndexes)},
                    {"tmdbKeyAccepted", !search.tmdbKeyRefused},
                    {"tmdbReachable", !search.tmdbUnreachable},
                    {"tmdbKeySet", m_watchlist.catalogue.hasKey()}};
    text << (search.indexesDown() ? QStringLiteral("Indexes: none answered the last check (%1).")
                                        .arg(search.silentIndexes.join(QStringLiteral(", ")))
                                  : QStringLiteral("Indexes: answering."));
    text << (!m_watchlist.catalogue.hasKey() ? QStringLiteral("TMDB: no API key set.")
             : search.tmdbKeyRefused         ? QStringLiteral("TMDB: the API key was refused.")
             : search.tmdbUnreachable        ? QStringLiteral("TMDB: not reachable.")
                                             : QStringLiteral("TMDB: key accepted."));

    QJsonArray downloads;
    for (const DownloadRecord& row : state.inProgressDownloads()) {
        if (!state.activeDownloads().contains(row.id))
            continue;
        QJsonObject entry = record(row);
        const bool stuck = row.stuckSince.has_value();
        entry["stalled"] = stuck;
        downloads.append(entry);
        text << QStringLiteral("Downloading %1 %2: %3%, %4 peers%5.")
                    .arg(row.showName, row.episode)
                    .arg(qRound(row.progress * 100))
                    .arg(row.peers)
                    .arg(stuck ? QStringLiteral(", stalled") : QString());
    }
    if (downloads.isEmpty())
        text << QStringLiteral("No downloads in progress.");
    data["downloads"] = downloads;

    const QString library = state.rootFolderURL().toLocalFile();
    data["storageFolder"] = m_storageFolder;
    data["libraryFolder"] = library;
    text << QStringLiteral("Storage folder: %1").arg(m_storageFolder)
         << QStringLiteral("Library folder: %1").arg(library);
    return CommandAnswer::ok(text.join(QLatin1Char('\n')), data);
}

QByteArray CommandServer::seriesList() const {
    QJsonArray data;
    QStringList text;
    for (const Show& show : m_watchlist.state.shows()) {
        data.append(record(show));
        QString line = show.name;
        if (show.firstAirYear)
            line += QStringLiteral(" (%1)").arg(*show.firstAirYear);
        line +=
            show.isEnabled ? QStringLiteral(" — subscribed") : QStringLiteral(" — not subscribed");
        line += QStringLiteral(", ") + qualityText(show.quality, show.anyQuality);
        if (!show.downloadedEpisodes.isEmpty())
            line += QStringLiteral(", latest %1").arg(show.downloadedEpisodes.first());
        if (show.status.state != ShowStatus::State::idle)
            line += QStringLiteral(", %1").arg(toRaw(show.status.state));
        text << line;
    }
    if (text.isEmpty())
        text << QStringLiteral("No series on the watchlist.");
    return CommandAnswer::ok(text.join(QLatin1Char('\n')), data);
}

QByteArray CommandServer::moviesList() const {
    QJsonArray data;
    QStringList text;
    for (const Movie& movie : m_watchlist.state.movies()) {
        data.append(record(movie));
        text << movie.displayTitle() +
                    (movie.downloaded ? QStringLiteral(" — downloaded")
                                      : QStringLiteral(" — wanted, %1")
                                            .arg(qualityText(movie.quality, movie.anyQuality)));
    }
    if (text.isEmpty())
        text << QStringLiteral("No movies on the watchlist.");
    return CommandAnswer::ok(text.join(QLatin1Char('\n')), data);
}

QByteArray CommandServer::activity() const {
    QJsonArray data;
    QStringList text;
    const QList<ActivityEntry>& log = m_watchlist.state.activity(); // newest first
    for (auto it = log.crbegin(); it != log.crend(); ++it) {
        data.append(record(*it));
        text << activityLine(*it);
    }
    return CommandAnswer::ok(text.join(QLatin1Char('\n')), data);
}

void CommandServer::follow(QLocalSocket* socket) {
    connect(&m_watchlist.state, &PublishedState::activityLogged, socket,
            [socket](const ActivityEntry& entry) {
                // A reader that stopped reading must not make us hold the log in memory.
                if (socket->bytesToWrite() > kFollowBufferCap) {
                    socket->abort();
                    return;
                }
                socket->write(CommandAnswer::streamed(activityLine(entry), record(entry)));
            });
}

QByteArray CommandServer::check() {
    if (m_watchlist.state.isChecking())
        return CommandAnswer::ok(QStringLiteral("A check is already running."),
                                 QJsonObject{{"started", false}});
    m_watchlist.operations.runCheck(true);
    return CommandAnswer::ok(QStringLiteral("Check started."), QJsonObject{{"started", true}});
}

CommandServer::Found CommandServer::findShow(const QString& target) const {
    const QList<Show>& shows = m_watchlist.state.shows();
    const QUuid uuid = QUuid::fromString(target);
    QList<const Show*> matches;
    for (const Show& show : shows)
        if ((!uuid.isNull() && show.id == uuid) ||
            show.name.compare(target, Qt::CaseInsensitive) == 0)
            matches << &show;
    if (matches.isEmpty()) {
        // A TMDB id is a last resort: a series may be named with digits.
        bool isNumber = false;
        const int tmdb = target.toInt(&isNumber);
        for (const Show& show : shows)
            if (isNumber && show.tmdbID == tmdb)
                matches << &show;
    }
    if (matches.size() == 1)
        return matches.first();
    if (matches.isEmpty())
        return CommandAnswer::error(
            QStringLiteral("No series on the watchlist is named \"%1\".").arg(target),
            Answer::noMatch);
    QStringList ids;
    for (const Show* show : matches)
        ids << QStringLiteral("  %1  %2").arg(show->id.toString(QUuid::WithoutBraces), show->name);
    return CommandAnswer::error(
        QStringLiteral("Several series are named \"%1\"; give the id of one:\n%2")
            .arg(target, ids.join(QLatin1Char('\n'))),
        Answer::noMatch);
}

CommandServer::FoundMovie CommandServer::findMovie(const QString& target) const {
    const QUuid uuid = QUuid::fromString(target);
    QList<const Movie*> matches;
    for (const Movie& movie : m_watchlist.state.movies())
        if ((!uuid.isNull() && movie.id == uuid) ||
            movie.name.compare(target, Qt::CaseInsensitive) == 0 ||
            movie.displayTitle().compare(target, Qt::CaseInsensitive) == 0)
            matches << &movie;
    if (matches.size() == 1)
        return matches.first();
    if (matches.isEmpty())
        return CommandAnswer::error(
            QStringLiteral("No movie on the watchlist is named \"%1\".").arg(target),
            Answer::noMatch);
    QStringList ids;
    for (const Movie* movie : matches)
        ids << QStringLiteral("  %1  %2")
                   .arg(movie->id.toString(QUuid::WithoutBraces), movie->displayTitle());
    return CommandAnswer::error(
        QStringLiteral("Several movies are named \"%1\"; give the id of one:\n%2")
            .arg(target, ids.join(QLatin1Char('\n'))),
        Answer::noMatch);
}

QByteArray CommandServer::changeSeries(const CommandRequest& request) {
    const Found found = findShow(request.target);
    if (const QByteArray* error = std::get_if<QByteArray>(&found))
        return *error;
    const Show& show = *std::get<const Show*>(found);
    const QUuid id = show.id;
    const QString name = show.name;
    WatchlistOperations& operations = m_watchlist.operations;
    using Kind = CommandRequest::Kind;
    QString text;
    switch (request.kind) {
    case Kind::seriesRemove:
        operations.removeShow(id);
        text = QStringLiteral("Removed \"%1\".").arg(name);
        break;
    case Kind::seriesSubscribe:
        operations.setSubscribed(id, true);
        text = QStringLiteral("Subscribed to \"%1\".").arg(name);
        break;
    case Kind::seriesUnsubscribe:
        operations.setSubscribed(id, false);
        text = QStringLiteral("Unsubscribed from \"%1\".").arg(name);
        break;
    case Kind::seriesCheck:
        if (!show.isEnabled)
            return CommandAnswer::error(
                QStringLiteral("\"%1\" is not subscribed; subscribe to it first.").arg(name));
        operations.searchNow(id);
        // The engine holds back a search for an episode that has not aired yet.
        text = m_watchlist.state.isSearchingNow(id)
                   ? QStringLiteral("Searching for \"%1\" now.").arg(name)
                   : QStringLiteral("Nothing of \"%1\" to search for yet: its next episode has "
                                    "not aired.")
                         .arg(name);
        break;
    default:
        return CommandAnswer::error(QStringLiteral("Unknown command."));
    }
    const Show* after = m_watchlist.state.show(id);
    return CommandAnswer::ok(
        text, after ? QJsonValue(record(*after))
                    : QJsonValue(QJsonObject{{"id", id.toString(QUuid::WithoutBraces)}}));
}

QByteArray CommandServer::removeMovie(const CommandRequest& request) {
    const FoundMovie found = findMovie(request.target);
    if (const QByteArray* error = std::get_if<QByteArray>(&found))
        return *error;
    const Movie& movie = *std::get<const Movie*>(found);
    const QUuid id = movie.id;
    const QString title = movie.displayTitle();
    m_watchlist.operations.removeMovie(id);
    return CommandAnswer::ok(QStringLiteral("Removed \"%1\".").arg(title),
                             QJsonObject{{"id", id.toString(QUuid::WithoutBraces)}});
}

QCoro::Task<> CommandServer::addSeries(QLocalSocket* socket, CommandRequest request) {
    const QString typed = request.target;
    for (const Show& show : m_watchlist.state.shows())
        if (show.name.compare(typed, Qt::CaseInsensitive) == 0) {
            answer(socket,
                   CommandAnswer::error(
                       QStringLiteral("\"%1\" is already on the watchlist.").arg(show.name)));
            co_return;
        }

    WatchlistOperations::NewShow form;
    form.name = typed;
    const std::optional<QString> quality = request.quality;
    if (quality == QStringLiteral("any"))
        form.anyQuality = true;
    else if (quality)
        form.quality = fromRaw<Show::Quality>(*quality).value_or(form.quality);
    else
        form.quality = m_watchlist.state.settings().defaultQuality;
    form.startWithLatest = request.subscribe;
    if (request.season) {
        form.seasonText = QString::number(*request.season);
        form.pullEntireSeason = true;
    }

    QPointer<CommandServer> self(this);
    QPointer<QLocalSocket> client(socket);
    if (m_watchlist.catalogue.hasKey() || !request.asTyped) {
        const auto lookup = co_await m_watchlist.catalogue.searchSeries(typed);
        if (!self || !client)
            co_return; // nobody is waiting for the answer: nothing is added half-asked
        // Asked to take the name as typed, a failed lookup does not stand in the way.
        if (lookup.failure != LookupFailure::none && !request.asTyped) {
            answer(socket, CommandAnswer::error(lookupFailure(lookup.failure) +
                                                QStringLiteral(" Nothing was added.")));
            co_return;
        }
        const QList<SeriesResult>& results = lookup.value;
        if (request.tmdbID) {
            for (const SeriesResult& r : results)
                if (r.id == *request.tmdbID)
                    form.match = r;
            if (!form.match) {
                answer(socket, CommandAnswer::error(
                                   QStringLiteral("No TMDB match for \"%1\" has the id %2.")
                                       .arg(typed)
                                       .arg(*request.tmdbID),
                                   Answer::noMatch));
                co_return;
            }
        } else if (!results.isEmpty()) {
            form.match = resolve(results, typed, [](const SeriesResult& r) { return r.name; });
            if (!form.match) {
                QStringList lines;
                QJsonArray candidates;
                for (const SeriesResult& r : results) {
                    lines << QStringLiteral("  %1 (%2)  --tmdb-id %3")
                                 .arg(r.name, r.firstAirYear.value_or(QStringLiteral("?")))
                                 .arg(r.id);
                    candidates.append(
                        QJsonObject{{"name", r.name},
                                    {"firstAirYear", r.firstAirYear.value_or(QString())},
                                    {"tmdbID", r.id}});
                }
                answer(socket, CommandAnswer::error(
                                   QStringLiteral("Several series on TMDB match \"%1\"; choose one "
                                                  "with --tmdb-id:\n%2")
                                       .arg(typed, lines.join(QLatin1Char('\n'))),
                                   Answer::noMatch, QJsonObject{{"candidates", candidates}}));
                co_return;
            }
        } else if (!request.asTyped) {
            answer(socket,
                   CommandAnswer::error(
                       QStringLiteral("TMDB knows no series named \"%1\"; add --as-typed to "
                                      "add it as typed.")
                           .arg(typed),
                       Answer::noMatch));
            co_return;
        }
    }
    // The wait may have let the same series in by another way.
    for (const Show& show : m_watchlist.state.shows())
        if ((form.match && show.tmdbID == form.match->id) ||
            show.name.compare(form.match ? form.match->name : typed, Qt::CaseInsensitive) == 0) {
            answer(socket,
                   CommandAnswer::error(
                       QStringLiteral("\"%1\" is already on the watchlist.").arg(show.name)));
            co_return;
        }
    const QUuid id = m_watchlist.operations.addShow(form);
    const Show* added = m_watchlist.state.show(id);
    if (!added) {
        answer(socket, CommandAnswer::error(QStringLiteral("The series could not be added.")));
        co_return;
    }
    QString text = QStringLiteral("Added \"%1\"").arg(added->name);
    if (added->tmdbID)
        text += QStringLiteral(" (TMDB %1)").arg(*added->tmdbID);
    text +=
        added->isEnabled ? QStringLiteral(", subscribed.") : QStringLiteral(", not subscribed.");
    answer(socket, CommandAnswer::ok(text, record(*added)));
}

QCoro::Task<> CommandServer::addMovie(QLocalSocket* socket, CommandRequest request) {
    const QString typed = request.target;
    Show::Quality quality = m_watchlist.state.settings().defaultQuality;
    bool any = false;
    if (request.quality == QStringLiteral("any"))
        any = true;
    else if (request.quality)
        quality = fromRaw<Show::Quality>(*request.quality).value_or(quality);

    std::optional<MovieResult> match;
    QPointer<CommandServer> self(this);
    QPointer<QLocalSocket> client(socket);
    if (m_watchlist.catalogue.hasKey() || !request.asTyped) {
        const auto lookup = co_await m_watchlist.catalogue.searchMovies(typed);
        if (!self || !client)
            co_return;
        // Asked to take the name as typed, a failed lookup does not stand in the way.
        if (lookup.failure != LookupFailure::none && !request.asTyped) {
            answer(socket, CommandAnswer::error(lookupFailure(lookup.failure) +
                                                QStringLiteral(" Nothing was added.")));
            co_return;
        }
        QList<MovieResult> results = lookup.value;
        if (request.year)
            results.removeIf(
                [&](const MovieResult& r) { return r.year != QString::number(*request.year); });
        if (request.tmdbID) {
            for (const MovieResult& r : results)
                if (r.id == *request.tmdbID)
                    match = r;
            if (!match) {
                answer(socket, CommandAnswer::error(
                                   QStringLiteral("No TMDB match for \"%1\" has the id %2.")
                                       .arg(typed)
                                       .arg(*request.tmdbID),
                                   Answer::noMatch));
                co_return;
            }
        } else if (!results.isEmpty()) {
            match = resolve(results, typed, [](const MovieResult& r) { return r.title; });
            if (!match) {
                QStringList lines;
                QJsonArray candidates;
                for (const MovieResult& r : results) {
                    lines << QStringLiteral("  %1 (%2)  --tmdb-id %3")
                                 .arg(r.title, r.year.value_or(QStringLiteral("?")))
                                 .arg(r.id);
                    candidates.append(QJsonObject{{"title", r.title},
                                                  {"year", r.year.value_or(QString())},
                                                  {"tmdbID", r.id}});
                }
                answer(socket, CommandAnswer::error(
                                   QStringLiteral("Several movies on TMDB match \"%1\"; choose one "
                                                  "with --tmdb-id or --year:\n%2")
                                       .arg(typed, lines.join(QLatin1Char('\n'))),
                                   Answer::noMatch, QJsonObject{{"candidates", candidates}}));
                co_return;
            }
        } else if (!request.asTyped) {
            answer(socket, CommandAnswer::error(
                               QStringLiteral("TMDB knows no movie named \"%1\"; add --as-typed to "
                                              "add it as typed.")
                                   .arg(typed),
                               Answer::noMatch));
            co_return;
        }
    }
    const QUuid id = m_watchlist.operations.addMovie(match ? match->title : typed, match, quality,
                                                     true, any, std::nullopt);
    const Movie* added = m_watchlist.state.movie(id);
    if (!added) {
        answer(socket, CommandAnswer::error(QStringLiteral("The movie could not be added.")));
        co_return;
    }
    answer(socket,
           CommandAnswer::ok(QStringLiteral("Added \"%1\"; hunting it.").arg(added->displayTitle()),
                             record(*added)));
}
