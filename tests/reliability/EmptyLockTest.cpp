// A kill between creating the instance lock and writing into it leaves an empty lock file.

#include "DaemonSupport.h"
#include "EventLoop.h"
#include "PrivateHome.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

// Left by a kill a minute ago, it is taken over; just created, it is a start in progress.
TEST(EmptyLock, AnOldOneIsTakenOverAFreshOneIsAStartInProgress) {
    for (const auto& [age, starts] : {std::pair{60, true}, std::pair{0, false}}) {
        SCOPED_TRACE(age);
        PrivateHome install(PrivateHome::Executable::ownCopy);
        ASSERT_TRUE(install.isValid()) << install.problem().toStdString();
        ServiceEndpoints endpoints;
        endpoints.pointEveryServiceAt(
            QStringLiteral("http://127.0.0.1:%1/").arg(freeLoopbackPort()));
        endpoints.rpcPort = freeLoopbackPort();
        install.writeEndpoints(endpoints);

        QFile lock(install.dataFile("lumivane.lock"));
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addSecs(-age),
                                     QFileDevice::FileModificationTime));
        lock.close();

        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        ASSERT_TRUE(install.start(process));
        if (starts) {
            // The first start writes settings.json: it got past the lock.
            const QString settings = install.dataFile("settings.json");
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
}
