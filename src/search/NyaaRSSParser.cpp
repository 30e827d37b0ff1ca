#include "NyaaRSSParser.h"

#include "IndexAnswer.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QTime>
#include <QXmlStreamReader>

#include <cmath>

bool NyaaRSSParser::parse(const QByteArray& xml) {
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            startElement(reader.qualifiedName());
            break;
        case QXmlStreamReader::Characters:
            text += reader.text();
            break;
        case QXmlStreamReader::EndElement:
            endElement(reader.qualifiedName());
            break;
        default:
            break;
        }
    }
    return !reader.hasError();
}

void NyaaRSSParser::startElement(QStringView name) {
    text.clear();
    if (name == u"item")
        current = Item{};
}

void NyaaRSSParser::endElement(QStringView name) {
    if (!current)
        return;
    const QString value = text.trimmed();
    auto integer = [&value] {
        return IndexAnswer::clampedToInt(IndexAnswer::parseDecimalInteger(value).value_or(0));
    };
    if (name == u"title")
        current->title = value;
    else if (name == u"nyaa:seeders")
        current->seeders = integer();
    else if (name == u"nyaa:leechers")
        current->leechers = integer();
    else if (name == u"nyaa:infoHash")
        current->infoHash = value;
    else if (name == u"nyaa:size")
        current->sizeBytes = parseNyaaSize(value);
    else if (name == u"guid")
        current->guid = value;
    else if (name == u"pubDate")
        current->pubDate = parseRssDate(value);
    else if (name == u"item") {
        items.append(*std::move(current));
        current.reset();
    }
}

qint64 parseNyaaSize(QStringView text) {
    const auto pieces = text.split(u' ', Qt::SkipEmptyParts);
    if (pieces.size() != 2 || pieces[0].size() > 64)
        return 0;
    bool ok = false;
    const double amount = pieces[0].toDouble(&ok);
    if (!ok || !std::isfinite(amount))
        return 0;
    double multiplier = 1.0;
    const QStringView unit = pieces[1];
    if (unit.compare(u"kib", Qt::CaseInsensitive) == 0)
        multiplier = 1024.0;
    else if (unit.compare(u"mib", Qt::CaseInsensitive) == 0)
        multiplier = 1048576.0;
    else if (unit.compare(u"gib", Qt::CaseInsensitive) == 0)
        multiplier = 1073741824.0;
    else if (unit.compare(u"tib", Qt::CaseInsensitive) == 0)
        multiplier = 1099511627776.0;
    const double bytes = std::trunc(amount * multiplier);
    // 2^63 itself does not fit; stay clear of the edge.
    if (!std::isfinite(bytes) || bytes >= 9.2e18 || bytes <= -9.2e18)
        return 0;
    return static_cast<qint64>(bytes);
}

std::optional<Timestamp> parseRssDate(QStringView text) {
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(QStringLiteral(
        R"([A-Za-z]{3}, ([0-9]{2}) ([A-Za-z]{3}) ([0-9]{4}) ([0-9]{2}):([0-9]{2}):([0-9]{2}) ([+-][0-9]{4}|GMT|UTC))")));
    static const QStringList months{"jan", "feb", "mar", "apr", "may", "jun",
                                    "jul", "aug", "sep", "oct", "nov", "dec"};
    if (text.size() > 64)
        return std::nullopt;
    const auto m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const qsizetype month = months.indexOf(m.capturedView(2).toString().toLower());
    const QDate date(m.capturedView(3).toInt(), static_cast<int>(month) + 1,
                     m.capturedView(1).toInt());
    const QTime time(m.capturedView(4).toInt(), m.capturedView(5).toInt(),
                     m.capturedView(6).toInt());
    if (month < 0 || !date.isValid() || !time.isValid())
        return std::nullopt;
    int offsetSeconds = 0;
    if (const QStringView zone = m.capturedView(7); zone.size() == 5) {
        const int hours = zone.sliced(1, 2).toInt();
        const int minutes = zone.sliced(3, 2).toInt();
        if (minutes > 59)
            return std::nullopt;
        offsetSeconds = (hours * 60 + minutes) * 60 * (zone[0] == u'-' ? -1 : 1);
    }
    const QDateTime utc(date, time, Qt::UTC);
    return Timestamp::fromUnixSeconds(static_cast<double>(utc.toSecsSinceEpoch() - offsetSeconds));
}
