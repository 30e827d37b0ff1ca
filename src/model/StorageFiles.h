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
// decode in full is moved aside ("<name>.unreadable-<UTC time>") when it is read, so the next
// save cannot destroy what a user may still repair by hand; the records that did decode are
// kept and written back at once.
class StorageFiles {
public:
    // What a load had to set aside; reported to the user by the store.
    struct SetAside {
        QString fileName;        // "shows.json"
        QString keptCopy;        // the moved original; empty when it could not be moved
        int kept = 0;            // records (settings: values) still read
        int dropped = 0;         // records left out (settings: values back at their default)
        bool wholeFile = false;  // nothing could be read: not JSON, or not of the right shape

        bool operator==(const SetAside&) const = default;
    };

    static constexpr auto kShows = "shows.json";
    static constexpr auto kMovies = "movies.json";
    static constexpr auto kActivity = "activity.json";
    static constexpr auto kSettings = "settings.json";
    static constexpr auto kDownloads = "downloads.json";
    static constexpr auto kHistory = "history.json";
    // Written for calendar applications; never read back.
    static constexpr auto kCalendar = "calendar.ics";

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

    // Each load returns nullopt when the file is missing or cannot be read at all, and the
    // records that decode otherwise. `setAside` is filled when the file had to be moved aside.
    std::optional<QList<Show>> loadShows(std::optional<SetAside>* setAside = nullptr) const;
    std::optional<QList<Movie>> loadMovies(std::optional<SetAside>* setAside = nullptr) const;
    std::optional<QList<ActivityEntry>>
    loadActivity(std::optional<SetAside>* setAside = nullptr) const;
    std::optional<AppSettings> loadSettings(std::optional<SetAside>* setAside = nullptr) const;
    std::optional<QMap<QString, ActiveDownload>>
    loadDownloads(std::optional<SetAside>* setAside = nullptr) const;
    std::optional<QList<DownloadRecord>>
    loadHistory(std::optional<SetAside>* setAside = nullptr) const;

    // Each save returns whether the file was written.
    bool saveShows(const QList<Show>& shows) const;
    bool saveMovies(const QList<Movie>& movies) const;
    bool saveActivity(const QList<ActivityEntry>& activity) const;
    bool saveSettings(const AppSettings& settings) const;
    bool saveDownloads(const QMap<QString, ActiveDownload>& downloads) const;
    bool saveHistory(const QList<DownloadRecord>& history) const;
    bool saveCalendar(const QByteArray& ics) const;

private:
    template <typename T>
    std::optional<T> load(const char* fileName, std::optional<SetAside>* report) const;
    bool write(const char* fileName, const QByteArray& bytes) const;
    // The path the file was moved to; empty when the move failed.
    QString setAside(const QString& filePath) const;

    QString m_folder;
    const Clock& m_clock;
};
