#pragma once

#include "model/ActivityEntry.h"

#include <QString>

// Where the store's collaborators write the lines the user reads in Activity.
class ActivityLog {
public:
    virtual ~ActivityLog() = default;
    virtual void logActivity(const QString& message, ActivityEntry::Kind kind) = 0;

protected:
    ActivityLog() = default;
    ActivityLog(const ActivityLog&) = default;
    ActivityLog& operator=(const ActivityLog&) = default;
};
