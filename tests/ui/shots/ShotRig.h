#pragma once

#include "ImageLoader.h"
#include "Theme.h"

#include <QDir>
#include <QPixmap>

// The few things the series-list pictures take from the screenshot program, so they can be
// drawn from a test: a theme, the poster loader and a folder to save into.
class ShotRig {
public:
    explicit ShotRig(QString folder)
        : m_folder(std::move(folder)) {}

    Theme& theme() { return m_theme; }
    ImageLoader& images() { return m_images; }
    bool save(const QPixmap& picture, const QString& name) {
        const bool ok = picture.save(QDir(m_folder).filePath(name + QStringLiteral(".png")));
        saved += ok ? 1 : 0;
        return ok;
    }
    int saved = 0;

private:
    QString m_folder;
    Theme m_theme;
    ImageLoader m_images{QUrl(QStringLiteral("http://127.0.0.1:9")), QString()};
};
