#include "Updater.h"

void UnconfiguredUpdater::checkForUpdates() {
    Q_EMIT checkFinished(
        QStringLiteral("This build of Lumivane has no update feed configured, so it cannot check "
                       "for a newer version. Your distribution or the project's release page "
                       "has the latest one."));
}
