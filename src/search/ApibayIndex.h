#pragma once

#include "TorrentIndex.h"

#include <QUrl>

#include <nlohmann/json.hpp>

#include <optional>

class QNetworkAccessManager;

// apibay, the API of The Pirate Bay: one GET per category, the categories asked side by side.
class ApibayIndex final : public TorrentIndex {
public:
    ApibayIndex(QNetworkAccessManager& network, QUrl base);

    QString name() const override { return QStringLiteral("The Pirate Bay"); }
    const QUrl& base() const { return m_base; }

    QCoro::Task<QList<RawHit>> search(TorrentQuery query) const override;
    QCoro::Task<Reply> searchReported(TorrentQuery query) const override;

    // 205/208 (TV, HD TV) or 201/207 (movies, HD movies).
    static QStringList categories(TorrentQuery::Kind kind);
    // The hits of one answer body; none when it is no apibay answer.
    static std::optional<QList<RawHit>> answerHits(const QByteArray& body);
    // None for the index's own "No results returned" placeholder and for unusable objects.
    static std::optional<RawHit> hit(const nlohmann::json& object);

private:
    QNetworkAccessManager& m_network;
    QUrl m_base;
};
