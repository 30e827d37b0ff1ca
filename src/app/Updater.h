#pragma once

#include "ReleaseFeed.h"
#include "model/Clock.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <qcoro/qcorotask.h>

#include <memory>

class QNetworkAccessManager;
class QTimer;

// Checks for a newer Lumivane: the tray menu's and the settings' "Check for Updates…" and the
// automatic daily check. It only ever reports; it never downloads or installs anything.
class Updater : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void checkForUpdates() = 0;
    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool on) = 0;
    // Whether there is anything to check against; without it the switch has no effect.
    virtual bool hasFeed() const { return true; }

Q_SIGNALS:
    // A check the user asked for has an answer worth showing.
    void checkFinished(const QString& message);
    // A newer release: the shell posts a notice and shows a dialog with the page's link.
    void updateAvailable(const ReleaseInfo& release, const QString& message);
};

// The updater of a build without a release feed: it says so instead of pretending to check.
class UnconfiguredUpdater final : public Updater {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UnconfiguredUpdater)

public:
    using Updater::Updater;

    void checkForUpdates() override;
    // Nothing to check against, so automatic checks stay off.
    bool automaticallyChecksForUpdates() const override { return false; }
    void setAutomaticallyChecksForUpdates(bool) override {}
    bool hasFeed() const override { return false; }
};

// Reads the release feed named in endpoints.json. Its own preferences (the switch, the time
// of the last automatic check, the last version announced) live in an ini file of its own:
// settings.json's keys are fixed.
class FeedUpdater final : public Updater {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FeedUpdater)

public:
    FeedUpdater(QUrl feed, QNetworkAccessManager& network, QString preferencesFile,
                std::shared_ptr<const Clock> clock, QString currentVersion,
                QObject* parent = nullptr);

    // $XDG_CONFIG_HOME/Lumivane/updater.ini
    static QString defaultPreferencesFile();

    void checkForUpdates() override;
    bool automaticallyChecksForUpdates() const override;
    void setAutomaticallyChecksForUpdates(bool on) override;

    // Checks now when automatic checks are on and the last one is a day old; then looks again
    // every hour, so a machine left running still checks daily.
    void startAutomaticChecks();
    void checkIfDue();
    bool isChecking() const { return m_checking; }

Q_SIGNALS:
    // Every check's outcome, asked for or automatic.
    void checked(const UpdateResult& result, bool manual);

private:
    QCoro::Task<> check(bool manual);
    QCoro::Task<UpdateResult> fetch();
    void report(const UpdateResult& result, bool manual);

    QUrl m_feed;
    QNetworkAccessManager& m_network;
    QString m_preferencesFile;
    std::shared_ptr<const Clock> m_clock;
    QString m_currentVersion;
    QTimer* m_timer = nullptr;
    bool m_checking = false;
    bool m_manualPending = false; // a manual check asked for while another one runs
};
