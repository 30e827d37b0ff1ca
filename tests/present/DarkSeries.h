#pragma once

// Dark as the drawer's tests and pictures meet it, on a FakeWatchlist at 2025-03-13 12:00 UTC:
// TMDB knows two seasons, season 2 still airing; its download history is
// tests/fixtures/present/drawer-history.json, each record named by its hash's letter.

#include "EpisodeDrawerModel.h"
#include "EventLoop.h"
#include "FakeWatchlist.h"
#include "model/RecordCodecs.h"

#include <QFile>

inline QString hashOf(char c) {
    return QString(40, QLatin1Char(c));
}

inline Timestamp utcDay(int y, int m, int d) {
    return Timestamp::fromDateTime(QDateTime(QDate(y, m, d), QTime(0, 0), Qt::UTC));
}

inline Show& scriptDark(FakeWatchlist& fake) {
    fake.clock.set(utcDay(2025, 3, 13) + 12 * 3600.0);
    fake.seasonsOf[70523] = {1, 2};
    const auto episode = [](int s, int n, const char* name, std::optional<Timestamp> aired) {
        return Episode{s, n, QString::fromUtf8(name), aired};
    };
    fake.episodesOf[{70523, 1}] = {episode(1, 1, "Secrets", utcDay(2017, 12, 1)),
                                   episode(1, 2, "Lies", utcDay(2017, 12, 1))};
    fake.episodesOf[{70523, 2}] = {episode(2, 1, "Beginnings and Endings", utcDay(2025, 2, 20)),
                                   episode(2, 2, "Dark Matter", utcDay(2025, 2, 27)),
                                   episode(2, 3, "Ghosts", utcDay(2025, 3, 6)),
                                   episode(2, 4, "Travelers", utcDay(2025, 3, 6)),
                                   episode(2, 5, "Lost and Found", utcDay(2025, 3, 13)),
                                   episode(2, 6, "An Endless Cycle", utcDay(2025, 3, 20)),
                                   episode(2, 7, "The White Devil", std::nullopt)};
    fake.seriesByName["Dark"] = {{1, "Dark Matter", "2015", {}, {}},
                                 {70523, "Dark", "2017", {}, "/dark.jpg"}};
    fake.showList.append(Show{
        .id = QUuid("{6F1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D}"), .name = "Dark", .tmdbID = 70523});
    return fake.showList.last();
}

// The records of drawer-history.json whose hash starts with one of `letters`, newest first.
inline QList<DownloadRecord> darkHistory(const QString& letters) {
    QList<DownloadRecord> rows;
    QFile file(QStringLiteral(LUMIVANE_TEST_FIXTURES "/present/drawer-history.json"));
    if (!file.open(QIODevice::ReadOnly))
        return rows;
    const Json stored = Json::parse(file.readAll().toStdString());
    for (const Json& r : stored["records"]) {
        DownloadRecord record;
        fromJsonValue(r, record);
        if (letters.contains(record.id.front()))
            rows.append(record);
    }
    return rows;
}

// Until the drawer has settled on a phase and no season is loading.
inline bool settled(const EpisodeDrawerModel& drawer) {
    return runEventLoopUntil([&] {
        return drawer.phase() != EpisodeDrawerModel::Phase::loading && !drawer.loadingEpisodes();
    });
}
