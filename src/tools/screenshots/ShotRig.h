#pragma once

#include "ImageLoader.h"
#include "Theme.h"
#include "engine/TransmissionEngine.h"
#include "model/Clock.h"
#include "store/WatchlistStore.h"

#include <QPixmap>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A store environment below `root` with every service on a port nothing listens on: a
// picture never reaches the network.
StoreEnvironment offlineEnvironment(const QString& root, std::shared_ptr<const Clock> clock);

// Everything a picture of a view needs, without any network: a store on a sample watchlist
// in a temporary folder, a fixed manual clock, every service on a closed loopback port, one
// theme and the image loader. `shoot` renders a widget in the light and the dark appearance
// at scale 1 and 2: <name>-light@1x.png, <name>-light@2x.png, <name>-dark@1x.png, ….
class ShotRig {
public:
    explicit ShotRig(QString outputFolder);
    ~ShotRig();
    ShotRig(const ShotRig&) = delete;
    ShotRig& operator=(const ShotRig&) = delete;

    // Several series and movies in different states, a full activity log over several days,
    // history rows with one stalled download of a series and one of a movie.
    WatchlistStore& store() { return *m_store; }
    // A fresh installation: nothing added, nothing logged.
    WatchlistStore& emptyStore() { return *m_emptyStore; }
    Theme& theme() { return m_theme; }
    ImageLoader& images() { return *m_images; }
    ManualClock& clock() { return *m_clock; }
    QString outputFolder() const { return m_output; }

    void shoot(QWidget& widget, const QString& name);
    // Writes one picture a view family composed itself (a view with a popover over it) as
    // <name>.png; false when it cannot be written.
    bool save(const QPixmap& picture, const QString& name);
    // Pictures written so far.
    int shots() const { return m_shots; }

    // Applies pending layouts; shoot() does it too.
    static void settle();

private:
    QTemporaryDir m_dir;
    QString m_output;
    std::shared_ptr<ManualClock> m_clock;
    Theme m_theme;
    std::unique_ptr<ImageLoader> m_images;
    std::unique_ptr<TransmissionEngine> m_engine;
    std::unique_ptr<WatchlistStore> m_store;
    std::unique_ptr<WatchlistStore> m_emptyStore;
    int m_shots = 0;
};
