// Title-analysis throughput: for every corpus title the questions a series check asks of it,
// against one series name. Reported as titles per second (items_per_second).

#include "search/FeedChecker.h"
#include "search/TitleGrammar.h"

#include <QCoreApplication>
#include <QFile>

#include <benchmark/benchmark.h>

namespace {

QStringList corpusTitles() {
    QFile file(QStringLiteral(LUMIVANE_CORPUS));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read the corpus at %s", LUMIVANE_CORPUS);
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

void analyseTitles(benchmark::State& state) {
    const QStringList titles = corpusTitles();
    const QString name = QStringLiteral("Series Title");
    const QStringList origins{QStringLiteral("US")};
    for (auto _ : state) {
        for (const QString& title : titles) {
            benchmark::DoNotOptimize(episodeCode(title));
            benchmark::DoNotOptimize(qualityLabel(title));
            benchmark::DoNotOptimize(packSeason(title));
            benchmark::DoNotOptimize(isIncompleteOrDated(title));
            benchmark::DoNotOptimize(FeedChecker::acceptsEpisodeTitle(title, name));
            benchmark::DoNotOptimize(isOtherRegion(title, name, origins));
        }
    }
    state.SetItemsProcessed(state.iterations() * titles.size());
}
BENCHMARK(analyseTitles)->Unit(benchmark::kMillisecond);

} // namespace
