#include "Movie.h"

QString Movie::displayTitle() const {
    if (year && !year->isEmpty())
        return name + QStringLiteral(" (") + *year + QLatin1Char(')');
    return name;
}
