// The real executable, run headless in a private home, tells on its console what is broken —
// once — and when it works again: a daemon link pointing nowhere, the daemon's port taken by
// another program, a series list with a hand-edited value, a TMDB key that is refused.

#include "AppHome.h"
#include "FakeServices.h"

#include <QTcpServer>

namespace {

// A copy of the executable with its resource folder beside it, where the daemon link is what
// the test makes of it.
class HeadlessHealth : public AppHome {
protected:
    HeadlessHealth() : AppHome(PrivateHome::Executable::ownCopy) {}
};

} // namespace

TEST_F(HeadlessHealth, AMissingDaemonATakenPortAHandEditedSeriesListAndARefusedKeyAreToldOnce) {
    const QString daemonLink = m_home + "/share/lumivane/TransmissionEngine/bin/transmission-daemon";
    const auto linkDaemon = [&](const QString& target) {
        QDir().mkpath(QFileInfo(daemonLink).path());
        QFile::remove(daemonLink);
        ASSERT_TRUE(QFile::link(target, daemonLink));
    };
    linkDaemon(m_home + "/nowhere/transmission-daemon");
    FakeTmdb tmdb;
    tmdb.refusingKey = true;
    moveServicesToLoopback(tmdb.apiRoot());
    auto squatter = std::make_unique<QTcpServer>();
    ASSERT_TRUE(squatter->listen(QHostAddress::LocalHost, m_rpcPort));
    const QByteArray shows = R"([{"name":"Dark","tmdbID":70523},{"name":"Severance","firstAirYear":2025},)"
                             R"({"name":"Andor","tmdbID":83867}])";
    writeDataFile("shows.json", shows);
    start(m_process);

    const QString missing = "The download engine is missing: there is no transmission-daemon at " + daemonLink +
                            ". Install transmission-daemon (sudo apt install "
                            "transmission-daemon); Lumivane starts it as soon as it is there.";
    ASSERT_TRUE(awaitOutput("[error] " + missing)) << m_out.toStdString();
    ASSERT_TRUE(awaitOutput("notice: Lumivane cannot download — " + missing)) << m_out.toStdString();

    // The series that could not be read is set aside with the whole original; the others stay.
    ASSERT_TRUE(awaitOutput("shows.json: kept 2 of 3 series")) << m_out.toStdString();
    const QStringList copies = QDir(storageFolder()).entryList({"shows.json.unreadable-*"}, QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    const QString line = "shows.json: kept 2 of 3 series; 1 that could not be read was set aside. "
                         "The original file is kept as " + storageFolder() + "/" + copies.first() + ".";
    ASSERT_TRUE(awaitOutput("[error] " + line)) << m_out.toStdString();
    ASSERT_TRUE(awaitOutput("notice: Part of shows.json could not be read — " + line));

    const QString refused = "[error] TMDB refused the API key, so air dates and new titles cannot be looked up. "
                            "Check the TMDB API key in Settings (leave it empty to use the built-in key).";
    ASSERT_TRUE(awaitOutput(refused)) << m_out.toStdString();
    ASSERT_TRUE(runEventLoopUntil([&] { return tmdb.requestCount() >= 2; }, 10000)) << "both series asked";

    // transmission-daemon gets installed: the next try finds it, without a restart, but another
    // program holds its port until it lets go.
    linkDaemon(systemDaemonPath());
    const QString taken = QStringLiteral("The download engine cannot listen on port %1: another "
                                         "program is using it. Close that program, or set "
                                         "another \"rpcPort\" in %2 and restart Lumivane.")
                              .arg(m_rpcPort)
                              .arg(dataFile("endpoints.json"));
    ASSERT_TRUE(awaitOutput("[error] " + taken, 40000)) << m_out.toStdString();
    ASSERT_TRUE(awaitOutput("notice: Lumivane cannot download — " + taken)) << m_out.toStdString();
    squatter.reset();
    ASSERT_TRUE(awaitOutput("[check] The download engine is running again.", 40000)) << m_out.toStdString();
    EXPECT_TRUE(waitForRPC(m_rpcPort));
    stop(m_process);
    EXPECT_EQ(m_out.count(missing), 2) << "one line and one notice:\n" << m_out.toStdString();
    EXPECT_EQ(m_out.count(taken), 2) << m_out.toStdString();
    EXPECT_EQ(m_out.count(refused), 1) << m_out.toStdString();
    EXPECT_EQ(m_out.count("[error]"), 4) << m_out.toStdString();
    EXPECT_EQ(m_out.count("running again"), 1);

    QFile copy(storageFolder() + "/" + copies.first());
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), shows);
    QFile kept(dataFile("shows.json"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    const QByteArray left = kept.readAll();
    EXPECT_TRUE(left.contains("\"Dark\"") && left.contains("\"Andor\"") && !left.contains("Severance"))
        << left.toStdString();
}
