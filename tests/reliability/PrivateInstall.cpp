#include "PrivateInstall.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>

#include <nlohmann/json.hpp>

PrivateInstall::PrivateInstall() {
    const QDir home(m_home.path());
    m_executable = home.filePath(QStringLiteral("bin/lumivane"));
    if (!m_home.isValid() || !home.mkpath(QStringLiteral("bin")) || !QDir().mkpath(storageFolder()))
        m_problem = QStringLiteral("cannot make a private home");
    else if (!QFile::copy(QStringLiteral(LUMIVANE_BINARY), m_executable))
        m_problem = QStringLiteral("cannot copy %1").arg(QStringLiteral(LUMIVANE_BINARY));
}

QString PrivateInstall::storageFolder() const {
    return QDir(m_home.path()).filePath(QStringLiteral("data/Lumivane"));
}

void PrivateInstall::writeEndpoints(const QString& storageFolder, const ServiceEndpoints& e) const {
    const auto text = [](const QUrl& url) { return url.toString().toStdString(); };
    const nlohmann::json json{{"knabenAPI", text(e.knabenAPI)},
                              {"apibayQuery", text(e.apibayQuery)},
                              {"eztvPrimary", text(e.eztvPrimary)},
                              {"eztvFallback", text(e.eztvFallback)},
                              {"torrentsCsvSearch", text(e.torrentsCsvSearch)},
                              {"nyaaRoot", text(e.nyaaRoot)},
                              {"ytsHost", text(e.ytsHost)},
                              {"tmdbAPI", text(e.tmdbAPI)},
                              {"tmdbImages", text(e.tmdbImages)},
                              {"rpcPort", e.rpcPort},
                              {"peerPort", e.peerPort}};
    QFile file(QDir(storageFolder).filePath(QStringLiteral("endpoints.json")));
    if (file.open(QIODevice::WriteOnly))
        file.write(QByteArray::fromStdString(json.dump()));
}

bool PrivateInstall::start(QProcess& process) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QDir home(m_home.path());
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.remove(QStringLiteral("XDG_DOWNLOAD_DIR"));
    // No notification service: a completion notice goes to the console instead of the desktop.
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + home.filePath(QStringLiteral("no-bus")));
    process.setProcessEnvironment(env);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(m_executable, {QStringLiteral("--headless")});
    return process.waitForStarted(10000);
}
