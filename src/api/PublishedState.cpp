#include "PublishedState.h"

#include <algorithm>

namespace {

template <typename Record>
const Record* byID(const QList<Record>& records, const QUuid& id) {
    const auto it =
        std::find_if(records.cbegin(), records.cend(), [&](const Record& r) { return r.id == id; });
    return it == records.cend() ? nullptr : &*it;
}

} // namespace

const Show* PublishedState::show(const QUuid& id) const {
    return byID(shows(), id);
}

const Movie* PublishedState::movie(const QUuid& id) const {
    return byID(movies(), id);
}

QList<DownloadRecord> PublishedState::historyRows(const QUuid& id) const {
    QList<DownloadRecord> rows;
    for (const DownloadRecord& row : history()) {
        if (row.showID == id)
            rows.append(row);
    }
    return rows;
}

QList<DownloadRecord> PublishedState::inProgressDownloads() const {
    QList<DownloadRecord> rows;
    for (const DownloadRecord& row : history()) {
        if (row.state == DownloadRecord::State::downloading)
            rows.append(row);
    }
    return rows;
}

bool PublishedState::hasFlaggedDownload(const QUuid& id) const {
    const Timestamp at = now();
    const int days = settings().staleNudgeDays;
    return std::any_of(history().cbegin(), history().cend(), [&](const DownloadRecord& r) {
        return r.showID == id && r.isStale(days, at);
    });
}

int PublishedState::flaggedSeriesCount() const {
    return static_cast<int>(std::count_if(shows().cbegin(), shows().cend(),
                                          [&](const Show& s) { return hasFlaggedDownload(s.id); }));
}

int PublishedState::flaggedMovieCount() const {
    return static_cast<int>(std::count_if(movies().cbegin(), movies().cend(), [&](const Movie& m) {
        return hasFlaggedDownload(m.id);
    }));
}
