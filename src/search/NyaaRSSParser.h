#pragma once

#include "model/Timestamp.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// Reads Nyaa's RSS feed element by element: the text of each element inside an <item> is
// filed by the element's name.
class NyaaRSSParser {
public:
    struct Item {
        QString title;
        int seeders = 0;
        int leechers = 0;
        std::optional<QString> infoHash;
        qint64 sizeBytes = 0;
        std::optional<Timestamp> pubDate;
        std::optional<QString> guid;

        bool operator==(const Item&) const = default;
    };

    // False when the document is not well-formed XML; `items` then holds what came before.
    bool parse(const QByteArray& xml);

    QList<Item> items;
    std::optional<Item> current;
    QString text;

private:
    void startElement(QStringView name);
    void endElement(QStringView name);
};

// "1.5 GiB" → 1610612736. Only the four binary units scale; any other unit counts as bytes.
// Anything that is not exactly "<number> <unit>", or does not fit, is 0.
qint64 parseNyaaSize(QStringView text);

// "Sat, 04 May 2024 10:20:30 -0000" (RFC 822 with a numeric zone or GMT/UTC).
std::optional<Timestamp> parseRssDate(QStringView text);
