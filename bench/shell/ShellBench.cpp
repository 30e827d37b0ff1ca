// Time to show the main window: the first time (the window and its content are made) and
// again after it was hidden. Offscreen unless QT_QPA_PLATFORM names a platform (xcb under a
// real or virtual X server measures the window system's part too).

#include "ImageLoader.h"
#include "KeyableWindow.h"
#include "MainViews.h"
#include "RealisticLibrary.h"
#include "TestEnvironment.h"
#include "Theme.h"
#include "TrayShell.h"
#include "Updater.h"
#include "store/WatchlistStore.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QWindow>

#include <benchmark/benchmark.h>

namespace {

// The footprint benchmark's watchlist behind the store the window shows.
struct World {
    World() {
        RealisticLibrary::generate({200, 100, 20}, 1).writeTo(env.storageFolder());
        store = std::make_unique<WatchlistStore>(env.environment(), nullptr, nullptr);
        views = std::make_unique<MainViews>(*store, theme, images, updater,
                                            env.libraryRoot());
    }
    TestEnvironment env;
    std::unique_ptr<WatchlistStore> store;
    Theme theme;
    UnconfiguredUpdater updater;
    // The real main view, posters from a loader that never reaches a network.
    ImageLoader images{QUrl(QStringLiteral("http://127.0.0.1:9")), QString()};
    std::unique_ptr<MainViews> views; // made once the store exists
};

World& world() {
    static World w;
    return w;
}

// Shown means on screen and painted: the window system has exposed the window and the events
// the show posted (layout, paint) are handled.
void showAndPaint(TrayShell& shell) {
    shell.showMainWindow();
    QWindow* window = shell.mainWindow()->windowHandle();
    QDeadlineTimer deadline(2000);
    do
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    while (!(window && window->isExposed()) && !deadline.hasExpired());
    QCoreApplication::processEvents();
}

void BM_showMainWindowFirst(benchmark::State& state) {
    World& w = world();
    for (auto _ : state) {
        state.PauseTiming();
        auto shell = std::make_unique<TrayShell>(*w.store, w.theme, w.updater, w.views->contentFactory());
        shell->start(TrayShell::Presence::tray);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        showAndPaint(*shell);
        state.PauseTiming();
        shell.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.SetLabel(QGuiApplication::platformName().toStdString());
}
BENCHMARK(BM_showMainWindowFirst)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_showMainWindowAgain(benchmark::State& state) {
    World& w = world();
    TrayShell shell(*w.store, w.theme, w.updater, w.views->contentFactory());
    shell.start(TrayShell::Presence::tray);
    showAndPaint(shell);
    for (auto _ : state) {
        state.PauseTiming();
        shell.hideMainWindow();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        showAndPaint(shell);
    }
    state.SetLabel(QGuiApplication::platformName().toStdString());
}
BENCHMARK(BM_showMainWindowAgain)->Unit(benchmark::kMillisecond)->Iterations(50);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false;qt.core.qobject.connect=false");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
