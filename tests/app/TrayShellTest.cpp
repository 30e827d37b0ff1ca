#include "TrayShell.h"

#include "AgendaPanel.h"
#include "InstanceChannel.h"
#include "KeyableWindow.h"
#include "TestEnvironment.h"
#include "Theme.h"
#include "TrayMenu.h"
#include "Updater.h"
#include "model/StorageFiles.h"
#include "store/WatchlistStore.h"

#include <QAction>
#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class CountingUpdater final : public Updater {
public:
    void checkForUpdates() override { ++checks; }
    bool automaticallyChecksForUpdates() const override { return false; }
    void setAutomaticallyChecksForUpdates(bool) override {}
    int checks = 0;
};

// The content the shell is given: a close button that calls the shell's close action.
QWidget* contentWithCloseButton(QWidget* parent, std::function<void()> close) {
    auto* button = new QPushButton(QStringLiteral("Close"), parent);
    button->setObjectName(QStringLiteral("closeButton"));
    QObject::connect(button, &QPushButton::clicked, button, std::move(close));
    return button;
}

class TrayShellTest : public testing::Test {
protected:
    void SetUp() override { m_env.clock().set(m_now); }

    // A history with one download stuck for `days`.
    void writeHistoryStuckFor(double days) {
        const DownloadRecord row{.id = "0123456789abcdef0123456789abcdef01234567", .showID = QUuid::createUuid(),
                                 .showName = "Slow Horses", .episode = "S01E01", .title = "Slow.Horses.S01E01.1080p.WEB.h264",
                                 .addedAt = m_now - 30 * 86400.0, .stuckSince = m_now - days * 86400.0};
        QDir().mkpath(m_env.storageFolder());
        ASSERT_TRUE(StorageFiles(m_env.storageFolder(), m_env.clock()).saveHistory({row}));
    }

    void makeShell() {
        m_store = std::make_unique<WatchlistStore>(m_env.environment(), nullptr, nullptr);
        m_shell = std::make_unique<TrayShell>(*m_store, m_theme, m_updater, contentWithCloseButton);
    }

    QAction* menuItem(const char* name) const {
        return m_shell->menu()->findChild<QAction*>(QString::fromLatin1(name));
    }

    Timestamp m_now = Timestamp::fromReferenceSeconds(810'000'000);
    TestEnvironment m_env;
    Theme m_theme;
    CountingUpdater m_updater;
    std::unique_ptr<WatchlistStore> m_store;
    std::unique_ptr<TrayShell> m_shell;
};

} // namespace

TEST_F(TrayShellTest, EachMenuItemReachesItsTarget) {
    makeShell();
    m_shell->start(TrayShell::Presence::tray);
    EXPECT_EQ(m_shell->mainWindow(), nullptr) << "no window at start";
    QStringList items;
    for (const QAction* action : m_shell->menu()->actions()) {
        items << (action->isSeparator() ? QStringLiteral("---") : action->text());
        EXPECT_TRUE(action->shortcut().isEmpty()) << action->text().toStdString();
    }
    EXPECT_EQ(items, (QStringList{"Open Lumivane", "Week at a glance", "Check for Updates…", "---", "Quit Lumivane"}));

    menuItem("menu.open")->trigger();
    ASSERT_NE(m_shell->mainWindow(), nullptr);
    EXPECT_TRUE(m_shell->mainWindow()->isVisible());

    menuItem("menu.agenda")->trigger();
    ASSERT_NE(m_shell->agendaPanel(), nullptr);
    EXPECT_TRUE(m_shell->agendaPanel()->isVisible());
    EXPECT_EQ(m_shell->agendaPanel()->bodySize().width(), 208);
    menuItem("menu.agenda")->trigger();
    EXPECT_FALSE(m_shell->agendaPanel()->isVisible()) << "a second choice closes the panel";

    menuItem("menu.updates")->trigger();
    EXPECT_EQ(m_updater.checks, 1);

    QSignalSpy quit(m_shell.get(), &TrayShell::quitRequested);
    menuItem("menu.quit")->trigger();
    EXPECT_EQ(quit.count(), 1);
}

TEST_F(TrayShellTest, ALeftClickOrAShowLinkShowsTheWindowWhichIsHiddenNotDestroyed) {
    makeShell();
    m_shell->start(TrayShell::Presence::tray);
    QSystemTrayIcon* tray = m_shell->trayIcon();
    ASSERT_NE(tray, nullptr);
    EXPECT_EQ(m_shell->handleLaunch({"https://example.org/show"}), InstanceChannel::kIgnored);
    EXPECT_EQ(m_shell->mainWindow(), nullptr) << "other links are ignored";

    Q_EMIT tray->activated(QSystemTrayIcon::Trigger);
    QPointer<KeyableWindow> window = m_shell->mainWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->bodySize(), QSize(760, 520));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::Tool)) << "no taskbar entry";
    const QPoint placed = window->pos();

    Q_EMIT tray->activated(QSystemTrayIcon::Context);
    EXPECT_TRUE(window->isVisible()) << "only the left click toggles";
    Q_EMIT tray->activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(window->isVisible());
    Q_EMIT tray->activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(m_shell->mainWindow(), window.data()) << "the same window again";
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->pos(), placed) << "at the same place";

    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("closeButton")),
                      Qt::LeftButton);
    EXPECT_FALSE(window->isVisible()) << "the content's close button hides the window";
    EXPECT_TRUE(window);
    EXPECT_EQ(m_shell->handleLaunch({"Lumivane://SHOW"}), InstanceChannel::kShown);
    EXPECT_TRUE(window->isVisible());
    m_shell->hideMainWindow();
    EXPECT_EQ(m_shell->handleLaunch({}), InstanceChannel::kShown);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(TrayShellTest, WithoutATrayTheWindowIsOrdinaryAndClosingItQuits) {
    makeShell();
    QSignalSpy quit(m_shell.get(), &TrayShell::quitRequested);
    m_shell->start(TrayShell::Presence::window);
    KeyableWindow* window = m_shell->mainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible()) << "shown at start";
    EXPECT_EQ(m_shell->trayIcon(), nullptr);
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::Tool)) << "a taskbar entry";

    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("closeButton")),
                      Qt::LeftButton);
    EXPECT_EQ(quit.count(), 1);
    window->close(); // the window manager's close
    EXPECT_EQ(quit.count(), 2);
}

TEST_F(TrayShellTest, TheIconTurnsToTheAttentionVariantAtTheNextHistoryChange) {
    writeHistoryStuckFor(6.5); // the nudge waits seven days
    makeShell();
    m_shell->start(TrayShell::Presence::tray);
    EXPECT_EQ(m_shell->trayIcon()->toolTip(), "Lumivane");

    m_env.clock().advance(0.5 * 86400);
    EXPECT_EQ(m_shell->trayIcon()->toolTip(), "Lumivane") << "nothing changed yet";
    Q_EMIT m_store->historyChanged();
    EXPECT_EQ(m_shell->trayIcon()->toolTip(), "Lumivane — a download needs attention");
    EXPECT_EQ(m_shell->iconLook().iconName, "MenuBarIconAlarm");

    m_store->updateSettings([](AppSettings& s) { s.staleNudgeDays = 0; });
    EXPECT_EQ(m_shell->trayIcon()->toolTip(), "Lumivane") << "the nudge switched off";
}

TEST_F(TrayShellTest, TheThemeAndTheMagnetFollowTheSettings) {
    makeShell();
    m_shell->start(TrayShell::Presence::tray);
    m_shell->showMainWindow();
    KeyableWindow* window = m_shell->mainWindow();
    ASSERT_TRUE(window->magnet().magnetEnabled());

    m_store->updateSettings([](AppSettings& s) {
        s.theme = AppTheme::dark;
        s.windowMagnetization = false;
    });
    EXPECT_EQ(m_theme.appearance(), AppTheme::dark);
    EXPECT_FALSE(window->magnet().magnetEnabled());

    window->moveBodyTo(window->bodyPos() + QPoint(0, 200));
    m_store->updateSettings([](AppSettings& s) { s.windowMagnetization = true; });
    EXPECT_TRUE(window->magnet().isMagnetized());
    EXPECT_EQ(window->bodyPos().y(), window->magnetFrame().visible.top())
        << "switching it on attaches the window";
}

TEST(TrayIconImage, BothIconsRenderAtEveryPanelSize) {
    for (const char* name : {"MenuBarIcon", "MenuBarIconAlarm"}) {
        const QIcon icon = TrayShell::trayIconImage(QString::fromLatin1(name));
        for (const int size : {16, 22, 32, 48}) {
            const QImage image = icon.pixmap(size, size).toImage();
            ASSERT_EQ(image.size(), QSize(size, size)) << name;
            // The mark's centre is drawn, its corner left clear.
            EXPECT_GT(qAlpha(image.pixel(size / 2, size / 2 + size / 8)), 200)
                << name << " " << size;
            EXPECT_EQ(qAlpha(image.pixel(0, size - 1)), 0) << name << " " << size;
        }
    }
}
