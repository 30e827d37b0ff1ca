#pragma once

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

// Posters and thumbnails from TMDB's image host, for every view: answers are kept in an HTTP
// disk cache, decoded images in a small memory cache, and one image is asked for at most once
// at a time however many rows want it. A failure gives a null image (the view draws its
// placeholder); nothing is asked without a poster path.
class ImageLoader final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ImageLoader)

public:
    static constexpr qint64 kMaxImageBytes = 4 * 1024 * 1024;
    static constexpr int kTimeoutMs = 20000;

    // `imageHost` is the image service's root (e.g. https://image.tmdb.org); `cacheFolder`
    // holds the disk cache (empty: no disk cache, for tests).
    ImageLoader(QUrl imageHost, const QString& cacheFolder, QObject* parent = nullptr);
    ~ImageLoader() override;

    // host + "/t/p/" + size + path, e.g. size "w92" and path "/abc.jpg"; empty for a blank path.
    QUrl imageURL(const QString& size, const QString& posterPath) const;

    // `done` runs once, on the main thread, with the image or a null image, unless `context`
    // is gone by then. Without a poster path it runs at once with a null image.
    void load(const std::optional<QString>& posterPath, const QString& size, const QObject* context,
              std::function<void(const QImage&)> done);

    // Requests started so far (not answered from memory): how tests see the sharing.
    int requestsStarted() const { return m_started; }

private:
    struct Waiter {
        QPointer<const QObject> context;
        std::function<void(const QImage&)> done;
    };
    void finished(const QUrl& url, QNetworkReply* reply);

    QUrl m_host;
    QNetworkAccessManager* m_network;
    QHash<QUrl, QList<Waiter>> m_waiting; // per image in flight, everyone who wants it
    QCache<QUrl, QImage> m_memory{64 * 1024 * 1024 / 1024}; // costs in KiB
    int m_started = 0;
};
