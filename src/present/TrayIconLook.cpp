#include "TrayIconLook.h"

#include <algorithm>

TrayIconLook TrayIconLook::plain() {
    return {false, QStringLiteral("MenuBarIcon"), QStringLiteral("Lumivane")};
}

TrayIconLook TrayIconLook::needingAttention() {
    return {true, QStringLiteral("MenuBarIconAlarm"),
            QStringLiteral("Lumivane — a download needs attention")};
}

TrayIconLook TrayIconLook::engineDown() {
    return {true, QStringLiteral("MenuBarIconAlarm"),
            QStringLiteral("Lumivane — the download engine is not running")};
}

bool downloadNeedsAttention(const QList<DownloadRecord>& history, const AppSettings& settings,
                            Timestamp now) {
    return std::any_of(history.begin(), history.end(), [&](const DownloadRecord& row) {
        return row.isStale(settings.staleNudgeDays, now);
    });
}

TrayIconLook trayIconLook(const QList<DownloadRecord>& history, const AppSettings& settings,
                          Timestamp now, bool engineDown) {
    if (engineDown)
        return TrayIconLook::engineDown();
    return downloadNeedsAttention(history, settings, now) ? TrayIconLook::needingAttention()
                                                          : TrayIconLook::plain();
}
