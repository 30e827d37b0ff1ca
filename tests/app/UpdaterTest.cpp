// The updater against a release feed on loopback: what each kind of answer tells the user,
// the once-a-day automatic check, and the version order it rests on.

#include "Updater.h"

#include "EventLoop.h"
#include "FakeHttpServer.h"

#include <QNetworkAccessManager>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(ReleaseVersions, CompareNumberByNumber) {
    const struct {
        const char* a;
        const char* b;
        std::optional<int> order;
    } cases[] = {
        {"1.10", "1.9", 1},
        {"1.9", "1.10", -1},
        {"1.2", "1.2.0", 0},
        {"v2.0.1", "2.0.1", 0},
        {"2.0", "1.99.99", 1},
        {"0.1.0", "0.1.1", -1},
        {"1.4.0-rc1", "1.4.0", -1},
        {"1.4.0", "1.4.0-rc1", 1},
        {"1.4.0-rc2", "1.4.0-rc1", 1},
        {"1.4.1-rc1", "1.4.0", 1},
        {"10.0", "9.0", 1},
        {" 1.0 ", "1.0", 0},
        {"", "1.0", {}},
        {"one", "1.0", {}},
        {"1..2", "1.2", {}},
        {"1.2", "latest", {}},
        {"1.2.3.4.5.6.7", "1.0", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(compareVersions(c.a, c.b), c.order) << c.a << " vs " << c.b;
}

TEST(ReleaseVersions, AFeedMustNameAVersionAndAWebPage) {
    const struct {
        const char* json;
        std::optional<ReleaseInfo> release;
        const char* why;
    } cases[] = {
        {R"({"version":"1.4.0","url":"https://lumivane.example/1.4.0","notes":"Faster."})",
         ReleaseInfo{"1.4.0", QUrl("https://lumivane.example/1.4.0"), "Faster."}, ""},
        {R"({"version":"1.4.0","url":"http://lumivane.example/r"})",
         ReleaseInfo{"1.4.0", QUrl("http://lumivane.example/r"), ""}, ""},
        {R"({"url":"https://lumivane.example/"})", std::nullopt, "the feed names no valid version"},
        {R"({"version":14,"url":"https://lumivane.example/"})", std::nullopt,
         "the feed names no valid version"},
        {R"({"version":"soon","url":"https://lumivane.example/"})", std::nullopt,
         "the feed names no valid version"},
        {R"x({"version":"1.4.0","url":"javascript:alert(1)"})x", std::nullopt,
         "the feed names no web page for the release"},
        {R"({"version":"1.4.0"})", std::nullopt, "the feed names no web page for the release"},
        {R"(["1.4.0"])", std::nullopt, "the feed is not a JSON object"},
        {"<html>Not found</html>", std::nullopt, "the feed is not a JSON object"},
    };
    for (const auto& c : cases) {
        QString why;
        EXPECT_EQ(parseReleaseFeed(QByteArray(c.json), &why), c.release) << c.json;
        EXPECT_EQ(why, c.why) << c.json;
    }
}

class FeedUpdaterTest : public testing::Test {
protected:
    std::unique_ptr<FeedUpdater> updater(const QUrl& feed) {
        auto u = std::make_unique<FeedUpdater>(feed, m_network, m_prefs.filePath("updater.ini"),
                                               m_clock, "1.9.0");
        QObject::connect(u.get(), &Updater::checkFinished,
                         [this](const QString& message) { m_messages << message; });
        QObject::connect(u.get(), &Updater::updateAvailable,
                         [this](const ReleaseInfo& release, const QString& message) {
                             m_newer << release;
                             m_messages << message;
                         });
        return u;
    }
    void answer(int status, const QByteArray& body) { m_feed.respondWith({status, body}); }
    // Runs a manual check to its end.
    void checkNow(FeedUpdater& u) {
        const qsizetype before = m_messages.size();
        u.checkForUpdates();
        ASSERT_TRUE(runEventLoopUntil([&] { return m_messages.size() > before; }));
    }

    QNetworkAccessManager m_network;
    QTemporaryDir m_prefs;
    std::shared_ptr<ManualClock> m_clock = std::make_shared<ManualClock>();
    FakeHttpServer m_feed;
    QStringList m_messages;
    QList<ReleaseInfo> m_newer;
};

TEST_F(FeedUpdaterTest, EachAnswerOfTheFeedIsToldForWhatItIs) {
    const struct {
        int status;
        QByteArray body;
        bool newer;
        const char* message;
    } cases[] = {
        {200, R"({"version":"1.10.0","url":"https://lumivane.example/1.10.0"})", true,
         "Lumivane 1.10.0 is available (you have 1.9.0)."},
        {200, R"({"version":"1.9","url":"https://lumivane.example/1.9"})", false,
         "You are up to date: Lumivane 1.9.0 is the newest version."},
        {200, R"({"version":"1.8.5","url":"https://lumivane.example/1.8.5"})", false,
         "You are up to date: Lumivane 1.9.0 is the newest version."},
        {200, R"({"version":"1.10.0",)", false,
         "Lumivane could not check for updates: the feed is not a JSON object. Try again later, "
         "or look on the project's release page."},
        {200, R"({"version":"2.0","url":"ftp://lumivane.example/"})", false,
         "Lumivane could not check for updates: the feed names no web page for the release. Try "
         "again later, or look on the project's release page."},
        {404, "", false,
         "Lumivane could not check for updates: the release feed did not answer (HTTP status "
         "404). Try again later."},
    };
    auto u = updater(m_feed.url("/latest.json"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body.toStdString());
        m_messages.clear();
        m_newer.clear();
        answer(c.status, c.body);
        checkNow(*u);
        ASSERT_EQ(m_messages.size(), 1);
        EXPECT_EQ(m_messages.first(), c.message);
        EXPECT_EQ(m_newer.size(), c.newer ? 1 : 0);
    }
    ASSERT_FALSE(m_feed.requests().isEmpty());
    EXPECT_EQ(m_feed.requests().first().path, "/latest.json");
    EXPECT_EQ(m_feed.requests().first().header("User-Agent"), "Lumivane/1.9.0");
}

TEST_F(FeedUpdaterTest, AFeedNobodyAnswersIsAFailureNotAnAnswer) {
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        closedPort = probe.serverPort();
    }
    auto u = updater(QUrl(QStringLiteral("http://127.0.0.1:%1/latest.json").arg(closedPort)));
    checkNow(*u);
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(m_messages.first().startsWith(
        "Lumivane could not check for updates: the release feed did not answer ("))
        << m_messages.first().toStdString();
    EXPECT_FALSE(m_messages.first().contains("up to date"));
}

TEST_F(FeedUpdaterTest, AutomaticChecksComeAtMostOnceADayAndTellOfAReleaseOnce) {
    answer(200, R"({"version":"2.0.0","url":"https://lumivane.example/2.0.0"})");
    auto u = updater(m_feed.url("/latest.json"));
    EXPECT_TRUE(u->automaticallyChecksForUpdates()) << "on unless the user turns it off";
    const auto settle = [&] { ASSERT_TRUE(runEventLoopUntil([&] { return !u->isChecking(); })); };

    u->startAutomaticChecks();
    settle();
    EXPECT_EQ(m_feed.requests().size(), 1);
    EXPECT_EQ(m_newer.size(), 1);

    m_clock->advance(86399);
    u->checkIfDue();
    settle();
    EXPECT_EQ(m_feed.requests().size(), 1) << "not yet a day";

    m_clock->advance(1);
    u->checkIfDue();
    settle();
    EXPECT_EQ(m_feed.requests().size(), 2);
    EXPECT_EQ(m_newer.size(), 1) << "the same release is not announced again";

    // Asking always tells, even of a release already announced.
    checkNow(*u);
    EXPECT_EQ(m_newer.size(), 2);

    // Off: no automatic check however long it has been, also for a new updater (the
    // preference is kept in its own file).
    u->setAutomaticallyChecksForUpdates(false);
    auto again = updater(m_feed.url("/latest.json"));
    EXPECT_FALSE(again->automaticallyChecksForUpdates());
    m_clock->advance(7 * 86400);
    again->checkIfDue();
    EXPECT_FALSE(again->isChecking()) << "a check would have started at once";
    EXPECT_EQ(m_feed.requests().size(), 3);
    // Turning it on again checks at once when a check is due; a failure found on its own
    // waits for tomorrow without a box.
    answer(500, "");
    m_messages.clear();
    again->setAutomaticallyChecksForUpdates(true);
    ASSERT_TRUE(runEventLoopUntil([&] { return m_feed.requests().size() == 4; }));
    ASSERT_TRUE(runEventLoopUntil([&] { return !again->isChecking(); }));
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST(UnconfiguredUpdater, SaysUpdatesComeWithTheSystemsPackages) {
    UnconfiguredUpdater updater;
    QStringList messages;
    QObject::connect(&updater, &Updater::checkFinished,
                     [&](const QString& message) { messages << message; });
    updater.checkForUpdates();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.first().contains("come with your system's packages"));
    EXPECT_FALSE(updater.hasFeed());
}

} // namespace
