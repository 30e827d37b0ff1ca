#pragma once

#include "AwaitTask.h"
#include "search/Magnet.h"
#include "search/RawHit.h"
#include "search/TorrentIndex.h"

#include <qcoro/qcorotimer.h>

#include <chrono>
#include <optional>

// A 40-character hex hash made from a small number, distinct per number.
inline QString testHash(int n) {
    return QStringLiteral("%1").arg(n, 40, 16, QLatin1Char('0'));
}

// A hit as an index would hand it on.
inline RawHit makeHit(const QString& title, int seeders, qint64 sizeBytes = 0, int hashNumber = 0,
                      const QString& source = QStringLiteral("Knaben")) {
    const QString hash = testHash(hashNumber ? hashNumber : qHash(title) % 100000 + 1);
    return {.title = title, .magnetURL = makeMagnet(hash, title).value_or(QUrl()), .seeders = seeders,
            .sizeBytes = sizeBytes, .source = source};
}

// An in-process index: answers with fixed hits, at once or after a delay, and counts questions.
// With a reach it says whether it answered (and has no hits unless it did); without one it
// cannot tell, as an index written before reaches existed.
class FakeSource final : public TorrentIndex {
public:
    using Reach = Reported::Reach;

    explicit FakeSource(QString name, QList<RawHit> hits = {}, int delayMs = -1,
                        std::optional<Reach> reach = std::nullopt)
        : m_name(std::move(name))
        , m_hits(std::move(hits))
        , m_delayMs(delayMs)
        , m_reach(reach) {}

    QString name() const override { return m_name; }

    QCoro::Task<QList<RawHit>> search(TorrentQuery query) const override {
        ++m_calls;
        m_lastQuery = query;
        if (m_delayMs >= 0)
            co_await QCoro::sleepFor(std::chrono::milliseconds(m_delayMs));
        co_return m_reach.value_or(Reach::answered) == Reach::answered ? m_hits : QList<RawHit>{};
    }

    QCoro::Task<Reported> searchReported(TorrentQuery query) const override {
        if (!m_reach)
            co_return co_await TorrentIndex::searchReported(std::move(query));
        // Awaited on a line of its own: inside a braced initialiser it crashed under GCC 12.
        QList<RawHit> hits = co_await search(std::move(query));
        co_return Reported{std::move(hits), *m_reach};
    }

    int calls() const { return m_calls; }
    const TorrentQuery& lastQuery() const { return m_lastQuery; }

private:
    QString m_name;
    QList<RawHit> m_hits;
    int m_delayMs;
    std::optional<Reach> m_reach;
    mutable int m_calls = 0;
    mutable TorrentQuery m_lastQuery;
};
