// lumivane-titles: reads release titles on standard input, one per line, and prints what
// Lumivane's title grammar makes of each, one JSON object per line.

#include "TitleReport.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lumivane-titles"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LUMIVANE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads one release title per line on standard input and prints one JSON object per line:\n"
        "title, quality, episode, season, number, pack, years, incompleteOrDated; with a name "
        "also\n"
        "containsName, extraAfter, extraBefore, acceptsEpisode, otherRegion (with --origin),\n"
        "conflictsYear (with --first-air-year) and acceptsMovie (with --year, else without a "
        "year).\n"
        "A line NAME<TAB>TITLE checks TITLE against NAME."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption nameOption(QStringLiteral("name"),
                                        QStringLiteral("Series or movie name to check against."),
                                        QStringLiteral("NAME"));
    const QCommandLineOption originOption(
        QStringLiteral("origin"), QStringLiteral("The series' origin countries, e.g. GB,US."),
        QStringLiteral("CC[,CC...]"));
    const QCommandLineOption firstAirOption(QStringLiteral("first-air-year"),
                                            QStringLiteral("The series' first-air year."),
                                            QStringLiteral("YYYY"));
    const QCommandLineOption yearOption(QStringLiteral("year"),
                                        QStringLiteral("The movie's release year."),
                                        QStringLiteral("YYYY"));
    parser.addOptions({nameOption, originOption, firstAirOption, yearOption});
    parser.process(app);
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr,
                     "lumivane-titles: titles are read from standard input, not arguments\n");
        return 2;
    }

    TitleReportOptions options;
    if (parser.isSet(nameOption))
        options.name = parser.value(nameOption);
    if (parser.isSet(originOption)) {
        QStringList codes;
        for (const QString& code : parser.value(originOption).split(u',', Qt::SkipEmptyParts))
            codes.append(code.trimmed().toUpper());
        options.origin = codes;
    }
    if (parser.isSet(firstAirOption))
        options.firstAirYear = parser.value(firstAirOption);
    if (parser.isSet(yearOption))
        options.year = parser.value(yearOption);

    // Flush per line when someone is typing; batch when piped.
    const bool interactive = isatty(STDOUT_FILENO) != 0;
    std::ios::sync_with_stdio(false);
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const QByteArray json = titleReportLine(QString::fromStdString(line), options);
        std::cout.write(json.constData(), json.size());
        std::cout.put('\n');
        if (interactive)
            std::cout.flush();
    }
    std::cout.flush();
    return std::cout ? 0 : 1;
}
