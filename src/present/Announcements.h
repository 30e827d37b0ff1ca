#pragma once

#include "model/ActivityEntry.h"

#include <QString>

#include <optional>

// What a screen reader is told, unasked, about changes the user waits for: a check starting
// and finishing, a release grabbed, an error, a new health problem. Nothing else is spoken, so
// the countdown's ticking never interrupts.
namespace announce {

std::optional<QString> forCheck(bool wasChecking, bool isChecking);
// Lines of the activity log: a find (a grab started) and errors are spoken, the rest is not.
std::optional<QString> forActivity(const ActivityEntry& entry);
// A problem that appeared or changed; its going away is spoken too.
std::optional<QString> forProblem(const std::optional<QString>& before,
                                  const std::optional<QString>& now);

} // namespace announce
