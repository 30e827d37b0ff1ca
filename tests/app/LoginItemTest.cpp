#include "LoginItem.h"

#include "Fixtures.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class LoginItemTest : public testing::Test {
protected:
    void SetUp() override {
        m_saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", m_saved); }

    QString entry() const {
        return QDir(m_config.path()).filePath(QStringLiteral("autostart/lumivane.desktop"));
    }
    void writeEntry(const QByteArray& text) const {
        QDir().mkpath(QFileInfo(entry()).absolutePath());
        QFile file(entry());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QTemporaryDir m_config;
    QByteArray m_saved;
};

} // namespace

TEST_F(LoginItemTest, EnablingWritesAValidEntryThatRunsTheExecutableAndDisablingRemovesIt) {
    LoginItem item(QStringLiteral("/opt/Lumivane Apps/bin/lumivane"));
    EXPECT_EQ(LoginItem::entryPath(), entry());
    EXPECT_FALSE(item.isEnabled());
    ASSERT_TRUE(item.setEnabled(true));
    EXPECT_TRUE(item.isEnabled());

    QFile file(entry());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("\nExec=\"/opt/Lumivane Apps/bin/lumivane\"\n"))
        << text.toStdString();
    if (const QString validator =
            QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        !validator.isEmpty()) {
        QProcess validate;
        validate.start(validator, {entry()});
        ASSERT_TRUE(validate.waitForFinished(10000));
        EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardOutput().toStdString();
    }

    ASSERT_TRUE(item.setEnabled(false));
    EXPECT_FALSE(QFile::exists(entry()));
    EXPECT_FALSE(item.isEnabled());
    EXPECT_TRUE(item.setEnabled(false)) << "switching off what is off is no failure";
}

TEST_F(LoginItemTest, AnEntryTheDesktopHidCountsAsOff) {
    LoginItem item(QStringLiteral("/usr/bin/lumivane"));
    for (const auto& c : fixtureJson("app/autostart-entries.json")) {
        writeEntry(QByteArray::fromStdString(c[0].get<std::string>()));
        EXPECT_EQ(item.isEnabled(), c[1]) << c[0];
    }
    ASSERT_TRUE(item.setEnabled(true)) << "enabling replaces a hidden entry";
    EXPECT_TRUE(item.isEnabled());
}
