// Every path a mouse takes, taken from the keyboard: one key sequence per path, checked by the
// operation it reaches or the state it leaves.

#include "DarkSeries.h"
#include "MainContentView.h"
#include "RoundedPanel.h"
#include "SidebarItem.h"
#include "UiHarness.h"
#include "addshow/AddShowPresenter.h"
#include "drawer/EpisodeDrawer.h"
#include "series/Popover.h"
#include "series/ShowsView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

using Part = ShowRowDelegate::Part;

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
    EXPECT_EQ(m_fake.calls, QStringList({"setSubscribed Severance false", "removeShow Severance"}));
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
    menu->close();
    settle();
    ASSERT_FALSE(openMenu());
    QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(), QPoint());
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

TEST_F(WindowKeys, CtrlDigitsPickTabsAndEscapeClosesAboutThenTheWindow) {
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

    // Hiding the window brings it back on the series list.
    QTest::keyClick(&view, Qt::Key_4, Qt::ControlModifier);
    QSignalSpy hidden(&view, &MainContentView::windowHidden);
    view.hide();
    EXPECT_EQ(hidden.count(), 1);
    EXPECT_EQ(view.selectedTab(), SidebarTab::shows);
}

TEST_F(WindowKeys, TabWalksTheSidebarThenTheViewThenTheStripAndTheDrawerKeepsIt) {
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

namespace {

// The add-series flow opened from its button by the keyboard, on an in-memory watchlist.
class AddPanelKeys : public UiHarness {
protected:
    void SetUp() override {
        m_fake.seriesByName["Dark"] = {{70523, "Dark", "2017", "A missing child.", "/dark.jpg"},
                                       {1, "Dark Matter", "2015", "A crew wakes.", {}}};
        m_fake.releasesByName["Dark"] = {fakeRelease("Dark S01E01 1080p WEB", 'a', "1080p", 40),
                                         fakeRelease("Dark S01E02 1080p WEB", 'b', "1080p", 12)};
        m_fake.releasesByName["Dark Matter"] = m_fake.releasesByName["Dark"];
        m_opener.resize(400, 300);
        m_button = new QPushButton(QStringLiteral("Add Series"), &m_opener);
        QObject::connect(m_button, &QPushButton::clicked, &m_presenter,
                         [this] { m_presenter.open(&m_opener); });
        m_opener.show();
        QApplication::setActiveWindow(&m_opener);
        m_button->setFocus(Qt::TabFocusReason);
        settle();
    }

    // Keys go where the keyboard is, as they would on a desktop.
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* at = QApplication::focusWidget();
        ASSERT_TRUE(at);
        QTest::keyClick(at, k, mods);
        settle();
    }
    // Opens the flow from its button and looks "Dark" up.
    void openAndLookUp() {
        key(Qt::Key_Space);
        ASSERT_TRUE(m_presenter.isOpen());
        ASSERT_TRUE(runEventLoopUntil([&] { return QApplication::focusWidget() == name(); }));
        QTest::keyClicks(name(), QStringLiteral("Dark"));
        key(Qt::Key_Return); // the primary button, "Find series"
        ASSERT_TRUE(runEventLoopUntil(
            [&] { return m_presenter.resultsPanel() && !m_presenter.model()->isSearching(); }));
        m_fake.clock.advance(1); // past the arming delay
    }
    // Tab until the keyboard is in `panel`; false after a round without getting there.
    bool tabInto(RoundedPanel* panel) {
        for (int i = 0; i < 30; ++i) {
            if (QApplication::focusWidget() && QApplication::focusWidget()->window() == panel)
                return true;
            key(Qt::Key_Tab);
        }
        return false;
    }
    QLineEdit* name() const {
        return m_presenter.formPanel()->findChild<QLineEdit*>(QStringLiteral("addShow.name"));
    }
    QListView* list() const {
        return m_presenter.resultsPanel()->findChild<QListView*>(QStringLiteral("addShow.list"));
    }

    AddShowPresenter m_presenter{m_fake, m_theme, m_images};
    QWidget m_opener;
    QPushButton* m_button = nullptr;
};

} // namespace

TEST_F(AddPanelKeys, TabWalksTheFormThenTheResultsThenThePosterAndShiftTabComesBack) {
    openAndLookUp();
    ASSERT_TRUE(tabInto(m_presenter.resultsPanel()));
    key(Qt::Key_Space); // picks the first match: releases and its poster come up
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_presenter.model()->isSearching(); }));
    ASSERT_TRUE(m_presenter.posterPanel() && m_presenter.posterPanel()->isVisible());

    m_presenter.formPanel()->activateWindow();
    name()->setFocus(Qt::TabFocusReason);
    settle();
    QList<QWidget*> panels; // each panel the Tab key passes, once per visit
    for (int i = 0; i < 40 && (panels.size() < 2 || QApplication::focusWidget() != name()); ++i) {
        QWidget* window = QApplication::focusWidget()->window();
        if (panels.isEmpty() || panels.last() != window)
            panels << window;
        key(Qt::Key_Tab);
    }
    EXPECT_EQ(panels, (QList<QWidget*>{m_presenter.formPanel(), m_presenter.resultsPanel(),
                                       m_presenter.posterPanel(), m_presenter.formPanel()}));
    EXPECT_EQ(QApplication::focusWidget(), name());
    // Backwards from the form's first stops: the poster, then the end of the results.
    for (int i = 0; i < 10 && QApplication::focusWidget()->window() == m_presenter.formPanel(); ++i)
        key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget()->window(), m_presenter.posterPanel());
    EXPECT_EQ(QApplication::focusWidget()->accessibleName(), "Dark (2017)");
    key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget()->window(), m_presenter.resultsPanel());
}

TEST_F(AddPanelKeys, ArrowsAndSpacePickAMatchAndTickReleasesThenEnterCommits) {
    openAndLookUp();
    ASSERT_TRUE(tabInto(m_presenter.resultsPanel()));
    while (QApplication::focusWidget() != list())
        key(Qt::Key_Tab);
    key(Qt::Key_Down);
    key(Qt::Key_Down); // past the last match: stays on it
    key(Qt::Key_Return);
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_presenter.model()->isSearching(); }));
    ASSERT_TRUE(m_presenter.model()->resolvedShow());
    EXPECT_EQ(m_presenter.model()->resolvedShow()->name, "Dark Matter");

    // The release list keeps the keyboard: Down, Space ticks the second; Space again unticks.
    EXPECT_EQ(QApplication::focusWidget(), list());
    key(Qt::Key_Down);
    key(Qt::Key_Space);
    key(Qt::Key_Up);
    key(Qt::Key_Space);
    key(Qt::Key_Space);
    const QSet<QString> picked = m_presenter.model()->picked();
    ASSERT_EQ(picked.size(), 1);
    EXPECT_EQ(*picked.begin(), m_fake.releasesByName["Dark"][1].id);

    m_presenter.formPanel()->activateWindow();
    name()->setFocus(Qt::TabFocusReason);
    settle();
    key(Qt::Key_Return); // "Grab & continue from here"
    EXPECT_FALSE(m_presenter.isOpen());
    EXPECT_EQ(m_fake.callsTo("addShow"), QStringList{"addShow Dark plan 0 picked 1"});
    ASSERT_TRUE(m_fake.addedShow && m_fake.addedShow->match);
    EXPECT_EQ(m_fake.addedShow->match->id, 1); // Dark Matter, the second match
    EXPECT_TRUE(runEventLoopUntil([&] { return QApplication::focusWidget() == m_button; }));
}

TEST_F(AddPanelKeys, EscapeClosesTheSidePanelsThenTheFormAndTheKeyboardGoesBackToTheButton) {
    openAndLookUp();
    ASSERT_TRUE(tabInto(m_presenter.resultsPanel()));
    key(Qt::Key_Escape); // from inside the results
    ASSERT_TRUE(m_presenter.isOpen());
    EXPECT_FALSE(m_presenter.resultsPanel()->isVisible());
    EXPECT_TRUE(runEventLoopUntil([&] { return QApplication::focusWidget() == name(); }));
    // A switch changing the form does not bring the results back; a new lookup does.
    m_presenter.model()->setShowAdvanced(true);
    settle();
    EXPECT_FALSE(m_presenter.resultsPanel()->isVisible());
    key(Qt::Key_Return);
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_presenter.model()->isSearching(); }));
    EXPECT_TRUE(m_presenter.resultsPanel()->isVisible());

    key(Qt::Key_Escape);
    key(Qt::Key_Escape);
    EXPECT_FALSE(m_presenter.isOpen());
    EXPECT_TRUE(runEventLoopUntil([&] { return QApplication::focusWidget() == m_button; }));
    EXPECT_TRUE(m_fake.callsTo("addShow").isEmpty());
}
