// Every control a keyboard can reach, in every view, tells a screen reader what it is: the
// check lists each focusable widget and each list item without an accessible name. New views
// join by adding a factory to the table.

#include "ActivityView.h"
#include "AgendaPanel.h"
#include "DarkSeries.h"
#include "FlatButton.h"
#include "ImageLoader.h"
#include "MainContentView.h"
#include "RoundedPanel.h"
#include "UiHarness.h"
#include "addshow/AddShowPresenter.h"
#include "calendar/CalendarView.h"
#include "drawer/EpisodeDrawer.h"
#include "movies/MoviesView.h"
#include "series/ShowsView.h"
#include "settings/SettingsView.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QRegularExpression>
#include <QTest>
#include <QVBoxLayout>

#include <functional>
#include <memory>

namespace {

// What a view is built from; it outlives the view.
struct Stage {
    FakeWatchlist& fake;
    Theme& theme;
    ImageLoader& images;
};

struct ViewFactory {
    const char* name;
    std::function<std::unique_ptr<QWidget>(Stage&)> build;
    // Controls painted on a row, which a screen reader must reach in the accessibility tree
    // rather than find hidden inside an item view, whose only children are its rows.
    QStringList pressable = {};
};
void PrintTo(const ViewFactory& factory, std::ostream* out) {
    *out << factory.name;
}

// The pressable things a screen reader reaches from `iface`, by their accessible names.
void collectPressable(QAccessibleInterface* iface, QStringList& names, int depth = 0) {
    if (!iface || depth > 12 || iface->state().invisible)
        return;
    if (auto* actions = iface->actionInterface()) {
        const QStringList kinds = actions->actionNames();
        if (kinds.contains(QAccessibleActionInterface::pressAction()) ||
            kinds.contains(QAccessibleActionInterface::toggleAction()))
            names << iface->text(QAccessible::Name);
    }
    for (int i = 0; i < iface->childCount(); ++i)
        collectPressable(iface->child(i), names, depth + 1);
}

QString describe(const QWidget* w) {
    return QStringLiteral("%1 (%2)").arg(w->objectName().isEmpty() ? QStringLiteral("<unnamed>")
                                                                   : w->objectName(),
                                         QString::fromLatin1(w->metaObject()->className()));
}

// Focusable widgets and buttons on screen whose accessible name is empty, and list items
// likewise.
QStringList unnamedControls(const QWidget& root) {
    QStringList missing;
    QList<QWidget*> all = root.findChildren<QWidget*>();
    all.prepend(const_cast<QWidget*>(&root));
    for (QWidget* w : std::as_const(all)) {
        // A button outside the tab chain is still pressed by a screen reader (a row's control).
        const bool pressable = qobject_cast<QAbstractButton*>(w) != nullptr;
        if (!w->isVisible() || !((w->focusPolicy() & Qt::TabFocus) || pressable))
            continue;
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
        if (!iface || iface->text(QAccessible::Name).trimmed().isEmpty())
            missing << describe(w);
        if (!qobject_cast<QAbstractItemView*>(w) || !iface)
            continue;
        // The rows of a list: each cell reads its own name.
        for (int i = 0; i < iface->childCount(); ++i) {
            QAccessibleInterface* child = iface->child(i);
            if (!child || child->role() != QAccessible::ListItem)
                continue;
            if (child->text(QAccessible::Name).trimmed().isEmpty())
                missing << describe(w) + QStringLiteral(" item %1").arg(i);
        }
    }
    return missing;
}

void shown(QWidget* w) {
    w->resize(760, 520);
    w->show();
    settle();
}

// A drawer on a window-sized parent, opened on Dark, with its episodes or history listed.
std::unique_ptr<QWidget> drawer(Stage& s, bool recent) {
    auto window = std::make_unique<QWidget>();
    auto* d = new EpisodeDrawer(s.fake, s.theme, window.get());
    window->resize(760, 520);
    window->show();
    d->openFor(s.fake.showList.first().id);
    runEventLoopUntil([&] { return s.fake.answered >= 2; });
    settle();
    // A stuck download opens the drawer on Recent: choose the tab either way.
    const char* tabName = recent ? "episodeDrawer.tab.recent" : "episodeDrawer.tab.episodes";
    if (auto* tab = window->findChild<QAbstractButton*>(tabName))
        QTest::mouseClick(tab, Qt::LeftButton);
    settle();
    return window;
}

// The drawer with the releases offered for an episode open under its row.
std::unique_ptr<QWidget> drawerWithOffer(Stage& s) {
    const Show& dark = s.fake.showNamed("Dark");
    s.fake.outcomes = {{"S02E03", WatchlistOperations::EpisodeOutcome::offered}};
    s.fake.picks.insert(dark.id,
                        {"S02E03", {fakeRelease("Dark.S02E03.720p.WEB-GRP", 'c', "720p", 8)}});
    std::unique_ptr<QWidget> window = drawer(s, false);
    auto* d = window->findChild<EpisodeDrawer*>();
    d->model().pressEpisode(QStringLiteral("S02E03"));
    runEventLoopUntil(
        [&] { return window->findChild<QWidget*>("episodeDrawer.offer.0.choose") != nullptr; });
    settle();
    return window;
}

// How far into an add flow a factory goes before the check.
enum class AddStep { form, matches, releases, picked };

// The add panels of one kind, opened and taken to `step`. They are top-level windows of their
// own, held by a presenter that lives as long as the returned (hidden) holder.
std::unique_ptr<QWidget> addPanels(Stage& s, AddShowModel::Kind kind, AddStep step) {
    auto holder = std::make_unique<QWidget>();
    auto* presenter = new AddShowPresenter(s.fake, s.theme, s.images, holder.get(), kind);
    presenter->open(nullptr);
    settle();
    if (step == AddStep::form)
        return holder;
    auto* name = presenter->formPanel()->findChild<QLineEdit*>("addShow.name");
    QTest::keyClicks(name, kind == AddShowModel::Kind::movie ? "Heat" : "Dark");
    QTest::keyClick(name, Qt::Key_Return);
    runEventLoopUntil(
        [&] { return presenter->resultsPanel() && !presenter->model()->isSearching(); });
    settle();
    if (step == AddStep::matches)
        return holder;
    s.fake.clock.advance(1);
    presenter->model()->pickMatch(0);
    runEventLoopUntil([&] { return !presenter->model()->isSearching(); });
    settle();
    EXPECT_TRUE(presenter->posterPanel() && presenter->posterPanel()->isVisible());
    EXPECT_FALSE(presenter->model()->results().isEmpty()); // a list to check, not an empty state
    if (step == AddStep::picked && !presenter->model()->results().isEmpty())
        presenter->model()->togglePick(presenter->model()->results().first().id);
    settle();
    return holder;
}

// A view of the stage shown; `then` acts on it once it is on screen.
template <typename View>
std::unique_ptr<QWidget> shown(Stage& s, const std::function<void(View&)>& then = {}) {
    std::unique_ptr<View> view;
    if constexpr (std::is_constructible_v<View, FakeWatchlist&, Theme&, ImageLoader&>)
        view = std::make_unique<View>(s.fake, s.theme, s.images);
    else
        view = std::make_unique<View>(s.fake, s.theme);
    shown(view.get());
    if (then) {
        then(*view);
        settle();
    }
    return view;
}

// The Movies tab; Heat's download is flagged and shows the alternates it was offered.
std::unique_ptr<QWidget> movies(Stage& s, bool flagged) {
    if (flagged)
        stickFirstMovie(s.fake);
    return shown<MoviesView>(s, [&](MoviesView& view) {
        if (!flagged)
            return;
        view.findAlternates(0);
        runEventLoopUntil([&] { return !s.fake.callsTo("movieReleases").isEmpty(); });
        settle();
        EXPECT_FALSE(view.findChildren<QWidget*>("movieRow.alternate").isEmpty());
    });
}

const std::vector<ViewFactory>& views() {
    using Kind = AddShowModel::Kind;
    static const std::vector<ViewFactory> table = {
        {"main window", [](Stage& s) { return shown<MainContentView>(s); }},
        {"main window with About open",
         [](Stage& s) {
             return shown<MainContentView>(s, [](MainContentView& w) {
                 QTest::mouseClick(w.findChild<QAbstractButton*>("aboutButton"), Qt::LeftButton);
             });
         }},
        {"series list, one row expanded", // the row with the most controls
         [](Stage& s) {
             return shown<ShowsView>(
                 s, [&](ShowsView& v) { v.toggleExpanded(s.fake.showNamed("Dark").id); });
         },
         {"Subscribed — turn off to stop grabbing new episodes",
          "Change the resolution for this series", "Pick a different resolution for this episode",
          "Remove Dark from your series", "View episodes"}},
        {"series list, resolution popover",
         [](Stage& s) {
             return shown<ShowsView>(s, [](ShowsView& v) { v.openQualityPopover(0); });
         }},
        {"series list, release picker",
         [](Stage& s) {
             return shown<ShowsView>(s, [](ShowsView& v) { v.openReleasePicker(0); });
         }},
        {"empty series list",
         [](Stage& s) {
             s.fake.showList.clear();
             return shown<ShowsView>(s);
         }},
        {"drawer, episodes", [](Stage& s) { return drawer(s, false); }, {"Grab"}},
        {"drawer, recent",
         [](Stage& s) { return drawer(s, true); },
         {"Find an alternate request", "Remove request", "Snooze a week"}},
        {"drawer, offer open", drawerWithOffer, {"Grab", "Close"}},
        {"settings",
         [](Stage& s) {
             auto view = std::make_unique<SettingsView>(s.fake, s.theme, SettingsHooks{});
             shown(view.get());
             return view;
         }},
        {"calendar", [](Stage& s) { return shown<CalendarView>(s); }},
        {"agenda panel",
         [](Stage& s) {
             auto panel = std::make_unique<AgendaPanel>(s.theme, s.fake);
             panel->fitToContent();
             panel->show();
             settle();
             return std::unique_ptr<QWidget>(std::move(panel));
         }},
        {"activity", [](Stage& s) { return shown<ActivityView>(s); }},
        {"add series, form", [](Stage& s) { return addPanels(s, Kind::series, AddStep::form); }},
        {"add series, matches",
         [](Stage& s) { return addPanels(s, Kind::series, AddStep::matches); }},
        {"add series, releases and poster",
         [](Stage& s) { return addPanels(s, Kind::series, AddStep::releases); }},
        {"add movie, form", [](Stage& s) { return addPanels(s, Kind::movie, AddStep::form); }},
        {"add movie, matches",
         [](Stage& s) { return addPanels(s, Kind::movie, AddStep::matches); }},
        {"add movie, one release picked",
         [](Stage& s) { return addPanels(s, Kind::movie, AddStep::picked); }},
        {"movies",
         [](Stage& s) { return movies(s, false); },
         {"Change the resolution for this movie", "Remove Heat (1995) from Movies"}},
        {"movies, flagged row with alternates",
         [](Stage& s) { return movies(s, true); },
         {"Remove request"}},
        {"movies, resolution popover",
         [](Stage& s) {
             auto view = movies(s, false);
             static_cast<MoviesView*>(view.get())->openQualityPopover(0);
             settle();
             return view;
         }},
        {"empty movies",
         [](Stage& s) {
             s.fake.movieList.clear();
             return shown<MoviesView>(s);
         }},
    };
    return table;
}

class AccessibleNamesTest : public UiHarness, public testing::WithParamInterface<ViewFactory> {
protected:
    AccessibleNamesTest() {
        scriptDark(m_fake).downloadedEpisodes = {"S02E01"};
        m_fake.rows = darkHistory(QStringLiteral("abcdef"));
        m_fake.showNamed("Severance"); // may move the list: read Dark afresh below
        const Show& dark = m_fake.showNamed("Dark");
        m_fake.picks.insert(dark.id,
                            {"S02E05", {fakeRelease("Dark.S02E05.720p.WEB", 'd', "720p")}});
        const auto event = [](const char* show, const char* code, int day,
                              CalEvent::EpisodeState state) {
            return CalEvent{
                .showName = show, .code = code, .date = utcDay(2025, 3, day), .state = state};
        };
        m_fake.events = {event("Dark", "S02E05", 13, CalEvent::EpisodeState::upcoming),
                         event("Dark", "S02E04", 11, CalEvent::EpisodeState::missing),
                         event("Dark", "S02E03", 10, CalEvent::EpisodeState::gotIt)};
        m_fake.seriesByName["Dark"] = {
            {dark.tmdbID.value_or(70523), "Dark", "2017", "A missing child.", "/dark.jpg"}};
        m_fake.releasesByName["Dark"] = {fakeRelease("Dark S02E05 1080p WEB", 'e', "1080p", 40),
                                         fakeRelease("Dark S02E06 720p WEB", 'f', "720p", 12)};
        m_fake.moviesByTitle["Heat"] = {{949, "Heat", "1995", "A heist.", "/heat.jpg", {}}};
        m_fake.releasesByName["Heat"] = {fakeRelease("Heat.1995.1080p.BluRay", 'a', "1080p", 40),
                                         fakeRelease("Heat.1995.720p.Good", 'g', "720p", 12)};
        addMovies(m_fake, {"Heat", "Alien"});
        m_fake.log = {{QUuid::createUuid(), utcDay(2025, 3, 13) + 3600.0, "Checked 2 series",
                       ActivityEntry::Kind::check}};
    }
};

} // namespace

TEST_P(AccessibleNamesTest, EveryControlIsNamedAndARowsControlsAreReachedFromTheView) {
    Stage stage{m_fake, m_theme, m_images};
    for (AppTheme appearance : {AppTheme::light, AppTheme::dark}) {
        m_theme.setAppearance(appearance);
        const std::unique_ptr<QWidget> view = GetParam().build(stage);
        ASSERT_TRUE(view);
        QStringList missing = unnamedControls(*view);
        // Panels and popovers are windows of their own; a window's child windows are its children.
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top != view.get() && !top->parentWidget() && top->isVisible())
                missing << unnamedControls(*top);
        }
        EXPECT_TRUE(missing.isEmpty())
            << GetParam().name << ":\n  " << missing.join(QStringLiteral("\n  ")).toStdString();
        QStringList reached;
        collectPressable(QAccessible::queryAccessibleInterface(view.get()), reached);
        for (const QString& name : GetParam().pressable)
            EXPECT_TRUE(reached.contains(name))
                << name.toStdString() << " not among:\n  "
                << reached.join(QStringLiteral("\n  ")).toStdString();
    }
}

// The check itself: a symbol-only button without a tooltip, and a list row without text.
TEST_F(UiHarness, TheCheckListsANamelessButtonAndANamelessListRow) {
    QWidget root;
    auto* named = new FlatButton(m_theme, QString(), &root);
    named->setToolTip(QStringLiteral("Next week")); // a symbol button reads its tooltip
    auto* nameless = new FlatButton(m_theme, QString(), &root);
    nameless->setObjectName(QStringLiteral("nameless"));
    auto* untabbed = new FlatButton(m_theme, QString(), &root); // pressed by a screen reader
    untabbed->setObjectName(QStringLiteral("untabbed"));
    untabbed->setFocusPolicy(Qt::NoFocus);
    auto* list = new QListWidget(&root);
    list->setObjectName(QStringLiteral("rows"));
    list->setAccessibleName(QStringLiteral("Series"));
    list->addItem(QStringLiteral("Dark"));
    list->addItem(QString());
    auto* layout = new QVBoxLayout(&root);
    for (QWidget* w : {static_cast<QWidget*>(named), static_cast<QWidget*>(nameless),
                       static_cast<QWidget*>(untabbed), static_cast<QWidget*>(list)})
        layout->addWidget(w);
    root.show();
    settle();
    EXPECT_EQ(unnamedControls(root), QStringList({"nameless (FlatButton)", "untabbed (FlatButton)",
                                                  "rows (QListWidget) item 1"}));
}

INSTANTIATE_TEST_SUITE_P(Views, AccessibleNamesTest, testing::ValuesIn(views()),
                         [](const testing::TestParamInfo<ViewFactory>& info) {
                             QString name = QString::fromLatin1(info.param.name);
                             name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")),
                                          QStringLiteral("_"));
                             return name.toStdString();
                         });
