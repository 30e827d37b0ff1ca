#include "MovieListModel.h"

#include "FakeWatchlist.h"
#include "ListSpies.h"

#include <gtest/gtest.h>

namespace {

class MovieListModelTest : public testing::Test {
protected:
    void fill(int count) {
        for (int i = 0; i < count; ++i) {
            Movie movie;
            movie.id = QUuid::createUuid();
            movie.name = QStringLiteral("Movie %1").arg(i);
            movie.year = QStringLiteral("1995");
            m_fake.movieList.append(movie);
        }
    }

    void start() {
        m_model = std::make_unique<MovieListModel>(m_fake);
        m_spies = std::make_unique<ListSpies>(m_model.get());
    }

    QString text(int row, int role) const {
        return m_model->data(m_model->index(row), role).toString();
    }
    QList<int> changedRows() { return m_spies->changedRows(); }

    DownloadRecord download(const Movie& movie, int peers) const {
        DownloadRecord row;
        row.id = QString(40, 'c');
        row.showID = movie.id;
        row.state = DownloadRecord::State::downloading;
        row.peers = peers;
        return row;
    }

    FakeWatchlist m_fake;
    std::unique_ptr<MovieListModel> m_model;
    std::unique_ptr<ListSpies> m_spies;
};

} // namespace

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
    EXPECT_FALSE(m_model->data(m_model->index(0), MovieListModel::FlaggedRole).toBool());

    m_fake.movieList[0].downloaded = false;
    Q_EMIT m_fake.moviesChanged();
    EXPECT_EQ(changedRows(), QList<int>{0});
    EXPECT_TRUE(m_model->data(m_model->index(0), MovieListModel::FlaggedRole).toBool());
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
