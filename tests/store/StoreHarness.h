#pragma once

#include "AwaitTask.h"
#include "EventLoop.h"
#include "FakeServices.h"
#include "FakeTransmission.h"
#include "Fixtures.h"
#include "TestEnvironment.h"
#include "model/RecordCodecs.h"
#include "store/ActivityLog.h"
#include "store/DownloadFollower.h"
#include "store/WatchlistStore.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

inline Timestamp utc(int y, int m, int d, int h = 0, int min = 0) {
    return Timestamp::fromDateTime(QDateTime(QDate(y, m, d), QTime(h, min), Qt::UTC));
}

// What the fake TMDB knows of a series, written as in store/tmdb-series.json.
inline FakeTmdb::Series tmdbSeries(const nlohmann::json& j) {
    FakeTmdb::Series s{.name = qstr(j["name"]),
                       .status = qstr(j.value("status", nlohmann::json("Returning Series"))),
                       .originCountries = strings(j.value("countries", nlohmann::json::array())),
                       .imdbID = qstr(j.value("imdb", nlohmann::json("")))};
    if (j.contains("currentSeason"))
        s.currentSeason = j["currentSeason"].get<int>();
    if (j.contains("lastAired"))
        s.lastAired = std::pair(j["lastAired"][0].get<int>(), j["lastAired"][1].get<int>());
    for (const auto& [season, episodes] : j["seasons"].items())
        for (const auto& e : episodes)
            s.seasons[std::stoi(season)].append(
                {e[0].get<int>(), e[1].is_null() ? std::optional<QDate>()
                                                 : QDate::fromString(qstr(e[1]), Qt::ISODate)});
    return s;
}

inline FakeTmdb::Series tmdbSeries(const char* key) {
    return tmdbSeries(fixtureJson("store/tmdb-series.json")[key]);
}

// Keeps every line logged, and counts the errors.
class RecordingLog final : public ActivityLog {
public:
    void logActivity(const QString& message, ActivityEntry::Kind kind) override {
        lines.append(message);
        errors += kind == ActivityEntry::Kind::error ? 1 : 0;
    }
    QStringList lines;
    int errors = 0;
};

// Keeps every notice the store posts.
class RecordingNotifier final : public Notifier {
public:
    void post(const Notice& notice) override { notices.append(notice); }
    QList<Notice> notices;
};

// A store on temporary folders with the fake daemon behind it; the indexes and TMDB are faked
// on loopback only where a test asks for them (elsewhere they are unreachable).
class StoreHarness : public testing::Test {
protected:
    template <typename T>
    void seed(const char* file, const T& value) {
        m_env.writeStorageFile(QString::fromLatin1(file), encodeDocument(value));
    }

    template <typename T>
    std::optional<T> stored(const char* file) const {
        return decodeDocument<T>(m_env.readStorageFile(QString::fromLatin1(file)));
    }

    virtual StoreEnvironment environment() {
        StoreEnvironment env = m_env.environment();
        env.endpoints.rpcPort = m_daemon.port();
        if (m_fakeIndexes)
            m_indexes.apply(env.endpoints);
        if (m_fakeTmdb)
            env.endpoints.tmdbAPI = m_tmdb.apiRoot();
        return env;
    }

    WatchlistStore& start() {
        m_store.reset(); // never two stores on one folder
        m_hashListingsBeforeStart = hashListings();
        m_store = std::make_unique<WatchlistStore>(environment(), nullptr, &m_notifier);
        return *m_store;
    }

    WatchlistStore& startWith(const Show& show) {
        seed(StorageFiles::kShows, QList<Show>{show});
        return start();
    }

    // Forgets the store, its files and its notices, before the next row of a table.
    void wipe() {
        m_store.reset();
        QDir(m_env.root()).removeRecursively();
        m_notifier.notices.clear();
    }

    // The store finds `h`, episode `code` of `show`, being downloaded when it starts.
    void seedDownload(const QString& h, const QUuid& show, const QString& code) {
        seed(StorageFiles::kDownloads,
             QMap<QString, ActiveDownload>{
                 {h, {ActiveDownload::Kind::episode, show, code, false, "EZTV"}}});
    }

    // Runs a check and waits until it has ended.
    void runCheck(bool manual = true) {
        m_store->runCheck(manual);
        ASSERT_TRUE(runEventLoopUntil([&] { return !m_store->isChecking(); }, 20000));
    }

    const Show& dark() const { return m_store->shows().first(); }

    // Log lines, oldest first.
    QStringList log() const {
        QStringList lines;
        for (const ActivityEntry& e : m_store->activity())
            lines.prepend(e.message);
        return lines;
    }

    // Waits until the daemon has listed its torrents for this store's start-up tidy-up. A
    // torrent added before that answer would be taken for a leftover as soon as it is no
    // longer followed, and the tidy-up's line would land in the middle of a test.
    bool startUpTidyAsked() {
        return runEventLoopUntil([&] { return hashListings() > m_hashListingsBeforeStart; });
    }

    // Waits until the store follows the torrent `h`.
    bool following(const QString& h) {
        return runEventLoopUntil([&] { return m_store->activeDownloads().contains(h); });
    }

    // Follow-up passes until `done` holds. A pass the store's own timer started may be
    // waiting for the daemon; then ours returns at once and the wait covers theirs.
    bool pollUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
        QDeadlineTimer deadline(timeoutMs);
        while (!done() && !deadline.hasExpired()) {
            awaitTask(m_store->follower().poll());
            runEventLoopUntil(done, 50);
        }
        return done();
    }

    // The daemon finishes `h` with `files` on disk below the library root; waits until the
    // store has dealt with it.
    bool finishWith(const QString& h, const QStringList& files, qint64 size = 100) {
        for (const QString& f : files)
            writeDownloadedFile(f, size);
        m_daemon.torrents[h].files = files;
        m_daemon.torrents[h].finish();
        return pollUntil([&] { return !m_store->activeDownloads().contains(h); });
    }

    QString libraryRoot() const { return m_env.libraryRoot(); }

    // How often the daemon was asked for the hashes of all its torrents.
    qsizetype hashListings() const {
        qsizetype n = 0;
        for (const auto& call : m_daemon.calls("torrent-get"))
            n += call["arguments"]["fields"] == nlohmann::json::array({"hashString"}) ? 1 : 0;
        return n;
    }

    // A file of `size` bytes at `relative` below the library root (where downloads land).
    void writeDownloadedFile(const QString& relative, qint64 size) const {
        const QString path = QDir(libraryRoot()).filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || !f.resize(size))
            ADD_FAILURE() << "cannot write " << path.toStdString();
    }

    static QUrl magnet(const QString& hash, const QString& name) {
        return QUrl(QStringLiteral("magnet:?xt=urn:btih:%1&dn=%2").arg(hash, name));
    }

    static QString hash(char c) { return QString(40, QLatin1Char(c)); }
    static QString hash(const nlohmann::json& c) { return hash(qstr(c).at(0).toLatin1()); }

    // An index hit; `h` is the character its hash repeats.
    static FakeIndexes::Hit hit(const QString& title, char h, int seeders = 10) {
        return {title, hash(h), seeders};
    }

    // Hits written [title, hash character, seeders].
    static QList<FakeIndexes::Hit> hits(const nlohmann::json& rows) {
        QList<FakeIndexes::Hit> out;
        for (const auto& h : rows)
            out << FakeIndexes::Hit{qstr(h[0]), hash(h[1]), h[2].get<int>()};
        return out;
    }

    TestEnvironment m_env;
    FakeTransmission m_daemon;
    qsizetype m_hashListingsBeforeStart = 0;
    RecordingNotifier m_notifier;
    bool m_fakeIndexes = false;
    bool m_fakeTmdb = false;
    FakeIndexes m_indexes;
    FakeTmdb m_tmdb;
    std::unique_ptr<WatchlistStore> m_store;
};

// The same store with every index and TMDB faked on loopback.
class ServicedStoreHarness : public StoreHarness {
protected:
    ServicedStoreHarness() { m_fakeIndexes = m_fakeTmdb = true; }
};
