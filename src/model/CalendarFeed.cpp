#include "CalendarFeed.h"

#include <QDate>
#include <QDateTime>
#include <QSet>

namespace CalendarFeed {

namespace {

constexpr qsizetype kFoldOctets = 75;

QByteArray dateValue(const QDate& day) {
    return day.toString(QStringLiteral("yyyyMMdd")).toLatin1();
}

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

QByteArray foldLine(const QByteArray& line) {
    QByteArray out;
    qsizetype start = 0;
    qsizetype room = kFoldOctets; // the first line has 75 octets, later ones 74 after the space
    while (line.size() - start > room) {
        qsizetype cut = start + room;
        while (cut > start && isContinuationByte(line.at(cut)))
            --cut; // never inside a UTF-8 sequence
        if (cut == start)
            cut = start + room; // not UTF-8 at all: cut where the octets say
        out += line.mid(start, cut - start);
        out += "\r\n ";
        start = cut;
        room = kFoldOctets - 1;
    }
    out += line.mid(start);
    out += "\r\n";
    return out;
}

QString escapeText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\\' || c == u';' || c == u',') {
            out += u'\\';
            out += c;
        } else if (c == u'\r') {
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                continue; // CRLF is one break
            out += QStringLiteral("\\n");
        } else if (c == u'\n') {
            out += QStringLiteral("\\n");
        } else if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
            continue; // other controls are not allowed in a TEXT value
        } else {
            out += c;
        }
    }
    return out;
}

QString uid(const CalEvent& event) {
    return event.showID.toString(QUuid::WithoutBraces) + QLatin1Char('-') + event.code +
           QStringLiteral("@lumivane");
}

QString stateText(CalEvent::EpisodeState state) {
    switch (state) {
    case CalEvent::EpisodeState::gotIt:
        return QStringLiteral("Downloaded");
    case CalEvent::EpisodeState::upcoming:
        return QStringLiteral("Upcoming");
    case CalEvent::EpisodeState::missing:
        return QStringLiteral("Aired, not downloaded");
    }
    return {};
}

QByteArray render(const QList<CalEvent>& events, Timestamp stamp) {
    QByteArray out;
    auto line = [&out](const QByteArray& text) { out += foldLine(text); };
    line("BEGIN:VCALENDAR");
    line("VERSION:2.0");
    line("PRODID:-//Lumivane//Lumivane//EN");
    line("CALSCALE:GREGORIAN");
    line("METHOD:PUBLISH");
    line("X-WR-CALNAME:Lumivane");
    const QByteArray dtstamp =
        stamp.toDateTime().toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")).toLatin1();
    QSet<QString> seen;
    for (const CalEvent& event : events) {
        const QDate day = event.date.toDateTime().toLocalTime().date();
        const QString id = uid(event);
        // A UID twice would make readers drop one of the two or refuse the file.
        if (!day.isValid() || seen.contains(id))
            continue;
        seen.insert(id);
        line("BEGIN:VEVENT");
        line("UID:" + escapeText(id).toUtf8());
        line("DTSTAMP:" + dtstamp);
        line("DTSTART;VALUE=DATE:" + dateValue(day));
        line("DTEND;VALUE=DATE:" + dateValue(day.addDays(1)));
        line("SUMMARY:" + escapeText(event.showName + QLatin1Char(' ') + event.code).toUtf8());
        line("DESCRIPTION:" + escapeText(stateText(event.state)).toUtf8());
        line("TRANSP:TRANSPARENT");
        line("END:VEVENT");
    }
    line("END:VCALENDAR");
    return out;
}

} // namespace CalendarFeed
