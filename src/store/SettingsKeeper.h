#pragma once

#include "model/AppSettings.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

class ActivityLog;

// The user's settings as one observable object: whoever depends on a value listens for its
// change instead of comparing fields by hand, and settings.json is read only by the store.
class SettingsKeeper final : public QObject {
    Q_OBJECT

public:
    // `defaultRoot` is the library used while the settings name no usable folder.
    SettingsKeeper(ActivityLog& log, QString defaultRoot, QObject* parent = nullptr);

    const AppSettings& settings() const { return m_settings; }
    // What settings.json held at start; tells no one.
    void load(AppSettings settings) { m_settings = std::move(settings); }

    // Applies a change to a copy and publishes it. A library root that cannot be made or
    // written is refused with a line saying why; the old one stays.
    void update(const std::function<void(AppSettings&)>& change);

    QUrl rootFolderURL() const { return libraryRoot(m_settings, m_defaultRoot); }
    QString rootFolderPath() const { return rootFolderURL().toLocalFile(); }
    // The stored root names something that cannot be a library (not a local, absolute path).
    bool storedRootUnusable() const;
    // The library root `settings` name, or `defaultRoot` when they name no local folder.
    static QUrl libraryRoot(const AppSettings& settings, const QString& defaultRoot);

Q_SIGNALS:
    // After every update, changed or not: the views re-read their fields.
    void changed();
    void checkIntervalChanged();
    void seedingChanged();
    void libraryRootChanged(const QString& root);

private:
    ActivityLog& m_log;
    QString m_defaultRoot;
    AppSettings m_settings;
};
