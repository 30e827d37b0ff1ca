// The series list's wiring: each control reaches its store operation, once per path.

#include "series/ShowsView.h"

#include "FakeHttpServer.h"
#include "Fixtures.h"
#include "ImageLoader.h"
#include "ShowListModel.h"
#include "UiHarness.h"
#include "model/RecordCodecs.h"
#include "series/Popover.h"

#include <QAbstractButton>
#include <QDir>
#include <QListView>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>

namespace {

using Part = ShowRowDelegate::Part;

Timestamp at(int day, int hour) {
    return Timestamp::fromDateTime(QDateTime(QDate(2025, 3, day), QTime(hour, 0), Qt::UTC));
}

class ShowsViewTest : public UiHarness {
protected:
    void SetUp() override {
        m_env.clock().set(at(13, 12));
        for (const char* name : {"Dark", "Severance", "The Bear"})
            m_shows.append(Show{.id = QUuid::createUuid(), .name = name});
        // (sorted: start-up repairs the statuses of downloads that nothing follows)
        m_shows[1].status = {ShowStatus::State::sorted, 1.0, QString("S01E01"), {}, at(13, 11)};
        // The Bear's grace for S02E05 ran out long ago: the next sighting asks the user.
        m_shows[2].qualityGraceEpisode = "S02E05";
        m_shows[2].qualityGraceFirstSeenAt = at(1, 0);
    }

    void showList() {
        m_env.writeStorageFile(StorageFiles::kShows, encodeDocument(m_shows));
        m_images = std::make_unique<ImageLoader>(m_imageHost, QString());
        m_view = std::make_unique<ShowsView>(start(), m_theme, *m_images);
        m_view->resize(760, 560);
        m_view->show();
        QCoreApplication::processEvents();
    }

    // The Bear waits for a choice of release for S02E05.
    void askForPick() {
        SearchResult r720;
        r720.title = "The.Bear.S02E05.720p.WEB";
        r720.quality = "720p";
        r720.magnetURL = QUrl("magnet:?xt=urn:btih:" + QString(40, 'b'));
        EXPECT_TRUE(m_store->holdOrAskForResolution("S02E05", {r720}, m_shows[2].id));
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

    const Show& show(int row) const { return m_store->shows().at(row); }

    Popover* popover(const char* name) const {
        QCoreApplication::processEvents();
        auto* found = m_view->findChild<Popover*>(QString::fromLatin1(name));
        return found && found->isVisible() ? found : nullptr;
    }

    QList<Show> m_shows;
    QUrl m_imageHost{"http://127.0.0.1:9"};
    std::unique_ptr<ImageLoader> m_images;
    std::unique_ptr<ShowsView> m_view;
};

} // namespace

TEST_F(ShowsViewTest, TheSwitchThePopoversAndTheReleasePickerActOnTheirOwnRow) {
    showList();
    click(1, Part::subscribeSwitch);
    EXPECT_FALSE(show(1).isEnabled);
    EXPECT_TRUE(show(0).isEnabled); // the other rows were left alone
    click(1, Part::subscribeSwitch);
    EXPECT_TRUE(show(1).isEnabled);
    click(0, Part::qualityPill);
    press(popover("qualityPopover"), "qualityChoice.720p");
    EXPECT_EQ(show(0).quality, Show::Quality::p720);
    EXPECT_FALSE(popover("qualityPopover"));

    askForPick();
    click(2, Part::pickPill);
    press(popover("releasePickPopover"), "alternateRelease.0");
    EXPECT_TRUE(m_store->pendingQualityPicks().isEmpty());
    EXPECT_EQ(show(2).status.episode, "S02E05"); // handed to the grab path
    EXPECT_FALSE(popover("releasePickPopover"));
}

TEST_F(ShowsViewTest, TheContextMenuActsAndThePickerCanBeDismissed) {
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
    EXPECT_TRUE(m_store->isSearchingNow(m_shows[1].id));
    action(1, "Clear status");
    EXPECT_EQ(show(1).status, ShowStatus{});
    action(2, "Choose a release…");
    press(popover("releasePickPopover"), "dismissPickButton");
    EXPECT_TRUE(m_store->pendingQualityPicks().isEmpty());
    EXPECT_EQ(show(2).qualityGraceDismissedEpisode, "S02E05");
    EXPECT_TRUE(m_view->controlRect(2, Part::pickPill).isEmpty());
    action(0, "Remove from Watchlist");
    ASSERT_EQ(m_store->shows().size(), 2);
    EXPECT_EQ(show(0).name, "Severance");
}

TEST_F(ShowsViewTest, ExpandingASecondRowCollapsesTheFirst) {
    showList();
    QSignalSpy episodes(m_view.get(), &ShowsView::episodesRequested);
    const int collapsed = m_view->list()->visualRect(m_view->model().index(0)).height();
    EXPECT_TRUE(m_view->controlRect(0, Part::viewEpisodes).isEmpty());

    click(0, Part::row);
    EXPECT_EQ(m_view->expandedShowID(), m_shows[0].id);
    EXPECT_GT(m_view->list()->visualRect(m_view->model().index(0)).height(), collapsed);

    click(1, Part::row);
    EXPECT_EQ(m_view->expandedShowID(), m_shows[1].id);
    EXPECT_EQ(m_view->list()->visualRect(m_view->model().index(0)).height(), collapsed);

    click(1, Part::viewEpisodes);
    ASSERT_EQ(episodes.count(), 1);
    EXPECT_EQ(episodes.first()[0].toUuid(), m_shows[1].id);

    click(1, Part::row); // pressing the expanded row again collapses it
    EXPECT_TRUE(m_view->expandedShowID().isNull());
}

TEST_F(ShowsViewTest, TrashRemovesAndTheLastRemovalShowsTheEmptyState) {
    m_shows.resize(1);
    showList();
    QSignalSpy add(m_view.get(), &ShowsView::addSeriesRequested);
    auto* pages = m_view->findChild<QStackedWidget*>();
    ASSERT_TRUE(pages);
    EXPECT_EQ(pages->currentWidget(), m_view->list());

    click(0, Part::row);
    click(0, Part::trash);
    EXPECT_TRUE(m_store->shows().isEmpty());
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

    m_shows.clear();
    for (int i = 0; i < 300; ++i) {
        Show show{.id = QUuid::createUuid(), .name = QStringLiteral("Series %1").arg(i)};
        if (i % 3 != 0) // every third series has no poster
            show.posterPath = QStringLiteral("/p%1.png").arg(i % 10);
        m_shows.append(show);
    }
    m_imageHost = host.baseUrl();
    showList();

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
    ASSERT_TRUE(runEventLoopUntil([&] { return host.requests().size() >= 10; }));
    drainEvents();
    QStringList asked, expected;
    for (const FakeHttpServer::Request& r : host.requests())
        asked << r.path;
    for (int i = 0; i < 10; ++i)
        expected << QStringLiteral("/t/p/w92/p%1.png").arg(i);
    asked.sort();
    EXPECT_EQ(asked, expected);

    if (const QString folder = qEnvironmentVariable("LUMIVANE_SHOTS_DIR"); !folder.isEmpty()) {
        QDir().mkpath(folder);
        bar->setValue(0);
        m_view->grab().save(QDir(folder).filePath("series-posters.png"));
    }
}
