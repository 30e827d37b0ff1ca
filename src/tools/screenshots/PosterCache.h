#pragma once

#include <QStringList>
#include <QUrl>

// The image host the scenes' loaders name: a closed port, so every poster comes from the cache.
inline const QUrl kShotImageHost(QStringLiteral("http://127.0.0.1:9"));

// Fills a disk cache in `folder` with the sample poster for each path, at every size a view asks.
void fillPosterCache(const QString& folder, const QStringList& posterPaths);
