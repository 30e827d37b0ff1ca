#include "RecordLoader.h"

#include <algorithm>

namespace {

bool claimsUnfollowedDownload(const QUuid& id, const ShowStatus& status,
                              const QMap<QString, ActiveDownload>& followed) {
    using State = ShowStatus::State;
    if (status.state != State::found && status.state != State::downloading &&
        status.state != State::error)
        return false;
    return std::none_of(followed.cbegin(), followed.cend(),
                        [&](const ActiveDownload& d) { return d.showID == id; });
}

template <typename Record>
bool reset(QList<Record>& records, const QMap<QString, ActiveDownload>& followed) {
    bool repaired = false;
    for (Record& record : records) {
        if (claimsUnfollowedDownload(record.id, record.status, followed)) {
            record.status = ShowStatus{};
            repaired = true;
        }
    }
    return repaired;
}

} // namespace

RecordLoader::RecordLoader(const StorageFiles& files, Records records)
    : m_files(files)
    , m_records(std::move(records)) {}

QList<StorageFiles::SetAside> RecordLoader::load() {
    QList<StorageFiles::SetAside> setAside;
    std::optional<StorageFiles::SetAside> aside;
    const auto note = [&] {
        if (aside)
            setAside.append(*aside);
    };
    if (auto shows = m_files.loadShows(&aside))
        m_records.shows = std::move(*shows);
    note();
    if (auto movies = m_files.loadMovies(&aside))
        m_records.movies = std::move(*movies);
    note();
    if (auto activity = m_files.loadActivity(&aside))
        m_records.activity = std::move(*activity);
    note();
    AppSettings settings;
    if (auto stored = m_files.loadSettings(&aside))
        settings = std::move(*stored);
    note();
    m_records.takeSettings(std::move(settings));
    if (auto downloads = m_files.loadDownloads(&aside))
        m_records.takeDownloads(std::move(*downloads));
    note();
    if (auto history = m_files.loadHistory(&aside))
        m_records.history = std::move(*history);
    note();
    return setAside;
}

bool RecordLoader::resetUnfollowed(QList<Show>& shows,
                                   const QMap<QString, ActiveDownload>& followed) {
    return reset(shows, followed);
}

bool RecordLoader::resetUnfollowed(QList<Movie>& movies,
                                   const QMap<QString, ActiveDownload>& followed) {
    return reset(movies, followed);
}
