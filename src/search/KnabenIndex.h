#pragma once

#include "TorrentIndex.h"

#include <QSet>
#include <QUrl>

#include <nlohmann/json.hpp>

#include <optional>

class QNetworkAccessManager;

// Knaben: a meta-search over many trackers, one JSON POST per spelling of the query.
class KnabenIndex final : public TorrentIndex {
public:
    // Why one spelling of the query brought nothing; it never leaves the client.
    enum class IndexError { badStatus, badPayload };

    KnabenIndex(QNetworkAccessManager& network, QUrl apiURL);

    QString name() const override { return QStringLiteral("Knaben"); }
    const QUrl& apiURL() const { return m_apiURL; }

    QCoro::Task<QList<RawHit>> search(TorrentQuery query) const override;
    QCoro::Task<Reply> searchReported(TorrentQuery query) const override;

    // The request body for one spelling of the query.
    static QByteArray requestBody(const QString& text, const TorrentQuery& query);
    // The hits of one answer body, skipping objects whose key (their "id", else "hash", else
    // "title") is in `seen` and adding the others' keys; none when it is no Knaben answer.
    static std::optional<QList<RawHit>> answerHits(const QByteArray& body, QSet<QString>& seen);
    static std::optional<RawHit> hit(const nlohmann::json& object);

private:
    QNetworkAccessManager& m_network;
    QUrl m_apiURL;
};

// The spellings Knaben is asked for: apostrophes read as a space, then as nothing
// ("Bob's Burgers" → "Bob s Burgers", "Bobs Burgers"); a text without one gives itself once.
QStringList apostropheVariants(const QString& text);
