#include "ShotRig.h"

#include "SampleLibrary.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QWidget>

#include <cstdio>

StoreEnvironment offlineEnvironment(const QString& root, std::shared_ptr<const Clock> clock) {
    StoreEnvironment env;
    env.storageFolder = QDir(root).filePath(QStringLiteral("data"));
    env.defaultLibraryRoot = QDir(root).filePath(QStringLiteral("library"));
    env.clock = std::move(clock);
    env.endpoints.pointEveryServiceAt(QUrl(QStringLiteral("http://127.0.0.1:9")));
    env.endpoints.rpcPort = 9;
    return env;
}

namespace {

// Wednesday 4 March 2026, 14:20 local time: a fixed moment for every picture.
Timestamp pictureMoment() {
    return Timestamp::fromDateTime(QDateTime(QDate(2026, 3, 4), QTime(14, 20), Qt::LocalTime));
}

} // namespace

ShotRig::ShotRig(QString outputFolder)
    : m_output(std::move(outputFolder))
    , m_clock(std::make_shared<ManualClock>(pictureMoment())) {
    QDir().mkpath(m_output);
    const QString sample = QDir(m_dir.path()).filePath(QStringLiteral("sample"));
    const StoreEnvironment env = offlineEnvironment(sample, m_clock);
    QDir().mkpath(env.storageFolder);
    if (!writeSampleLibrary(env.storageFolder, env.defaultLibraryRoot, m_clock->now()))
        std::fprintf(stderr, "lumivane-screenshots: cannot write the sample library\n");
    m_images = std::make_unique<ImageLoader>(env.endpoints.tmdbImages, QString());
    // Never started: it is only asked for the daemon's version.
    m_engine = std::make_unique<TransmissionEngine>(env.defaultLibraryRoot, env.storageFolder,
                                                    env.endpoints, m_clock);
    m_store = std::make_unique<WatchlistStore>(env, m_engine.get(), nullptr);
    m_emptyStore = std::make_unique<WatchlistStore>(
        offlineEnvironment(QDir(m_dir.path()).filePath(QStringLiteral("empty")), m_clock), nullptr,
        nullptr);
}

ShotRig::~ShotRig() {
    // Work a picture started (a check cycle) ends against the closed ports before the stores go.
    QDeadlineTimer deadline(5000);
    while ((m_store->isChecking() || m_emptyStore->isChecking()) && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

void ShotRig::settle() {
    // Layouts and polish only: timers and sockets stay untouched, so a state set up for a
    // picture (a check that is running) does not move on while it is taken.
    for (int round = 0; round < 4; ++round) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::Polish);
    }
}

bool ShotRig::save(const QPixmap& picture, const QString& name) {
    const QString file = QDir(m_output).filePath(name + QStringLiteral(".png"));
    if (!picture.save(file)) {
        std::fprintf(stderr, "lumivane-screenshots: cannot write %s\n", qPrintable(file));
        return false;
    }
    ++m_shots;
    return true;
}

void ShotRig::shoot(QWidget& widget, const QString& name) {
    const AppTheme before = m_theme.appearance();
    for (const AppTheme appearance : {AppTheme::light, AppTheme::dark}) {
        m_theme.setAppearance(appearance);
        settle();
        for (const int scale : {1, 2}) {
            QImage image(widget.size() * scale, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(scale);
            image.fill(Qt::transparent);
            widget.render(&image);
            const QString file = QDir(m_output).filePath(
                QStringLiteral("%1-%2@%3x.png")
                    .arg(name, appearance == AppTheme::dark ? QStringLiteral("dark")
                                                            : QStringLiteral("light"))
                    .arg(scale));
            if (image.save(file))
                ++m_shots;
            else
                std::fprintf(stderr, "lumivane-screenshots: cannot write %s\n", qPrintable(file));
        }
    }
    m_theme.setAppearance(before);
}
