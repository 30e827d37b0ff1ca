#pragma once

#include <QString>

// Where a finished download was filed.
struct SortResult {
    QString movedTo;  // full path of the file at its new place
    QString filename; // last component of movedTo

    bool operator==(const SortResult&) const = default;
};
