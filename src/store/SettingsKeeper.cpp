#include "SettingsKeeper.h"

#include "ActivityLog.h"
#include "model/LibraryLayout.h"

#include <QDir>

namespace {

// Only a local folder named by an absolute path can be a library.
std::optional<QUrl> usableRoot(const std::optional<QUrl>& stored) {
    if (stored && stored->isLocalFile() && QDir::isAbsolutePath(stored->toLocalFile()))
        return *stored;
    return std::nullopt;
}

} // namespace

SettingsKeeper::SettingsKeeper(ActivityLog& log, QString defaultRoot, QObject* parent)
    : QObject(parent)
    , m_log(log)
    , m_defaultRoot(std::move(defaultRoot)) {}

QUrl SettingsKeeper::libraryRoot(const AppSettings& settings, const QString& defaultRoot) {
    return usableRoot(settings.rootFolder).value_or(QUrl::fromLocalFile(defaultRoot));
}

bool SettingsKeeper::storedRootUnusable() const {
    return m_settings.rootFolder && !usableRoot(m_settings.rootFolder);
}

void SettingsKeeper::update(const std::function<void(AppSettings&)>& change) {
    AppSettings updated = m_settings;
    change(updated);
    const QString rootBefore = rootFolderPath();
    const QString newRoot = libraryRoot(updated, m_defaultRoot).toLocalFile();
    if (newRoot != rootBefore) {
        if (const auto why = LibraryLayout::unusableReason(newRoot)) {
            m_log.logActivity(QStringLiteral("Kept the library folder at %1: %2 cannot be used — %3")
                                  .arg(rootBefore, newRoot, *why),
                              ActivityEntry::Kind::error);
            updated.rootFolder = m_settings.rootFolder;
        }
    }
    const bool intervalMoved = updated.checkIntervalMinutes != m_settings.checkIntervalMinutes;
    const bool seedingMoved = updated.seedRatioEnabled != m_settings.seedRatioEnabled ||
                                updated.seedRatioLimit != m_settings.seedRatioLimit;
    m_settings = std::move(updated);

    Q_EMIT changed();
    if (rootFolderPath() != rootBefore)
        Q_EMIT libraryRootChanged(rootFolderPath());
    if (intervalMoved)
        Q_EMIT checkIntervalChanged();
    if (seedingMoved)
        Q_EMIT seedingChanged();
}
