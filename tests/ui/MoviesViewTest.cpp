// The Movies tab and the add-movie panels wired to an in-memory watchlist.

#include "movies/MoviesView.h"

#include "RoundedPanel.h"
#include "UiHarness.h"
#include "addshow/AddShowPresenter.h"
#include "movies/MovieQualityPopover.h"
#include "movies/MovieRowWidget.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

class MoviesTab : public UiHarness {
protected:
    MoviesTab() { addMovies(m_fake, {"Heat", "Alien", "Ronin"}); }

    void start() {
        view = std::make_unique<MoviesView>(m_fake, m_theme, m_images);
        view->resize(600, 500);
        view->show();
    }

    template <typename T = QAbstractButton>
    T* inRow(int row, const char* name) const {
        return view->rowWidget(row)->findChild<T*>(QString::fromLatin1(name));
    }

    // Triggers the row's context menu item with this label.
    void choose(int row, const QString& label) {
        std::unique_ptr<QMenu> menu(view->contextMenu(row, nullptr));
        for (QAction* action : menu->actions()) {
            if (action->text() == label)
                return action->trigger();
        }
        ADD_FAILURE() << "no menu item " << label.toStdString();
    }

    std::unique_ptr<MoviesView> view;
};

} // namespace

TEST_F(MoviesTab, TheMenuTheTrashAndTheEmptyStateReachTheStore) {
    m_fake.movieList[1].isEnabled = false;
    start();
    ASSERT_TRUE(view->rowWidget(2));
    EXPECT_EQ(inRow<QLabel>(0, "movieRow.title")->text(), "Heat (1995)");
    EXPECT_EQ(inRow<QLabel>(1, "movieRow.status")->text(), "Disabled");
    EXPECT_EQ(view->rowWidget(0)->accessibleName(), "Heat (1995)");
    EXPECT_EQ(view->rowWidget(0)->accessibleDescription(), "Watching for a release");

    choose(0, "Disable");
    choose(1, "Enable");
    choose(2, "Search now");
    choose(2, "Clear status");
    choose(0, "Remove from Movies");
    auto* trash = inRow<QPushButton>(2, "movieRow.trash");
    EXPECT_EQ(trash->toolTip(), "Remove Ronin (1995) from Movies");
    EXPECT_EQ(trash->accessibleName(), trash->toolTip());
    QTest::mouseClick(trash, Qt::LeftButton);
    EXPECT_EQ(m_fake.calls, (QStringList{"setMovieEnabled Heat false", "setMovieEnabled Alien true",
                                         "huntMovie Ronin", "clearMovieStatus Ronin",
                                         "removeMovie Heat", "removeMovie Ronin"}));

    // One record's change reaches its own row; an emptied list shows the empty state.
    m_fake.movieList[2].status = {ShowStatus::State::downloading, 0.426, {}, {}, {}};
    Q_EMIT m_fake.moviesChanged();
    EXPECT_EQ(inRow<QLabel>(2, "movieRow.status")->text(), "Downloading 43%");
    m_fake.movieList.clear();
    Q_EMIT m_fake.moviesChanged();
    auto* add = find<QPushButton>(*view, "emptyStateAddMovieButton");
    ASSERT_TRUE(add && add->isVisible());
    QSignalSpy asked(view.get(), &MoviesView::addMovieRequested);
    QTest::mouseClick(add, Qt::LeftButton);
    EXPECT_EQ(asked.count(), 1);
}

TEST_F(MoviesTab, AResolutionIsAppliedOnlyOnConfirmation) {
    start();
    QTest::mouseClick(inRow(0, "movieRow.quality"), Qt::LeftButton);
    auto* popover = qobject_cast<MovieQualityPopover*>(view->openPopover());
    ASSERT_TRUE(popover);
    auto* apply = popover->findChild<QPushButton*>("movieQualityApply");
    EXPECT_FALSE(apply->isEnabled()); // nothing staged yet
    QTest::mouseClick(popover->findChild<QAbstractButton*>("movieQualityChoice.720p"),
                      Qt::LeftButton);
    QTest::mouseClick(popover->findChild<QAbstractButton*>("movieQualityChoice.480p"),
                      Qt::LeftButton);
    EXPECT_TRUE(m_fake.callsTo("setMovieQuality").isEmpty());
    popover->close(); // a click elsewhere drops the staged choice
    EXPECT_TRUE(m_fake.callsTo("setMovieQuality").isEmpty());

    QTest::mouseClick(inRow(0, "movieRow.quality"), Qt::LeftButton);
    popover = qobject_cast<MovieQualityPopover*>(view->openPopover());
    ASSERT_TRUE(popover);
    QTest::mouseClick(popover->findChild<QAbstractButton*>("movieQualityChoice.720p"),
                      Qt::LeftButton);
    QTest::mouseClick(popover->findChild<QPushButton*>("movieQualityApply"), Qt::LeftButton);
    EXPECT_EQ(m_fake.callsTo("setMovieQuality"), QStringList{"setMovieQuality Heat 720p"});
}

TEST_F(MoviesTab, AFlaggedDownloadOffersItsActionsAndSwitchesToAnAlternate) {
    stickFirstMovie(m_fake);
    m_fake.releasesByName["Heat"] = {fakeRelease("Heat.1995.1080p.Stuck", 'a', "1080p", 0),
                                     fakeRelease("Heat.1995.Rejected", 'r', "1080p", 50),
                                     fakeRelease("Heat.1995.720p.Good", 'g', "720p", 12)};
    start();
    EXPECT_EQ(inRow<QLabel>(0, "movieRow.download")->text(), "0 peers · stuck 8 days");
    auto* find = inRow(0, "movieRow.findAlternate");
    ASSERT_TRUE(find && find->isVisible());
    EXPECT_FALSE(inRow(1, "movieRow.findAlternate")->isVisible());

    m_fake.held = {"movieReleases Heat any"};
    QTest::mouseClick(find, Qt::LeftButton);
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_fake.callsTo("movieReleases").isEmpty(); }));
    const auto texts = [&] {
        QStringList out;
        for (QLabel* l : view->rowWidget(0)->findChildren<QLabel*>())
            if (l->isVisible())
                out << l->text();
        return out;
    };
    EXPECT_TRUE(texts().contains("Searching…"));
    m_fake.release("movieReleases Heat any");
    ASSERT_TRUE(runEventLoopUntil([&] { return m_fake.answered == 1; }));
    const auto offered = view->rowWidget(0)->findChildren<QAbstractButton*>("movieRow.alternate");
    ASSERT_EQ(offered.size(), 1); // neither the running nor the rejected release
    EXPECT_EQ(offered.first()->accessibleName(), "12 seeders · 1.5 GB");
    QTest::mouseClick(offered.first(), Qt::LeftButton);

    QTest::mouseClick(inRow(0, "movieRow.snooze"), Qt::LeftButton);
    QTest::mouseClick(inRow(0, "movieRow.removeRequest"), Qt::LeftButton);
    EXPECT_EQ(m_fake.calls.mid(1),
              (QStringList{"switchMovieRelease " + QString(40, 'a') + " Heat.1995.720p.Good",
                           "snoozeStaleFor " + QString(40, 'a') + " 7",
                           "removeDownload " + QString(40, 'a')}));

    m_fake.releasesByName.clear();
    QTest::mouseClick(inRow(0, "movieRow.findAlternate"), Qt::LeftButton);
    ASSERT_TRUE(runEventLoopUntil([&] { return m_fake.answered == 2; }));
    EXPECT_TRUE(texts().contains("No other releases found for this movie."));
}

TEST_F(MoviesTab, RowsAndTheirControlsAreReachedByTab) {
    start();
    view->activateWindow();
    view->rowWidget(0)->setFocus();
    ASSERT_TRUE(runEventLoopUntil([&] { return view->rowWidget(0)->hasFocus(); }));
    QStringList visited;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* at = QApplication::focusWidget();
        visited << (at->accessibleName().isEmpty() ? at->objectName() : at->accessibleName());
    }
    EXPECT_EQ(visited,
              (QStringList{"Change the resolution for this movie", "Remove Heat (1995) from Movies",
                           "Alien (1995)", "Change the resolution for this movie"}));

    // The menu key, or Shift+F10, opens the focused row's context menu.
    view->rowWidget(1)->setFocus();
    QSignalSpy menu(view->rowWidget(1), &MovieRowWidget::menuRequested);
    QTest::keyClick(view->rowWidget(1), Qt::Key_Menu);
    QTest::keyClick(view->rowWidget(1), Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(menu.count(), 2);

    // Arrows step between rows, stopping at either end; Delete is the trash.
    view->rowWidget(0)->setFocus();
    pressKeys({Qt::Key_Up});
    EXPECT_EQ(QApplication::focusWidget(), view->rowWidget(0));
    pressKeys({Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up});
    ASSERT_EQ(QApplication::focusWidget(), view->rowWidget(1));
    pressKeys({Qt::Key_Delete});
    EXPECT_EQ(m_fake.callsTo("removeMovie"), QStringList{"removeMovie Alien"});
}

TEST_F(MoviesTab, TheAddPanelsGoFromATypedTitleToAnAddedMovieWithOnePickedRelease) {
    m_fake.moviesByTitle["Heat"] = {{949, "Heat", "1995", "A heist.", "/heat.jpg", {}}};
    m_fake.releasesByName["Heat"] = {fakeRelease("Heat.1995.1080p.BluRay", 'a', "1080p", 40),
                                     fakeRelease("Heat.1995.1080p.WEB", 'b', "1080p", 12)};
    AddShowPresenter presenter(m_fake, m_theme, m_images, nullptr, AddShowModel::Kind::movie);
    presenter.open(nullptr);
    const auto inForm = [&](const char* name) {
        return presenter.formPanel()->findChild<QWidget*>(QString::fromLatin1(name));
    };
    auto* name = qobject_cast<QLineEdit*>(inForm("addShow.name"));
    // The empty form has no wrapping line to size it by, yet opens at its full height.
    EXPECT_GE(presenter.formPanel()->bodySize().height(),
              presenter.formPanel()->content()->minimumSizeHint().height());
    EXPECT_EQ(name->placeholderText(), "e.g. Eraserhead");
    EXPECT_EQ(name->accessibleName(), "MOVIE NAME");
    EXPECT_FALSE(inForm("addShow.subscribe")->isVisible());
    auto* primary = qobject_cast<QPushButton*>(inForm("addShow.primary"));
    QTest::keyClicks(name, "Heat");
    EXPECT_EQ(primary->text(), "Find movie");
    QTest::keyClick(name, Qt::Key_Return);
    ASSERT_TRUE(
        runEventLoopUntil([&] { return presenter.resultsPanel() && m_fake.answered == 1; }));
    EXPECT_EQ(presenter.resultsPanel()->findChild<QLabel*>("addShow.heading")->text(),
              "Which movie?");

    m_fake.clock.advance(1);
    auto* list = presenter.resultsPanel()->findChild<QListView*>("addShow.list");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(0, 0)).center());
    ASSERT_TRUE(runEventLoopUntil([&] { return m_fake.answered == 2; }));
    EXPECT_EQ(primary->text(), "Add to List");
    for (int row : {0, 1})
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(row, 0)).center());
    EXPECT_EQ(presenter.resultsPanel()->findChild<QLabel*>("addShow.heading")->text(),
              "2 releases · 1 selected");
    QTest::mouseClick(primary, Qt::LeftButton);
    EXPECT_FALSE(presenter.isOpen());
    EXPECT_EQ(m_fake.callsTo("addMovie"),
              QStringList{"addMovie Heat 949 1080p monitor  Heat.1995.1080p.WEB"});
}
