#include "LoginItem.h"

#include "Fixtures.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(LoginItem, TheEntryRunsTheExecutableAnEntryTheDesktopHidCountsAsOffAndDisablingRemovesIt) {
    QTemporaryDir config;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const auto restore = qScopeGuard([&] { qputenv("XDG_CONFIG_HOME", saved); });
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    const QString entry = config.path() + QStringLiteral("/autostart/lumivane.desktop");
    LoginItem item(QStringLiteral("/opt/Lumivane Apps/bin/lumivane"));
    EXPECT_EQ(LoginItem::entryPath(), entry);
    EXPECT_FALSE(item.isEnabled());
    ASSERT_TRUE(item.setEnabled(true));
    EXPECT_TRUE(item.isEnabled());
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    file.close();
    EXPECT_TRUE(text.contains("\nExec=\"/opt/Lumivane Apps/bin/lumivane\"\n")) << text.toStdString();
    if (const QString validator = QStandardPaths::findExecutable("desktop-file-validate"); !validator.isEmpty()) {
        QProcess validate;
        validate.start(validator, {entry});
        ASSERT_TRUE(validate.waitForFinished(10000));
        EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardOutput().toStdString();
    }

    for (const auto& c : fixtureJson("app/autostart-entries.json")) {
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray::fromStdString(c[0].get<std::string>()));
        file.close();
        EXPECT_EQ(item.isEnabled(), c[1]) << c[0];
    }
    ASSERT_TRUE(item.setEnabled(true)) << "enabling replaces a hidden entry";
    EXPECT_TRUE(item.isEnabled());

    ASSERT_TRUE(item.setEnabled(false));
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_FALSE(item.isEnabled());
    EXPECT_TRUE(item.setEnabled(false)) << "switching off what is off is no failure";
}
