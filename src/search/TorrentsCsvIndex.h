#pragma once

#include "TorrentIndex.h"

#include <QUrl>

#include <nlohmann/json.hpp>

#include <optional>

class QNetworkAccessManager;

// Torrents-CSV: a plain search over a public dump of DHT-scraped torrents.
class TorrentsCsvIndex final : public TorrentIndex {
public:
    TorrentsCsvIndex(QNetworkAccessManager& network, QUrl base);

    QString name() const override { return QStringLiteral("Torrents-CSV"); }
    const QUrl& base() const { return m_base; }

    QCoro::Task<QList<RawHit>> search(TorrentQuery query) const override;
    QCoro::Task<Reply> searchReported(TorrentQuery query) const override;

    // The hits of one answer body; none when it is no Torrents-CSV answer.
    static std::optional<QList<RawHit>> answerHits(const QByteArray& body);
    static std::optional<RawHit> hit(const nlohmann::json& object);

private:
    QNetworkAccessManager& m_network;
    QUrl m_base;
};
