#pragma once

#include <QProcess>
#include <QString>

// A D-Bus session bus of the test's own (dbus-daemon), so notification tests never
// reach the desktop the tests happen to run on.
class PrivateSessionBus {
public:
    PrivateSessionBus();
    ~PrivateSessionBus();

    bool isRunning() const { return !m_address.isEmpty(); }
    const QString& address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};
