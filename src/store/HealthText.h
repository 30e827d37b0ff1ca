#pragma once

// Every text the store uses to tell the user that something is broken, or works again.
// Each names what failed and what to do about it.

#include "Notifier.h"
#include "model/EngineHealth.h"
#include "model/StorageFiles.h"

#include <QString>
#include <QStringList>

namespace HealthText {

// A storage file that could not be read in full at start.
QString setAsideLine(const StorageFiles::SetAside& aside);
Notice setAsideNotice(const StorageFiles::SetAside& aside);

// The download daemon cannot run; `endpointsFile` and `logFile` are full paths.
QString engineFailureLine(const EngineHealth& health, const QString& endpointsFile,
                          const QString& logFile);
Notice engineFailureNotice(const EngineHealth& health, const QString& endpointsFile,
                           const QString& logFile);
QString engineRecoveredLine();

// A whole check cycle without an answer from any of `indexes`.
QString indexesSilentLine(const QStringList& indexes, const QString& endpointsFile);
QString indexesAnswerAgainLine(const QStringList& answered);

QString tmdbKeyRefusedLine();
QString tmdbKeyAcceptedLine();
QString tmdbUnreachableLine(const QString& endpointsFile);
QString tmdbAnswersAgainLine();

} // namespace HealthText
