#include "AddShowModel.h"
#include "EventLoop.h"
#include "FakeWatchlist.h"
#include "ImageLoader.h"
#include "RoundedPanel.h"
#include "Theme.h"
#include "addshow/AddShowPresenter.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

// The add-series panels wired to the flow's model, on an in-memory watchlist.

namespace {

class AddShowPanels : public testing::Test {
protected:
    AddShowPanels() {
        fake.seriesByName["Dark"] = {{70523, "Dark", "2017", "A missing child.", "/dark.jpg"}};
    }

    void open() {
        presenter = std::make_unique<AddShowPresenter>(fake, theme, images);
        presenter->open(nullptr);
        ASSERT_TRUE(presenter->isOpen());
    }

    template <typename T = QAbstractButton>
    T* inForm(const char* name) const {
        return presenter->formPanel()->findChild<T*>(QString::fromLatin1(name));
    }
    template <typename T = QAbstractButton>
    T* inResults(const char* name) const {
        return presenter->resultsPanel()
                   ? presenter->resultsPanel()->findChild<T*>(QString::fromLatin1(name))
                   : nullptr;
    }

    // Types the name and presses Enter, the primary button, until the matches are listed.
    void lookUp(const QString& name, int matches = 1) {
        QTest::keyClicks(inForm<QLineEdit>("addShow.name"), name);
        QTest::keyClick(inForm<QLineEdit>("addShow.name"), Qt::Key_Return);
        ASSERT_TRUE(runEventLoopUntil([&] { return rows() == matches && !searching(); }))
            << fake.calls.join(" | ").toStdString() << " rows " << rows();
    }
    // Past the arming delay, a click on the first match searches its releases.
    void confirm() {
        fake.clock.advance(1);
        clickRow(0);
        ASSERT_TRUE(runEventLoopUntil([&] { return !searching(); }));
    }

    void clickRow(int row) {
        auto* list = inResults<QListView>("addShow.list");
        ASSERT_NE(list, nullptr);
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        ASSERT_TRUE(rect.isValid());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    int rows() const {
        auto* list = inResults<QListView>("addShow.list");
        return list ? list->model()->rowCount() : -1;
    }

    bool searching() const { return presenter->model() && presenter->model()->isSearching(); }

    FakeWatchlist fake;
    Theme theme;
    ImageLoader images{QUrl("http://127.0.0.1:9"), QString()};
    std::unique_ptr<AddShowPresenter> presenter;
};

TEST_F(AddShowPanels, FromATypedNameToAStoredSeriesWithTheSidePanelsFollowingTheForm) {
    fake.releasesByName["Dark"] = {fakeRelease("Dark S01E01 1080p WEB", 'a', "1080p", 40),
                                   fakeRelease("Dark S01E02 1080p WEB", 'b', "1080p", 12)};
    open();
    EXPECT_TRUE(runEventLoopUntil(
        [&] { return QApplication::focusWidget() == inForm<QLineEdit>("addShow.name"); }));
    lookUp(QStringLiteral("Dark"));
    confirm();
    RoundedPanel* form = presenter->formPanel();
    RoundedPanel* poster = presenter->posterPanel();
    ASSERT_TRUE(poster && poster->isVisible());
    // Room on every side, so no clamping gets in the way of the offset.
    form->moveBodyTo(QPoint(260, 40));
    const QPoint posterOffset = poster->pos() - form->pos();
    form->moveBodyTo(QPoint(250, 30));
    EXPECT_EQ(poster->pos() - form->pos(), posterOffset);
    // Dragging the poster's background takes the form, and with it the poster, along.
    const QPoint formBefore = form->pos();
    QTest::mousePress(poster, Qt::LeftButton, {}, QPoint(4, 4));
    QMouseEvent drag(QEvent::MouseMove, QPointF(QPoint(14, 9)), poster->mapToGlobal(QPointF(14, 9)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(poster, &drag);
    QTest::mouseRelease(poster, Qt::LeftButton, {}, QPoint(14, 9));
    EXPECT_EQ(form->pos() - formBefore, QPoint(10, 5));
    EXPECT_EQ(poster->pos() - form->pos(), posterOffset);
    ASSERT_EQ(rows(), 2);
    clickRow(1); // ticks the second release
    EXPECT_EQ(inResults<QLabel>("addShow.heading")->text(), "2 releases · 1 selected");
    auto* justThis = inResults("addShow.plan.onlyThis");
    ASSERT_TRUE(justThis && justThis->isVisible());
    QTest::mouseClick(justThis, Qt::LeftButton);
    EXPECT_EQ(inForm<QPushButton>("addShow.primary")->text().replace("&&", "&"), "Grab just this");

    QTest::mouseClick(inForm<QPushButton>("addShow.primary"), Qt::LeftButton);
    EXPECT_FALSE(presenter->isOpen());
    EXPECT_EQ(fake.callsTo("addShow"), QStringList{"addShow Dark plan 1 picked 1"});
    EXPECT_EQ(fake.addedShow->match->id, 70523);
    EXPECT_EQ(fake.addedPicks.first().title, "Dark S01E02 1080p WEB");
}

TEST_F(AddShowPanels, ARefusedKeyPointsToSettingsAndTheTypedNameStillAdds) {
    fake.tmdbFailure = LookupFailure::refusedKey;
    open();
    lookUp(QStringLiteral("Dark"), 0);

    auto* notice = inForm<QLabel>("addShow.notice");
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text(), "TMDB refused the API key — check the TMDB key in Settings.");
    auto* addAsTyped = inForm<QPushButton>("addShow.addAsTyped");
    ASSERT_TRUE(addAsTyped->isVisible());
    QTest::mouseClick(addAsTyped, Qt::LeftButton);
    EXPECT_FALSE(presenter->isOpen());
    ASSERT_EQ(fake.callsTo("addShow"), QStringList{"addShow Dark plan 0 picked 0"});
    EXPECT_FALSE(fake.addedShow->match);
}

TEST_F(AddShowPanels, IndexesThatDidNotAnswerCanBeAskedAgainAndEscapeCloses) {
    fake.indexesUnreachable = true;
    open();
    lookUp(QStringLiteral("Dark"));
    confirm();
    auto* title = inResults<QLabel>("addShow.emptyTitle");
    EXPECT_EQ(title->text(), "Could not reach the torrent indexes");
    auto* again = inResults<QPushButton>("addShow.searchAgain");
    ASSERT_TRUE(again->isVisible());

    fake.indexesUnreachable = false;
    QTest::mouseClick(again, Qt::LeftButton);
    ASSERT_TRUE(runEventLoopUntil([&] { return !searching(); }));
    EXPECT_EQ(title->text(), "No releases found");
    EXPECT_FALSE(again->isVisible());

    // Up from the field: the side panels go first, then the form.
    QTest::keyClick(inForm<QLineEdit>("addShow.name"), Qt::Key_Escape);
    ASSERT_TRUE(presenter->isOpen());
    EXPECT_FALSE(presenter->resultsPanel()->isVisible());
    EXPECT_FALSE(presenter->posterPanel()->isVisible());
    QTest::keyClick(inForm<QLineEdit>("addShow.name"), Qt::Key_Escape);
    EXPECT_FALSE(presenter->isOpen());
    EXPECT_TRUE(fake.callsTo("addShow").isEmpty());
}

TEST_F(AddShowPanels, FormControlsReachTheModelAndTheCloseSymbolClosesWithNothingLateLeakingIn) {
    fake.held = {"searchSeries Dark"};
    open();
    auto* fallback = inForm("addShow.fallbackQuality");
    EXPECT_TRUE(fallback->isVisible()); // on the form, not behind "More options"
    QTest::mouseClick(fallback, Qt::LeftButton);
    EXPECT_FALSE(presenter->model()->fallbackAnyQuality());
    auto* beginNext = inForm("addShow.beginNext");
    auto* anyQuality = inForm("addShow.anyQuality");
    EXPECT_FALSE(beginNext->isVisible());
    EXPECT_FALSE(anyQuality->isVisible());
    QTest::mouseClick(inForm<QPushButton>("addShow.moreOptions"), Qt::LeftButton);
    ASSERT_TRUE(beginNext->isVisible() && anyQuality->isVisible());
    QTest::mouseClick(anyQuality, Qt::LeftButton);
    EXPECT_TRUE(presenter->model()->anyQuality());
    // Both switches hold one setting: either one turns it, the other follows.
    QTest::mouseClick(beginNext, Qt::LeftButton);
    EXPECT_FALSE(presenter->model()->startWithLatest());
    EXPECT_FALSE(inForm("addShow.subscribe")->isChecked());
    QTest::mouseClick(inForm("addShow.subscribe"), Qt::LeftButton);
    EXPECT_TRUE(beginNext->isChecked());

    QTest::mouseClick(inForm("addShow.quality.720p"), Qt::LeftButton);
    EXPECT_EQ(presenter->model()->quality(), Show::Quality::p720);
    QTest::keyClicks(inForm<QLineEdit>("addShow.season"), QStringLiteral("2"));
    QTest::mouseClick(inForm("addShow.pullSeason"), Qt::LeftButton);
    EXPECT_EQ(presenter->model()->seasonText(), "2");
    EXPECT_TRUE(presenter->model()->pullEntireSeason());
    QTest::mouseClick(inForm("addShow.subscribe"), Qt::LeftButton);
    EXPECT_FALSE(presenter->model()->startWithLatest());

    QTest::keyClicks(inForm<QLineEdit>("addShow.name"), QStringLiteral("Dark"));
    QTest::keyClick(inForm<QLineEdit>("addShow.name"), Qt::Key_Return);
    EXPECT_TRUE(inForm<QWidget>("addShow.busy")->isVisible());
    QTest::mouseClick(inForm<QPushButton>("addShow.close"), Qt::LeftButton);
    EXPECT_FALSE(presenter->isOpen());
    fake.release("searchSeries Dark"); // the late answer arrives: it must not reopen anything
    ASSERT_TRUE(runEventLoopUntil([&] { return fake.answered == 1; }));
    EXPECT_FALSE(presenter->isOpen());
    EXPECT_EQ(presenter->resultsPanel(), nullptr);
}

} // namespace
