// A kill between creating the instance lock and writing into it leaves an empty lock file.

#include "DaemonSupport.h"
#include "EventLoop.h"
#include "PrivateHome.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

struct LockAge {
    const char* name;
    int seconds;
    bool starts;
};

std::ostream& operator<<(std::ostream& os, const LockAge& age) {
    return os << age.name;
}

class EmptyLock : public testing::TestWithParam<LockAge> {};

} // namespace

TEST_P(EmptyLock, AnOldOneIsTakenOverAFreshOneIsAStartInProgress) {
    PrivateHome install(PrivateHome::Executable::ownCopy);
    ASSERT_TRUE(install.isValid()) << install.problem().toStdString();
    ServiceEndpoints endpoints;
    endpoints.pointEveryServiceAt(QStringLiteral("http://127.0.0.1:%1/").arg(freeLoopbackPort()));
    endpoints.rpcPort = freeLoopbackPort();
    install.writeEndpoints(endpoints);

    QFile lock(install.dataFile(QStringLiteral("lumivane.lock")));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addSecs(-GetParam().seconds),
                                 QFileDevice::FileModificationTime));
    lock.close();

    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    ASSERT_TRUE(install.start(process));
    if (GetParam().starts) {
        // The first start writes settings.json: it got past the lock.
        const QString settings = install.dataFile(QStringLiteral("settings.json"));
        EXPECT_TRUE(runEventLoopUntil([&] { return QFile::exists(settings); }, 10000))
            << process.readAllStandardError().toStdString();
        EXPECT_GT(QFile(lock.fileName()).size(), 0) << "the lock names the new instance";
        process.terminate();
        ASSERT_TRUE(process.waitForFinished(15000));
        EXPECT_EQ(process.exitCode(), 0);
    } else {
        ASSERT_TRUE(process.waitForFinished(15000));
        EXPECT_EQ(process.exitCode(), 1);
        EXPECT_TRUE(process.readAllStandardError().contains("already running"));
    }
}

INSTANTIATE_TEST_SUITE_P(Ages, EmptyLock,
                         testing::Values(LockAge{"LeftByAKillAMinuteAgo", 60, true},
                                         LockAge{"JustCreatedByAStartingInstance", 0, false}),
                         [](const auto& info) { return std::string(info.param.name); });
