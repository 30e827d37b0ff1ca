// `lumivane <command>` through the real executable, against a headless instance in a private
// home whose TMDB is a loopback fake.

#include "AppHome.h"
#include "FakeServices.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Outcome {
    int exit = -1;
    QString out;
    QString err;
};

class RunningInstance : public AppHome {
protected:
    void SetUp() override {
        AppHome::SetUp();
        moveServicesToLoopback(m_tmdb.apiRoot());
    }

    void startInstance() {
        ASSERT_NO_FATAL_FAILURE(start(m_process));
        ASSERT_TRUE(waitForSocket(m_process)) << m_process.readAllStandardError().toStdString();
    }

    // The command runs while this thread serves the fake TMDB.
    Outcome lumivane(const QStringList& arguments) {
        QProcess command;
        command.setProcessEnvironment(m_environment);
        command.start(m_executable, arguments);
        EXPECT_TRUE(command.waitForStarted(10000));
        EXPECT_TRUE(runEventLoopUntil([&] { return command.state() == QProcess::NotRunning; }, 30000))
            << arguments.join(' ').toStdString();
        return {command.exitStatus() == QProcess::NormalExit ? command.exitCode() : -1,
                QString::fromUtf8(command.readAllStandardOutput()),
                QString::fromUtf8(command.readAllStandardError())};
    }

    QJsonArray seriesList() {
        const Outcome listed = lumivane({"series", "list", "--json"});
        EXPECT_EQ(listed.exit, 0) << listed.err.toStdString();
        return QJsonDocument::fromJson(listed.out.toUtf8()).array();
    }

    QByteArray showsFile() const {
        QFile file(dataFile("shows.json"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // What bash completion offers for the words typed so far (the last one being completed).
    QStringList completions(const QStringList& words) {
        QProcess bash;
        QProcessEnvironment environment = m_environment;
        environment.insert("PATH", QFileInfo(m_executable).path() + ':' + environment.value("PATH"));
        bash.setProcessEnvironment(environment);
        bash.start("bash", QStringList{"-c", "source \"$0\"; COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); _lumivane; "
                                  "printf '%s\\n' \"${COMPREPLY[@]}\"",
                            LUMIVANE_COMPLETION, "lumivane"}
                               + words);
        EXPECT_TRUE(bash.waitForFinished(20000));
        QStringList offered = QString::fromUtf8(bash.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        offered.sort();
        return offered;
    }

    // One raw line to the socket: the answer lines, and whether the instance closed after them.
    std::pair<QList<QJsonObject>, bool> send(const QByteArray& bytes) {
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        EXPECT_TRUE(socket.waitForConnected(5000));
        socket.write(bytes);
        QByteArray received;
        const bool closed = runEventLoopUntil(
            [&] {
                received += socket.readAll();
                return socket.state() == QLocalSocket::UnconnectedState;
            },
            10000);
        received += socket.readAll();
        QList<QJsonObject> answers;
        for (const QByteArray& line : received.split('\n'))
            if (!line.isEmpty())
                answers << QJsonDocument::fromJson(line).object();
        return {answers, closed};
    }

    FakeTmdb m_tmdb;
};

TEST_F(RunningInstance, AddsASeriesByNameListsItLogsItAndFollowsTheLogUntilTheInstanceStops) {
    m_tmdb.matches = {{4242, "Harbour Lights", "2025", ""}};
    ASSERT_NO_FATAL_FAILURE(startInstance());

    QProcess follower;
    follower.setProcessEnvironment(m_environment);
    follower.start(m_executable, {"activity", "--follow"});
    ASSERT_TRUE(follower.waitForStarted(10000));

    const Outcome added = lumivane({"series", "add", "harbour", "lights", "--quality", "720p"});
    EXPECT_EQ(added.exit, 0) << added.err.toStdString();
    EXPECT_TRUE(added.out.contains("Added \"Harbour Lights\" (TMDB 4242), subscribed.")) << added.out.toStdString();

    const QJsonArray listed = seriesList();
    ASSERT_EQ(listed.size(), 1);
    EXPECT_EQ(listed[0]["name"].toString(), "Harbour Lights");
    EXPECT_EQ(listed[0]["tmdbID"].toInt(), 4242);
    EXPECT_EQ(listed[0]["quality"].toString(), "720p");
    EXPECT_TRUE(listed[0]["isEnabled"].toBool());
    const QJsonArray stored = QJsonDocument::fromJson(showsFile()).array();
    ASSERT_EQ(stored.size(), 1) << "saved as a view's change is";
    EXPECT_EQ(stored[0]["id"], listed[0]["id"]);

    const Outcome log = lumivane({"activity"});
    EXPECT_EQ(log.exit, 0);
    EXPECT_TRUE(log.out.contains("[check] Added \"Harbour Lights\" to schedule")) << log.out.toStdString();
    QString followed;
    EXPECT_TRUE(runEventLoopUntil(
        [&] {
            followed += QString::fromUtf8(follower.readAllStandardOutput());
            return followed.contains("Added \"Harbour Lights\" to schedule");
        },
        10000))
        << "the follower saw the line as it was logged: " << followed.toStdString();

    EXPECT_EQ(completions({"series", "remove", "Har"}), QStringList{"Harbour\\ Lights"});
    EXPECT_EQ(completions({"series", "sub"}), (QStringList{"subscribe"}));
    EXPECT_EQ(completions({"series", "add", "x", "--quality", "7"}), QStringList{"720p"});
    EXPECT_EQ(completions({"st"}), QStringList{"status"});

    // Changes by name in any case, and by id.
    const Outcome off = lumivane({"series", "unsubscribe", "HARBOUR LIGHTS"});
    EXPECT_EQ(off.exit, 0) << off.err.toStdString();
    EXPECT_FALSE(seriesList()[0].toObject()["isEnabled"].toBool());
    const Outcome on = lumivane({"series", "subscribe", listed[0]["id"].toString()});
    EXPECT_EQ(on.exit, 0) << on.err.toStdString();
    EXPECT_TRUE(seriesList()[0].toObject()["isEnabled"].toBool());

    QJsonObject health;
    EXPECT_TRUE(runEventLoopUntil(
        [&] {
            const Outcome status = lumivane({"status", "--json"});
            health = QJsonDocument::fromJson(status.out.toUtf8()).object();
            return status.exit == 0 && health["engine"].toObject()["state"].toString() == "running";
        },
        20000))
        << QJsonDocument(health).toJson().toStdString();
    EXPECT_EQ(health["storageFolder"].toString(), storageFolder());
    EXPECT_FALSE(health["engine"].toObject()["version"].toString().isEmpty());

    // The instance restarts under the follower: it says so and ends with 4.
    ASSERT_NO_FATAL_FAILURE(stop(m_process));
    EXPECT_TRUE(runEventLoopUntil([&] { return follower.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(follower.exitCode(), 4);
    EXPECT_TRUE(follower.readAllStandardError().contains("Lumivane stopped"));
}

// A name TMDB cannot settle changes nothing and ends with 2; `--tmdb-id` and `--as-typed` settle it.
TEST_F(RunningInstance, AmbiguousAndUnknownNamesChangeNothing) {
    ASSERT_NO_FATAL_FAILURE(startInstance());
    const QByteArray before = showsFile();

    m_tmdb.matches = {{11, "Lights Out", "2024", ""}, {12, "Northern Lights", "2009", ""}};
    const Outcome several = lumivane({"series", "add", "Lights"});
    EXPECT_EQ(several.exit, 2);
    EXPECT_TRUE(several.err.contains("Lights Out (2024)  --tmdb-id 11")) << several.err.toStdString();
    EXPECT_TRUE(several.err.contains("Northern Lights (2009)  --tmdb-id 12"));
    const Outcome severalJson = lumivane({"series", "add", "Lights", "--json"});
    EXPECT_EQ(severalJson.exit, 2);
    const QJsonArray candidates =
        QJsonDocument::fromJson(severalJson.out.toUtf8()).object()["data"].toObject()["candidates"].toArray();
    ASSERT_EQ(candidates.size(), 2) << severalJson.out.toStdString();
    EXPECT_EQ(candidates[1].toObject()["tmdbID"].toInt(), 12);
    EXPECT_EQ(showsFile(), before);

    m_tmdb.matches = {};
    const Outcome none = lumivane({"series", "add", "Nowhere Street"});
    EXPECT_EQ(none.exit, 2);
    EXPECT_TRUE(none.err.contains("--as-typed")) << none.err.toStdString();
    EXPECT_EQ(showsFile(), before);

    for (const char* verb : {"remove", "subscribe", "check"}) {
        const Outcome missing = lumivane({"series", QString::fromLatin1(verb), "Nowhere Street"});
        EXPECT_EQ(missing.exit, 2) << verb;
        EXPECT_TRUE(missing.err.contains("No series on the watchlist is named \"Nowhere Street\"")) << verb;
    }
    EXPECT_EQ(showsFile(), before);
    EXPECT_TRUE(seriesList().isEmpty());

    // A first match named like the input is taken even among others.
    m_tmdb.matches = {{21, "Severance", "2022", ""}, {22, "Severance Pay", "2019", ""}};
    EXPECT_EQ(lumivane({"series", "add", "SEVERANCE"}).exit, 0);
    m_tmdb.matches = {{11, "Lights Out", "2024", ""}, {12, "Northern Lights", "2009", ""}};
    EXPECT_EQ(lumivane({"series", "add", "Lights", "--tmdb-id", "12", "--no-subscribe"}).exit, 0);
    EXPECT_EQ(lumivane({"series", "add", "Lights", "--tmdb-id", "99"}).exit, 2);
    m_tmdb.matches = {};
    EXPECT_EQ(lumivane({"series", "add", "Nowhere Street", "--as-typed"}).exit, 0);

    const QJsonArray listed = seriesList();
    ASSERT_EQ(listed.size(), 3);
    EXPECT_EQ(listed[0]["tmdbID"].toInt(), 21);
    EXPECT_EQ(listed[1]["name"].toString(), "Northern Lights");
    EXPECT_FALSE(listed[1]["isEnabled"].toBool());
    EXPECT_EQ(listed[2]["name"].toString(), "Nowhere Street");
    EXPECT_FALSE(listed[2].toObject().contains("tmdbID"));
    EXPECT_EQ(lumivane({"series", "add", "severance"}).exit, 1) << "already on the watchlist";
}

TEST_F(RunningInstance, WithoutAnInstanceSaysHowToStartOne) {
    const Outcome status = lumivane({"status"});
    EXPECT_EQ(status.exit, 3);
    EXPECT_TRUE(status.err.contains("`lumivane`")) << status.err.toStdString();
    EXPECT_TRUE(status.err.contains("`systemctl --user start lumivane`"));
    // Usage mistakes never reach for an instance, and help needs none.
    EXPECT_EQ(lumivane({"series", "add"}).exit, 2);
    const Outcome help = lumivane({"series", "add", "--help"});
    EXPECT_EQ(help.exit, 0);
    EXPECT_TRUE(help.out.contains("--tmdb-id ID"));
}

// Whatever else reaches the socket gets an error answer and a closed connection; the instance
// goes on serving commands and hand-offs, and nothing is saved.
TEST_F(RunningInstance, MalformedOversizedAndUnknownRequestsAreAnsweredWithAnErrorAndClosed) {
    ASSERT_NO_FATAL_FAILURE(startInstance());
    const QList<std::pair<const char*, QByteArray>> requests{
        {"notJSON", "hello\n"},
        {"unknownCommand", R"({"command":"series rename","arguments":{"name":"X"}})" "\n"},
        {"wrongArgument", R"({"command":"series add","arguments":{"name":"X","season":"two"}})" "\n"},
        {"overTheDecoderCap", R"({"command":"series add","arguments":{"name":")" + QByteArray(20000, 'x') + "\"}}\n"},
        {"neverEnding", QByteArray(70000, '{')},
    };
    for (const auto& [name, bytes] : requests) {
        const auto [answers, closed] = send(bytes);
        EXPECT_TRUE(closed) << name;
        ASSERT_EQ(answers.size(), 1) << name;
        EXPECT_FALSE(answers[0]["ok"].toBool()) << name;
        EXPECT_FALSE(answers[0]["error"].toString().isEmpty()) << name;
    }
    // A follower that vanishes leaves the next logged line to nobody.
    {
        QLocalSocket follower;
        follower.connectToServer(socketPath());
        ASSERT_TRUE(follower.waitForConnected(5000));
        follower.write(R"({"command":"activity","arguments":{"follow":true}})" "\n");
        ASSERT_TRUE(runEventLoopUntil([&] { return follower.canReadLine(); }, 10000)) << "the log so far";
        follower.abort();
    }
    m_tmdb.matches = {};
    EXPECT_EQ(lumivane({"series", "add", "Somewhere", "--as-typed"}).exit, 0);

    EXPECT_EQ(m_process.state(), QProcess::Running);
    EXPECT_EQ(ask({}), InstanceChannel::kHeadless) << "a hand-off is still a hand-off";
    EXPECT_EQ(lumivane({"status"}).exit, 0);
    const QJsonArray listed = seriesList();
    ASSERT_EQ(listed.size(), 1) << "only the one good request changed anything";
    EXPECT_EQ(listed[0]["name"].toString(), "Somewhere");
}

// A follower that stops reading is dropped once its backlog passes the cap; the instance keeps
// serving everyone else meanwhile.
TEST_F(RunningInstance, AFollowerThatStopsReadingIsDroppedAndNobodyWaitsForIt) {
    ASSERT_NO_FATAL_FAILURE(startInstance());
    // A plain socket: Qt's would keep reading into memory of its own.
    const int follower = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(socketPath()).constData(), sizeof address.sun_path - 1);
    ASSERT_EQ(::connect(follower, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const QByteArray request = R"({"command":"activity","arguments":{"follow":true}})" "\n";
    ASSERT_EQ(::send(follower, request.constData(), request.size(), MSG_NOSIGNAL), request.size());

    // Each added series logs a line of about 24 kB to the follower (its text and its record):
    // the socket's own buffer and the cap are full long before the fortieth.
    m_tmdb.matches = {};
    const QString longName(12000, QLatin1Char('n'));
    for (int i = 0; i < 40; ++i) {
        const QByteArray add = QJsonDocument(QJsonObject{{"command", "series add"},
                                                         {"arguments", QJsonObject{{"name", longName + QString::number(i)},
                                                                                   {"asTyped", true},
                                                                                   {"subscribe", false}}}})
                                   .toJson(QJsonDocument::Compact) + '\n';
        const auto [answers, closed] = send(add);
        ASSERT_EQ(answers.size(), 1) << i;
        ASSERT_TRUE(answers[0]["ok"].toBool()) << i << answers[0]["error"].toString().toStdString();
    }
    // Reading now finds the end of the connection after what had been sent before the drop.
    qint64 received = 0;
    bool ended = false;
    EXPECT_TRUE(runEventLoopUntil(
        [&] {
            char buffer[65536];
            const ssize_t n = ::read(follower, buffer, sizeof buffer);
            if (n > 0)
                received += n;
            ended = n == 0 || (n < 0 && errno != EAGAIN);
            return ended;
        },
        10000))
        << "still connected after " << received << " bytes";
    EXPECT_LT(received, 40 * 24000) << "dropped before everything was sent";
    ::close(follower);
    EXPECT_EQ(lumivane({"status"}).exit, 0);
}

// The child's verdict on reaching the socket as another user.
enum Reach { refusedUnanswered = 0, answered = 1, cannotConnect = 2, childFailed = 3 };

Reach reachAsNobody(const QString& path) {
    const QByteArray socketFile = QFile::encodeName(path);
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(10); // an instance that neither answers nor closes fails the test, not hangs it
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(childFailed);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socketFile.constData(), sizeof address.sun_path - 1);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            ::_exit(cannotConnect);
        const char request[] = "{\"command\":\"series list\"}\n";
        (void)!::send(fd, request, sizeof request - 1, MSG_NOSIGNAL); // the instance may have closed already
        char answer[64];
        ::_exit(::read(fd, answer, sizeof answer) > 0 ? answered : refusedUnanswered);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? static_cast<Reach>(WEXITSTATUS(status)) : childFailed;
}

TEST_F(RunningInstance, AnotherUserCannotReachTheSocketNorIsAnsweredThroughAnOpenedFolder) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as a second user";
    ASSERT_NO_FATAL_FAILURE(startInstance());
    struct stat folder {};
    ASSERT_EQ(::stat(QFile::encodeName(QFileInfo(socketPath()).path()).constData(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u) << "only the user enters the socket's folder";
    // The private home itself must let the other user walk down to the storage folder.
    for (const QString& dir : {m_home, m_home + "/data"})
        ASSERT_EQ(::chmod(QFile::encodeName(dir).constData(), 0755), 0);
    EXPECT_EQ(reachAsNobody(socketPath()), cannotConnect);

    // Someone opens the folder and the socket up: the instance still answers nobody but its user.
    ASSERT_EQ(::chmod(QFile::encodeName(QFileInfo(socketPath()).path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(socketPath()).constData(), 0777), 0);
    EXPECT_EQ(reachAsNobody(socketPath()), refusedUnanswered);
    EXPECT_EQ(lumivane({"series", "list"}).exit, 0) << "its own user is still served";
}

} // namespace
