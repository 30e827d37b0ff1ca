#pragma once

#include "TorrentIndex.h"

#include <QUrl>

#include <nlohmann/json.hpp>

#include <optional>

class QNetworkAccessManager;

// YTS: movies only; one hit per torrent of each movie, the title composed from its parts.
class YtsIndex final : public TorrentIndex {
public:
    YtsIndex(QNetworkAccessManager& network, QUrl host);

    QString name() const override { return QStringLiteral("YTS"); }
    const QUrl& host() const { return m_host; }

    QCoro::Task<QList<RawHit>> search(TorrentQuery query) const override;
    QCoro::Task<Reply> searchReported(TorrentQuery query) const override;

    // The hits of one answer body, titles falling back on `queryText`; none when it is no
    // YTS answer.
    static std::optional<QList<RawHit>> answerHits(const QByteArray& body,
                                                   const QString& queryText);
    // The hits of one movie object of the answer.
    static QList<RawHit> hits(const nlohmann::json& movie, const QString& queryText);

private:
    QNetworkAccessManager& m_network;
    QUrl m_host;
};
