#include "Episode.h"

#include "EpisodeCode.h"

QString Episode::id() const {
    return EpisodeCode::episode(season, number).text();
}
