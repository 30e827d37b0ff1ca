// The add-series panels wired to the flow's model, on an in-memory watchlist, by mouse and by
// keyboard.

#include "AddShowModel.h"
#include "RoundedPanel.h"
#include "UiHarness.h"
#include "addshow/AddShowPresenter.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

namespace {

class AddShowPanels : public UiHarness {
protected:
    AddShowPanels() {
        m_fake.seriesByName["Dark"] = {{70523, "Dark", "2017", "A missing child.", "/dark.jpg"}};
    }

    void open() {
        presenter.open(nullptr);
        ASSERT_TRUE(presenter.isOpen());
    }

    template <typename T = QAbstractButton>
    T* inForm(const char* name) const {
        return presenter.formPanel()->findChild<T*>(QString::fromLatin1(name));
    }
    template <typename T = QAbstractButton>
    T* inResults(const char* name) const {
        return presenter.resultsPanel()
                   ? presenter.resultsPanel()->findChild<T*>(QString::fromLatin1(name))
                   : nullptr;
    }
    QLineEdit* name() const { return inForm<QLineEdit>("addShow.name"); }
    QListView* list() const { return inResults<QListView>("addShow.list"); }

    // Types the name and presses Enter, the primary button, until the matches are listed.
    void lookUp(const QString& text, int matches = 1) {
        QTest::keyClicks(name(), text);
        QTest::keyClick(name(), Qt::Key_Return);
        ASSERT_TRUE(runEventLoopUntil([&] { return rows() == matches && !searching(); }))
            << m_fake.calls.join(" | ").toStdString() << " rows " << rows();
    }
    // Past the arming delay, a click on the first match searches its releases.
    void confirm() {
        m_fake.clock.advance(1);
        clickRow(0);
        ASSERT_TRUE(runEventLoopUntil([&] { return !searching(); }));
    }

    void clickRow(int row) {
        ASSERT_NE(list(), nullptr);
        const QRect rect = list()->visualRect(list()->model()->index(row, 0));
        ASSERT_TRUE(rect.isValid());
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rect.center());
    }

    int rows() const { return list() ? list()->model()->rowCount() : -1; }

    bool searching() const { return presenter.model() && presenter.model()->isSearching(); }

    AddShowPresenter presenter{m_fake, m_theme, m_images};
};

TEST_F(AddShowPanels, FromATypedNameToAStoredSeriesWithTheSidePanelsFollowingTheForm) {
    m_fake.releasesByName["Dark"] = {fakeRelease("Dark S01E01 1080p WEB", 'a', "1080p", 40),
                                     fakeRelease("Dark S01E02 1080p WEB", 'b', "1080p", 12)};
    open();
    EXPECT_TRUE(runEventLoopUntil([&] { return QApplication::focusWidget() == name(); }));
    lookUp(QStringLiteral("Dark"));
    confirm();
    RoundedPanel* form = presenter.formPanel();
    RoundedPanel* poster = presenter.posterPanel();
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
    EXPECT_FALSE(presenter.isOpen());
    EXPECT_EQ(m_fake.callsTo("addShow"), QStringList{"addShow Dark plan 1 picked 1"});
    EXPECT_EQ(m_fake.addedShow->match->id, 70523);
    EXPECT_EQ(m_fake.addedPicks.first().title, "Dark S01E02 1080p WEB");
}

TEST_F(AddShowPanels, ARefusedKeyPointsToSettingsAndTheTypedNameStillAdds) {
    m_fake.tmdbFailure = LookupFailure::refusedKey;
    open();
    lookUp(QStringLiteral("Dark"), 0);

    auto* notice = inForm<QLabel>("addShow.notice");
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text(), "TMDB refused the API key — check the TMDB key in Settings.");
    auto* addAsTyped = inForm<QPushButton>("addShow.addAsTyped");
    ASSERT_TRUE(addAsTyped->isVisible());
    QTest::mouseClick(addAsTyped, Qt::LeftButton);
    EXPECT_FALSE(presenter.isOpen());
    ASSERT_EQ(m_fake.callsTo("addShow"), QStringList{"addShow Dark plan 0 picked 0"});
    EXPECT_FALSE(m_fake.addedShow->match);
}

TEST_F(AddShowPanels, IndexesThatDidNotAnswerCanBeAskedAgainAndEscapeCloses) {
    m_fake.indexesUnreachable = true;
    open();
    lookUp(QStringLiteral("Dark"));
    confirm();
    auto* title = inResults<QLabel>("addShow.emptyTitle");
    EXPECT_EQ(title->text(), "Could not reach the torrent indexes");
    auto* again = inResults<QPushButton>("addShow.searchAgain");
    ASSERT_TRUE(again->isVisible());

    m_fake.indexesUnreachable = false;
    QTest::mouseClick(again, Qt::LeftButton);
    ASSERT_TRUE(runEventLoopUntil([&] { return !searching(); }));
    EXPECT_EQ(title->text(), "No releases found");
    EXPECT_FALSE(again->isVisible());

    // Up from the field: the side panels go first, then the form.
    QTest::keyClick(name(), Qt::Key_Escape);
    ASSERT_TRUE(presenter.isOpen());
    EXPECT_FALSE(presenter.resultsPanel()->isVisible());
    EXPECT_FALSE(presenter.posterPanel()->isVisible());
    QTest::keyClick(name(), Qt::Key_Escape);
    EXPECT_FALSE(presenter.isOpen());
    EXPECT_TRUE(m_fake.callsTo("addShow").isEmpty());
}

TEST_F(AddShowPanels, FormControlsReachTheModelAndTheCloseSymbolClosesWithNothingLateLeakingIn) {
    m_fake.held = {"searchSeries Dark"};
    open();
    auto* fallback = inForm("addShow.fallbackQuality");
    EXPECT_TRUE(fallback->isVisible()); // on the form, not behind "More options"
    QTest::mouseClick(fallback, Qt::LeftButton);
    EXPECT_FALSE(presenter.model()->fallbackAnyQuality());
    auto* beginNext = inForm("addShow.beginNext");
    auto* anyQuality = inForm("addShow.anyQuality");
    EXPECT_FALSE(beginNext->isVisible());
    EXPECT_FALSE(anyQuality->isVisible());
    QTest::mouseClick(inForm<QPushButton>("addShow.moreOptions"), Qt::LeftButton);
    ASSERT_TRUE(beginNext->isVisible() && anyQuality->isVisible());
    QTest::mouseClick(anyQuality, Qt::LeftButton);
    EXPECT_TRUE(presenter.model()->anyQuality());
    // Both switches hold one setting: either one turns it, the other follows.
    QTest::mouseClick(beginNext, Qt::LeftButton);
    EXPECT_FALSE(presenter.model()->startWithLatest());
    EXPECT_FALSE(inForm("addShow.subscribe")->isChecked());
    QTest::mouseClick(inForm("addShow.subscribe"), Qt::LeftButton);
    EXPECT_TRUE(beginNext->isChecked());

    QTest::mouseClick(inForm("addShow.quality.720p"), Qt::LeftButton);
    EXPECT_EQ(presenter.model()->quality(), Show::Quality::p720);
    QTest::keyClicks(inForm<QLineEdit>("addShow.season"), QStringLiteral("2"));
    QTest::mouseClick(inForm("addShow.pullSeason"), Qt::LeftButton);
    EXPECT_EQ(presenter.model()->seasonText(), "2");
    EXPECT_TRUE(presenter.model()->pullEntireSeason());
    QTest::mouseClick(inForm("addShow.subscribe"), Qt::LeftButton);
    EXPECT_FALSE(presenter.model()->startWithLatest());

    QTest::keyClicks(name(), QStringLiteral("Dark"));
    QTest::keyClick(name(), Qt::Key_Return);
    EXPECT_TRUE(inForm<QWidget>("addShow.busy")->isVisible());
    QTest::mouseClick(inForm<QPushButton>("addShow.close"), Qt::LeftButton);
    EXPECT_FALSE(presenter.isOpen());
    m_fake.release("searchSeries Dark"); // the late answer arrives: it must not reopen anything
    ASSERT_TRUE(runEventLoopUntil([&] { return m_fake.answered == 1; }));
    EXPECT_FALSE(presenter.isOpen());
    EXPECT_EQ(presenter.resultsPanel(), nullptr);
}

// The flow opened from its button by the keyboard.
class AddPanelKeys : public AddShowPanels {
protected:
    void SetUp() override {
        m_fake.seriesByName["Dark"] = {{70523, "Dark", "2017", "A missing child.", "/dark.jpg"},
                                       {1, "Dark Matter", "2015", "A crew wakes.", {}}};
        m_fake.releasesByName["Dark"] = {fakeRelease("Dark S01E01 1080p WEB", 'a', "1080p", 40),
                                         fakeRelease("Dark S01E02 1080p WEB", 'b', "1080p", 12)};
        m_fake.releasesByName["Dark Matter"] = m_fake.releasesByName["Dark"];
        m_opener.resize(400, 300);
        m_button = new QPushButton(QStringLiteral("Add Series"), &m_opener);
        QObject::connect(m_button, &QPushButton::clicked, &presenter,
                         [this] { presenter.open(&m_opener); });
        m_opener.show();
        QApplication::setActiveWindow(&m_opener);
        m_button->setFocus(Qt::TabFocusReason);
        settle();
    }

    // Opens the flow from its button and looks "Dark" up.
    void openAndLookUp() {
        pressKeys({Qt::Key_Space});
        ASSERT_TRUE(presenter.isOpen());
        ASSERT_TRUE(runEventLoopUntil([&] { return QApplication::focusWidget() == name(); }));
        QTest::keyClicks(name(), QStringLiteral("Dark"));
        pressKeys({Qt::Key_Return}); // the primary button, "Find series"
        ASSERT_TRUE(runEventLoopUntil([&] { return presenter.resultsPanel() && !searching(); }));
        m_fake.clock.advance(1); // past the arming delay
    }
    void focusName() {
        presenter.formPanel()->activateWindow();
        name()->setFocus(Qt::TabFocusReason);
        settle();
    }
    // Tab until the keyboard is in `panel`; false after a round without getting there.
    bool tabInto(RoundedPanel* panel) {
        for (int i = 0; i < 30; ++i) {
            if (QApplication::focusWidget() && QApplication::focusWidget()->window() == panel)
                return true;
            pressKeys({Qt::Key_Tab});
        }
        return false;
    }
    QWidget m_opener;
    QPushButton* m_button = nullptr;
};

TEST_F(AddPanelKeys, TabWalksTheFormThenTheResultsThenThePosterAndShiftTabComesBack) {
    openAndLookUp();
    ASSERT_TRUE(tabInto(presenter.resultsPanel()));
    pressKeys({Qt::Key_Space}); // picks the first match: releases and its poster come up
    ASSERT_TRUE(runEventLoopUntil([&] { return !searching(); }));
    ASSERT_TRUE(presenter.posterPanel() && presenter.posterPanel()->isVisible());

    focusName();
    QList<QWidget*> panels; // each panel the Tab key passes, once per visit
    for (int i = 0; i < 40 && (panels.size() < 2 || QApplication::focusWidget() != name()); ++i) {
        QWidget* window = QApplication::focusWidget()->window();
        if (panels.isEmpty() || panels.last() != window)
            panels << window;
        pressKeys({Qt::Key_Tab});
    }
    EXPECT_EQ(panels, (QList<QWidget*>{presenter.formPanel(), presenter.resultsPanel(),
                                       presenter.posterPanel(), presenter.formPanel()}));
    EXPECT_EQ(QApplication::focusWidget(), name());
    // Backwards from the form's first stops: the poster, then the end of the results.
    for (int i = 0; i < 10 && QApplication::focusWidget()->window() == presenter.formPanel(); ++i)
        pressKeys({Qt::Key_Tab}, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget()->window(), presenter.posterPanel());
    EXPECT_EQ(QApplication::focusWidget()->accessibleName(), "Dark (2017)");
    pressKeys({Qt::Key_Tab}, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget()->window(), presenter.resultsPanel());
}

TEST_F(AddPanelKeys, ArrowsAndSpacePickAMatchAndTickReleasesThenEnterCommits) {
    openAndLookUp();
    ASSERT_TRUE(tabInto(presenter.resultsPanel()));
    while (QApplication::focusWidget() != list())
        pressKeys({Qt::Key_Tab});
    pressKeys({Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}); // the second Down stays on the last
    ASSERT_TRUE(runEventLoopUntil([&] { return !searching(); }));
    ASSERT_TRUE(presenter.model()->resolvedShow());
    EXPECT_EQ(presenter.model()->resolvedShow()->name, "Dark Matter");

    // The release list keeps the keyboard: Down, Space ticks the second; Space again unticks.
    EXPECT_EQ(QApplication::focusWidget(), list());
    pressKeys({Qt::Key_Down, Qt::Key_Space, Qt::Key_Up, Qt::Key_Space, Qt::Key_Space});
    const QSet<QString> picked = presenter.model()->picked();
    ASSERT_EQ(picked.size(), 1);
    EXPECT_EQ(*picked.begin(), m_fake.releasesByName["Dark"][1].id);

    focusName();
    pressKeys({Qt::Key_Return}); // "Grab & continue from here"
    EXPECT_FALSE(presenter.isOpen());
    EXPECT_EQ(m_fake.callsTo("addShow"), QStringList{"addShow Dark plan 0 picked 1"});
    ASSERT_TRUE(m_fake.addedShow && m_fake.addedShow->match);
    EXPECT_EQ(m_fake.addedShow->match->id, 1); // Dark Matter, the second match
    EXPECT_TRUE(runEventLoopUntil([&] { return QApplication::focusWidget() == m_button; }));
}

TEST_F(AddPanelKeys, EscapeClosesTheSidePanelsThenTheFormAndTheKeyboardGoesBackToTheButton) {
    openAndLookUp();
    ASSERT_TRUE(tabInto(presenter.resultsPanel()));
    pressKeys({Qt::Key_Escape}); // from inside the results
    ASSERT_TRUE(presenter.isOpen());
    EXPECT_FALSE(presenter.resultsPanel()->isVisible());
    EXPECT_TRUE(runEventLoopUntil([&] { return QApplication::focusWidget() == name(); }));
    // A switch changing the form does not bring the results back; a new lookup does.
    presenter.model()->setShowAdvanced(true);
    settle();
    EXPECT_FALSE(presenter.resultsPanel()->isVisible());
    pressKeys({Qt::Key_Return});
    ASSERT_TRUE(runEventLoopUntil([&] { return !searching(); }));
    EXPECT_TRUE(presenter.resultsPanel()->isVisible());

    pressKeys({Qt::Key_Escape, Qt::Key_Escape});
    EXPECT_FALSE(presenter.isOpen());
    EXPECT_TRUE(runEventLoopUntil([&] { return QApplication::focusWidget() == m_button; }));
    EXPECT_TRUE(m_fake.callsTo("addShow").isEmpty());
}

} // namespace
