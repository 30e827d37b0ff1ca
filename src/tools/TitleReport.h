#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// What lumivane-titles says about one release title: the grammar's reading of it and, given a
// name, whether a series or movie check would take it. Support uses it to answer "why was this
// release skipped?", so it calls exactly what the checker calls.
struct TitleReportOptions {
    std::optional<QString> name;         // --name
    std::optional<QStringList> origin;   // --origin CC[,CC…]
    std::optional<QString> firstAirYear; // --first-air-year
    std::optional<QString> year;         // --year
};

// One compact JSON object (no newline) for one input line; a line "NAME<TAB>TITLE" names the
// series or movie for that line alone.
QByteArray titleReportLine(const QString& line, const TitleReportOptions& options);
