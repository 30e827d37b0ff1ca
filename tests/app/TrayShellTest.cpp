#include "TrayShell.h"

#include "EventLoop.h"
#include "FakeWatchlist.h"
#include "InstanceChannel.h"
#include "Theme.h"
#include "TrayMenu.h"
#include "Updater.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QMessageBox>
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

// The shell over the engine's published state, in memory; its content is a close button that
// calls the shell's close action.
class TrayShellTest : public testing::Test {
protected:
    void start(TrayShell::Presence presence) {
        m_state.clock.set(m_now);
        m_shell = std::make_unique<TrayShell>(m_state, m_theme, m_updater, [](QWidget* parent, auto close) {
            auto* button = new QPushButton(QStringLiteral("Close"), parent);
            button->setObjectName(QStringLiteral("closeButton"));
            QObject::connect(button, &QPushButton::clicked, button, std::move(close));
            return button;
        });
        m_shell->start(presence);
    }
    void trigger(const char* item) const {
        m_shell->menu()->findChild<QAction*>(QString::fromLatin1(item))->trigger();
    }
    void clickClose() const {
        QTest::mouseClick(m_shell->mainWindow()->findChild<QPushButton*>(QStringLiteral("closeButton")), Qt::LeftButton);
    }

    Timestamp m_now = Timestamp::fromReferenceSeconds(810'000'000);
    FakeWatchlist m_state;
    Theme m_theme;
    CountingUpdater m_updater;
    std::unique_ptr<TrayShell> m_shell;
};

} // namespace

TEST_F(TrayShellTest, TheMenuTheLeftClickAndShowLinksReachTheirTargetsAndTheWindowIsOnlyHidden) {
    start(TrayShell::Presence::tray);
    EXPECT_EQ(m_shell->mainWindow(), nullptr) << "no window at start";
    EXPECT_FALSE(QApplication::windowIcon().pixmap(64).isNull()) << "the application's icon";
    QStringList items;
    for (const QAction* action : m_shell->menu()->actions())
        items << (action->isSeparator() ? QStringLiteral("---") : action->text());
    EXPECT_EQ(items, (QStringList{"Open Lumivane", "Week at a glance", "Check for Updates…", "---", "Quit Lumivane"}));
    trigger("menu.agenda");
    ASSERT_NE(m_shell->agendaPanel(), nullptr);
    EXPECT_TRUE(m_shell->agendaPanel()->isVisible());
    trigger("menu.agenda");
    EXPECT_FALSE(m_shell->agendaPanel()->isVisible()) << "a second choice closes the panel";
    trigger("menu.updates");
    EXPECT_EQ(m_updater.checks, 1);
    QSignalSpy quit(m_shell.get(), &TrayShell::quitRequested);
    trigger("menu.quit");
    EXPECT_EQ(quit.count(), 1);
    EXPECT_EQ(m_shell->handleLaunch({"https://example.org/show"}), InstanceChannel::kIgnored);
    EXPECT_EQ(m_shell->mainWindow(), nullptr) << "other links are ignored";

    QSystemTrayIcon* tray = m_shell->trayIcon();
    Q_EMIT tray->activated(QSystemTrayIcon::Trigger);
    QPointer<KeyableWindow> window = m_shell->mainWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::Tool)) << "no taskbar entry";
    const QPoint placed = window->pos();
    Q_EMIT tray->activated(QSystemTrayIcon::Context);
    EXPECT_TRUE(window->isVisible()) << "only the left click toggles";
    Q_EMIT tray->activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(window->isVisible());
    trigger("menu.open");
    EXPECT_EQ(m_shell->mainWindow(), window.data()) << "the same window again";
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->pos(), placed) << "at the same place";

    clickClose();
    EXPECT_FALSE(window->isVisible()) << "the content's close button hides the window";
    EXPECT_EQ(m_shell->handleLaunch({"Lumivane://SHOW"}), InstanceChannel::kShown);
    EXPECT_TRUE(window->isVisible());
    m_shell->hideMainWindow();
    EXPECT_EQ(m_shell->handleLaunch({}), InstanceChannel::kShown);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(quit.count(), 1);
}

// Opened first by a launcher, before the icon's place is known, the window is placed blind; the
// icon's first click brings it to the icon, unless the user has moved it since.
TEST_F(TrayShellTest, AWindowALauncherOpenedGoesToTheIconAtItsFirstClickUnlessMoved) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    for (const bool moved : {false, true}) {
        SCOPED_TRACE(moved ? "moved by the user" : "left where it was placed");
        QCursor::setPos(area.topLeft() + QPoint(area.width() / 2, area.height() / 2));
        start(TrayShell::Presence::tray);
        ASSERT_EQ(m_shell->handleLaunch({"lumivane://show"}), InstanceChannel::kShown);
        KeyableWindow* window = m_shell->mainWindow();
        if (moved)
            window->moveBodyTo(area.topLeft() + QPoint(30, 200));
        const QPoint before = window->bodyPos();
        m_shell->hideMainWindow();

        // Offscreen, the icon reports no geometry: the click's place stands for it.
        QCursor::setPos(area.topRight() + QPoint(-6, 6));
        Q_EMIT m_shell->trayIcon()->activated(QSystemTrayIcon::Trigger);
        ASSERT_TRUE(window->isVisible());
        if (moved) {
            EXPECT_EQ(window->bodyPos(), before);
        } else {
            EXPECT_LT(area.right() - (window->bodyPos().x() + window->bodySize().width()), 40)
                << "at the icon's edge of the screen";
            EXPECT_LT(window->bodyPos().y() - area.top(), 40);
        }
        m_shell.reset();
    }
}

TEST_F(TrayShellTest, WithoutATrayTheWindowIsOrdinaryAndClosingItQuits) {
    start(TrayShell::Presence::window);
    QSignalSpy quit(m_shell.get(), &TrayShell::quitRequested);
    KeyableWindow* window = m_shell->mainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible()) << "shown at start";
    EXPECT_EQ(m_shell->trayIcon(), nullptr);
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::Tool)) << "a taskbar entry";
    clickClose();
    EXPECT_EQ(quit.count(), 1);
    window->close(); // the window manager's close
    EXPECT_EQ(quit.count(), 2);
}

TEST_F(TrayShellTest, TheIconTurnsToTheAttentionVariantAtTheNextHistoryChange) {
    // A download stuck six and a half days; the nudge waits seven.
    m_state.rows = {{.id = "0123456789abcdef0123456789abcdef01234567", .showID = QUuid::createUuid(),
                     .showName = "Slow Horses", .episode = "S01E01", .title = "Slow.Horses.S01E01.1080p",
                     .addedAt = m_now - 30 * 86400.0, .stuckSince = m_now - 6.5 * 86400.0}};
    start(TrayShell::Presence::tray);
    const auto shows = [&](const char* name) {
        return m_shell->trayIcon()->icon().pixmap(22).toImage() ==
               TrayShell::trayIconImage(QString::fromLatin1(name)).pixmap(22).toImage();
    };
    EXPECT_TRUE(shows("MenuBarIcon"));
    m_state.clock.advance(0.5 * 86400);
    EXPECT_EQ(m_shell->trayIcon()->toolTip(), "Lumivane") << "nothing changed yet";
    Q_EMIT m_state.historyChanged();
    EXPECT_EQ(m_shell->trayIcon()->toolTip(), "Lumivane — a download needs attention");
    EXPECT_TRUE(shows("MenuBarIconAlarm"));
    m_state.appSettings.staleNudgeDays = 0;
    Q_EMIT m_state.settingsChanged();
    EXPECT_TRUE(shows("MenuBarIcon")) << "the nudge switched off";
}

TEST_F(TrayShellTest, TheThemeAndTheMagnetFollowTheSettings) {
    start(TrayShell::Presence::tray);
    m_shell->showMainWindow();
    KeyableWindow* window = m_shell->mainWindow();
    ASSERT_TRUE(window->magnet().magnetEnabled());
    m_state.appSettings.theme = AppTheme::dark;
    m_state.appSettings.windowMagnetization = false;
    Q_EMIT m_state.settingsChanged();
    EXPECT_EQ(m_theme.appearance(), AppTheme::dark);
    EXPECT_FALSE(window->magnet().magnetEnabled());
    window->moveBodyTo(window->bodyPos() + QPoint(0, 200));
    m_state.appSettings.windowMagnetization = true;
    Q_EMIT m_state.settingsChanged();
    EXPECT_EQ(window->bodyPos().y(), window->magnetFrame().visible.top()) << "switching it on attaches the window";
}

// What the updater finds reaches the person: a newer release as a dialog whose link opens its
// page, any other answer as a plain message.
TEST_F(TrayShellTest, TheUpdatersAnswersAreShown) {
    start(TrayShell::Presence::tray);
    const auto boxes = [] {
        QList<QMessageBox*> open;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
                open << box;
        return open;
    };
    Q_EMIT m_updater.updateAvailable({"2.0.0", QUrl("https://lumivane.example/r?v=2&x=<b>"), "Faster."},
                                     "Lumivane 2.0.0 is available (you have 1.9.0).");
    ASSERT_EQ(boxes().size(), 1);
    QMessageBox* dialog = boxes().first();
    EXPECT_EQ(dialog->objectName(), "updateDialog");
    EXPECT_EQ(dialog->textFormat(), Qt::RichText);
    EXPECT_TRUE(dialog->text().startsWith("Lumivane 2.0.0 is available (you have 1.9.0)."));
    EXPECT_TRUE(dialog->text().contains(R"(<a href="https://lumivane.example/r?v=2&amp;x=%3Cb%3E">)"))
        << dialog->text().toStdString() << " (the address is escaped, not markup)";
    EXPECT_EQ(dialog->detailedText(), "Faster.");
    dialog->close();
    drainEvents();

    Q_EMIT m_updater.checkFinished("You are up to date: Lumivane 1.9.0 is the newest version.");
    ASSERT_EQ(boxes().size(), 1);
    EXPECT_EQ(boxes().first()->text(), "You are up to date: Lumivane 1.9.0 is the newest version.");
    boxes().first()->close();
    drainEvents();
}

TEST(TrayIconImage, BothIconsRenderAtEveryPanelSize) {
    for (const char* name : {"MenuBarIcon", "MenuBarIconAlarm"}) {
        for (const int size : {16, 22, 32, 48}) {
            const QImage image = TrayShell::trayIconImage(QString::fromLatin1(name)).pixmap(size, size).toImage();
            ASSERT_EQ(image.size(), QSize(size, size)) << name;
            // The mark's centre is drawn, its corner left clear.
            EXPECT_GT(qAlpha(image.pixel(size / 2, size / 2 + size / 8)), 200) << name << " " << size;
            EXPECT_EQ(qAlpha(image.pixel(0, size - 1)), 0) << name << " " << size;
        }
    }
}
