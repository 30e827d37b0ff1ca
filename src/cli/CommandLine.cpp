#include "CommandLine.h"

#include <array>
#include <limits>

namespace CommandLine {

namespace {

using Kind = CommandRequest::Kind;

enum class Option { json, names, quality, season, tmdbID, year, noSubscribe, asTyped, follow };

struct OptionInfo {
    Option option;
    const char* flag;
    const char* value; // null for a switch
    const char* help;
};

constexpr std::array kOptions{
    OptionInfo{Option::json, "--json", nullptr, "Print one JSON document instead of text."},
    OptionInfo{Option::names, "--names", nullptr, "Print the names alone, one a line."},
    OptionInfo{Option::quality, "--quality", "480p|720p|1080p|4K|any", "The wanted resolution."},
    OptionInfo{Option::season, "--season", "N", "Fetch the whole season N."},
    OptionInfo{Option::tmdbID, "--tmdb-id", "ID", "Take the TMDB match with this id."},
    OptionInfo{Option::year, "--year", "YYYY", "Only matches released in this year."},
    OptionInfo{Option::noSubscribe, "--no-subscribe", nullptr,
               "Add without following new episodes."},
    OptionInfo{Option::asTyped, "--as-typed", nullptr,
               "Add the name as typed when TMDB knows no match."},
    OptionInfo{Option::follow, "--follow", nullptr,
               "Keep printing new lines as they are logged, until interrupted."},
};

struct CommandInfo {
    Kind kind;
    const char* target; // the placeholder of the positional argument; null when none
    QList<Option> options;
    const char* summary;
};

const QList<CommandInfo>& commands() {
    static const QList<CommandInfo> list{
        {Kind::status,
         nullptr,
         {Option::json},
         "The next check, the download engine, the search services, the downloads and folders."},
        {Kind::seriesList, nullptr, {Option::json, Option::names}, "The series on the watchlist."},
        {Kind::seriesAdd,
         "NAME",
         {Option::quality, Option::season, Option::noSubscribe, Option::tmdbID, Option::asTyped,
          Option::json},
         "Adds a series found on TMDB by its name."},
        {Kind::seriesRemove, "NAME|ID", {Option::json}, "Removes a series."},
        {Kind::seriesSubscribe, "NAME|ID", {Option::json}, "Follows new episodes of a series."},
        {Kind::seriesUnsubscribe,
         "NAME|ID",
         {Option::json},
         "Stops following new episodes of a series."},
        {Kind::seriesCheck, "NAME|ID", {Option::json}, "Searches for a series' episodes now."},
        {Kind::moviesList, nullptr, {Option::json, Option::names}, "The movies on the watchlist."},
        {Kind::moviesAdd,
         "TITLE",
         {Option::year, Option::quality, Option::tmdbID, Option::asTyped, Option::json},
         "Adds a movie found on TMDB by its title and starts hunting it."},
        {Kind::moviesRemove, "TITLE|ID", {Option::json}, "Removes a movie."},
        {Kind::check, nullptr, {Option::json}, "Runs a check of every series and movie now."},
        {Kind::activity, nullptr, {Option::follow, Option::json}, "The activity log."},
    };
    return list;
}

const OptionInfo& optionInfo(Option option) {
    for (const OptionInfo& s : kOptions)
        if (s.option == option)
            return s;
    return kOptions.front();
}

QString usage(const CommandInfo& command) {
    QString line = QStringLiteral("lumivane ") + CommandRequest::name(command.kind);
    if (command.target)
        line += QLatin1Char(' ') + QLatin1String(command.target);
    for (const Option option : command.options) {
        const OptionInfo& s = optionInfo(option);
        line += QStringLiteral(" [") + QLatin1String(s.flag);
        if (s.value)
            line += QLatin1Char(' ') + QLatin1String(s.value);
        line += QLatin1Char(']');
    }
    return line;
}

QString helpOf(const CommandInfo& command) {
    QString text = QStringLiteral("Usage: ") + usage(command) + QStringLiteral("\n\n") +
                   QLatin1String(command.summary) + QLatin1Char('\n');
    if (command.target && QString::fromLatin1(command.target).contains(QLatin1String("|ID")))
        text +=
            QStringLiteral("A name matches in any letter case; ID is the one `--json` lists.\n");
    text += QStringLiteral("\nOptions:\n");
    for (const Option option : command.options) {
        const OptionInfo& s = optionInfo(option);
        QString flag = QLatin1String(s.flag);
        if (s.value)
            flag += QLatin1Char(' ') + QLatin1String(s.value);
        text += QStringLiteral("  %1  %2\n").arg(flag, -30).arg(QLatin1String(s.help));
    }
    text += QStringLiteral("  %1  %2\n")
                .arg(QStringLiteral("-h, --help"), -30)
                .arg(QStringLiteral("Show this help."));
    return text;
}

QString groupHelp(const QString& group) {
    QString text = QStringLiteral("Usage: lumivane %1 <command>\n\nCommands:\n").arg(group);
    for (const CommandInfo& c : commands())
        if (CommandRequest::name(c.kind).startsWith(group + QLatin1Char(' ')))
            text += QStringLiteral("  ") + usage(c) + QLatin1Char('\n');
    return text;
}

Mistake mistake(const QString& what, const QString& command) {
    return {what + QStringLiteral("\nSee `lumivane %1 --help`.").arg(command)};
}

bool isHelp(const QString& a) {
    return a == QLatin1String("-h") || a == QLatin1String("--help") || a == QLatin1String("-?");
}

std::optional<int> number(const QString& text, int max) {
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok && n >= 1 && n <= max ? std::optional(n) : std::nullopt;
}

} // namespace

bool isCommand(const QStringList& arguments) {
    if (arguments.size() < 2)
        return false;
    // The application itself takes only options and lumivane:// links: any other bare word is
    // a command, known or mistyped, and is answered as one rather than starting a window.
    const QString& first = arguments.at(1);
    return !first.startsWith(QLatin1Char('-')) && !first.contains(QLatin1String("://"));
}

QStringList commandNames() {
    QStringList names;
    for (const CommandInfo& c : commands())
        names << CommandRequest::name(c.kind);
    return names;
}

QString overview() {
    QString text;
    for (const CommandInfo& c : commands())
        text += QStringLiteral("  %1\n      %2\n").arg(usage(c), QLatin1String(c.summary));
    return text;
}

Parsed parse(const QStringList& arguments) {
    if (arguments.isEmpty())
        return Help{overview()};
    // Groups take their second word: "series add", "movies list".
    const QString first = arguments.first();
    const bool grouped = first == QLatin1String("series") || first == QLatin1String("movies");
    QString name = first;
    qsizetype next = 1;
    if (grouped) {
        if (arguments.size() < 2 || isHelp(arguments.at(1)))
            return Help{groupHelp(first)};
        name += QLatin1Char(' ') + arguments.at(1);
        next = 2;
    }
    const auto kind = CommandRequest::kindNamed(name);
    if (!kind)
        return Mistake{QStringLiteral("Unknown command \"%1\".\nSee `lumivane --help`.").arg(name)};
    const CommandInfo* command = nullptr;
    for (const CommandInfo& c : commands())
        if (c.kind == *kind)
            command = &c;

    Run run;
    run.request.kind = *kind;
    QStringList words;
    bool onlyWords = false; // after "--" everything is part of the name
    for (qsizetype i = next; i < arguments.size(); ++i) {
        QString argument = arguments.at(i);
        if (onlyWords || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            words << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            onlyWords = true;
            continue;
        }
        if (isHelp(argument))
            return Help{helpOf(*command)};
        QString value;
        bool inlineValue = false;
        if (const qsizetype eq = argument.indexOf(QLatin1Char('=')); eq > 0) {
            value = argument.mid(eq + 1);
            argument.truncate(eq);
            inlineValue = true;
        }
        const OptionInfo* option = nullptr;
        for (const Option o : command->options)
            if (argument == QLatin1String(optionInfo(o).flag))
                option = &optionInfo(o);
        if (!option)
            return mistake(QStringLiteral("\"%1\" takes no option %2.").arg(name, argument), name);
        if (option->value && !inlineValue) {
            if (i + 1 >= arguments.size())
                return mistake(QStringLiteral("%1 needs a value.").arg(argument), name);
            value = arguments.at(++i);
        } else if (!option->value && inlineValue) {
            return mistake(QStringLiteral("%1 takes no value.").arg(argument), name);
        }
        const QString bad =
            QStringLiteral("%1 %2: expected %3.")
                .arg(argument, value, QLatin1String(option->value ? option->value : ""));
        switch (option->option) {
        case Option::json:
            run.json = true;
            break;
        case Option::names:
            run.names = true;
            break;
        case Option::quality: {
            const QString q = value.compare(QLatin1String("4k"), Qt::CaseInsensitive) == 0
                                  ? QStringLiteral("4K")
                                  : value.toLower();
            if (!QStringList{"480p", "720p", "1080p", "4K", "any"}.contains(q))
                return mistake(bad, name);
            run.request.quality = q;
            break;
        }
        case Option::season:
            if (!(run.request.season = number(value, 999)))
                return mistake(bad, name);
            break;
        case Option::tmdbID:
            if (!(run.request.tmdbID = number(value, std::numeric_limits<int>::max())))
                return mistake(bad, name);
            break;
        case Option::year:
            if (!(run.request.year = number(value, 9999)))
                return mistake(bad, name);
            break;
        case Option::noSubscribe:
            run.request.subscribe = false;
            break;
        case Option::asTyped:
            run.request.asTyped = true;
            break;
        case Option::follow:
            run.request.follow = true;
            break;
        }
    }
    run.request.target = words.join(QLatin1Char(' ')).trimmed();
    if (command->target && run.request.target.isEmpty())
        return mistake(QStringLiteral("\"%1\" needs %2.").arg(name, QLatin1String(command->target)),
                       name);
    if (!command->target && !words.isEmpty())
        return mistake(QStringLiteral("\"%1\" takes no %2.").arg(name, words.first()), name);
    return run;
}

} // namespace CommandLine
