#include "Announcements.h"

namespace announce {

std::optional<QString> forCheck(bool wasChecking, bool isChecking) {
    if (!wasChecking && isChecking)
        return QStringLiteral("Checking now…");
    if (wasChecking && !isChecking)
        return QStringLiteral("Check finished");
    return std::nullopt;
}

std::optional<QString> forActivity(const ActivityEntry& entry) {
    switch (entry.kind) {
    case ActivityEntry::Kind::found:
        return entry.message;
    case ActivityEntry::Kind::error:
        return QStringLiteral("Error: ") + entry.message;
    case ActivityEntry::Kind::check:
    case ActivityEntry::Kind::downloaded:
    case ActivityEntry::Kind::sorted:
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<QString> forProblem(const std::optional<QString>& before,
                                  const std::optional<QString>& now) {
    const QString was = before.value_or(QString());
    const QString is = now.value_or(QString());
    if (was == is)
        return std::nullopt;
    if (is.isEmpty())
        return QStringLiteral("Listening for new episodes");
    return is;
}

} // namespace announce
