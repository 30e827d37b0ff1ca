#include "PosterCache.h"

#include <QDateTime>
#include <QFile>
#include <QNetworkDiskCache>

// Every poster a scene shows, answered from the cache as the image host would.
void fillPosterCache(const QString& folder, const QStringList& posterPaths) {
    QFile poster(QStringLiteral(LUMIVANE_TEST_FIXTURES "/ui/poster.png"));
    if (!poster.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = poster.readAll();
    QNetworkDiskCache cache;
    cache.setCacheDirectory(folder);
    for (const QString& path : posterPaths) {
        for (const char* size : {"w92", "w342"}) {
            QNetworkCacheMetaData meta;
            meta.setUrl(QUrl(kShotImageHost.toString() + "/t/p/" + size + path));
            meta.setSaveToDisk(true);
            meta.setExpirationDate(QDateTime::currentDateTimeUtc().addYears(1));
            meta.setRawHeaders({{"Content-Type", "image/png"}});
            meta.setAttributes({{QNetworkRequest::HttpStatusCodeAttribute, 200}});
            if (QIODevice* device = cache.prepare(meta)) {
                device->write(bytes);
                cache.insert(device);
            }
        }
    }
}
