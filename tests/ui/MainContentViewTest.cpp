#include "MainContentView.h"

#include "FakeHttpServer.h"
#include "Fixtures.h"
#include "SidebarItem.h"
#include "StatusStrip.h"
#include "UiHarness.h"
#include "model/RecordCodecs.h"
#include "model/StorageFiles.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>

namespace {

// Receives the URLs the view asks the desktop to open, instead of a file manager.
class UrlCatcher final : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url); }
};

} // namespace

class MainContentViewTest : public UiHarness {};

TEST_F(MainContentViewTest, OpensOnSeriesASidebarClickSwitchesTheTabAndCloseAsksToClose) {
    MainContentView view(start(), m_theme);
    view.resize(760, 520);
    view.show();
    auto* pages = find<QStackedWidget>(view, "tabPages");
    ASSERT_TRUE(pages);
    EXPECT_EQ(view.selectedTab(), SidebarTab::shows);

    auto* activity = find<SidebarItem>(view, "sidebar.activity");
    ASSERT_TRUE(activity);
    QTest::mouseClick(activity, Qt::LeftButton);
    EXPECT_EQ(view.selectedTab(), SidebarTab::activity);
    EXPECT_EQ(pages->currentWidget()->objectName(), QStringLiteral("activityView"));
    EXPECT_TRUE(activity->isSelected());

    // A view handed in later takes its tab's place, and the selection stays where it was.
    auto* series = new QWidget;
    series->setObjectName(QStringLiteral("seriesView"));
    view.setTabView(SidebarTab::shows, series);
    EXPECT_EQ(pages->currentWidget()->objectName(), QStringLiteral("activityView"));
    QTest::mouseClick(find<SidebarItem>(view, "sidebar.shows"), Qt::LeftButton);
    EXPECT_EQ(pages->currentWidget(), series);

    QSignalSpy close(&view, &MainContentView::closeRequested);
    QTest::mouseClick(find<QAbstractButton>(view, "closeButton"), Qt::LeftButton);
    EXPECT_EQ(close.count(), 1);
}

TEST_F(MainContentViewTest, CheckNowPressedTwiceStartsOneCheckAndTheTextFollowsIt) {
    // TMDB answers late, so the check is still running when the button is pressed again.
    FakeHttpServer tmdb;
    tmdb.respondWith({404, "{}", "application/json", {}, 2000});
    const Show show{.id = QUuid::createUuid(), .name = QStringLiteral("Dark"), .tmdbID = 70523};
    m_env.writeStorageFile(StorageFiles::kShows, encodeDocument(QList<Show>{show}));
    StoreEnvironment env = m_env.environment();
    env.endpoints.tmdbAPI = tmdb.baseUrl();
    WatchlistStore& store = start(env);
    MainContentView view(store, m_theme);
    view.show();
    auto* text = find<QLabel>(view, "statusText");
    auto* checkNow = find<QAbstractButton>(view, "checkNowButton");
    ASSERT_TRUE(text && checkNow);

    QSignalSpy checking(&store, &WatchlistStore::isCheckingChanged);
    QSignalSpy finished(&store, &WatchlistStore::checkCycleFinished);
    QTest::mouseClick(checkNow, Qt::LeftButton);
    QTest::mouseClick(checkNow, Qt::LeftButton);
    EXPECT_EQ(checking.count(), 1);
    EXPECT_EQ(text->text(), QStringLiteral("Checking now…"));
    // The dot breathes while the check runs, and stops while the window is hidden.
    auto* strip = find<StatusStrip>(view, "statusStrip");
    ASSERT_TRUE(strip);
    EXPECT_TRUE(strip->isBreathing());
    view.hide();
    EXPECT_FALSE(strip->isBreathing());
    view.show();
    EXPECT_TRUE(strip->isBreathing());

    ASSERT_TRUE(runEventLoopUntil([&] { return finished.count() > 0; }, 20000));
    drainEvents();
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(MainContentViewTest, AHiddenViewIgnoresTheCountdownAndCatchesUpWhenShown) {
    WatchlistStore& store = start();
    MainContentView view(store, m_theme);
    view.show();
    auto* text = find<QLabel>(view, "statusText");
    const QString before = text->text();
    view.hide();
    store.tickCountdown();
    EXPECT_EQ(text->text(), before);
    view.show();
    EXPECT_NE(text->text(), before);
    EXPECT_TRUE(text->text().endsWith(QStringLiteral("59s")));
}

TEST_F(MainContentViewTest, AStalledSeriesDownloadMarksTheSeriesTabOnly) {
    // Dark's first download there is stuck since March 5, past the default week by March 13.
    const nlohmann::json stuck = fixtureJson("present/drawer-history.json")["records"][0];
    const Show show{.id = QUuid(qstr(stuck["showID"])), .name = QStringLiteral("Dark")};
    m_env.clock().set(*utcOf("2025-03-13T12:00"));
    m_env.writeStorageFile(StorageFiles::kShows, encodeDocument(QList<Show>{show}));
    m_env.writeStorageFile(StorageFiles::kHistory,
                           QByteArray::fromStdString("[" + stuck.dump() + "]"));

    MainContentView view(start(), m_theme);
    for (SidebarTab tab : allSidebarTabs()) {
        auto* item = find<SidebarItem>(view, ("sidebar." + toRaw(tab).toStdString()).c_str());
        ASSERT_TRUE(item);
        EXPECT_EQ(item->needsAttention(), tab == SidebarTab::shows) << toRaw(tab).toStdString();
    }
}

TEST_F(MainContentViewTest, HomeFolderCreatesADeletedRootAgainThenOpensIt) {
    WatchlistStore& store = start();
    const QString root = store.rootFolderPath();
    ASSERT_TRUE(QDir(root).removeRecursively());
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    MainContentView view(store, m_theme);
    view.show();
    QTest::mouseClick(find<QAbstractButton>(view, "homeFolderButton"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_TRUE(QDir(root).exists());
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened[0].toLocalFile(), root);
}

#include "MainContentViewTest.moc"
