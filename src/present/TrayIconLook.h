#pragma once

#include "model/AppSettings.h"
#include "model/DownloadRecord.h"
#include "model/Timestamp.h"

#include <QList>
#include <QString>

// What the tray icon shows: the plain icon, or the attention variant while some download has
// been stuck for longer than the user's nudge setting allows, or while the download engine is
// down (nothing can download then).
struct TrayIconLook {
    bool attention = false;
    QString iconName; // "MenuBarIcon" or "MenuBarIconAlarm"
    QString toolTip;  // also the accessible name

    bool operator==(const TrayIconLook&) const = default;

    static TrayIconLook plain();
    static TrayIconLook needingAttention();
    static TrayIconLook engineDown();
};

bool downloadNeedsAttention(const QList<DownloadRecord>& history, const AppSettings& settings,
                            Timestamp now);
TrayIconLook trayIconLook(const QList<DownloadRecord>& history, const AppSettings& settings,
                          Timestamp now, bool engineDown = false);
