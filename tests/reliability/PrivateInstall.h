#pragma once

#include "model/ServiceEndpoints.h"

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// The real executable copied into a private home, started there with --headless. The copy has
// no bundled daemon beside it, so it starts none and never kills the daemons other tests run;
// endpoints.json points it at loopback fakes instead.
class PrivateInstall {
public:
    PrivateInstall();

    bool isValid() const { return m_problem.isEmpty(); }
    const QString& problem() const { return m_problem; }

    QString home() const { return m_home.path(); }
    QString storageFolder() const; // $XDG_DATA_HOME/Lumivane

    void writeEndpoints(const QString& storageFolder, const ServiceEndpoints& endpoints) const;
    // Starts `lumivane --headless` with its output thrown away; false when it did not start.
    bool start(QProcess& process) const;

private:
    QTemporaryDir m_home;
    QString m_executable;
    QString m_problem;
};
