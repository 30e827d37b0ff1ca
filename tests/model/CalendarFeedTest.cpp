#include "model/CalendarFeed.h"

#include "Fixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A line written as runs of [text, times].
QByteArray runs(const nlohmann::json& pieces) {
    QByteArray out;
    for (const auto& run : pieces)
        out += QByteArray::fromStdString(run[0].get<std::string>()).repeated(run[1].get<int>());
    return out;
}

TEST(CalendarText, FoldsAtSeventyFiveOctetsAndNeverInsideACharacter) {
    const nlohmann::json table = fixtureJson("records/calendar-lines.json");
    ASSERT_EQ(table["fold"]["rows"].size(), 6u);
    for (const auto& c : table["fold"]["rows"]) {
        SCOPED_TRACE(c[0].get<std::string>());
        const QByteArray line = runs(c[1]), folded = CalendarFeed::foldLine(line);
        QList<QByteArray> expected;
        for (const auto& physical : c[2])
            expected << runs(physical) + "\r";
        EXPECT_EQ(folded, expected.join('\n') + '\n');
        QByteArray unfolded;
        for (const QByteArray& l : expected)
            unfolded += unfolded.isEmpty() ? l.chopped(1) : l.mid(1).chopped(1);
        EXPECT_EQ(unfolded, line) << "unfolding gives the line back";
    }
    ASSERT_EQ(table["escape"]["rows"].size(), 7u);
    for (const auto& c : table["escape"]["rows"])
        EXPECT_EQ(CalendarFeed::escapeText(qstr(c[0])), qstr(c[1])) << c[0];
}

CalEvent event(const char* show, const QUuid& id, const char* code, const QDate& day,
               CalEvent::EpisodeState state) {
    return CalEvent{QUuid::createUuid(),
                    id,
                    QString::fromUtf8(show),
                    QString::fromLatin1(code),
                    Timestamp::fromDateTime(day.startOfDay()),
                    state};
}

TEST(CalendarFeed, TheUIDSurvivesARebuildAndAnEpisodeListedTwiceIsWrittenOnce) {
    const QUuid show = QUuid::createUuid();
    const CalEvent first =
        event("A", show, "S01E01", QDate(2026, 1, 8), CalEvent::EpisodeState::upcoming);
    CalEvent rebuilt = first;
    rebuilt.id = QUuid::createUuid();
    rebuilt.state = CalEvent::EpisodeState::gotIt;
    EXPECT_EQ(CalendarFeed::uid(first), CalendarFeed::uid(rebuilt));
    CalEvent other = first;
    other.code = "S01E02";
    EXPECT_NE(CalendarFeed::uid(first), CalendarFeed::uid(other));

    const QByteArray ics =
        CalendarFeed::render({first, rebuilt}, Timestamp::fromReferenceSeconds(0));
    EXPECT_EQ(ics.count("BEGIN:VEVENT"), 1);
}

// The file as a real iCalendar reader sees it (Debian's python3-icalendar).
TEST(CalendarFeed, ARealReaderFindsEveryEpisodeWithItsDaySummaryAndState) {
    const QString python = QStringLiteral("/usr/bin/python3");
    QProcess probe;
    probe.start(python, {"-c", "import icalendar"});
    if (!probe.waitForFinished(20000) || probe.exitCode() != 0)
        GTEST_SKIP() << "python3-icalendar is not installed (scripts/install-deps.sh installs it)";

    const QUuid a = QUuid::createUuid();
    const QUuid b = QUuid::createUuid();
    const QString longName = QString::fromUtf8("Les Misérables; or, the \\ Very Long Title of a "
                                               "Series That Goes On and On and On");
    const QList<CalEvent> events{
        event("Harbour Lights", a, "S01E03", QDate(2025, 12, 25), CalEvent::EpisodeState::missing),
        event("Harbour Lights", a, "S01E04", QDate(2026, 1, 8), CalEvent::EpisodeState::upcoming),
        event(longName.toUtf8().constData(), b, "S02E10", QDate(2025, 12, 31),
              CalEvent::EpisodeState::gotIt),
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("calendar.ics");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray ics = CalendarFeed::render(
        events, Timestamp::fromDateTime(QDateTime(QDate(2026, 1, 1), QTime(9, 30), Qt::UTC)));
    file.write(ics);
    file.close();
    for (const QByteArray& line : ics.split('\n'))
        EXPECT_LE(line.size(), 76) << "75 octets and the CR: " << line.toStdString();

    const char* reader = R"(
import icalendar, json, sys
cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())
out = {'version': str(cal['VERSION']), 'prodid': str(cal['PRODID']), 'events': []}
for ev in cal.walk('VEVENT'):
    start = ev.decoded('DTSTART'); end = ev.decoded('DTEND')
    out['events'].append({'uid': str(ev['UID']), 'summary': str(ev['SUMMARY']),
        'description': str(ev['DESCRIPTION']), 'start': start.isoformat(),
        'allDay': not hasattr(start, 'hour'), 'days': (end - start).days,
        'stamp': ev.decoded('DTSTAMP').isoformat()})
print(json.dumps(out))
)";
    QProcess run;
    run.start(python, {"-c", reader, path});
    ASSERT_TRUE(run.waitForFinished(20000));
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    const QJsonObject parsed = QJsonDocument::fromJson(run.readAllStandardOutput()).object();
    EXPECT_EQ(parsed["version"].toString(), "2.0");
    const QJsonArray read = parsed["events"].toArray();
    ASSERT_EQ(read.size(), 3);
    const QStringList summaries{"Harbour Lights S01E03", "Harbour Lights S01E04",
                                longName + " S02E10"};
    const QStringList starts{"2025-12-25", "2026-01-08", "2025-12-31"};
    const QStringList descriptions{"Aired, not downloaded", "Upcoming", "Downloaded"};
    for (int i = 0; i < 3; ++i) {
        const QJsonObject ev = read[i].toObject();
        EXPECT_EQ(ev["summary"].toString(), summaries[i]) << i;
        EXPECT_EQ(ev["start"].toString(), starts[i]) << i;
        EXPECT_TRUE(ev["allDay"].toBool()) << i;
        EXPECT_EQ(ev["days"].toInt(), 1) << i;
        EXPECT_EQ(ev["description"].toString(), descriptions[i]) << i;
        EXPECT_EQ(ev["uid"].toString(), CalendarFeed::uid(events[i])) << i;
        EXPECT_EQ(ev["stamp"].toString(), "2026-01-01T09:30:00+00:00") << i;
    }
}

} // namespace
