// The Settings tab's login switch with the shell's real hooks: it writes and removes the
// autostart entry, and a desktop that refuses the write leaves the switch showing the truth.

#include "EventLoop.h"
#include "FakeWatchlist.h"
#include "LoginItem.h"
#include "MainViews.h"
#include "Updater.h"
#include "settings/SettingsView.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(SettingsLoginSwitch, WritesAndRemovesTheAutostartEntry) {
    QTemporaryDir config;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const auto restore = qScopeGuard([&] { qputenv("XDG_CONFIG_HOME", saved); });
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    const QString entry = config.filePath("autostart/lumivane.desktop");

    FakeWatchlist fake;
    Theme theme;
    UnconfiguredUpdater updater;
    auto view = std::make_unique<SettingsView>(fake, theme,
                                               MainViews::settingsHooks(updater, "/tmp/Lumivane"));
    auto* login = view->findChild<QAbstractButton*>("openAtLoginSwitch");
    ASSERT_NE(login, nullptr);
    EXPECT_FALSE(login->isChecked());
    login->click();
    EXPECT_TRUE(QFile::exists(entry));
    EXPECT_TRUE(login->isChecked());
    login->click();
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_FALSE(login->isChecked());

    // An entry made outside Lumivane shows the next time the view does.
    view->show();
    ASSERT_TRUE(LoginItem("/usr/bin/lumivane").setEnabled(true));
    view->hide();
    view->show();
    EXPECT_TRUE(login->isChecked());
    ASSERT_TRUE(QFile::remove(entry));

    // The autostart folder is a file: the entry cannot be written and the switch stays off.
    QDir(config.path()).rmdir("autostart");
    QFile blocker(config.filePath("autostart"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    login->click();
    EXPECT_FALSE(login->isChecked());

    // Without a feed, the updates switch cannot be turned on.
    EXPECT_FALSE(view->findChild<QAbstractButton*>("autoUpdateSwitch")->isEnabled());
}
