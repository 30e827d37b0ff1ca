#include "MainContentView.h"

#include "DarkSeries.h"
#include "LiveRegion.h"
#include "SidebarItem.h"
#include "StatusStrip.h"
#include "UiHarness.h"
#include "drawer/EpisodeDrawer.h"
#include "series/ShowsView.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QListView>
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

class MainContentViewTest : public UiHarness {
protected:
    MainContentView& shown() {
        m_view = std::make_unique<MainContentView>(m_fake, m_theme);
        m_view->resize(760, 520);
        m_view->show();
        return *m_view;
    }
    void setChecking(bool on) {
        m_fake.checking = on;
        Q_EMIT m_fake.isCheckingChanged();
    }

    std::unique_ptr<MainContentView> m_view;
};

TEST_F(MainContentViewTest, OpensOnSeriesASidebarClickSwitchesTheTabAndCloseAsksToClose) {
    MainContentView& view = shown();
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
    MainContentView& view = shown();
    auto* text = find<QLabel>(view, "statusText");
    auto* checkNow = find<QAbstractButton>(view, "checkNowButton");
    auto* strip = find<StatusStrip>(view, "statusStrip");
    ASSERT_TRUE(text && checkNow && strip);
    EXPECT_FALSE(strip->isBreathing());

    QTest::mouseClick(checkNow, Qt::LeftButton);
    EXPECT_EQ(m_fake.calls, QStringList{"runCheck manual"});
    setChecking(true);
    EXPECT_EQ(text->text(), QStringLiteral("Checking now…"));
    // The dot breathes while the check runs, and stops while the window is hidden.
    EXPECT_TRUE(strip->isBreathing());
    view.hide();
    EXPECT_FALSE(strip->isBreathing());
    view.show();
    EXPECT_TRUE(strip->isBreathing());
    setChecking(false);
    EXPECT_FALSE(strip->isBreathing());
}

TEST_F(MainContentViewTest, AHiddenViewIgnoresTheCountdownAndCatchesUpWhenShown) {
    m_fake.secondsLeft = 120;
    MainContentView& view = shown();
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
    MainContentView& view = shown();
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

    setChecking(true);
    EXPECT_FALSE(countdown->isVisible());
    m_fake.log.prepend(
        {QUuid::createUuid(), m_fake.now(), "Found Dark S02E05", ActivityEntry::Kind::found});
    Q_EMIT m_fake.activityLogged(m_fake.log.first());
    m_fake.log.prepend(
        {QUuid::createUuid(), m_fake.now(), "Checking 3 series", ActivityEntry::Kind::check});
    Q_EMIT m_fake.activityLogged(m_fake.log.first());
    setChecking(false);
    m_fake.search.tmdbKeyRefused = false;
    Q_EMIT m_fake.searchHealthChanged();
    setChecking(true);
    setChecking(false);

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

TEST_F(MainContentViewTest, CtrlDigitsPickTabsAndEscapeClosesAboutThenTheWindow) {
    MainContentView& view = shown();
    QApplication::setActiveWindow(&view);
    settle();
    const std::pair<Qt::Key, SidebarTab> digits[] = {{Qt::Key_3, SidebarTab::calendar},
                                                     {Qt::Key_5, SidebarTab::settings},
                                                     {Qt::Key_1, SidebarTab::movies},
                                                     {Qt::Key_2, SidebarTab::shows}};
    for (const auto& [digit, tab] : digits) {
        QTest::keyClick(&view, digit, Qt::ControlModifier);
        EXPECT_EQ(view.selectedTab(), tab) << toRaw(tab).toStdString();
    }

    QSignalSpy close(&view, &MainContentView::closeRequested);
    auto* about = find<QAbstractButton>(view, "aboutButton");
    QTest::keyClick(about, Qt::Key_Space);
    auto* card = view.findChild<QWidget*>(QStringLiteral("aboutPopover"));
    ASSERT_TRUE(card && card->isVisible());
    QTest::keyClick(about, Qt::Key_Escape);
    EXPECT_FALSE(card->isVisible());
    EXPECT_EQ(close.count(), 0);
    QTest::keyClick(about, Qt::Key_Escape);
    EXPECT_EQ(close.count(), 1);

    // Hiding the window brings it back on the series list.
    QTest::keyClick(&view, Qt::Key_4, Qt::ControlModifier);
    QSignalSpy hidden(&view, &MainContentView::windowHidden);
    view.hide();
    EXPECT_EQ(hidden.count(), 1);
    EXPECT_EQ(view.selectedTab(), SidebarTab::shows);
}

TEST_F(MainContentViewTest, TabWalksTheSidebarThenTheViewThenTheStripAndTheDrawerKeepsIt) {
    m_fake.showNamed("Dark");
    MainContentView view(m_fake, m_theme);
    auto* shows = new ShowsView(m_fake, m_theme, m_images);
    view.setTabView(SidebarTab::shows, shows); // built after the strip, as the shell does
    auto* drawer = new EpisodeDrawer(m_fake, m_theme, &view);
    view.resize(760, 520);
    view.show();
    QApplication::setActiveWindow(&view);
    find<QWidget>(view, "closeButton")->setFocus(Qt::TabFocusReason);
    settle();
    QStringList walked;
    for (int i = 0; i < 16; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* at = QApplication::focusWidget();
        walked << (at ? at->objectName() : QStringLiteral("<none>"));
    }
    EXPECT_EQ(walked, QStringList({"sidebar.movies", "sidebar.shows", "sidebar.calendar",
                                   "sidebar.activity", "sidebar.settings", "homeFolderButton",
                                   "aboutButton", "addSeriesButton", "showList", "showList",
                                   "showList", "showList", "checkNowButton", "closeButton",
                                   "sidebar.movies", "sidebar.shows"}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "sidebar.movies");

    // The open drawer covers the window: Tab stays inside it.
    drawer->openFor(m_fake.showList.first().id);
    settle();
    for (int i = 0; i < 8; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_TRUE(drawer->isAncestorOf(QApplication::focusWidget()) ||
                    QApplication::focusWidget() == drawer)
            << QApplication::focusWidget()->objectName().toStdString();
    }
    // Nor does a screen reader read what it covers as showing, until it closes.
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(shows->list());
    EXPECT_TRUE(list->state().invisible);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(drawer->isVisible());
    EXPECT_FALSE(list->state().invisible);
}

#include "MainContentViewTest.moc"
