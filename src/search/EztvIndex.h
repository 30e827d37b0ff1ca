#pragma once

#include "TorrentIndex.h"

#include <QUrl>

#include <nlohmann/json.hpp>

#include <optional>

class QNetworkAccessManager;

// EZTV: series only, looked up by IMDb id, with a second host for when the first is down.
class EztvIndex final : public TorrentIndex {
public:
    EztvIndex(QNetworkAccessManager& network, QUrl primary, QUrl fallback);

    QString name() const override { return QStringLiteral("EZTV"); }
    const QUrl& primary() const { return m_primary; }
    const QUrl& fallback() const { return m_fallback; }

    QCoro::Task<QList<RawHit>> search(TorrentQuery query) const override;
    QCoro::Task<Reply> searchReported(TorrentQuery query) const override;

    // base + "/api/get-torrents?imdb_id=<digits>&limit=100&page=1"; invalid when base is unusable.
    static QUrl requestURL(const QUrl& base, const QString& imdbDigits);
    // The hits of one answer body; none when it is no EZTV answer (the fallback host is then
    // asked).
    static std::optional<QList<RawHit>> answerHits(const QByteArray& body);
    static std::optional<RawHit> hit(const nlohmann::json& object);

private:
    QNetworkAccessManager& m_network;
    QUrl m_primary;
    QUrl m_fallback;
};
