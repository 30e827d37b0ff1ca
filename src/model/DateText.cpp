#include "DateText.h"

#include <QRegularExpression>

QString abbreviatedDate(const QDate& date, const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::LongFormat);
    // Drop the weekday with the separator that joins it to the rest.
    static const QRegularExpression weekday(QStringLiteral(R"(\s*,?\s*d{4}[,.]?\s*)"));
    format.replace(weekday, QStringLiteral(" "));
    format.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    return locale.toString(date, format.trimmed());
}
