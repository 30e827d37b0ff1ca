#pragma once

#include "TorrentIndex.h"

#include <QUrl>

class QNetworkAccessManager;

// Nyaa: the English-translated anime category of its RSS search.
class NyaaIndex final : public TorrentIndex {
public:
    NyaaIndex(QNetworkAccessManager& network, QUrl root);

    QString name() const override { return QStringLiteral("Nyaa"); }
    const QUrl& root() const { return m_root; }

    QCoro::Task<QList<RawHit>> search(TorrentQuery query) const override;
    QCoro::Task<Reply> searchReported(TorrentQuery query) const override;

    // The hits of a feed, at most `size` items read; none when the feed is not well formed.
    static QList<RawHit> hits(const QByteArray& feed, int size);

private:
    QNetworkAccessManager& m_network;
    QUrl m_root;
};
