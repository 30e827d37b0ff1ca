#pragma once

#include "engine/StallReason.h"
#include "model/DownloadRecord.h"

#include <QString>

#include <optional>

// The short note on tracker contact that a history row keeps, from the daemon's diagnosis.
std::optional<QString> trackerHintFor(std::optional<StallReason> note);

// What the views show for a row's hint: the count of seeds found when there is one.
QString trackerHintText(const DownloadRecord& row);
