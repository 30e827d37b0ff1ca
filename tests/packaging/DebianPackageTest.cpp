#include "InstalledTree.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The package's control fields, continuation lines joined with '\n'.
QMap<QString, QString> controlFields(const QString& deb) {
    const Ran info = run("dpkg-deb", {"-f", deb});
    EXPECT_EQ(info.status, 0) << info.err.toStdString();
    QMap<QString, QString> fields;
    QString last;
    for (const QString& line : QString::fromUtf8(info.out).split('\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(' ')) {
            fields[last] += '\n' + line;
            continue;
        }
        last = line.section(':', 0, 0);
        fields[last] = line.section(':', 1).trimmed();
    }
    return fields;
}

} // namespace

// One test, because building the package is the slow part: its fields, its files, the checks
// of an install on its unpacked tree, and lintian.
TEST(DebianPackage, IsBuiltFromTheInstallWithItsFieldsFilesAndNoLintianError) {
#ifdef LUMIVANE_SANITIZED
    GTEST_SKIP() << "a sanitizer build is never packaged: its program needs the sanitizer runtimes";
#endif
    const QString dpkgDeb = QStandardPaths::findExecutable("dpkg-deb");
    const QString lintian = QStandardPaths::findExecutable("lintian");
    if (dpkgDeb.isEmpty() || lintian.isEmpty())
        GTEST_SKIP() << "dpkg-deb or lintian is not installed (scripts/install-deps.sh installs "
                        "both), so the Debian package is not built";

    const QString version = versionOf(QStringLiteral(LUMIVANE_BINARY));
    const QString arch = QString::fromUtf8(run("dpkg", {"--print-architecture"}).out).trimmed();
    QTemporaryDir out;
    const Ran cpack =
        run(QStringLiteral(LUMIVANE_CPACK),
            {"--config", LUMIVANE_BINARY_DIR "/CPackConfig.cmake", "-B", out.path()}, 180000);
    ASSERT_EQ(cpack.status, 0) << cpack.out.toStdString() << cpack.err.toStdString();
    const QStringList debs = QDir(out.path()).entryList({"*.deb"});
    ASSERT_EQ(debs, QStringList{"lumivane_" + version + "_" + arch + ".deb"});
    const QString deb = QDir(out.path()).filePath(debs.first());

    const QMap<QString, QString> fields = controlFields(deb);
    EXPECT_EQ(fields["Package"], "lumivane");
    EXPECT_EQ(fields["Version"], version);
    EXPECT_EQ(fields["Architecture"], arch);
    EXPECT_EQ(fields["Section"], "net");
    EXPECT_EQ(fields["Priority"], "optional");
    EXPECT_EQ(fields["Maintainer"], "Lumivane maintainers <maintainers@lumivane.app>");
    EXPECT_EQ(fields["Homepage"], "https://lumivane.app");
    // The libraries come from dpkg-shlibdeps; the daemon is named by hand.
    QStringList depends;
    for (const QString& relation : fields["Depends"].split(", "))
        depends << relation.section(' ', 0, 0);
    for (const char* package : {"transmission-daemon", "libqt6core6", "libqt6widgets6", "libc6"})
        EXPECT_TRUE(depends.contains(QString::fromLatin1(package)))
            << package << " in " << fields["Depends"].toStdString();
    // The summary and the wrapped paragraphs of the AppStream description.
    const QStringList description = fields["Description"].split('\n');
    ASSERT_GE(description.size(), 4) << fields["Description"].toStdString();
    EXPECT_EQ(description.first(), "Fetch new episodes and movies into your library");
    EXPECT_TRUE(description.contains(" ."));
    EXPECT_TRUE(description[1].startsWith(" Lumivane keeps a watchlist of TV series and movies."))
        << description[1].toStdString();
    for (const QString& line : description)
        EXPECT_LE(line.size(), 80) << line.toStdString();

    // Every file under /usr, owned by root; the daemon link relative within /usr; and no
    // maintainer script, so nothing runs or starts on install or removal.
    const Ran contents = run(dpkgDeb, {"-c", deb});
    ASSERT_EQ(contents.status, 0);
    QStringList files;
    for (const QString& line : QString::fromUtf8(contents.out).split('\n', Qt::SkipEmptyParts)) {
        const QStringList columns = line.simplified().split(' ');
        ASSERT_GE(columns.size(), 6) << line.toStdString();
        EXPECT_EQ(columns[1], "root/root") << line.toStdString();
        if (columns[0].startsWith('d'))
            continue;
        files << columns[5];
        if (columns[0].startsWith('l')) {
            EXPECT_EQ(
                columns.mid(5),
                QStringList({"./usr/share/lumivane/TransmissionEngine/bin/transmission-daemon",
                             "->", "../../../../bin/transmission-daemon"}));
        }
    }
    QStringList expected;
    for (const QString& file : installedFiles())
        expected << "./usr/" + file;
    expected.sort();
    files.sort();
    EXPECT_EQ(files, expected);
    QTemporaryDir control;
    ASSERT_EQ(run(dpkgDeb, {"-e", deb, control.filePath("DEBIAN")}).status, 0);
    EXPECT_EQ(filesUnder(control.filePath("DEBIAN")), QStringList({"control", "md5sums"}));

    QTemporaryDir unpacked;
    ASSERT_EQ(run(dpkgDeb, {"-x", deb, unpacked.path()}).status, 0);
    EXPECT_EQ(versionOf(unpacked.filePath("usr/bin/lumivane")), version);
    expectInstalledTree(unpacked.filePath("usr"), "/usr/bin/lumivane", version);

    const Ran check = run(lintian, {"--tag-display-limit", "0", deb}, 180000);
    const QString report = QString::fromUtf8(check.out + check.err);
    EXPECT_EQ(check.status, 0) << report.toStdString();
    EXPECT_FALSE(
        report.contains(QRegularExpression("^[EW]: ", QRegularExpression::MultilineOption)))
        << report.toStdString();
}
