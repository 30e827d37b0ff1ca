#pragma once

#include "engine/StallReason.h"
#include "model/DownloadRecord.h"

#include <QString>

#include <optional>

// The short note on tracker contact that a history row keeps, from the daemon's diagnosis.
std::optional<QString> trackerHintFor(std::optional<StallReason> note);
