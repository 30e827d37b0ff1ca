// The calendar file that calendar applications subscribe to follows the calendar.

#include "Journey.h"

namespace {

using CalendarJourney = Journey;

QByteArray readCalendar(const QString& folder) {
    QFile file(QDir(folder).filePath(QString::fromLatin1(StorageFiles::kCalendar)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST_F(CalendarJourney, CalendarFileHoldsTheSeasonAtStartAndLosesARemovedSeries) {
    seedShows({harbourLights()});
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(waitFor([&] { return !store().calendarEvents().isEmpty(); }));

    const QByteArray ics = readCalendar(m_env.storageFolder());
    EXPECT_EQ(ics.count("BEGIN:VEVENT"), store().calendarEvents().size());
    EXPECT_TRUE(ics.contains("SUMMARY:Harbour Lights S01E01\r\n"));
    EXPECT_TRUE(ics.contains("SUMMARY:Harbour Lights S01E04\r\n"));
    EXPECT_TRUE(ics.contains("UID:" + m_harbourLightsID.toString(QUuid::WithoutBraces).toUtf8() +
                             "-S01E02@lumivane\r\n"));
    EXPECT_TRUE(ics.contains("DESCRIPTION:Downloaded\r\n"));

    store().removeShow(m_harbourLightsID);
    const QByteArray after = readCalendar(m_env.storageFolder());
    EXPECT_TRUE(after.startsWith("BEGIN:VCALENDAR\r\n"));
    EXPECT_EQ(after.count("BEGIN:VEVENT"), 0) << "a removed series leaves the file at once";
    ASSERT_NO_FATAL_FAILURE(quit());
}
