// What a kill leaves of the instance lock must never keep the next start out, nor pile up.
#include "InstanceLock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void writeFile(const QString& path, const QByteArray& bytes, int ageSeconds) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds),
                                 QFileDevice::FileModificationTime));
}

} // namespace

// A kill while Qt removes a dead holder's lock leaves that lock and an empty guard: the next start
// right after must not be refused as if the dead holder still ran.
TEST(InstanceLock, ADeadHoldersLockWithAFreshEmptyGuardIsTakenOver) {
    QTemporaryDir dir;
    const QString lockPath = QDir(dir.path()).filePath("lumivane.lock");
    writeFile(lockPath, "99999999\nlumivane\n" + QSysInfo::machineHostName().toUtf8() + "\n", 5);
    writeFile(lockPath + ".rmlock", {}, 0);

    InstanceLock lock(dir.path());
    ASSERT_TRUE(lock.tryLock());
    EXPECT_FALSE(QFile::exists(lockPath + ".rmlock"));
    QLockFile other(lockPath);
    EXPECT_FALSE(other.tryLock(0)) << "the lock is held now";
}

// A kill between creating the lock and writing into it leaves it empty: taken over once it is a
// second old, a start in progress before that.
TEST(InstanceLock, AnEmptyLockIsTakenOverOnlyOnceItIsASecondOld) {
    for (const auto& [age, taken] : {std::pair{60, true}, std::pair{0, false}}) {
        SCOPED_TRACE(age);
        QTemporaryDir dir;
        const QString lockPath = QDir(dir.path()).filePath("lumivane.lock");
        writeFile(lockPath, {}, age);
        InstanceLock lock(dir.path());
        EXPECT_EQ(lock.tryLock(), taken);
        EXPECT_EQ(QFileInfo(lockPath).size() > 0, taken) << "the lock names the new instance";
    }
}

TEST(InstanceLock, QtsRemovalGuardLeftByAKillGoesUnlessItsHolderLives) {
    struct Case {
        const char* left;
        bool guardStays;
    };
    for (const Case c : {Case{"deadHolder", false}, Case{"emptyAMinuteOld", false},
                         Case{"liveHolder", true}}) {
        SCOPED_TRACE(c.left);
        QTemporaryDir dir;
        const QString guardPath = QDir(dir.path()).filePath("lumivane.lock.rmlock");
        QLockFile live(guardPath);
        if (QByteArray(c.left) == "deadHolder")
            // A process number above the kernel's limit is never running.
            writeFile(guardPath, "99999999\nlumivane\n" + QSysInfo::machineHostName().toUtf8() + "\n", 5);
        else if (QByteArray(c.left) == "emptyAMinuteOld")
            writeFile(guardPath, {}, 60);
        else
            ASSERT_TRUE(live.tryLock(0));

        InstanceLock lock(dir.path());
        ASSERT_TRUE(lock.tryLock());
        EXPECT_EQ(QFile::exists(guardPath), c.guardStays);
        EXPECT_TRUE(QFile::exists(QDir(dir.path()).filePath("lumivane.lock")));
    }
}
