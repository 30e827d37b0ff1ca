#pragma once

// Lumivane from end to end: the real download daemon under its supervisor, the store on
// temporary folders, TMDB and the six indexes on loopback.

#include "AwaitTask.h"
#include "DaemonSupport.h"
#include "EventLoop.h"
#include "FakeServices.h"
#include "TestEnvironment.h"
#include "engine/TransmissionEngine.h"
#include "store/WatchlistStore.h"

#include <QDir>
#include <QNetworkAccessManager>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <memory>
#include <optional>

class NoticeLog final : public Notifier {
public:
    void post(const Notice& notice) override { notices.append(notice); }
    QList<Notice> notices;
};

using Index = FakeIndexes::Index;
using Kind = FakeIndexes::Kind;

// A release as the test lays it out on disk: a top folder and its files.
struct ReleaseFiles {
    QString name;
    QList<std::pair<QString, qint64>> files; // relative to the folder, with their sizes
};

// The episode the journeys grab: its video, a sample and an .nfo.
inline const ReleaseFiles kHarbourLightsS01E03{
    "Harbour.Lights.S01E03.1080p.WEB.h264-NTb",
    {{"Harbour.Lights.S01E03.1080p.WEB.h264-NTb.mkv", 512 * 1024},
     {"Sample/harbour.lights.s01e03.1080p.sample.mkv", 48 * 1024},
     {"Harbour.Lights.S01E03.1080p.WEB.h264-NTb.nfo", 2 * 1024}}};

template <typename T>
const T& byId(const QList<T>& list, const QUuid& id) {
    const auto it =
        std::find_if(list.cbegin(), list.cend(), [&](const T& item) { return item.id == id; });
    return it != list.cend() ? *it : throw std::runtime_error("no such series or movie");
}

class Journey : public testing::Test {
protected:
    static constexpr int kWatchdogMs = 30000;

    void SetUp() override;
    void TearDown() override { quit(); }

    // --- Lumivane itself -------------------------------------------------------------------
    // Starts the daemon under its supervisor, then the store; returns once the store's start-up
    // tidy-up of the daemon is over. Use with ASSERT_NO_FATAL_FAILURE.
    void launch(std::chrono::milliseconds pollInterval = std::chrono::milliseconds(100));
    // The two halves of a launch, for journeys that look at the daemon in between.
    void startDaemon();
    void startStore(std::chrono::milliseconds pollInterval);
    // Quits as the application does: the store goes, the daemon is stopped and waited for.
    void quit();
    WatchlistStore& store() { return *m_store; }
    TransmissionEngine& engine() { return *m_engine; }

    // --- the daemon's side -----------------------------------------------------------------
    // Writes the release into the download folder (where the daemon keeps what it has finished;
    // a partial release goes to "Incomplete", where downloads in progress are) and gives the
    // daemon its .torrent; returns once the daemon has checked the data. A partial release has
    // garbage in the second half of its first file, so the daemon holds it as a download in
    // progress. The info hash. `folder` puts the data elsewhere, as another client of the daemon
    // would.
    QString preload(const ReleaseFiles& release, bool partial = false, QString folder = {});
    // The missing half arrives: the right bytes go back and the daemon checks the data again.
    void finishDownload(const ReleaseFiles& release, const QString& hash);
    // The daemon's record of a torrent; none when it does not hold it.
    std::optional<nlohmann::json> daemonTorrent(const QString& hash);
    // Every torrent the daemon holds; none when it does not answer.
    std::optional<QStringList> daemonHashes();
    bool daemonAnswers();
    // The info hash of a release nobody serves.
    static QString unservedHash(int n) {
        return QStringLiteral("deadbeef%1").arg(n, 32, 10, QLatin1Char('0'));
    }

    // --- the store's side ------------------------------------------------------------------
    // A manual check from the status strip, waited for to its end.
    void checkNow();
    bool waitFor(const std::function<bool()>& done, int timeoutMs = kWatchdogMs) {
        return runEventLoopUntil(done, timeoutMs);
    }
    // Until the download's history row has left the downloading state.
    bool waitForOutcome(const QString& hash);
    // Until the daemon no longer holds the torrent.
    bool waitForDaemonToDrop(const QString& hash);
    // Exactly one notice was posted, with this title and body.
    testing::AssertionResult oneNotice(const QString& title, const QString& body) const;
    // For questions that cost a request each: asked every tenth of a second, not every 2 ms.
    static bool retryUntil(const std::function<bool()>& probe, int timeoutMs = kWatchdogMs);
    bool followed(const QString& hash) const { return m_store->activeDownloads().contains(hash); }
    // The activity log, oldest line first.
    QStringList log() const;
    std::optional<DownloadRecord> historyRow(const QString& hash) const;
    const Show& show(const QUuid& id) const { return byId(m_store->shows(), id); }
    const Movie& movie(const QUuid& id) const { return byId(m_store->movies(), id); }

    // --- files -----------------------------------------------------------------------------
    QString downloadFolder() const { return m_env.libraryRoot(); }
    QString workingFolder() const { return libraryPath("Incomplete"); }
    QString libraryPath(const QString& relative) const {
        return QDir(m_env.libraryRoot()).filePath(relative);
    }
    // Where kHarbourLightsS01E03's video is filed.
    QString filedS01E03() const {
        return libraryPath("Series/Harbour Lights.2025/Season_01/" + kHarbourLightsS01E03.name +
                           ".mkv");
    }
    // Every file below `folder`, relative to it, sorted.
    static QStringList filesBelow(const QString& folder);
    QList<Show> storedShows() const; // shows.json as it is on disk

    // --- the world ---------------------------------------------------------------------------
    // "Harbour Lights" (2025), a weekly series in its first season: S01E01 and S01E02 are in
    // the library, S01E03 aired on 25 December, S01E04 airs on 8 January. Subscribed.
    static constexpr int kHarbourLightsTMDB = 4242;
    Show harbourLights() const;
    void seedShows(const QList<Show>& shows) const;

    TestEnvironment m_env;
    FakeTmdb m_tmdb;
    FakeIndexes m_indexes;
    NoticeLog m_notices;
    QNetworkAccessManager m_nam;
    ServiceEndpoints m_endpoints;
    QString m_resources;
    std::unique_ptr<TransmissionEngine> m_engine;
    std::unique_ptr<WatchlistStore> m_store;
    QUuid m_harbourLightsID = QUuid::createUuid();
    int m_passes = 0; // follow-up passes of the running store
};
