#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

// An abbreviated date without time in the given locale ("Mar 15, 2025" in en_US,
// "15 Mar 2025" in en_GB). Qt has short and long formats only; this is the long one
// without the weekday and with abbreviated month names.
QString abbreviatedDate(const QDate& date, const QLocale& locale = QLocale());
