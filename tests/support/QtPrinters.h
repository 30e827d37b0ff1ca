#pragma once

// Readable failure messages for Qt values in GoogleTest assertions.

#include <QString>
#include <QStringList>
#include <QUrl>
#include <QUuid>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '[';
    for (qsizetype i = 0; i < list.size(); ++i)
        *os << (i ? ", \"" : "\"") << list[i].toStdString() << '"';
    *os << ']';
}

inline void PrintTo(const QUrl& url, std::ostream* os) {
    *os << url.toString().toStdString();
}

inline void PrintTo(const QUuid& id, std::ostream* os) {
    *os << id.toString().toStdString();
}
