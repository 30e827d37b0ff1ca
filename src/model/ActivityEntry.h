#pragma once

#include "EnumRaw.h"
#include "Timestamp.h"

#include <QString>
#include <QUuid>

// One line of the activity log.
struct ActivityEntry {
    enum class Kind { check, found, downloaded, sorted, error };

    QUuid id;
    Timestamp date;
    QString message;
    Kind kind = Kind::check;

    bool operator==(const ActivityEntry&) const = default;
};

template <>
struct EnumRaw<ActivityEntry::Kind> {
    static constexpr std::array cases{
        std::pair{ActivityEntry::Kind::check, "check"},
        std::pair{ActivityEntry::Kind::found, "found"},
        std::pair{ActivityEntry::Kind::downloaded, "downloaded"},
        std::pair{ActivityEntry::Kind::sorted, "sorted"},
        std::pair{ActivityEntry::Kind::error, "error"},
    };
};
