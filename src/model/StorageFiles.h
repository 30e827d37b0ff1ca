#pragma once

#include "ActiveDownload.h"
#include "ActivityEntry.h"
#include "AppSettings.h"
#include "DownloadRecord.h"
#include "Movie.h"
#include "Show.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <optional>

class Clock;

// The six JSON files of the storage folder. Each is written whole through a temporary
// file and a rename, so a crash never leaves half a file. A file that exists but does not
// decode is moved aside ("<name>.unreadable-<UTC time>") when it is read, so the next
// save cannot destroy what a user may still repair by hand.
class StorageFiles {
public:
    static constexpr auto kShows = "shows.json";
    static constexpr auto kMovies = "movies.json";
    static constexpr auto kActivity = "activity.json";
    static constexpr auto kSettings = "settings.json";
    static constexpr auto kDownloads = "downloads.json";
    static constexpr auto kHistory = "history.json";

    // Anything bigger is not a file this application wrote.
    static constexpr qint64 kMaxFileBytes = 256LL * 1024 * 1024;

    StorageFiles(QString folder, const Clock& clock);

    const QString& folder() const { return m_folder; }
    QString path(const char* fileName) const;

    // Creates the folder with its parents; false when that fails.
    bool ensureFolder() const;
    // Removes the temporaries of earlier saves cut short by a crash: a kill between QSaveFile
    // linking its finished temporary and renaming it leaves "<name>.XXXXXX" behind for good.
    void removeStaleTemporaries() const;

    // Each load returns nullopt when the file is missing or undecodable.
    std::optional<QList<Show>> loadShows() const;
    std::optional<QList<Movie>> loadMovies() const;
    std::optional<QList<ActivityEntry>> loadActivity() const;
    std::optional<AppSettings> loadSettings() const;
    std::optional<QMap<QString, ActiveDownload>> loadDownloads() const;
    std::optional<QList<DownloadRecord>> loadHistory() const;

    // Each save returns whether the file was written.
    bool saveShows(const QList<Show>& shows) const;
    bool saveMovies(const QList<Movie>& movies) const;
    bool saveActivity(const QList<ActivityEntry>& activity) const;
    bool saveSettings(const AppSettings& settings) const;
    bool saveDownloads(const QMap<QString, ActiveDownload>& downloads) const;
    bool saveHistory(const QList<DownloadRecord>& history) const;

private:
    template <typename T>
    std::optional<T> load(const char* fileName) const;
    bool write(const char* fileName, const QByteArray& bytes) const;
    void setAside(const QString& filePath) const;

    QString m_folder;
    const Clock& m_clock;
};
