#include "model/CalendarFeed.h"

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

struct FoldCase {
    const char* name;
    QByteArray line;
    QList<QByteArray> expected; // the physical lines, without CRLF
};

QList<QByteArray> physicalLines(const QByteArray& folded) {
    QList<QByteArray> lines = folded.split('\n');
    EXPECT_TRUE(lines.last().isEmpty()) << "ends in a line break";
    lines.removeLast();
    for (QByteArray& l : lines) {
        EXPECT_TRUE(l.endsWith('\r')) << "every break is CRLF: " << l.toStdString();
        l.chop(1);
    }
    return lines;
}

class Fold : public testing::TestWithParam<FoldCase> {};

TEST_P(Fold, CutsAtSeventyFiveOctetsAndNeverInsideACharacter) {
    const FoldCase& c = GetParam();
    const QList<QByteArray> lines = physicalLines(CalendarFeed::foldLine(c.line));
    EXPECT_EQ(lines, c.expected);
    QByteArray unfolded;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        EXPECT_LE(lines[i].size(), 75) << i;
        unfolded += i == 0 ? lines[i] : lines[i].mid(1);
    }
    EXPECT_EQ(unfolded, c.line) << "unfolding gives the line back";
}

const QByteArray k75(75, 'a');
// 73 ASCII octets then "é" (2 octets) would end at octet 75; one more "é" crosses it.
const QByteArray kAccents = QByteArray(73, 'b') + "\xc3\xa9\xc3\xa9";

INSTANTIATE_TEST_SUITE_P(
    Calendar, Fold,
    testing::Values(FoldCase{"short", "SUMMARY:x", {"SUMMARY:x"}},
                    FoldCase{"exactly75", k75, {k75}},
                    FoldCase{"76", k75 + "z", {k75, " z"}},
                    // second line: space + 74 octets, then the rest
                    FoldCase{"threeLines", QByteArray(75 + 74 + 3, 'c'),
                             {QByteArray(75, 'c'), " " + QByteArray(74, 'c'), " ccc"}},
                    FoldCase{"utf8Boundary", kAccents,
                             {QByteArray(73, 'b') + "\xc3\xa9", " \xc3\xa9"}},
                    // a three-octet character straddling octet 75 moves whole to the next line
                    FoldCase{"euroSign", QByteArray(74, 'd') + "\xe2\x82\xac",
                             {QByteArray(74, 'd'), " \xe2\x82\xac"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CalendarText, EscapesTheFourSpecialCharactersAndDropsOtherControls) {
    const QList<std::pair<QString, QString>> cases{
        {"Law, Order", "Law\\, Order"},
        {"a;b", "a\\;b"},
        {"back\\slash", "back\\\\slash"},
        {"two\nlines", "two\\nlines"},
        {"crlf\r\nonce", "crlf\\nonce"},
        {"bell\x07", "bell"},
        {"plain", "plain"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(CalendarFeed::escapeText(in), out) << in.toStdString();
}

CalEvent event(const char* show, const QUuid& id, const char* code, const QDate& day,
               CalEvent::EpisodeState state) {
    return CalEvent{QUuid::createUuid(), id, QString::fromUtf8(show), QString::fromLatin1(code),
                    Timestamp::fromDateTime(day.startOfDay()), state};
}

TEST(CalendarFeed, TheUIDSurvivesARebuildAndAnEpisodeListedTwiceIsWrittenOnce) {
    const QUuid show = QUuid::createUuid();
    const CalEvent first = event("A", show, "S01E01", QDate(2026, 1, 8), CalEvent::EpisodeState::upcoming);
    CalEvent rebuilt = first;
    rebuilt.id = QUuid::createUuid();
    rebuilt.state = CalEvent::EpisodeState::gotIt;
    EXPECT_EQ(CalendarFeed::uid(first), CalendarFeed::uid(rebuilt));
    CalEvent other = first;
    other.code = "S01E02";
    EXPECT_NE(CalendarFeed::uid(first), CalendarFeed::uid(other));

    const QByteArray ics = CalendarFeed::render({first, rebuilt}, Timestamp::fromReferenceSeconds(0));
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
        event(longName.toUtf8().constData(), b, "S02E10", QDate(2025, 12, 31), CalEvent::EpisodeState::gotIt),
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("calendar.ics");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray ics = CalendarFeed::render(events, Timestamp::fromDateTime(QDateTime(QDate(2026, 1, 1), QTime(9, 30), Qt::UTC)));
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
    const QStringList summaries{"Harbour Lights S01E03", "Harbour Lights S01E04", longName + " S02E10"};
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
