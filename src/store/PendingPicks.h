#pragma once

#include "model/SearchResult.h"

#include <QMap>
#include <QObject>
#include <QUuid>

#include <optional>

// Episodes found only in other resolutions, one per series, waiting for the user's choice.
class PendingPicks final : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    const QMap<QUuid, EpisodePick>& all() const { return m_picks; }
    std::optional<EpisodePick> of(const QUuid& showID) const {
        const auto it = m_picks.constFind(showID);
        return it == m_picks.cend() ? std::nullopt : std::optional(*it);
    }
    bool asks(const QUuid& showID, const QString& code) const {
        const auto pick = of(showID);
        return pick && pick->episodeCode == code;
    }
    // Replaces the series' question, if it had one.
    void offer(const QUuid& showID, EpisodePick pick) {
        m_picks.insert(showID, std::move(pick));
        Q_EMIT changed();
    }
    // The series' question, which is settled.
    std::optional<EpisodePick> take(const QUuid& showID) {
        const auto it = m_picks.find(showID);
        if (it == m_picks.end())
            return std::nullopt;
        EpisodePick pick = std::move(*it);
        m_picks.erase(it);
        Q_EMIT changed();
        return pick;
    }

Q_SIGNALS:
    void changed();

private:
    QMap<QUuid, EpisodePick> m_picks;
};
