#include "Updater.h"

#include "net/HttpFetch.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

#include <chrono>

using namespace std::chrono_literals;

namespace {

constexpr auto kAutomaticKey = "automaticChecks";
constexpr auto kLastCheckKey = "lastAutomaticCheck";   // seconds, the engine's clock
constexpr auto kAnnouncedKey = "lastAnnouncedVersion"; // an automatic check says it once
constexpr double kDay = 86400.0;

} // namespace

void UnconfiguredUpdater::checkForUpdates() {
    Q_EMIT checkFinished(noFeedMessage());
}

FeedUpdater::FeedUpdater(QUrl feed, QNetworkAccessManager& network, QString preferencesFile,
                         std::shared_ptr<const Clock> clock, QString currentVersion,
                         QObject* parent)
    : Updater(parent)
    , m_feed(std::move(feed))
    , m_network(network)
    , m_preferencesFile(std::move(preferencesFile))
    , m_clock(std::move(clock))
    , m_currentVersion(std::move(currentVersion)) {}

QString FeedUpdater::defaultPreferencesFile() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(config).filePath(QStringLiteral("Lumivane/updater.ini"));
}

bool FeedUpdater::automaticallyChecksForUpdates() const {
    const QSettings prefs(m_preferencesFile, QSettings::IniFormat);
    return prefs.value(QLatin1StringView(kAutomaticKey), true).toBool();
}

void FeedUpdater::setAutomaticallyChecksForUpdates(bool on) {
    {
        QSettings prefs(m_preferencesFile, QSettings::IniFormat);
        prefs.setValue(QLatin1StringView(kAutomaticKey), on);
    }
    if (on)
        checkIfDue();
}

void FeedUpdater::startAutomaticChecks() {
    if (!m_timer) {
        m_timer = new QTimer(this);
        m_timer->setInterval(1h);
        connect(m_timer, &QTimer::timeout, this, &FeedUpdater::checkIfDue);
        m_timer->start();
    }
    checkIfDue();
}

void FeedUpdater::checkIfDue() {
    if (m_checking || !automaticallyChecksForUpdates())
        return;
    const QSettings prefs(m_preferencesFile, QSettings::IniFormat);
    const QVariant last = prefs.value(QLatin1StringView(kLastCheckKey));
    const double now = m_clock->now().secondsSinceReference;
    // A clock set back (last in the future) must not stop checks for good.
    if (last.isValid() && now - last.toDouble() < kDay && now >= last.toDouble())
        return;
    check(false);
}

void FeedUpdater::checkForUpdates() {
    if (m_checking) {
        m_manualPending = true; // the running check answers the user too
        return;
    }
    check(true);
}

QCoro::Task<> FeedUpdater::check(bool manual) {
    QPointer<FeedUpdater> self(this);
    m_checking = true;
    if (!manual) {
        // Counted when it starts, so a feed that never answers is not asked every hour.
        QSettings prefs(m_preferencesFile, QSettings::IniFormat);
        prefs.setValue(QLatin1StringView(kLastCheckKey), m_clock->now().secondsSinceReference);
    }
    UpdateResult result;
    try {
        result = co_await fetch();
    } catch (const std::exception& e) {
        result = {UpdateResult::Kind::badFeed, {}, QString::fromUtf8(e.what())};
    }
    if (!self)
        co_return;
    m_checking = false;
    const bool answerUser = manual || m_manualPending;
    m_manualPending = false;
    report(result, answerUser);
}

QCoro::Task<UpdateResult> FeedUpdater::fetch() {
    HttpRequest request;
    request.url = m_feed;
    request.headers = {{"User-Agent", "Lumivane/" + m_currentVersion.toUtf8()},
                       {"Accept", "application/json"}};
    request.maxBytes = 256 * 1024; // a feed is a few lines
    const HttpResponse response = co_await httpFetch(m_network, request);
    switch (response.failure) {
    case HttpResponse::Failure::none:
        break;
    case HttpResponse::Failure::timeout:
        co_return UpdateResult{UpdateResult::Kind::unreachable, {}, QStringLiteral("timed out")};
    case HttpResponse::Failure::tooLarge:
        co_return UpdateResult{
            UpdateResult::Kind::badFeed, {}, QStringLiteral("the release feed is far too large")};
    case HttpResponse::Failure::transport:
        co_return UpdateResult{UpdateResult::Kind::unreachable, {}, response.errorText};
    }
    if (response.status != 200)
        co_return UpdateResult{UpdateResult::Kind::unreachable,
                               {},
                               QStringLiteral("HTTP status %1").arg(response.status)};
    QString why;
    const auto release = parseReleaseFeed(response.body, &why);
    if (!release)
        co_return UpdateResult{UpdateResult::Kind::badFeed, {}, why};
    const auto order = compareVersions(release->version, m_currentVersion);
    if (!order)
        co_return UpdateResult{UpdateResult::Kind::badFeed,
                               {},
                               QStringLiteral("this build's version cannot be compared")};
    co_return UpdateResult{
        *order > 0 ? UpdateResult::Kind::newer : UpdateResult::Kind::upToDate, *release, {}};
}

void FeedUpdater::report(const UpdateResult& result, bool manual) {
    Q_EMIT checked(result, manual);
    const QString message = updateMessage(result, m_currentVersion);
    if (result.kind == UpdateResult::Kind::newer) {
        QSettings prefs(m_preferencesFile, QSettings::IniFormat);
        // An automatic check tells of a release once; asking always tells.
        if (manual ||
            prefs.value(QLatin1StringView(kAnnouncedKey)).toString() != result.release.version) {
            prefs.setValue(QLatin1StringView(kAnnouncedKey), result.release.version);
            Q_EMIT updateAvailable(result.release, message);
        }
        return;
    }
    // Automatic checks stay quiet unless there is something new; a failure waits for tomorrow.
    if (manual)
        Q_EMIT checkFinished(message);
}
