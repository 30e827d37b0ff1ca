#pragma once

#include <QList>
#include <QString>

// A series' name and its season numbers (specials left out), ascending.
struct SeriesSeasons {
    int id = 0; // the TMDB id that was asked for
    QString name;
    QList<int> seasons;

    bool operator==(const SeriesSeasons&) const = default;
};
