// Every path a mouse takes, taken from the keyboard: one key sequence per path, checked by the
// operation it reaches or the state it leaves.

#include "DarkSeries.h"
#include "ImageLoader.h"
#include "MainContentView.h"
#include "SidebarItem.h"
#include "UiHarness.h"
#include "calendar/CalendarStyle.h"
#include "calendar/CalendarView.h"
#include "drawer/EpisodeDrawer.h"
#include "series/Popover.h"
#include "series/ShowsView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QListView>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

namespace {

using Part = ShowRowDelegate::Part;

void settle() {
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
}

class SeriesKeys : public UiHarness {
protected:
    void SetUp() override {
        for (const char* name : {"Dark", "Severance", "The Bear"})
            m_fake.showNamed(name);
        m_view = std::make_unique<ShowsView>(m_fake, m_theme, m_images);
        m_view->resize(760, 560);
        m_view->show();
        QApplication::setActiveWindow(m_view.get());
        m_view->list()->setFocus(Qt::TabFocusReason);
        settle();
    }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(m_view->list(), k, mods);
        settle();
    }
    int current() const { return m_view->list()->currentIndex().row(); }
    QMenu* openMenu() const {
        for (QMenu* menu : m_view->findChildren<QMenu*>(QStringLiteral("showContextMenu"))) {
            if (menu->isVisible())
                return menu;
        }
        return nullptr;
    }

    ImageLoader m_images{QUrl("http://127.0.0.1:9"), QString()};
    std::unique_ptr<ShowsView> m_view;
};

} // namespace

TEST_F(SeriesKeys, ArrowsMoveEnterExpandsSpaceSubscribesDeleteRemoves) {
    EXPECT_TRUE(m_view->list()->hasFocus());
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    key(Qt::Key_Up);
    ASSERT_EQ(current(), 1);

    key(Qt::Key_Return);
    EXPECT_EQ(m_view->expandedShowID(), m_fake.showList[1].id);
    key(Qt::Key_Enter);
    EXPECT_TRUE(m_view->expandedShowID().isNull());

    key(Qt::Key_Space);
    key(Qt::Key_Delete);
    EXPECT_EQ(m_fake.calls,
              QStringList({"setSubscribed Severance false", "removeShow Severance"}));
}

TEST_F(SeriesKeys, TabWalksTheRowsControlsThenLeavesTheList) {
    key(Qt::Key_Return); // Dark expanded: "View episodes" joins the controls
    QSignalSpy episodes(m_view.get(), &ShowsView::episodesRequested);
    const QList<Part> walk = {Part::subscribeSwitch, Part::qualityPill, Part::trash,
                              Part::viewEpisodes};
    for (Part expected : walk) {
        key(Qt::Key_Tab);
        EXPECT_EQ(m_view->focusPart(), expected);
    }
    key(Qt::Key_Return);
    EXPECT_EQ(episodes.count(), 1);
    key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(m_view->focusPart(), Part::trash);
    EXPECT_EQ(m_view->list()->accessibleDescription(), "Remove Dark from your series");
    key(Qt::Key_Return);
    key(Qt::Key_Tab, Qt::ShiftModifier);
    key(Qt::Key_Space); // on the pill: opens it rather than toggling the switch
    ASSERT_TRUE(m_view->openPopover());
    EXPECT_EQ(m_view->openPopover()->objectName(), "qualityPopover");
    QTest::keyClick(m_view->openPopover(), Qt::Key_Escape);
    settle();
    EXPECT_FALSE(m_view->openPopover() && m_view->openPopover()->isVisible());

    // A new row starts on its card; past its last control the focus leaves the list.
    key(Qt::Key_Down);
    EXPECT_EQ(m_view->focusPart(), Part::row);
    for (int i = 0; i < 3; ++i)
        key(Qt::Key_Tab);
    EXPECT_EQ(m_view->focusPart(), Part::trash);
    EXPECT_TRUE(m_view->list()->hasFocus());
    key(Qt::Key_Tab);
    EXPECT_FALSE(m_view->list()->hasFocus());
    EXPECT_EQ(m_view->focusPart(), Part::row);
    EXPECT_EQ(m_fake.calls, QStringList({"removeShow Dark"}));
}

TEST_F(SeriesKeys, TheMenuKeyAndShiftF10OpenTheRowsContextMenu) {
    key(Qt::Key_Down);
    key(Qt::Key_F10, Qt::ShiftModifier);
    QMenu* menu = openMenu();
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->actions().first()->text(), "Unsubscribe");
    menu->close();
    settle();
    ASSERT_FALSE(openMenu());
    QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint());
    QApplication::sendEvent(m_view->list(), &request); // what the Menu key sends
    ASSERT_TRUE(openMenu());
    openMenu()->actions().first()->trigger();
    EXPECT_EQ(m_fake.calls, QStringList({"setSubscribed Severance false"}));
}

TEST_F(SeriesKeys, ResettingCollapsesClosesThePopoverAndReturnsToTheTop) {
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    m_view->openQualityPopover(1);
    m_view->resetView();
    settle();
    EXPECT_TRUE(m_view->expandedShowID().isNull());
    EXPECT_FALSE(m_view->openPopover());
    EXPECT_EQ(current(), 0);
}

class WindowKeys : public UiHarness {};

TEST_F(WindowKeys, CtrlDigitsPickTabsEscapeClosesAboutThenTheWindowSpaceChecks) {
    MainContentView view(m_fake, m_theme);
    view.resize(760, 520);
    view.show();
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

    QTest::keyClick(find<QAbstractButton>(view, "checkNowButton"), Qt::Key_Space);
    EXPECT_EQ(m_fake.callsTo("runCheck"), QStringList{"runCheck manual"});

    // Hiding the window brings it back on the series list.
    QTest::keyClick(&view, Qt::Key_4, Qt::ControlModifier);
    QSignalSpy hidden(&view, &MainContentView::windowHidden);
    view.hide();
    EXPECT_EQ(hidden.count(), 1);
    EXPECT_EQ(view.selectedTab(), SidebarTab::shows);
}

TEST_F(WindowKeys, DrawerRowsTakeArrowsAndEnterAndEscapeClosesTheDrawer) {
    scriptDark(m_fake);
    QWidget window;
    window.resize(760, 520);
    auto* drawer = new EpisodeDrawer(m_fake, m_theme, &window);
    window.show();
    QApplication::setActiveWindow(&window);
    drawer->openFor(m_fake.showList.first().id);
    ASSERT_TRUE(runEventLoopUntil([&] {
        auto* row = window.findChild<QWidget*>(QStringLiteral("episodeDrawer.row.S02E03"));
        return row && row->isVisible();
    }));
    auto* first = window.findChild<QWidget*>(QStringLiteral("episodeDrawer.row.S02E01"));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->accessibleName(), "S02E01 Beginnings and Endings");
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Down);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    ASSERT_TRUE(QApplication::focusWidget());
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "episodeDrawer.row.S02E03");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(m_fake.callsTo("grabEpisodes"), QStringList{"grabEpisodes Dark S02E03"});

    QSignalSpy closed(drawer, &EpisodeDrawer::closed);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(drawer->isVisible());
}

TEST_F(WindowKeys, CalendarDaysReadTheirEventsAndArrowsMoveADay) {
    m_fake.clock.set(utcDay(2025, 3, 13) + 12 * 3600.0);
    CalEvent dark;
    dark.showName = "Dark";
    dark.code = "S01E01";
    dark.date = Timestamp::fromDateTime(QDateTime(QDate(2025, 3, 13), QTime(0, 0)));
    dark.state = CalEvent::EpisodeState::missing;
    m_fake.events = {dark};
    CalendarView view(m_fake, m_theme);
    view.resize(760, 420);
    view.show();
    QApplication::setActiveWindow(&view);
    settle();
    QList<DayBubble*> days = view.findChildren<DayBubble*>();
    ASSERT_EQ(days.size(), 7);
    DayBubble* today = nullptr;
    for (DayBubble* day : days) {
        if (day->isHighlighted())
            today = day;
    }
    ASSERT_TRUE(today);
    EXPECT_EQ(today->accessibleDescription(), QString::fromUtf8("Dark — S01E01 Missing"));
    today->setFocus();
    QTest::keyClick(today, Qt::Key_Right);
    ASSERT_TRUE(QApplication::focusWidget());
    EXPECT_EQ(QApplication::focusWidget()->accessibleDescription(), "No episodes");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    EXPECT_EQ(QApplication::focusWidget(), today);
}

TEST_F(WindowKeys, TabWalksTheSidebarThenTheViewThenTheStripAndTheDrawerKeepsIt) {
    m_fake.showNamed("Dark");
    ImageLoader images(QUrl("http://127.0.0.1:9"), QString());
    MainContentView view(m_fake, m_theme);
    auto* shows = new ShowsView(m_fake, m_theme, images);
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
}
