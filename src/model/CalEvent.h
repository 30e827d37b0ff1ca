#pragma once

#include "model/Timestamp.h"

#include <QString>
#include <QUuid>

// One episode on one day of the calendar.
struct CalEvent {
    enum class EpisodeState { gotIt, upcoming, missing };

    QUuid id; // fresh for each build; events are not compared across rebuilds
    QUuid showID;
    QString showName;
    QString code;   // "S%02dE%02d"
    Timestamp date; // the air day at local midnight
    EpisodeState state = EpisodeState::upcoming;

    bool operator==(const CalEvent&) const = default;
};
