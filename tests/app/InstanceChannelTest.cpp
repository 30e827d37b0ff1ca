#include "InstanceChannel.h"

#include "AppHome.h"

#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

TEST(InstanceChannel, TheRunningInstanceGetsTheArgumentsAndTheLaterStartItsAnswer) {
    QTemporaryDir dir;
    QStringList received;
    InstanceChannel channel([&](const QStringList& arguments) {
        received = arguments;
        return InstanceChannel::kShown;
    });
    const QString path = InstanceChannel::socketPath(dir.path());
    ASSERT_TRUE(channel.listen(path)) << channel.errorString().toStdString();

    EXPECT_EQ(askServed(path, {"lumivane://show", "ünïcode ✓"}), InstanceChannel::kShown);
    EXPECT_EQ(received, (QStringList{"lumivane://show", "ünïcode ✓"}));
    EXPECT_EQ(askServed(path, {}), InstanceChannel::kShown);
    EXPECT_TRUE(received.isEmpty());

    // Only this user may connect.
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & (S_IRWXG | S_IRWXO), 0u);

    // A long storage folder puts the socket where its address fits, still one per folder.
    const QString deep = "/tmp/" + QString(150, QLatin1Char('d')) + "/Lumivane";
    EXPECT_LE(QFile::encodeName(InstanceChannel::socketPath(deep)).size(), 100);
    EXPECT_NE(InstanceChannel::socketPath(deep), InstanceChannel::socketPath(deep + "2"));
    EXPECT_EQ(InstanceChannel::socketPath("/home/ada/.local/share/Lumivane"), "/home/ada/.local/share/Lumivane/lumivane.socket");
}

// A bound socket whose owner is gone, as a kill leaves it.
static void leaveDeadSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(path).constData(),
                 sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(path));
}

TEST(InstanceChannel, WhatAKilledInstanceLeftIsReplacedOrRemoved) {
    QTemporaryDir dir;
    const QDir folder(dir.path());
    const QString path = InstanceChannel::socketPath(dir.path());
    EXPECT_EQ(InstanceChannel::ask(path, {}, 500), std::nullopt) << "nobody listening";
    ASSERT_NO_FATAL_FAILURE(leaveDeadSocket(path));
    EXPECT_EQ(InstanceChannel::ask(path, {}, 500), std::nullopt);
    // Killed halfway through listening: the private folder, with or without its socket.
    ASSERT_TRUE(folder.mkpath(".Xk3pQa"));
    ASSERT_NO_FATAL_FAILURE(leaveDeadSocket(folder.filePath(".Xk3pQa/s")));
    ASSERT_TRUE(folder.mkpath(".r9TzWb"));
    // Hidden folders that hold anything else are not ours to remove.
    ASSERT_TRUE(folder.mkpath(".Notes1"));
    QFile kept(folder.filePath(".Notes1/s"));
    ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
    kept.close();
    ASSERT_TRUE(folder.mkpath(".Mine12/sub"));

    InstanceChannel channel([](const QStringList&) { return InstanceChannel::kIgnored; });
    ASSERT_TRUE(channel.listen(path)) << channel.errorString().toStdString();
    EXPECT_EQ(askServed(path, {"lumivane://other"}), InstanceChannel::kIgnored);
    EXPECT_EQ(folder.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{".Mine12", ".Notes1"}));
}
