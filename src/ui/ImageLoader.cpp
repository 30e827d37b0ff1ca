#include "ImageLoader.h"

#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QNetworkRequest>

ImageLoader::ImageLoader(QUrl imageHost, const QString& cacheFolder, QObject* parent)
    : QObject(parent)
    , m_host(std::move(imageHost))
    , m_network(new QNetworkAccessManager(this)) {
    if (!cacheFolder.isEmpty()) {
        auto* cache = new QNetworkDiskCache(m_network);
        cache->setCacheDirectory(cacheFolder);
        cache->setMaximumCacheSize(200LL * 1024 * 1024);
        m_network->setCache(cache);
    }
}

ImageLoader::~ImageLoader() = default;

QUrl ImageLoader::imageURL(const QString& size, const QString& posterPath) const {
    const QString path = posterPath.trimmed();
    if (path.isEmpty() || !m_host.isValid() || m_host.isRelative())
        return {};
    QUrl url = m_host;
    QString base = url.path();
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    url.setPath(base + QStringLiteral("/t/p/") + size +
                (path.startsWith(QLatin1Char('/')) ? path : QLatin1Char('/') + path));
    return url.isValid() ? url : QUrl();
}

void ImageLoader::load(const std::optional<QString>& posterPath, const QString& size,
                       const QObject* context, std::function<void(const QImage&)> done) {
    const QUrl url = posterPath ? imageURL(size, *posterPath) : QUrl();
    if (url.isEmpty()) {
        done(QImage());
        return;
    }
    if (const QImage* image = m_memory.object(url)) {
        done(*image);
        return;
    }
    auto& waiters = m_waiting[url];
    waiters.append(Waiter{context, std::move(done)});
    if (waiters.size() > 1)
        return; // already asked for

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::PreferCache);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    request.setTransferTimeout(kTimeoutMs);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Lumivane/0.1"));
    QNetworkReply* reply = m_network->get(request);
    ++m_started;
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > kMaxImageBytes)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, url, reply] { finished(url, reply); });
}

void ImageLoader::finished(const QUrl& url, QNetworkReply* reply) {
    reply->deleteLater();
    QImage image;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() == QNetworkReply::NoError && status == 200)
        image.loadFromData(reply->read(kMaxImageBytes + 1));
    if (!image.isNull())
        m_memory.insert(url, new QImage(image), qMax<qsizetype>(1, image.sizeInBytes() / 1024));
    const QList<Waiter> waiters = m_waiting.take(url);
    for (const Waiter& waiter : waiters)
        if (waiter.context)
            waiter.done(image);
}
