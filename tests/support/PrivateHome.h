#pragma once
// The real executable in a private home: HOME and the XDG folders inside a temporary folder and
// no session bus, so it never sees the user's data nor reaches the desktop (notices go to the
// console). Header only: LUMIVANE_BINARY comes from the test binary that includes it.

#include "model/ServiceEndpoints.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <nlohmann/json.hpp>

class PrivateHome {
public:
    // `ownCopy`: the executable is copied in, with no bundled daemon beside it, so it starts
    // none and never kills the daemons other tests run.
    enum class Executable { built, ownCopy };

    explicit PrivateHome(Executable which = Executable::built)
        : m_path(QFileInfo(m_dir.path()).canonicalFilePath()) {
        if (!m_dir.isValid() || !QDir().mkpath(storageFolder()))
            m_problem = QStringLiteral("cannot make a private home");
        else if (which == Executable::ownCopy &&
                 (!QDir().mkpath(m_path + "/bin") || !QFile::copy(m_executable, m_path + "/bin/lumivane")))
            m_problem = "cannot copy " + m_executable;
        else if (which == Executable::ownCopy)
            m_executable = m_path + "/bin/lumivane";
    }

    bool isValid() const { return m_problem.isEmpty(); }
    const QString& problem() const { return m_problem; }
    const QString& path() const { return m_path; }
    const QString& executable() const { return m_executable; }
    QString storageFolder() const { return m_path + "/data/Lumivane"; }
    QString dataFile(const QString& name) const { return storageFolder() + '/' + name; }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_path);
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_path + "/data");
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_path + "/config");
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), "unix:path=" + m_path + "/no-bus");
        env.remove(QStringLiteral("XDG_DOWNLOAD_DIR"));
        return env;
    }

    // endpoints.json, which moves the services where the test wants them.
    void writeEndpoints(const ServiceEndpoints& e) const {
        const auto text = [](const QUrl& url) { return url.toString().toStdString(); };
        const nlohmann::json json{{"knabenAPI", text(e.knabenAPI)},     {"apibayQuery", text(e.apibayQuery)},
                                  {"eztvPrimary", text(e.eztvPrimary)}, {"eztvFallback", text(e.eztvFallback)},
                                  {"torrentsCsvSearch", text(e.torrentsCsvSearch)},
                                  {"nyaaRoot", text(e.nyaaRoot)},       {"ytsHost", text(e.ytsHost)},
                                  {"tmdbAPI", text(e.tmdbAPI)},         {"tmdbImages", text(e.tmdbImages)},
                                  {"rpcPort", e.rpcPort},               {"peerPort", e.peerPort}};
        QFile file(dataFile(QStringLiteral("endpoints.json")));
        if (file.open(QIODevice::WriteOnly))
            file.write(QByteArray::fromStdString(json.dump()));
    }

    bool start(QProcess& process, const QStringList& arguments = {QStringLiteral("--headless")}) const {
        process.setProcessEnvironment(environment());
        process.start(m_executable, arguments);
        return process.waitForStarted(10000);
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
    QString m_executable = QStringLiteral(LUMIVANE_BINARY);
    QString m_problem;
};
