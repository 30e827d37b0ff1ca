#include "HealthText.h"

#include <QLatin1StringView>

namespace {

struct FileWords {
    const char* file;
    const char* one;   // "series"
    const char* many;  // "series"
    const char* empty; // what the start does without the file
};

// The records of each file as the user knows them.
constexpr FileWords kFileWords[] = {
    {StorageFiles::kShows, "series", "series", "Lumivane starts with no series"},
    {StorageFiles::kMovies, "movie", "movies", "Lumivane starts with no movies"},
    {StorageFiles::kActivity, "log line", "log lines", "Lumivane starts a new activity log"},
    {StorageFiles::kSettings, "setting", "settings", "Lumivane starts with the default settings"},
    {StorageFiles::kDownloads, "download", "downloads",
     "Lumivane no longer follows the downloads it had started"},
    {StorageFiles::kHistory, "history row", "history rows", "Lumivane starts a new download history"},
};

const FileWords& wordsFor(const QString& fileName) {
    for (const FileWords& words : kFileWords) {
        if (fileName == QLatin1StringView(words.file))
            return words;
    }
    static const FileWords fallback{"", "record", "records", "Lumivane starts without it"};
    return fallback;
}

QString keptCopySentence(const StorageFiles::SetAside& aside) {
    if (aside.keptCopy.isEmpty())
        return QStringLiteral("The original could not be moved aside: copy it somewhere safe "
                              "before Lumivane saves again.");
    return QStringLiteral("The original file is kept as %1.").arg(aside.keptCopy);
}

QString causeSentence(const EngineHealth& health, const QString& endpointsFile,
                      const QString& logFile) {
    using Cause = EngineHealth::Cause;
    switch (health.cause) {
    case Cause::binaryMissing:
        return QStringLiteral("The download engine is missing: there is no transmission-daemon at "
                              "%1. Install transmission-daemon (sudo apt install "
                              "transmission-daemon); Lumivane starts it as soon as it is there.")
            .arg(health.detail.isEmpty() ? QStringLiteral("its place") : health.detail);
    case Cause::notExecutable:
        return QStringLiteral("The download engine at %1 cannot be run. Reinstall "
                              "transmission-daemon (sudo apt install --reinstall "
                              "transmission-daemon); Lumivane starts it as soon as it can.")
            .arg(health.detail);
    case Cause::exitedAtStart:
        return QStringLiteral("The download engine stopped right after starting: %1. Lumivane "
                              "tries again a few times; the engine's log is %2.")
            .arg(health.detail, logFile);
    case Cause::rpcPortTaken:
        return QStringLiteral("The download engine cannot listen on port %1: another program is "
                              "using it. Close that program, or set another \"rpcPort\" in %2 "
                              "and restart Lumivane.")
            .arg(health.detail, endpointsFile);
    case Cause::restartsGivenUp:
        return QStringLiteral("The download engine kept stopping (last: %1) and Lumivane gave up "
                              "restarting it; nothing downloads until Lumivane is started again. "
                              "The engine's log is %2.")
            .arg(health.detail, logFile);
    case Cause::stoppedAnswering:
        return QStringLiteral("The download engine stopped answering and was restarted");
    case Cause::none:
        break;
    }
    return {};
}

} // namespace

namespace HealthText {

QString setAsideLine(const StorageFiles::SetAside& aside) {
    const FileWords& words = wordsFor(aside.fileName);
    if (aside.wholeFile)
        return QStringLiteral("%1 could not be read, so %2. %3")
            .arg(aside.fileName, QLatin1StringView(words.empty), keptCopySentence(aside));
    const int total = aside.kept + aside.dropped;
    const bool settings = aside.fileName == QLatin1StringView(StorageFiles::kSettings);
    const QString fate = settings ? (aside.dropped == 1 ? QStringLiteral("went back to its default")
                                                        : QStringLiteral("went back to their defaults"))
                                  : (aside.dropped == 1 ? QStringLiteral("was set aside")
                                                        : QStringLiteral("were set aside"));
    return QStringLiteral("%1: kept %2 of %3 %4; %5 that could not be read %6. %7")
        .arg(aside.fileName)
        .arg(aside.kept)
        .arg(total)
        .arg(QLatin1StringView(total == 1 ? words.one : words.many))
        .arg(aside.dropped)
        .arg(fate, keptCopySentence(aside));
}

Notice setAsideNotice(const StorageFiles::SetAside& aside) {
    const QString title = aside.wholeFile
                              ? QStringLiteral("%1 could not be read").arg(aside.fileName)
                              : QStringLiteral("Part of %1 could not be read").arg(aside.fileName);
    return Notice{title, setAsideLine(aside), std::nullopt, false};
}

QString engineFailureLine(const EngineHealth& health, const QString& endpointsFile,
                          const QString& logFile) {
    return causeSentence(health, endpointsFile, logFile);
}

Notice engineFailureNotice(const EngineHealth& health, const QString& endpointsFile,
                           const QString& logFile) {
    return Notice{QStringLiteral("Lumivane cannot download"),
                  causeSentence(health, endpointsFile, logFile), std::nullopt, false};
}

QString engineRecoveredLine() {
    return QStringLiteral("The download engine is running again.");
}

QString indexesSilentLine(const QStringList& indexes, const QString& endpointsFile) {
    return QStringLiteral("No torrent index answered this check (%1), so new episodes cannot be "
                          "found. Check the network connection, or the index addresses in %2.")
        .arg(indexes.join(QStringLiteral(", ")), endpointsFile);
}

QString indexesAnswerAgainLine(const QStringList& answered) {
    return QStringLiteral("Torrent indexes answer again (%1).")
        .arg(answered.join(QStringLiteral(", ")));
}

QString tmdbKeyRefusedLine() {
    return QStringLiteral("TMDB refused the API key, so air dates and new titles cannot be looked "
                          "up. Check the TMDB API key in Settings (leave it empty to use the "
                          "built-in key).");
}

QString tmdbKeyAcceptedLine() {
    return QStringLiteral("TMDB accepts the API key again.");
}

QString tmdbUnreachableLine(const QString& endpointsFile) {
    return QStringLiteral("Could not reach TMDB, so air dates and new titles cannot be looked up. "
                          "Check the network connection, or the TMDB address in %1.")
        .arg(endpointsFile);
}

QString tmdbAnswersAgainLine() {
    return QStringLiteral("TMDB answers again.");
}

} // namespace HealthText
