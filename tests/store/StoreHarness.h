#pragma once

#include "AwaitTask.h"
#include "EventLoop.h"
#include "FakeServices.h"
#include "FakeTransmission.h"
#include "Fixtures.h"
#include "TestEnvironment.h"
#include "model/RecordCodecs.h"
#include "store/WatchlistStore.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

inline Timestamp utc(int y, int m, int d, int h = 0, int min = 0) {
    return Timestamp::fromDateTime(QDateTime(QDate(y, m, d), QTime(h, min), Qt::UTC));
}



// Keeps every notice the store posts.
class RecordingNotifier final : public Notifier {
public:
    void post(const Notice& notice) override { notices.append(notice); }
    QList<Notice> notices;
};

// A store on temporary folders with the fake daemon behind it.
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
        return env;
    }

    WatchlistStore& start() {
        m_store = std::make_unique<WatchlistStore>(environment(), nullptr, &m_notifier);
        return *m_store;
    }

    // Log lines, oldest first.
    QStringList log() const {
        QStringList lines;
        for (const ActivityEntry& e : m_store->activity())
            lines.prepend(e.message);
        return lines;
    }

    // Follow-up passes until `done` holds. A pass the store's own timer started may be
    // waiting for the daemon; then ours returns at once and the wait covers theirs.
    bool pollUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
        QDeadlineTimer deadline(timeoutMs);
        while (!done() && !deadline.hasExpired()) {
            awaitTask(m_store->pollDownloads());
            runEventLoopUntil(done, 50);
        }
        return done();
    }

    QString libraryRoot() const { return m_env.libraryRoot(); }

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

    TestEnvironment m_env;
    FakeTransmission m_daemon;
    RecordingNotifier m_notifier;
    std::unique_ptr<WatchlistStore> m_store;
};

// The same store with every index and TMDB faked on loopback as well.
class ServicedStoreHarness : public StoreHarness {
protected:
    StoreEnvironment environment() override {
        StoreEnvironment env = StoreHarness::environment();
        m_indexes.apply(env.endpoints);
        env.endpoints.tmdbAPI = m_tmdb.apiRoot();
        return env;
    }

    FakeIndexes m_indexes;
    FakeTmdb m_tmdb;
};
