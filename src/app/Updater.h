#pragma once

#include <QObject>
#include <QString>

// Checks for a newer Lumivane: the tray menu's "Check for Updates…" and, later, the settings
// view's automatic-check switch. It only ever reports; it never installs anything itself.
class Updater : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void checkForUpdates() = 0;
    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool on) = 0;

Q_SIGNALS:
    // A check the user asked for has an answer worth showing.
    void checkFinished(const QString& message);
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
};
