#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <ctime>

// Switches the process's time zone for the life of the object.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* tz)
        : m_old(qgetenv("TZ")) {
        qputenv("TZ", tz);
        tzset();
    }
    ~ScopedTimeZone() {
        if (m_old.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", m_old);
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    QByteArray m_old;
};
