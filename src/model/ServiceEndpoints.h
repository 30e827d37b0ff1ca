#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// Where the outside services live. Production uses the defaults; tests point every
// address at a loopback fake and pick free ports.
struct ServiceEndpoints {
    // Torrent indexes
    QUrl knabenAPI{QStringLiteral("https://api.knaben.org/v1")};
    QUrl apibayQuery{QStringLiteral("https://apibay.org/q.php")};
    QUrl eztvPrimary{QStringLiteral("https://eztvx.to")};
    QUrl eztvFallback{QStringLiteral("https://eztv.re")};
    QUrl torrentsCsvSearch{QStringLiteral("https://torrents-csv.com/service/search")};
    QUrl nyaaRoot{QStringLiteral("https://nyaa.si/")};
    QUrl ytsHost{QStringLiteral("https://yts.mx")};

    // TMDB: the API root with its version path, and the image host
    QUrl tmdbAPI{QStringLiteral("https://api.themoviedb.org/3")};
    QUrl tmdbImages{QStringLiteral("https://image.tmdb.org")};

    // The release feed the updater reads; none in a build whose updates come with the
    // system's packages
    std::optional<QUrl> updateFeed;

    // The download daemon, always on loopback
    quint16 rpcPort = 9098;
    quint16 peerPort = 51413;

    // Every service address above (not the release feed) at `url`: a loopback port nothing listens on keeps a run offline.
    void pointEveryServiceAt(const QUrl& url);

    bool operator==(const ServiceEndpoints&) const = default;
};

// An optional endpoints.json in the storage folder moves services whose domains changed:
// any subset of the addresses above (and `updateFeed`) (keys named like the fields, values absolute http(s)
// addresses) and the two ports. Missing keys keep `base`. Nullopt when the text is not such
// an object, with the reason in `error`.
std::optional<ServiceEndpoints> withOverrides(const ServiceEndpoints& base, QByteArrayView json,
                                              QString* error = nullptr);
