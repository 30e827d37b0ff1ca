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

    static std::optional<RawHit> hit(const nlohmann::json& object);

private:
    QNetworkAccessManager& m_network;
    QUrl m_base;
};
