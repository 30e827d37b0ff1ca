#include "InstalledTree.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

TEST(Packaging, AnInstallIntoAPrefixHoldsTheDesktopFilesAndAServiceThatRunsItsOwnProgram) {
    QTemporaryDir prefix;
    const Ran install =
        run("cmake", {"--install", QStringLiteral(LUMIVANE_BINARY_DIR), "--prefix", prefix.path()});
    ASSERT_EQ(install.status, 0) << install.out.toStdString() << install.err.toStdString();

    QStringList expected = installedFiles();
    expected << "bin/lumivane-titles";
    expected.sort();
    EXPECT_EQ(filesUnder(prefix.path()), expected);

    // Outside the package's /usr the link names the system's daemon by its full path.
    const QString link =
        prefix.filePath("share/lumivane/TransmissionEngine/bin/transmission-daemon");
    const std::filesystem::path target = std::filesystem::read_symlink(link.toStdString());
    EXPECT_TRUE(target.is_absolute()) << target;
    EXPECT_TRUE(QFileInfo(link).isExecutable()) << target;

    const QString program = prefix.filePath("bin/lumivane");
    expectInstalledTree(prefix.path(), program, versionOf(program));
}
