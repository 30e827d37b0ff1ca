#include "FreedesktopNotifier.h"

#include "EventLoop.h"
#include "PrivateSessionBus.h"

#include <QDBusConnection>
#include <QSignalSpy>

#include <gtest/gtest.h>

// Stands in for the desktop's notification service on the test's own bus.
class FakeNotificationService final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Call {
        QString app;
        uint replaces = 0;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
    };
    QList<Call> calls;

public Q_SLOTS:
    uint Notify(const QString& app, uint replaces, const QString&, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap& hints, int) {
        calls.append({app, replaces, summary, body, actions, hints});
        return static_cast<uint>(calls.size()) + 100;
    }

Q_SIGNALS:
    void ActionInvoked(uint id, const QString& action_key);
    void NotificationClosed(uint id, uint reason);
};

namespace {

class CountingNotifier final : public Notifier {
public:
    void post(const Notice& notice) override { notices.append(notice); }
    QList<Notice> notices;
};

class NotifierOverDBus : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_bus.isRunning());
        ASSERT_TRUE(m_clientConnection.isConnected());
        ASSERT_TRUE(m_serverConnection.registerObject("/org/freedesktop/Notifications", &m_service,
                                                      QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
    }
    void TearDown() override {
        QDBusConnection::disconnectFromBus(QStringLiteral("server"));
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    }

    // Posts and waits until the service has accepted it; returns the service's id.
    uint postAndWait(FreedesktopNotifier& notifier, const Notice& notice) {
        QSignalSpy posted(&notifier, &FreedesktopNotifier::posted);
        notifier.post(notice);
        EXPECT_TRUE(runEventLoopUntil([&] { return posted.count() == 1; }));
        return posted.isEmpty() ? 0 : posted.first().first().toUInt();
    }

    PrivateSessionBus m_bus;
    QDBusConnection m_serverConnection = QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("server"));
    QDBusConnection m_clientConnection = QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("client"));
    FakeNotificationService m_service;
};

} // namespace

TEST_F(NotifierOverDBus, EveryNoticeIsANewNotificationAndAClickOpensItsUrlOrShowsTheApp) {
    ASSERT_TRUE(m_serverConnection.registerService(QStringLiteral("org.freedesktop.Notifications")));
    FreedesktopNotifier notifier(m_clientConnection);
    int taps = 0;
    QList<QUrl> opened;
    notifier.setOnTap([&] { ++taps; });
    notifier.setUrlOpener([&](const QUrl& url) {
        opened.append(url);
        return true;
    });

    const Notice done{"Dark", "S01E02 downloaded and sorted.", std::nullopt, true};
    const uint plain = postAndWait(notifier, done);
    EXPECT_NE(postAndWait(notifier, done), plain);
    ASSERT_EQ(m_service.calls.size(), 2);
    const auto& call = m_service.calls.first();
    EXPECT_EQ(call.app, "Lumivane");
    EXPECT_EQ(call.replaces, 0u);
    EXPECT_EQ(call.summary, "Dark");
    EXPECT_EQ(call.body, "S01E02 downloaded and sorted.");
    EXPECT_EQ(call.actions.value(0), "default");
    EXPECT_EQ(call.hints.value("sound-name").toString(), "complete");

    const uint linked = postAndWait(notifier, Notice{"News", "Read", QUrl("https://example.org/x")});
    EXPECT_FALSE(m_service.calls.last().hints.contains("sound-name"));
    const uint broken = postAndWait(notifier, Notice{"Odd", "Relative link", QUrl("not an absolute url")});
    for (const uint id : {plain, linked, broken})
        Q_EMIT m_service.ActionInvoked(id, QStringLiteral("default"));
    ASSERT_TRUE(runEventLoopUntil([&] { return taps == 2 && opened.size() == 1; }));
    EXPECT_EQ(opened.first(), QUrl("https://example.org/x"));

    // Other applications' notices and closed ones do nothing.
    Q_EMIT m_service.ActionInvoked(9999, QStringLiteral("default"));
    Q_EMIT m_service.NotificationClosed(plain, 2);
    Q_EMIT m_service.ActionInvoked(plain, QStringLiteral("default"));
    // The bus keeps one sender's signals in order: once this click has opened its link, the
    // ones before it have arrived too.
    Q_EMIT m_service.ActionInvoked(linked, QStringLiteral("default"));
    ASSERT_TRUE(runEventLoopUntil([&] { return opened.size() == 2; }));
    EXPECT_EQ(taps, 2);
}

// Neither a bus without a notification service nor no bus at all may lose a notice.
TEST_F(NotifierOverDBus, WithoutANotificationServiceOrABusTheFallbackShowsTheNotice) {
    const QDBusConnection noBus = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), "none");
    ASSERT_FALSE(noBus.isConnected());
    for (const QDBusConnection& bus : {m_clientConnection, noBus}) {
        FreedesktopNotifier notifier(bus);
        CountingNotifier fallback;
        notifier.setFallback(&fallback);
        const Notice notice{"Dark", "S01E02 downloaded and sorted.", std::nullopt, true};
        notifier.post(notice);
        ASSERT_TRUE(runEventLoopUntil([&] { return fallback.notices.size() == 1; }));
        EXPECT_EQ(fallback.notices.first(), notice);
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("none"));
}

#include "FreedesktopNotifierTest.moc"
