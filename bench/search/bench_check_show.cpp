// One series check over 600 hits served by six in-process sources: the search merge, the
// filters, the grammar, the scores and the buckets, without the network.

#include "model/Clock.h"
#include "search/FeedChecker.h"
#include "search/Magnet.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

namespace {

class FixedSource final : public TorrentIndex {
public:
    FixedSource(QString name, QList<RawHit> hits)
        : m_name(std::move(name))
        , m_hits(std::move(hits)) {}
    QString name() const override { return m_name; }
    QCoro::Task<QList<RawHit>> search(TorrentQuery) const override { co_return m_hits; }

private:
    QString m_name;
    QList<RawHit> m_hits;
};

RawHit hit(const QString& title, int n, int seeders, qint64 size, const QString& source) {
    RawHit h;
    h.title = title;
    h.magnetURL = *makeMagnet(QStringLiteral("%1").arg(n, 40, 16, QLatin1Char('0')), title);
    h.seeders = seeders;
    h.leechers = seeders / 3;
    h.sizeBytes = size;
    h.source = source;
    h.sourceID = QString::number(n);
    return h;
}

QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// What a search for one popular series brings back: its episodes in several resolutions and
// groups, packs, other series with similar names, camera copies, unfinished files, and the same
// release on several indexes.
QList<QList<RawHit>> realisticAnswers() {
    const QStringList sources{"Knaben", "The Pirate Bay", "EZTV", "Torrents-CSV", "Nyaa", "YTS"};
    const QStringList forms{
        "Series.Title.S%1E%2.1080p.WEB.h264-GRP",
        "Series Title S%1E%2 720p HDTV x264-SYNCOPY",
        "Series.Title.S%1E%2.2160p.AMZN.WEB-DL.DDP5.1",
        "Series.Title.S%1E%2.PROPER.1080p.WEB",
        "[site.com] Series Title - %3x%2 [480p]",
        "Series.Title.US.S%1E%2.720p.WEB",
        "The.Series.Title.S%1E%2.1080p",
        "Series.Title.Origins.S%1E%2.1080p",
        "Series.Title.2015.S%1E%2.1080p.HEVC.x265",
        "Series.Title.S%1E%2.HDCAM",
        "Series.Title.S%1E%2.1080p.mkv.part",
        "Series.Title.S%1.1080p.Complete",
        "Series Title Season %3 Complete 720p",
        "Series.Title.S%1E%2-E%4.1080p",
        "Series.Title.1998.S%1E%2.720p",
        "Other.Show.S%1E%2.1080p",
    };
    QList<QList<RawHit>> answers(sources.size());
    int n = 1;
    int total = 0;
    while (total < 600) {
        for (int i = 0; i < forms.size() && total < 600; ++i) {
            const int season = 1 + (n % 5);
            const int episode = 1 + (n * 7 % 20);
            const QString title = QString(forms[i])
                                      .replace(QStringLiteral("%1"), twoDigits(season))
                                      .replace(QStringLiteral("%2"), twoDigits(episode))
                                      .replace(QStringLiteral("%3"), QString::number(season))
                                      .replace(QStringLiteral("%4"), twoDigits(episode + 3));
            // One release in five is also listed by a second index.
            const int hash = (n % 5 == 0) ? n - 1 : n;
            const int sourceIndex = n % sources.size();
            answers[sourceIndex].append(hit(title, hash, (n * 37) % 900,
                                            qint64(n % 7) * 400'000'000, sources[sourceIndex]));
            ++n;
            ++total;
        }
    }
    return answers;
}

void checkShow(benchmark::State& state) {
    ManualClock clock;
    FeedChecker::Sources sources;
    for (QList<RawHit>& hits : realisticAnswers())
        sources.append(std::make_shared<FixedSource>(QStringLiteral("source"), hits));
    FeedChecker checker(sources, clock);

    Show show;
    show.id = QUuid::createUuid();
    show.name = QStringLiteral("Series Title");
    show.quality = Show::Quality::p1080;
    show.firstAirYear = QStringLiteral("2015");
    show.originCountries = {QStringLiteral("GB")};
    show.downloadedEpisodes = {QStringLiteral("S03E05"), QStringLiteral("S03E04")};

    std::size_t grabs = 0;
    for (auto _ : state) {
        ShowCheckResult result;
        [&]() -> QCoro::Task<> { result = co_await checker.checkShow(show, 3); }();
        grabs = result.grabs.size();
        benchmark::DoNotOptimize(result);
    }
    state.counters["grabs"] = static_cast<double>(grabs);
}
BENCHMARK(checkShow)->Unit(benchmark::kMillisecond);

} // namespace
