// The series and movie lists as rows: a change repaints only the rows it is about.

#include "FakeWatchlist.h"
#include "ListSpies.h"
#include "MovieListModel.h"
#include "ShowListModel.h"

#include <gtest/gtest.h>

namespace {

Timestamp at(int day, int hour) {
    return Timestamp::fromDateTime(QDateTime(QDate(2025, 3, day), QTime(hour, 0), Qt::UTC));
}

template <typename Model>
class RowList : public testing::Test {
protected:
    void start() {
        m_model = std::make_unique<Model>(m_fake);
        m_spies = std::make_unique<ListSpies>(m_model.get());
    }

    QVariant data(int row, int role) const { return m_model->data(m_model->index(row), role); }
    QString text(int row, int role) const { return data(row, role).toString(); }
    QList<int> changedRows() { return m_spies->changedRows(); }

    FakeWatchlist m_fake;
    std::unique_ptr<Model> m_model;
    std::unique_ptr<ListSpies> m_spies;
};

class ShowListModelTest : public RowList<ShowListModel> {
protected:
    ShowListModelTest() {
        for (const char* name : {"Dark", "Severance", "The Bear"})
            m_fake.showNamed(name);
        m_fake.showList[2].status = {
            ShowStatus::State::sorted, 1.0, QString("S01E02"), {}, at(12, 13)};
    }
};

class MovieListModelTest : public RowList<MovieListModel> {
protected:
    void fill(int count) {
        for (int i = 0; i < count; ++i) {
            m_fake.movieList.append(Movie{.id = QUuid::createUuid(),
                                          .name = QStringLiteral("Movie %1").arg(i),
                                          .year = QStringLiteral("1995")});
        }
    }

    DownloadRecord download(const Movie& movie, int peers) const {
        return {.id = QString(40, 'c'),
                .showID = movie.id,
                .state = DownloadRecord::State::downloading,
                .peers = peers};
    }
};

} // namespace

TEST_F(ShowListModelTest, RepaintsOnlyAChangedRowAndAddsOrRemovesInPlace) {
    start();
    ASSERT_EQ(m_model->rowCount(), 3);
    EXPECT_EQ(text(2, ShowListModel::NameRole), "The Bear");
    EXPECT_EQ(text(2, ShowListModel::StatusLineRole), "Sorted S01E02 · 23h ago");
    EXPECT_EQ(m_model->rowOf(m_fake.showList[1].id), 1);

    m_fake.showList[1].isEnabled = false;
    Q_EMIT m_fake.showsChanged();
    EXPECT_EQ(changedRows(), QList<int>{1});
    EXPECT_EQ(text(1, ShowListModel::SubscribeLabelRole), "Not subscribed");

    m_fake.showList[0].quality = Show::Quality::p720;
    Q_EMIT m_fake.showsChanged();
    EXPECT_EQ(changedRows(), QList<int>{0});
    EXPECT_EQ(text(0, ShowListModel::QualityLabelRole), "720p");

    Q_EMIT m_fake.showsChanged(); // nothing reads differently: nothing repaints
    EXPECT_TRUE(changedRows().isEmpty());

    m_fake.clock.set(at(13, 14)); // the sorted status is now 25 hours old
    m_model->refresh();
    EXPECT_EQ(changedRows(), QList<int>{2});
    EXPECT_EQ(text(2, ShowListModel::StatusLineRole), "Subscribed — checking the schedule…");
    EXPECT_EQ(m_spies->inserted.count() + m_spies->removed.count(), 0);

    m_fake.showList.removeAt(1);
    Q_EMIT m_fake.showsChanged();
    ASSERT_EQ(m_spies->removed.count(), 1);
    EXPECT_EQ(m_spies->removed.first()[1].toInt(), 1);
    EXPECT_EQ(text(1, ShowListModel::NameRole), "The Bear");

    m_fake.showList.insert(1, Show{.id = QUuid::createUuid(), .name = "Shōgun"});
    Q_EMIT m_fake.showsChanged();
    ASSERT_EQ(m_spies->inserted.count(), 1);
    EXPECT_EQ(m_spies->inserted.first()[1].toInt(), 1);
    EXPECT_EQ(text(1, ShowListModel::NameRole), "Shōgun");

    m_fake.showList.swapItemsAt(0, 2); // a rename that sorts elsewhere moves the row
    Q_EMIT m_fake.showsChanged();
    EXPECT_EQ(text(0, ShowListModel::NameRole), "The Bear");
    EXPECT_EQ(text(2, ShowListModel::NameRole), "Dark");
    EXPECT_EQ(m_spies->reset.count(), 0);
}

TEST_F(ShowListModelTest, AHiddenListOnlyCatchesUpWhenItIsLiveAgain) {
    start();
    m_model->setLive(false);
    m_fake.showList[1].isEnabled = false;
    m_fake.showList.removeFirst();
    Q_EMIT m_fake.showsChanged();
    EXPECT_TRUE(changedRows().isEmpty());
    EXPECT_EQ(m_model->rowCount(), 3);

    m_model->setLive(true);
    ASSERT_EQ(m_model->rowCount(), 2);
    EXPECT_EQ(text(0, ShowListModel::SubscribeLabelRole), "Not subscribed");
    EXPECT_EQ(m_spies->removed.count(), 1);
}

// The picks, the history and the settings each repaint the rows they concern.
TEST_F(ShowListModelTest, APendingPickAndAStuckDownloadMarkTheirRow) {
    start();
    SearchResult alternate = fakeRelease("Dark.S02E05.720p", 'b', "720p");
    m_fake.picks.insert(m_fake.showList[0].id, {"S02E05", {alternate}});
    Q_EMIT m_fake.pendingQualityPicksChanged();
    EXPECT_EQ(changedRows(), QList<int>{0});
    EXPECT_EQ(text(0, ShowListModel::StatusLineRole),
              "No 1080p release for S02E05 — choose a copy");
    EXPECT_TRUE(data(0, ShowListModel::PickPendingRole).toBool());
    EXPECT_EQ(m_model->menuItems(0).size(), 6);
    // A screen reader hears the name, then quality, subscription and the same status line.
    EXPECT_EQ(text(0, Qt::AccessibleTextRole), "Dark");
    EXPECT_EQ(text(0, Qt::AccessibleDescriptionRole),
              "1080p, Subscribed, No 1080p release for S02E05 — choose a copy");

    m_fake.picks.clear();
    Q_EMIT m_fake.pendingQualityPicksChanged();
    EXPECT_EQ(changedRows(), QList<int>{0});
    EXPECT_FALSE(data(0, ShowListModel::PickPendingRole).toBool());

    // Stuck for eight days: past the week the settings allow, not past a fortnight.
    DownloadRecord stuck;
    stuck.id = QString(40, 'a');
    stuck.showID = m_fake.showList[2].id;
    stuck.state = DownloadRecord::State::downloading;
    stuck.stuckSince = at(5, 12);
    m_fake.rows = {stuck};
    Q_EMIT m_fake.historyChanged();
    EXPECT_EQ(changedRows(), QList<int>{2});
    EXPECT_TRUE(data(2, ShowListModel::StaleRole).toBool());
    EXPECT_FALSE(data(0, ShowListModel::StaleRole).toBool());
    // The marker is a symbol on screen and words for a screen reader.
    EXPECT_TRUE(
        text(2, Qt::AccessibleDescriptionRole).endsWith("Possible stalled item in recents"));
    EXPECT_FALSE(text(0, Qt::AccessibleDescriptionRole).contains("stalled"));

    m_fake.appSettings.staleNudgeDays = 14;
    Q_EMIT m_fake.settingsChanged();
    EXPECT_EQ(changedRows(), QList<int>{2});
    EXPECT_FALSE(data(2, ShowListModel::StaleRole).toBool());
}

TEST_F(MovieListModelTest, AThreeHundredMovieListRepaintsOnlyTheChangedRow) {
    fill(300);
    start();
    ASSERT_EQ(m_model->rowCount(), 300);
    EXPECT_EQ(text(0, MovieListModel::TitleRole), "Movie 0 (1995)");
    EXPECT_EQ(text(0, MovieListModel::StatusLineRole), "Watching for a release");

    m_fake.movieList[217].status = {ShowStatus::State::downloading, 0.426, {}, {}, {}};
    Q_EMIT m_fake.moviesChanged();
    EXPECT_EQ(changedRows(), QList<int>{217});
    EXPECT_EQ(text(217, MovieListModel::StatusLineRole), "Downloading 43%");

    // A download's peers come through the history: only its movie's row reads differently.
    m_fake.rows.prepend(download(m_fake.movieList[12], 1));
    Q_EMIT m_fake.historyChanged();
    EXPECT_EQ(changedRows(), QList<int>{12});
    EXPECT_EQ(text(12, MovieListModel::DownloadLineRole), "1 peer");

    Q_EMIT m_fake.moviesChanged();
    EXPECT_TRUE(changedRows().isEmpty());

    m_fake.movieList.removeAt(5);
    m_fake.movieList.insert(0, m_fake.movieList.takeAt(200));
    Q_EMIT m_fake.moviesChanged();
    EXPECT_TRUE(changedRows().isEmpty());
    EXPECT_EQ(m_spies->removed.size(), 1);
    EXPECT_TRUE(m_spies->inserted.isEmpty()) << "a moved row is moved, not listed twice";
    EXPECT_EQ(m_model->rowCount(), 299);
    EXPECT_EQ(m_model->rowOf(m_fake.movieList[0].id), 0);
    EXPECT_EQ(text(0, MovieListModel::TitleRole), "Movie 201 (1995)");
    EXPECT_TRUE(m_spies->reset.isEmpty());
}

TEST_F(MovieListModelTest, RowsDescribeThemselvesAndAFinishedMovieShowsNoDownload) {
    fill(2);
    m_fake.movieList[1].status = {ShowStatus::State::downloading, 0.5, {}, {}, {}};
    m_fake.rows = {download(m_fake.movieList[1], 3), download(m_fake.movieList[0], 2)};
    m_fake.rows[1].stuckSince = m_fake.now() - 8 * 86400.0;
    m_fake.movieList[0].downloaded = true; // a stale row left behind must not flag it
    start();
    EXPECT_EQ(text(1, Qt::AccessibleTextRole), "Movie 1 (1995)");
    EXPECT_EQ(text(1, Qt::AccessibleDescriptionRole), "Downloading 50%, 3 peers");
    EXPECT_EQ(text(0, Qt::AccessibleDescriptionRole), "Downloaded ✓");
    EXPECT_FALSE(data(0, MovieListModel::FlaggedRole).toBool());

    m_fake.movieList[0].downloaded = false;
    Q_EMIT m_fake.moviesChanged();
    EXPECT_EQ(changedRows(), QList<int>{0});
    EXPECT_TRUE(data(0, MovieListModel::FlaggedRole).toBool());
    EXPECT_EQ(text(0, MovieListModel::DownloadLineRole), "2 peers · stuck 8 days");
}

TEST_F(MovieListModelTest, AHiddenListCatchesUpInOneRefresh) {
    fill(3);
    start();
    m_model->setLive(false);
    m_fake.movieList[1].isEnabled = false;
    Q_EMIT m_fake.moviesChanged();
    EXPECT_TRUE(changedRows().isEmpty());
    m_model->setLive(true);
    EXPECT_EQ(changedRows(), QList<int>{1});
    EXPECT_EQ(text(1, MovieListModel::StatusLineRole), "Disabled");
}
