// The series list in each state, light and dark: empty, a series in every status, a row
// expanded (subscribed and not), a pending pick with its popover, the resolution popover.
// Each scene has a store of its own, with its clock at a fixed moment; the rig gives the theme,
// the poster loader and the folder.

#include "ImageLoader.h"
#include "ShotRig.h"
#include "Shots.h"
#include "Theme.h"
#include "model/Clock.h"
#include "model/RecordCodecs.h"
#include "model/StorageFiles.h"
#include "series/Popover.h"
#include "series/ShowsView.h"
#include "store/HuntCycle.h"
#include "store/WatchlistStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

namespace {

Timestamp march(int day, int hour, int minute = 0) {
    return Timestamp::fromDateTime(QDateTime(QDate(2025, 3, day), QTime(hour, minute), Qt::UTC));
}

const Timestamp kNow = march(13, 12);

ShowStatus status(ShowStatus::State state, std::optional<QString> episode,
                  std::optional<QString> detail, std::optional<Timestamp> when) {
    return {state, 0.0, std::move(episode), std::move(detail), when};
}

// One series in every state a row can show; the third waits for a resolution choice and
// the fifth has a download stuck for eleven days.
QList<Show> everyStatus() {
    using S = ShowStatus::State;
    const auto make = [](const char* name) {
        return Show{.id = QUuid::createUuid(), .name = name};
    };
    QList<Show> shows;
    Show dark = make("Dark");
    dark.status = status(S::sorted, QString("S03E08"), {}, march(13, 9));
    shows << dark;
    Show severance = make("Severance");
    severance.status =
        status(S::found, QString("S02E04"), QString("Searching…"), march(13, 11, 58));
    shows << severance;
    Show bear = make("The Bear");
    bear.qualityGraceEpisode = QString("S02E05");
    bear.qualityGraceFirstSeenAt = march(1, 0);
    shows << bear;
    Show shogun = make("Shōgun");
    shogun.quality = Show::Quality::p720;
    shogun.status = status(S::error, {}, QString("No space left on device"), march(13, 11, 40));
    shows << shogun;
    Show horses = make("Slow Horses");
    horses.status = status(S::downloading, QString("S04E02"), {}, march(13, 10));
    shows << horses;
    Show andor = make("Andor");
    andor.isEnabled = false;
    andor.quality = Show::Quality::k4;
    shows << andor;
    Show fallout = make("Fallout");
    fallout.tmdbID = 106379;
    fallout.airInfoRefreshedAt = march(13, 6);
    fallout.nextAirDate = march(20, 0);
    shows << fallout;
    Show chernobyl = make("Chernobyl: The Complete Miniseries, Restored and Remastered");
    chernobyl.tmdbID = 87108;
    chernobyl.airInfoRefreshedAt = march(13, 6);
    chernobyl.tmdbStatus = QString("Ended");
    shows << chernobyl;
    return shows;
}

// A store of its own on a temporary folder, its clock stopped at kNow, every service address
// on a closed loopback port.
class SceneStore {
public:
    explicit SceneStore(const QList<Show>& shows) {
        const StoreEnvironment env =
            offlineEnvironment(m_dir.path(), std::make_shared<ManualClock>(kNow));
        QDir().mkpath(env.storageFolder);
        write(env, QString::fromLatin1(StorageFiles::kShows), encodeDocument(shows));
        if (shows.size() > 4) {
            // Followed downloads, or start-up would take their statuses for leftovers of a crash.
            QMap<QString, ActiveDownload> followed;
            for (int i : {1, 3, 4})
                followed.insert(QString(40, QLatin1Char('0' + i)),
                                ActiveDownload{ActiveDownload::Kind::episode, shows[i].id,
                                               shows[i].status.episode.value_or(QString()), false,
                                               QStringLiteral("EZTV")});
            write(env, QString::fromLatin1(StorageFiles::kDownloads), encodeDocument(followed));
            DownloadRecord stuck;
            stuck.id = QString(40, QLatin1Char('a'));
            stuck.showID = shows[4].id;
            stuck.showName = shows[4].name;
            stuck.episode = QStringLiteral("S04E02");
            stuck.addedAt = march(1, 0);
            stuck.stuckSince = march(2, 0);
            write(env, QString::fromLatin1(StorageFiles::kHistory),
                  encodeDocument(QList<DownloadRecord>{stuck}));
        }
        m_store = std::make_unique<WatchlistStore>(env, nullptr, nullptr);
        if (shows.size() > 2) {
            SearchResult r720, r480;
            r720.title = QStringLiteral("The.Bear.S02E05.720p.WEB.h264");
            r720.quality = QStringLiteral("720p");
            r480.title = QStringLiteral("The.Bear.S02E05.480p.x264");
            r480.quality = QStringLiteral("480p");
            // A check that found the episode only in other resolutions asks which to take.
            m_store->cycle().applyCheckResults({ShowCheckResult{
                shows[2].id, {}, {EpisodePick{QStringLiteral("S02E05"), {r720, r480}}}}});
        }
    }

    WatchlistStore& store() { return *m_store; }

private:
    static void write(const StoreEnvironment& env, const QString& name, const QByteArray& bytes) {
        QFile file(QDir(env.storageFolder).filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<WatchlistStore> m_store;
};

// The view, with the open popover painted where it floats.
QPixmap picture(QWidget& view, QWidget* popover = nullptr) {
    QCoreApplication::processEvents();
    QPixmap shot = view.grab();
    if (popover) {
        QPainter painter(&shot);
        painter.drawPixmap(view.mapFromGlobal(popover->mapToGlobal(QPoint(0, 0))), popover->grab());
    }
    return shot;
}

} // namespace

void shootSeriesList(ShotRig& rig) {
    Theme& theme = rig.theme();
    const AppTheme before = theme.appearance();
    for (AppTheme appearance : {AppTheme::light, AppTheme::dark}) {
        theme.setAppearance(appearance);
        const QString suffix =
            appearance == AppTheme::dark ? QStringLiteral("-dark") : QStringLiteral("-light");

        SceneStore nothing({});
        ShowsView empty(nothing.store(), theme, rig.images());
        empty.resize(760, 520);
        empty.show();
        rig.save(picture(empty), QStringLiteral("series-empty") + suffix);

        const QList<Show> shows = everyStatus();
        SceneStore scene(shows);
        ShowsView view(scene.store(), theme, rig.images());
        view.resize(760, 720);
        view.show();
        rig.save(picture(view), QStringLiteral("series-rows") + suffix);

        view.toggleExpanded(shows[0].id);
        rig.save(picture(view), QStringLiteral("series-expanded") + suffix);
        view.toggleExpanded(shows[5].id);
        rig.save(picture(view), QStringLiteral("series-expanded-unsubscribed") + suffix);
        view.toggleExpanded(shows[5].id);

        view.openReleasePicker(2);
        rig.save(picture(view, view.openPopover()), QStringLiteral("series-pick-popover") + suffix);
        view.openPopover()->close();
        view.openQualityPopover(3);
        rig.save(picture(view, view.openPopover()),
                 QStringLiteral("series-quality-popover") + suffix);
        view.openPopover()->close();
    }
    theme.setAppearance(before);
}
