// The series list's wiring: each control reaches its operation, once per path.

#include "series/ShowsView.h"

#include "FakeHttpServer.h"
#include "Fixtures.h"
#include "ShowListModel.h"
#include "UiHarness.h"
#include "series/Popover.h"

#include <QApplication>
#include <QListView>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>

namespace {

using Part = ShowRowDelegate::Part;

class ShowsViewTest : public UiHarness {
protected:
    void SetUp() override {
        for (const char* name : {"Dark", "Severance", "The Bear"})
            m_fake.showNamed(name);
    }

    void showList() { showList(m_images); }
    void showList(ImageLoader& images) {
        m_view = std::make_unique<ShowsView>(m_fake, m_theme, images);
        m_view->resize(760, 560);
        m_view->show();
        QCoreApplication::processEvents();
    }

    // The Bear waits for a choice of release for S02E05.
    void askForPick() {
        m_fake.picks.insert(m_fake.showList[2].id,
                            {"S02E05", {fakeRelease("The.Bear.S02E05.720p.WEB", 'b', "720p")}});
        Q_EMIT m_fake.pendingQualityPicksChanged();
    }
    void click(int row, Part part) {
        const QRect rect = m_view->controlRect(row, part);
        ASSERT_FALSE(rect.isEmpty()) << "row " << row << " has no such control";
        QTest::mouseClick(m_view->list()->viewport(), Qt::LeftButton, {}, rect.center());
    }

    void press(Popover* popover, const char* button) {
        ASSERT_TRUE(popover);
        auto* found = popover->findChild<QAbstractButton*>(button);
        ASSERT_TRUE(found) << button;
        QTest::mouseClick(found, Qt::LeftButton);
    }

    Popover* popover(const char* name) const {
        QCoreApplication::processEvents();
        auto* found = m_view->findChild<Popover*>(QString::fromLatin1(name));
        return found && found->isVisible() ? found : nullptr;
    }

    std::unique_ptr<ShowsView> m_view;
};

// The list with the keyboard in it.
class SeriesKeys : public ShowsViewTest {
protected:
    void SetUp() override {
        ShowsViewTest::SetUp();
        showList();
        QApplication::setActiveWindow(m_view.get());
        m_view->list()->setFocus(Qt::TabFocusReason);
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
};

} // namespace

TEST_F(ShowsViewTest, TheSwitchThePopoversAndTheReleasePickerActOnTheirOwnRow) {
    showList();
    click(1, Part::subscribeSwitch);
    click(0, Part::qualityPill);
    press(popover("qualityPopover"), "qualityChoice.720p");
    EXPECT_FALSE(popover("qualityPopover"));

    askForPick();
    click(2, Part::pickPill);
    press(popover("releasePickPopover"), "alternateRelease.0");
    EXPECT_FALSE(popover("releasePickPopover"));
    EXPECT_EQ(m_fake.calls,
              QStringList({"setSubscribed Severance false", "setShowQuality Dark 720p",
                           "pickAlternative The Bear The.Bear.S02E05.720p.WEB"}));
}

TEST_F(ShowsViewTest, TheContextMenuActsAndThePickerCanBeDismissed) {
    m_fake.showList[1].status = {
        ShowStatus::State::sorted, 1.0, QString("S01E01"), {}, m_fake.now()};
    showList();
    askForPick();
    const auto action = [this](int row, const QString& text) {
        std::unique_ptr<QMenu> menu(m_view->contextMenu(row, nullptr));
        for (QAction* a : menu->actions()) {
            if (a->text() == text)
                return a->trigger();
        }
        ADD_FAILURE() << "no " << text.toStdString() << " in row " << row;
    };
    action(1, "Search now");
    action(1, "Clear status");
    action(2, "Choose a release…");
    press(popover("releasePickPopover"), "dismissPickButton");
    action(0, "Unsubscribe");
    action(0, "Remove from Watchlist");
    EXPECT_EQ(m_fake.calls, QStringList({"searchNow Severance", "clearStatus Severance",
                                         "dismissQualityPick The Bear", "setSubscribed Dark false",
                                         "removeShow Dark"}));
}

TEST_F(ShowsViewTest, ExpandingASecondRowCollapsesTheFirst) {
    showList();
    const int collapsed = m_view->list()->visualRect(m_view->model().index(0)).height();
    EXPECT_TRUE(m_view->controlRect(0, Part::viewEpisodes).isEmpty());

    click(0, Part::row);
    EXPECT_EQ(m_view->expandedShowID(), m_fake.showList[0].id);
    EXPECT_GT(m_view->list()->visualRect(m_view->model().index(0)).height(), collapsed);

    click(1, Part::row);
    EXPECT_EQ(m_view->expandedShowID(), m_fake.showList[1].id);
    EXPECT_EQ(m_view->list()->visualRect(m_view->model().index(0)).height(), collapsed);

    click(1, Part::row); // pressing the expanded row again collapses it
    EXPECT_TRUE(m_view->expandedShowID().isNull());
}

TEST_F(ShowsViewTest, TrashRemovesAndTheLastRemovalShowsTheEmptyState) {
    m_fake.showList.resize(1);
    showList();
    QSignalSpy add(m_view.get(), &ShowsView::addSeriesRequested);
    auto* pages = m_view->findChild<QStackedWidget*>();
    ASSERT_TRUE(pages);
    EXPECT_EQ(pages->currentWidget(), m_view->list());

    click(0, Part::row);
    click(0, Part::trash);
    EXPECT_EQ(m_fake.calls, QStringList{"removeShow Dark"});
    m_fake.showList.clear();
    Q_EMIT m_fake.showsChanged();
    EXPECT_NE(pages->currentWidget(), m_view->list());
    EXPECT_TRUE(m_view->expandedShowID().isNull());

    for (const char* name : {"addSeriesButton", "emptyStateAddSeriesButton"}) {
        auto* button = m_view->findChild<QAbstractButton*>(name);
        ASSERT_TRUE(button && button->isVisible()) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    EXPECT_EQ(add.count(), 2);
}

TEST_F(ShowsViewTest, ThreeHundredSeriesAskForEachPosterOnceAndOnlyWithAPath) {
    FakeHttpServer host;
    host.respondWith({200, fixtureBytes("ui/poster.png"), "image/png"});

    m_fake.showList.clear();
    for (int i = 0; i < 300; ++i) {
        Show show{.id = QUuid::createUuid(), .name = QStringLiteral("Series %1").arg(i)};
        if (i % 3 != 0) // every third series has no poster
            show.posterPath = QStringLiteral("/p%1.png").arg(i % 10);
        m_fake.showList.append(show);
    }
    ImageLoader images(host.baseUrl(), QString());
    showList(images);

    // Down the whole list and back up, painting each page.
    QScrollBar* bar = m_view->list()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    for (int pass = 0; pass < 2; ++pass) {
        for (int y = 0; y <= bar->maximum() + bar->pageStep(); y += bar->pageStep() / 2) {
            bar->setValue(pass == 0 ? y : bar->maximum() - y);
            m_view->grab();
            QCoreApplication::processEvents();
        }
    }
    // Each paint asks at once: the count is final here, with nothing in flight to wait for.
    EXPECT_EQ(images.requestsStarted(), 10);
    ASSERT_TRUE(runEventLoopUntil([&] { return host.requests().size() >= 10; }));
    QStringList asked, expected;
    for (const FakeHttpServer::Request& r : host.requests())
        asked << r.path;
    for (int i = 0; i < 10; ++i)
        expected << QStringLiteral("/t/p/w92/p%1.png").arg(i);
    asked.sort();
    EXPECT_EQ(asked, expected);
}

// The expanded row's painted controls, pressed through the accessibility layer, do what a
// click on them does, on their own row. The Bear is expanded: it shows every kind of control.
TEST_F(ShowsViewTest, TheExpandedRowsControlsArePressedAsAScreenReaderDoes) {
    struct AccessiblePress {
        Part part;
        const char* name; // what a screen reader reads
        QAccessible::Role role;
        const char* call;    // the operation the press reaches, or empty
        const char* popover; // the popover it opens, or empty
        bool episodes = false;
    };
    const AccessiblePress presses[] = {
        {Part::subscribeSwitch, "Subscribed — turn off", QAccessible::CheckBox,
         "setSubscribed The Bear false", nullptr},
        {Part::qualityPill, "Change the resolution for this series", QAccessible::Button, nullptr,
         "qualityPopover"},
        {Part::pickPill, "Pick a different resolution for this episode", QAccessible::Button,
         nullptr, "releasePickPopover"},
        {Part::trash, "Remove", QAccessible::Button, "removeShow The Bear", nullptr},
        {Part::viewEpisodes, "View episodes", QAccessible::Button, nullptr, nullptr, true},
    };
    for (const AccessiblePress& p : presses) {
        SCOPED_TRACE(p.name);
        m_fake.calls.clear();
        showList();
        askForPick();
        m_view->toggleExpanded(m_fake.showList[2].id);
        QSignalSpy episodes(m_view.get(), &ShowsView::episodesRequested);

        QAbstractButton* control = m_view->rowControl(p.part);
        ASSERT_TRUE(control);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(control);
        EXPECT_TRUE(iface->text(QAccessible::Name).startsWith(QString::fromUtf8(p.name)))
            << iface->text(QAccessible::Name).toStdString();
        EXPECT_EQ(iface->role(), p.role);
        // Where the control is painted, so a screen reader's pointer lands on it.
        const QRect painted = m_view->controlRect(2, p.part);
        EXPECT_EQ(QRect(control->mapTo(m_view.get(), QPoint(0, 0)), control->size()),
                  QRect(m_view->list()->viewport()->mapTo(m_view.get(), painted.topLeft()),
                        painted.size()));

        pressAccessibly(control);
        // A press is released by the event loop, as a key press on a button is.
        runEventLoopUntil([&] {
            return !m_fake.calls.isEmpty() || episodes.count() > 0 ||
                   (p.popover && popover(p.popover));
        });
        EXPECT_EQ(m_fake.calls, p.call ? QStringList{QString::fromLatin1(p.call)} : QStringList());
        if (p.popover) {
            EXPECT_TRUE(popover(p.popover));
        }
        ASSERT_EQ(episodes.count(), p.episodes ? 1 : 0);
        if (p.episodes) {
            EXPECT_EQ(episodes.first()[0].toUuid(), m_fake.showList[2].id);
        }
        if (auto* open = m_view->openPopover())
            open->close();
    }
}

// A screen reader's action on a row (it selects the row) expands it, as Enter does, and
// again collapses it.
TEST_F(ShowsViewTest, AScreenReaderExpandsARowBySelectingIt) {
    showList();
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(m_view->list());
    ASSERT_TRUE(list);
    QAccessibleInterface* row = nullptr;
    for (int i = 0; i < list->childCount() && !row; ++i) {
        if (list->child(i)->text(QAccessible::Name).startsWith(m_fake.showList[1].name))
            row = list->child(i);
    }
    ASSERT_TRUE(row && row->actionInterface());
    const QStringList actions = row->actionInterface()->actionNames();
    ASSERT_TRUE(actions.contains(QAccessibleActionInterface::toggleAction()))
        << actions.join(' ').toStdString();

    row->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(m_view->expandedShowID(), m_fake.showList[1].id);
    row->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(m_view->expandedShowID().isNull());
}

// The stand-ins follow the expanded row, there and only there, and keep out of the mouse's way.
TEST_F(ShowsViewTest, TheRowControlsFollowTheExpandedRowAndLetTheMouseThrough) {
    showList();
    EXPECT_FALSE(m_view->rowControl(Part::viewEpisodes)) << "no row is expanded";

    m_view->toggleExpanded(m_fake.showList[1].id);
    QAbstractButton* view = m_view->rowControl(Part::viewEpisodes);
    ASSERT_TRUE(view);
    EXPECT_FALSE(m_view->rowControl(Part::pickPill)) << "Severance waits for no choice";
    QWidget* viewport = m_view->list()->viewport();
    EXPECT_EQ(view->focusPolicy(), Qt::NoFocus) << "the list leads the keyboard through the row";

    // A change of the series reaches the names a screen reader reads.
    m_fake.showList[1].isEnabled = false;
    Q_EMIT m_fake.showsChanged();
    QAbstractButton* toggle = m_view->rowControl(Part::subscribeSwitch);
    ASSERT_TRUE(toggle);
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_EQ(toggle->accessibleName(),
              m_view->model().index(1).data(ShowListModel::SubscribeTooltipRole).toString());

    // A click through the window still lands on the list, which acts on the painted control.
    QSignalSpy episodes(m_view.get(), &ShowsView::episodesRequested);
    const QPoint at =
        viewport->mapTo(m_view.get(), m_view->controlRect(1, Part::viewEpisodes).center());
    QTest::mouseClick(m_view->windowHandle(), Qt::LeftButton, {}, at);
    EXPECT_EQ(episodes.count(), 1);

    m_view->toggleExpanded(m_fake.showList[1].id);
    EXPECT_FALSE(m_view->rowControl(Part::viewEpisodes));
    EXPECT_FALSE(m_view->rowControl(Part::trash));
}

TEST_F(SeriesKeys, ArrowsMoveEnterExpandsSpaceSubscribesDeleteRemoves) {
    EXPECT_TRUE(m_view->list()->hasFocus());
    pressKeys({Qt::Key_Down, Qt::Key_Down, Qt::Key_Up});
    ASSERT_EQ(current(), 1);

    pressKeys({Qt::Key_Return});
    EXPECT_EQ(m_view->expandedShowID(), m_fake.showList[1].id);
    pressKeys({Qt::Key_Enter});
    EXPECT_TRUE(m_view->expandedShowID().isNull());

    pressKeys({Qt::Key_Space, Qt::Key_Delete});
    EXPECT_EQ(m_fake.calls, QStringList({"setSubscribed Severance false", "removeShow Severance"}));
}

TEST_F(SeriesKeys, TabWalksTheRowsControlsThenLeavesTheList) {
    pressKeys({Qt::Key_Return}); // Dark expanded: "View episodes" joins the controls
    QSignalSpy episodes(m_view.get(), &ShowsView::episodesRequested);
    const QList<Part> walk = {Part::subscribeSwitch, Part::qualityPill, Part::trash,
                              Part::viewEpisodes};
    for (Part expected : walk) {
        pressKeys({Qt::Key_Tab});
        EXPECT_EQ(m_view->focusPart(), expected);
    }
    pressKeys({Qt::Key_Return});
    EXPECT_EQ(episodes.count(), 1);
    pressKeys({Qt::Key_Tab}, Qt::ShiftModifier);
    EXPECT_EQ(m_view->focusPart(), Part::trash);
    EXPECT_EQ(m_view->list()->accessibleDescription(), "Remove Dark from your series");
    pressKeys({Qt::Key_Return});
    pressKeys({Qt::Key_Tab}, Qt::ShiftModifier);
    pressKeys({Qt::Key_Space}); // on the pill: opens it rather than toggling the switch
    ASSERT_TRUE(m_view->openPopover());
    EXPECT_EQ(m_view->openPopover()->objectName(), "qualityPopover");
    QTest::keyClick(m_view->openPopover(), Qt::Key_Escape);
    settle();
    EXPECT_FALSE(m_view->openPopover() && m_view->openPopover()->isVisible());

    // A new row starts on its card; past its last control the focus leaves the list.
    pressKeys({Qt::Key_Down});
    EXPECT_EQ(m_view->focusPart(), Part::row);
    pressKeys({Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab});
    EXPECT_EQ(m_view->focusPart(), Part::trash);
    EXPECT_TRUE(m_view->list()->hasFocus());
    pressKeys({Qt::Key_Tab});
    EXPECT_FALSE(m_view->list()->hasFocus());
    EXPECT_EQ(m_view->focusPart(), Part::row);
    EXPECT_EQ(m_fake.calls, QStringList({"removeShow Dark"}));
}

TEST_F(SeriesKeys, TheMenuKeyAndShiftF10OpenTheRowsContextMenu) {
    pressKeys({Qt::Key_Down});
    pressKeys({Qt::Key_F10}, Qt::ShiftModifier);
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
    pressKeys({Qt::Key_Down, Qt::Key_Return});
    m_view->openQualityPopover(1);
    m_view->resetView();
    settle();
    EXPECT_TRUE(m_view->expandedShowID().isNull());
    EXPECT_FALSE(m_view->openPopover());
    EXPECT_EQ(current(), 0);
}
