// The six stored files. The first byte picks the file, the rest is its content. A file that
// decodes must survive a save and a second read unchanged (a save that cannot be read back
// would cost the user the file), and the operations run on records right after loading must
// cope with whatever values a hand-edited file holds.

#include "FuzzSupport.h"
#include "model/RecordCodecs.h"

#include <QMap>

using fuzz::require;

namespace {

void touch(Timestamp t) {
    (void)t.toDateTime();
    (void)Show::dateCode(t);
    (void)Show::airDayInLocalTime(t);
}

void touch(const std::optional<Timestamp>& t) {
    if (t)
        touch(*t);
}

void use(const QList<Show>& shows) {
    for (Show show : shows) {
        (void)show.latestKnownEpisode();
        (void)show.initials();
        (void)show.qualityMode();
        touch(show.nextAirDate);
        touch(show.lastCheckedAt);
        touch(show.airInfoRefreshedAt);
        touch(show.qualityGraceFirstSeenAt);
        touch(show.status.lastEventDate);
        for (const Timestamp now : {Timestamp{}, show.nextAirDate.value_or(Timestamp{}) - 1.0})
            (void)show.watchStatusText(now);
        (void)show.hasDownloaded(QStringLiteral("S01E01"), show.nextAirDate);
        show.markDownloaded(QStringLiteral("S01E01"));
        require(show.downloadedEpisodes.size() <= Show::kMaxDownloadedEpisodes,
                "markDownloaded keeps more than the cap");
    }
}

void use(const QList<Movie>& movies) {
    for (const Movie& movie : movies) {
        (void)movie.displayTitle();
        (void)movie.qualityMode();
        touch(movie.releaseDate);
        touch(movie.status.lastEventDate);
    }
}

void use(const AppSettings&) {}

void use(const QList<ActivityEntry>& activity) {
    for (const ActivityEntry& entry : activity)
        touch(entry.date);
}

void use(const QMap<QString, ActiveDownload>&) {}

void use(const QList<DownloadRecord>& history) {
    for (const DownloadRecord& record : history) {
        touch(record.addedAt);
        touch(record.stuckSince);
        touch(record.staleSnoozedUntil);
        touch(record.staleNotifiedAt);
    }
}

// QUrl keeps "#" and "%23" in a fragment apart, and saving writes the encoded form: a URL is
// judged by the text it is saved as (a file URL's fragment means nothing to the folder).
QUrl asSaved(const QUrl& url) {
    return QUrl(url.toString(QUrl::FullyEncoded), QUrl::StrictMode);
}

template <typename T>
T asSaved(T value) {
    return value;
}

AppSettings asSaved(AppSettings settings) {
    if (settings.rootFolder)
        settings.rootFolder = asSaved(*settings.rootFolder);
    return settings;
}

QList<Movie> asSaved(QList<Movie> movies) {
    for (Movie& movie : movies) {
        if (movie.pendingMagnet)
            movie.pendingMagnet = asSaved(*movie.pendingMagnet);
    }
    return movies;
}

template <typename T>
void roundTrip(QByteArrayView file) {
    const auto decoded = decodeDocument<T>(file);
    if (!decoded)
        return;
    use(*decoded);
    const QByteArray saved = encodeDocument(*decoded);
    const auto reread = decodeDocument<T>(saved);
    require(reread.has_value(), "a loaded file does not load again once saved",
            QString::fromUtf8(saved));
    require(*reread == asSaved(*decoded), "a loaded file changes when saved and loaded again",
            QString::fromUtf8(saved));
    require(encodeDocument(*reread) == saved, "saving is not stable", QString::fromUtf8(saved));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const QByteArrayView file(data + 1, static_cast<qsizetype>(size - 1));
    switch (data[0] % 6) {
    case 0:
        roundTrip<QList<Show>>(file);
        break;
    case 1:
        roundTrip<QList<Movie>>(file);
        break;
    case 2:
        roundTrip<AppSettings>(file);
        break;
    case 3:
        roundTrip<QList<ActivityEntry>>(file);
        break;
    case 4:
        roundTrip<QMap<QString, ActiveDownload>>(file);
        break;
    case 5:
        roundTrip<QList<DownloadRecord>>(file);
        break;
    }
    return 0;
}
