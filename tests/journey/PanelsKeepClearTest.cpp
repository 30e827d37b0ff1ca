// The add panels as the presenter really places them, with the form at the height its state
// gives it, over a main window beside the tray icon in each corner: every panel stays on the
// screen, off the icon and off the others; and the form follows the height its content asks for.
// CTest runs this on a 1920 × 1080 offscreen screen.

#include "AddShowModel.h"
#include "EventLoop.h"
#include "FakeWatchlist.h"
#include "ImageLoader.h"
#include "RoundedPanel.h"
#include "Theme.h"
#include "addshow/AddShowFormView.h"
#include "addshow/AddShowPresenter.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QRect kScreen{0, 0, 1920, 1080};

struct Corner {
    const char* what;
    QRect window; // the main window, where the shell puts it beside the icon
    QRect icon;
};

const Corner kCorners[] = {
    {"top_right", {1160, 28, 760, 520}, {1860, 2, 24, 24}},
    {"top_left", {0, 28, 760, 520}, {40, 2, 24, 24}},
    {"bottom_right", {1160, 532, 760, 520}, {1860, 1054, 24, 24}},
    {"bottom_left", {0, 532, 760, 520}, {40, 1054, 24, 24}},
};

void PrintTo(const Corner& corner, std::ostream* out) {
    *out << corner.what;
}

QRect body(const RoundedPanel* panel) {
    return panel && panel->isVisible() ? QRect(panel->bodyPos(), panel->bodySize()) : QRect();
}

std::string text(const QRect& r) {
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) +
           "×" + std::to_string(r.height());
}

// The flow up to its widest state: the series confirmed, its releases listed beside the form
// and its poster shown.
class Flow {
public:
    Flow(QWidget* anchor, std::optional<QRect> icon) {
        fake.seriesByName["Dark"] = {{70523, "Dark", "2017", "A missing child.", "/dark.jpg"}};
        presenter.setKeepClear([icon] { return icon; });
        presenter.open(anchor);
        auto* name = presenter.formPanel()->findChild<QLineEdit*>("addShow.name");
        QTest::keyClicks(name, "Dark");
        QTest::keyClick(name, Qt::Key_Return);
        ready = runEventLoopUntil(
            [&] { return presenter.resultsPanel() && !presenter.model()->isSearching(); });
        fake.clock.advance(1);
        presenter.model()->pickMatch(0);
        ready =
            ready && runEventLoopUntil([&] {
                return body(presenter.posterPanel()).isValid() && !presenter.model()->isSearching();
            });
        presenter.model()->setShowAdvanced(true); // the tallest form
        const auto* form = presenter.formPanel();
        ready =
            ready && runEventLoopUntil([&] { return form->bodySize() == form->content()->size(); });
    }

    QRect form() const { return body(presenter.formPanel()); }
    QRect results() const { return body(presenter.resultsPanel()); }
    QRect poster() const { return body(presenter.posterPanel()); }

    FakeWatchlist fake;
    Theme theme;
    ImageLoader images{QUrl("http://127.0.0.1:9"), QString()};
    AddShowPresenter presenter{fake, theme, images};
    bool ready = false;
};

class PanelsBesideTheTray : public testing::TestWithParam<Corner> {
protected:
    void SetUp() override {
        if (QGuiApplication::primaryScreen()->geometry() != kScreen)
            GTEST_SKIP() << "needs the 1920 × 1080 offscreen screen CTest gives it";
    }
};

} // namespace

TEST_P(PanelsBesideTheTray, StayOnTheScreenOffTheIconAndOffOneAnother) {
    const Corner& c = GetParam();
    QWidget window;
    window.setGeometry(c.window);
    window.show();
    Flow flow(&window, c.icon);
    ASSERT_TRUE(flow.ready);
    const std::pair<const char*, QRect> panels[] = {
        {"form", flow.form()}, {"results", flow.results()}, {"poster", flow.poster()}};
    for (const auto& [name, panel] : panels) {
        ASSERT_TRUE(panel.isValid()) << name;
        EXPECT_TRUE(kScreen.contains(panel)) << name << " " << text(panel);
        EXPECT_FALSE(panel.intersects(c.icon)) << name << " " << text(panel);
    }
    for (int a = 0; a < 3; ++a) {
        for (int b = a + 1; b < 3; ++b)
            EXPECT_FALSE(panels[a].second.intersects(panels[b].second))
                << panels[a].first << " " << text(panels[a].second) << ", " << panels[b].first
                << " " << text(panels[b].second);
    }
}

INSTANTIATE_TEST_SUITE_P(Corners, PanelsBesideTheTray, testing::ValuesIn(kCorners),
                         [](const auto& info) { return std::string(info.param.what); });

// An icon just where a side panel would go: that panel goes elsewhere.
TEST(PanelsKeepClear, ASidePanelMovesOffAnIconWhereItWouldGo) {
    if (QGuiApplication::primaryScreen()->geometry() != kScreen)
        GTEST_SKIP() << "needs the 1920 × 1080 offscreen screen CTest gives it";
    QRect wouldGo[2];
    {
        Flow free(nullptr, std::nullopt);
        ASSERT_TRUE(free.ready);
        wouldGo[0] = free.results();
        wouldGo[1] = free.poster();
    }
    for (int side = 0; side < 2; ++side) {
        const QRect icon(wouldGo[side].center() - QPoint(12, 12), QSize(24, 24));
        Flow kept(nullptr, icon);
        ASSERT_TRUE(kept.ready);
        const QRect panel = side == 0 ? kept.results() : kept.poster();
        EXPECT_FALSE(panel.intersects(icon)) << (side == 0 ? "results " : "poster ") << text(panel);
        EXPECT_FALSE(kept.results().intersects(kept.poster()));
    }
}

TEST(PanelsKeepClear, TheFormGrowsToItsNewHeightAndBackWhenMoreOptionsOpenAndClose) {
    FakeWatchlist fake;
    Theme theme;
    ImageLoader images{QUrl("http://127.0.0.1:9"), QString()};
    AddShowPresenter presenter{fake, theme, images};
    presenter.open(nullptr);
    const RoundedPanel* form = presenter.formPanel();
    const auto* view = form->findChild<AddShowFormView*>("addShow.form");
    ASSERT_NE(view, nullptr);
    const auto height = [form] { return form->bodySize().height(); };
    const int closed = height();
    ASSERT_EQ(closed, view->fittingHeight());
    for (const bool advanced : {true, false}) {
        presenter.model()->setShowAdvanced(advanced);
        const int target = view->fittingHeight();
        EXPECT_EQ(advanced, target > closed);
        EXPECT_TRUE(runEventLoopUntil([&] { return height() == target; }))
            << "advanced " << advanced << ": at " << height() << ", wanted " << target;
    }
    EXPECT_EQ(height(), closed);
}
