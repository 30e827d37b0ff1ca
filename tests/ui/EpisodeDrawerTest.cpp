#include "drawer/EpisodeDrawer.h"

#include "DarkSeries.h"
#include "UiHarness.h"
#include "drawer/DrawerListView.h"
#include "drawer/EpisodeRowDelegate.h"
#include "drawer/RecentRowDelegate.h"
#include "present/EpisodeListModel.h"
#include "present/RecentListModel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

namespace {

// The drawer over a window-sized parent, on an in-memory watchlist.
class DrawerWidget : public UiHarness {
protected:
    void start() {
        m_window = std::make_unique<QWidget>();
        m_window->resize(760, 520);
        m_drawer = new EpisodeDrawer(m_fake, m_theme, m_window.get());
        m_window->show();
    }

    // The widget of that name on screen: a rebuilt row's predecessor may await deletion.
    template <typename T = QAbstractButton>
    T* find(const QString& name) const {
        const QList<T*> all = m_window->findChildren<T*>(name);
        for (T* w : all) {
            if (w->isVisibleTo(m_window.get()))
                return w;
        }
        return all.isEmpty() ? nullptr : all.first();
    }
    // Waits for a widget that the drawer builds once an answer is in.
    template <typename T = QAbstractButton>
    T* await(const QString& name) {
        runEventLoopUntil([&] {
            T* w = find<T>(name);
            return w && w->isVisibleTo(m_window.get());
        });
        return find<T>(name);
    }
    // The episode's row in the list, once the season lists it.
    QModelIndex awaitRow(const QString& code) {
        auto* view = find<DrawerListView>("episodeDrawer.episodes");
        if (!view)
            return {};
        runEventLoopUntil(
            [&] { return view->isVisibleTo(m_window.get()) && rowOf(view, code) >= 0; });
        const int row = rowOf(view, code);
        return row < 0 ? QModelIndex() : view->model()->index(row, 0);
    }
    static int rowOf(DrawerListView* view, const QString& code) {
        return static_cast<EpisodeListModel*>(view->model())->rowOfEpisode(code);
    }
    // A click on a button of a row, where the delegate draws it.
    static void pressPart(DrawerListView* view, const QModelIndex& index, int part) {
        view->scrollTo(index);
        const QRect button = view->partRect(index, part);
        ASSERT_FALSE(button.isEmpty()) << "no such button on row " << index.row();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, button.center());
    }
    // A click on the state button of an episode's row.
    void pressEpisode(const QString& code) {
        const QModelIndex index = awaitRow(code);
        ASSERT_TRUE(index.data(EpisodeListModel::PressableRole).toBool()) << code.toStdString();
        pressPart(find<DrawerListView>("episodeDrawer.episodes"), index,
                  EpisodeRowDelegate::kState);
    }
    // A click on one of the buttons a stuck download's row offers.
    void pressRecent(char record, int part) {
        auto* view = find<DrawerListView>("episodeDrawer.recent");
        ASSERT_NE(view, nullptr);
        int row = -1;
        runEventLoopUntil([&] {
            row = static_cast<RecentListModel*>(view->model())->rowOf(hashOf(record));
            return view->isVisibleTo(m_window.get()) && row >= 0;
        });
        ASSERT_GE(row, 0) << record;
        pressPart(view, view->model()->index(row, 0), part);
    }
    void click(QAbstractButton* button) {
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled()) << button->objectName().toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
    }

    Show& m_dark = scriptDark(m_fake);
    std::unique_ptr<QWidget> m_window;
    EpisodeDrawer* m_drawer = nullptr;
};

TEST_F(DrawerWidget, ARefusedKeyIsRetriedThenASeriesIsPickedLinkedListedAndAnEpisodeGrabbed) {
    m_dark.tmdbID.reset();
    m_fake.tmdbFailure = LookupFailure::refusedKey;
    start();
    QSignalSpy closed(m_drawer, &EpisodeDrawer::closed);
    m_drawer->openFor(m_dark.id);
    EXPECT_TRUE(runEventLoopUntil([&] {
        auto* message = find<QLabel>("episodeDrawer.message");
        return message && message->isVisibleTo(m_window.get()) &&
               message->text() == "TMDB refused the API key. Check the key in Settings.";
    }));
    m_fake.tmdbFailure = LookupFailure::none;
    click(find("episodeDrawer.retry"));

    click(await("episodeDrawer.candidate.1"));
    m_fake.held = {"grabEpisodes Dark S02E03"}; // the search runs while we look
    pressEpisode("S02E03");
    ASSERT_TRUE(runEventLoopUntil([&] {
        const QModelIndex row = awaitRow("S02E03");
        return row.data(EpisodeListModel::StateTextRole) == "Grabbing" &&
               !row.data(EpisodeListModel::PressableRole).toBool();
    }));
    pressEpisode("S02E02"); // another row's button, at its own place in the list
    click(find("episodeDrawer.completeSeason"));

    // Another season through its pill, then back to the list.
    click(find("episodeDrawer.season.1"));
    EXPECT_TRUE(awaitRow("S01E01").isValid());
    click(find("episodeDrawer.close"));
    EXPECT_FALSE(m_drawer->isVisible());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(m_fake.callsTo("linkTMDBMatch"), QStringList{"linkTMDBMatch Dark 70523"});
    EXPECT_EQ(m_fake.callsTo("grabEpisodes"),
              QStringList({"grabEpisodes Dark S02E03", "grabEpisodes Dark S02E02"}));
    EXPECT_EQ(m_fake.callsTo("completeSeason"), QStringList{"completeSeason Dark 2"});
}

TEST_F(DrawerWidget, TheOfferOpensUnderItsEpisodeArrowsStepOverItAndItsButtonGrabs) {
    m_fake.outcomes = {{"S02E03", WatchlistOperations::EpisodeOutcome::offered}};
    m_fake.picks.insert(m_dark.id,
                        {"S02E03", {fakeRelease("Dark.S02E03.720p.WEB-GRP", 'c', "720p", 8)}});
    start();
    QApplication::setActiveWindow(m_window.get());
    m_drawer->openFor(m_dark.id);
    pressEpisode("S02E03");
    auto* choose = await("episodeDrawer.offer.0.choose");
    ASSERT_NE(choose, nullptr);
    auto* view = find<DrawerListView>("episodeDrawer.episodes");
    // The panel sits in its row, under the episode's card and over the next one's.
    QWidget* panel = view->panel(view->model()->index(3, 0));
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isAncestorOf(choose));
    EXPECT_TRUE(runEventLoopUntil([&] {
        const QRect card = view->partRect(awaitRow("S02E03"), DrawerRowDelegate::kRow);
        const QRect next = view->partRect(awaitRow("S02E04"), DrawerRowDelegate::kRow);
        const QRect at(view->viewport()->mapFromGlobal(panel->mapToGlobal(QPoint(0, 0))),
                       panel->size());
        return panel->isVisible() && at.top() > card.bottom() && at.bottom() < next.top() &&
               at.left() == card.left() && at.width() == card.width();
    }));

    view->setFocus();
    view->setCurrentIndex(awaitRow("S02E03"));
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(view->currentIndex().data(EpisodeListModel::CodeRole), "S02E04");
    QTest::keyClick(view, Qt::Key_Up);
    EXPECT_EQ(view->currentIndex().data(EpisodeListModel::CodeRole), "S02E03");

    click(choose);
    EXPECT_EQ(m_fake.callsTo("grabEpisodeRelease"),
              QStringList{"grabEpisodeRelease Dark S02E03 Dark.S02E03.720p.WEB-GRP"});
    EXPECT_TRUE(runEventLoopUntil([&] { return !view->panel(view->model()->index(3, 0)); }));

    // Escape on the list is the drawer's: it closes.
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_FALSE(m_drawer->isVisible());
}

TEST_F(DrawerWidget, AStuckDownloadIsSwitchedToTheReleaseChosenFromItsAlternates) {
    m_fake.rows = darkHistory("a");
    m_fake.alternatesOf[hashOf('a')] = {
        fakeRelease("Dark.S02E04.720p.WEB.h264-NEW", 'b', "720p", 31)};
    start();
    m_drawer->openFor(m_dark.id);
    ASSERT_TRUE(find("episodeDrawer.tab.recent")->isChecked()); // what needs the user comes first
    // From the keyboard: Enter on the stuck row asks for its alternates.
    auto* recent = find<DrawerListView>("episodeDrawer.recent");
    ASSERT_TRUE(runEventLoopUntil([&] { return recent->isVisibleTo(m_window.get()); }));
    QApplication::setActiveWindow(m_window.get());
    recent->setFocus();
    recent->setCurrentIndex(recent->model()->index(0, 0));
    QTest::keyClick(recent, Qt::Key_Return);
    click(await("episodeDrawer.alternates.0.choose"));
    EXPECT_EQ(m_fake.callsTo("switchRelease"),
              QStringList{"switchRelease " + hashOf('a') + " Dark.S02E04.720p.WEB.h264-NEW"});

    click(find("episodeDrawer.tab.episodes"));
    EXPECT_EQ(m_drawer->model().tab(), EpisodeDrawerModel::Tab::episodes);
}

TEST_F(DrawerWidget, AStuckDownloadIsSnoozedOrRemovedFromItsRow) {
    m_fake.rows = darkHistory("ad");
    start();
    m_drawer->openFor(m_dark.id);

    pressRecent('a', RecentRowDelegate::kSnooze);
    EXPECT_EQ(m_fake.callsTo("snoozeStaleFor"),
              QStringList{"snoozeStaleFor " + hashOf('a') + " 7"});
    // Snoozed, the row no longer offers the actions.
    m_fake.rows.first().staleSnoozedUntil = m_fake.now() + 7 * 86400.0;
    Q_EMIT m_fake.historyChanged();
    auto* recent = find<DrawerListView>("episodeDrawer.recent");
    ASSERT_TRUE(runEventLoopUntil(
        [&] { return !recent->model()->index(0, 0).data(RecentListModel::FlaggedRole).toBool(); }));
    EXPECT_TRUE(
        recent->partRect(recent->model()->index(0, 0), RecentRowDelegate::kSnooze).isEmpty());

    pressRecent('d', RecentRowDelegate::kRemove);
    EXPECT_EQ(m_fake.callsTo("removeDownload"), QStringList{"removeDownload " + hashOf('d')});
}

} // namespace
