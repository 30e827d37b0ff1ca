#include "MainContentView.h"

#include "DarkSeries.h"
#include "LiveRegion.h"
#include "SidebarItem.h"
#include "StatusStrip.h"
#include "UiHarness.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Receives the URLs the view asks the desktop to open, instead of a file manager.
class UrlCatcher final : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url); }
};

} // namespace

class MainContentViewTest : public UiHarness {};

TEST_F(MainContentViewTest, OpensOnSeriesASidebarClickSwitchesTheTabAndCloseAsksToClose) {
    MainContentView view(m_fake, m_theme);
    view.resize(760, 520);
    view.show();
    auto* pages = find<QStackedWidget>(view, "tabPages");
    ASSERT_TRUE(pages);
    EXPECT_EQ(view.selectedTab(), SidebarTab::shows);

    auto* activity = find<SidebarItem>(view, "sidebar.activity");
    ASSERT_TRUE(activity);
    QTest::mouseClick(activity, Qt::LeftButton);
    EXPECT_EQ(view.selectedTab(), SidebarTab::activity);
    EXPECT_EQ(pages->currentWidget()->objectName(), QStringLiteral("activityView"));
    EXPECT_TRUE(activity->isSelected());

    // A view handed in later takes its tab's place, and the selection stays where it was.
    auto* series = new QWidget;
    series->setObjectName(QStringLiteral("seriesView"));
    view.setTabView(SidebarTab::shows, series);
    EXPECT_EQ(pages->currentWidget()->objectName(), QStringLiteral("activityView"));
    QTest::mouseClick(find<SidebarItem>(view, "sidebar.shows"), Qt::LeftButton);
    EXPECT_EQ(pages->currentWidget(), series);

    QSignalSpy close(&view, &MainContentView::closeRequested);
    QTest::mouseClick(find<QAbstractButton>(view, "closeButton"), Qt::LeftButton);
    EXPECT_EQ(close.count(), 1);
}

TEST_F(MainContentViewTest, CheckNowAsksForAManualCheckAndTheStripFollowsIt) {
    MainContentView view(m_fake, m_theme);
    view.show();
    auto* text = find<QLabel>(view, "statusText");
    auto* checkNow = find<QAbstractButton>(view, "checkNowButton");
    auto* strip = find<StatusStrip>(view, "statusStrip");
    ASSERT_TRUE(text && checkNow && strip);
    EXPECT_FALSE(strip->isBreathing());

    QTest::mouseClick(checkNow, Qt::LeftButton);
    EXPECT_EQ(m_fake.calls, QStringList{"runCheck manual"});
    m_fake.checking = true;
    Q_EMIT m_fake.isCheckingChanged();
    EXPECT_EQ(text->text(), QStringLiteral("Checking now…"));
    // The dot breathes while the check runs, and stops while the window is hidden.
    EXPECT_TRUE(strip->isBreathing());
    view.hide();
    EXPECT_FALSE(strip->isBreathing());
    view.show();
    EXPECT_TRUE(strip->isBreathing());
    m_fake.checking = false;
    Q_EMIT m_fake.isCheckingChanged();
    EXPECT_FALSE(strip->isBreathing());
}

TEST_F(MainContentViewTest, AHiddenViewIgnoresTheCountdownAndCatchesUpWhenShown) {
    m_fake.secondsLeft = 120;
    MainContentView view(m_fake, m_theme);
    view.show();
    auto* text = find<QLabel>(view, "statusText");
    const QString before = text->text();
    view.hide();
    m_fake.secondsLeft = 119;
    Q_EMIT m_fake.secondsUntilNextCheckChanged();
    EXPECT_EQ(text->text(), before);
    view.show();
    EXPECT_NE(text->text(), before);
    EXPECT_TRUE(text->text().endsWith(QStringLiteral("59s")));
}

TEST_F(MainContentViewTest, AStalledSeriesDownloadMarksTheSeriesTabOnly) {
    scriptDark(m_fake);
    m_fake.rows = darkHistory("a"); // stuck since March 5, past the default week by March 13
    MainContentView view(m_fake, m_theme);
    for (SidebarTab tab : allSidebarTabs()) {
        auto* item = find<SidebarItem>(view, ("sidebar." + toRaw(tab).toStdString()).c_str());
        ASSERT_TRUE(item);
        EXPECT_EQ(item->needsAttention(), tab == SidebarTab::shows) << toRaw(tab).toStdString();
    }
}

TEST_F(MainContentViewTest, HomeFolderCreatesADeletedRootAgainThenOpensIt) {
    QTemporaryDir home;
    const QString root = home.filePath("Lumivane");
    m_fake.root = QUrl::fromLocalFile(root);
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    MainContentView view(m_fake, m_theme);
    view.show();
    QTest::mouseClick(find<QAbstractButton>(view, "homeFolderButton"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_TRUE(QDir(root).exists());
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened[0].toLocalFile(), root);
}

// What a screen reader hears without asking: a check starting and finishing, a find, an error
// and a new problem; the countdown's ticking is never spoken.
TEST_F(MainContentViewTest, TheStripKeepsTheCountdownBesideAProblemAndAnnouncesWhatIsAwaited) {
    m_fake.secondsLeft = 252;
    StatusStrip strip(m_fake, m_theme);
    QStringList spoken;
    QObject::connect(strip.announcer(), &LiveRegion::announced,
                     [&spoken](const QString& text) { spoken << text; });
    strip.resize(576, 40);
    strip.show();

    m_fake.search.tmdbKeyRefused = true;
    Q_EMIT m_fake.searchHealthChanged();
    EXPECT_EQ(find<QLabel>(strip, "statusText")->text(),
              "TMDB refused the API key — check Settings");
    auto* countdown = find<QLabel>(strip, "statusCountdown");
    EXPECT_TRUE(countdown->isVisible());
    EXPECT_EQ(countdown->text(), "next check in 4m 12s");
    m_fake.secondsLeft = 251;
    Q_EMIT m_fake.secondsUntilNextCheckChanged();
    EXPECT_EQ(countdown->text(), "next check in 4m 11s");

    m_fake.checking = true;
    Q_EMIT m_fake.isCheckingChanged();
    EXPECT_FALSE(countdown->isVisible());
    m_fake.log.prepend(
        {QUuid::createUuid(), m_fake.now(), "Found Dark S02E05", ActivityEntry::Kind::found});
    Q_EMIT m_fake.activityLogged(m_fake.log.first());
    m_fake.log.prepend(
        {QUuid::createUuid(), m_fake.now(), "Checking 3 series", ActivityEntry::Kind::check});
    Q_EMIT m_fake.activityLogged(m_fake.log.first());
    m_fake.checking = false;
    Q_EMIT m_fake.isCheckingChanged();
    m_fake.search.tmdbKeyRefused = false;
    Q_EMIT m_fake.searchHealthChanged();
    m_fake.checking = true;
    Q_EMIT m_fake.isCheckingChanged();
    m_fake.checking = false;
    Q_EMIT m_fake.isCheckingChanged();

    EXPECT_EQ(spoken,
              QStringList({"TMDB refused the API key — check Settings", "Checking now…",
                           "Found Dark S02E05", "Check finished", "Listening for new episodes",
                           "Checking now…", "Check finished"}));
    // A reader finds the last one as the name of a status bar.
    QAccessibleInterface* live = QAccessible::queryAccessibleInterface(strip.announcer());
    ASSERT_TRUE(live);
    EXPECT_EQ(live->role(), QAccessible::StatusBar);
    EXPECT_EQ(live->text(QAccessible::Name), "Check finished");
}

#include "MainContentViewTest.moc"
