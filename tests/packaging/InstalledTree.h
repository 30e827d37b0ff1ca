#pragma once

// What every install holds, checked the same way in a `cmake --install` prefix and in the
// unpacked Debian package.

#include "Fixtures.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

struct Ran {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

inline Ran run(const QString& program, const QStringList& arguments, int timeoutMs = 60000) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {-1, process.readAllStandardOutput(), "timed out"};
    }
    const int status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return {status, process.readAllStandardOutput(), process.readAllStandardError()};
}

// The files and links of an install, relative to its prefix (the package's is /usr).
inline QStringList installedFiles() {
    return strings(fixtureJson("packaging/installed-files.json"));
}

// Files and links under `root`, relative to it, sorted.
inline QStringList filesUnder(const QString& root) {
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
}

inline QByteArray gunzip(const QString& path) {
    const Ran gzip = run("gzip", {"-dc", path});
    EXPECT_EQ(gzip.status, 0) << path.toStdString() << ": " << gzip.err.toStdString();
    return gzip.out;
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// The version `program --version` prints ("Lumivane 1.2.3").
inline QString versionOf(const QString& program) {
    const Ran ran = run(program, {"--version"});
    const auto match = QRegularExpression("^Lumivane (\\S+)\n$").match(QString::fromUtf8(ran.out));
    EXPECT_TRUE(match.hasMatch()) << ran.out.toStdString() << ran.err.toStdString();
    return match.captured(1);
}

// Checks the desktop files, the service, the man page and the documents of an install whose
// prefix is `root`; `program` is where its ExecStart must point and `version` the program's.
inline void expectInstalledTree(const QString& root, const QString& program,
                                const QString& version) {
    const QDir prefix(root);

    const QString entry = prefix.filePath("share/applications/lumivane.desktop");
    const QString metainfo =
        prefix.filePath("share/metainfo/io.github.lumivane.Lumivane.metainfo.xml");
    for (const QStringList& validate : {QStringList{"desktop-file-validate", entry},
                                        {"appstreamcli", "validate", "--no-net", metainfo}}) {
        const QString path = QStandardPaths::findExecutable(validate.first());
        ASSERT_FALSE(path.isEmpty())
            << validate.first().toStdString() << " is missing: run scripts/install-deps.sh";
        const Ran ran = run(path, validate.mid(1));
        EXPECT_EQ(ran.status, 0) << ran.out.toStdString() << ran.err.toStdString();
    }
    const QList<QByteArray> entryLines = readFile(entry).split('\n');
    EXPECT_TRUE(entryLines.contains("MimeType=x-scheme-handler/lumivane;"));
    EXPECT_TRUE(entryLines.contains("Exec=lumivane %u"))
        << "the link reaches the program as its argument";

    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString png = prefix.filePath(
            QStringLiteral("share/icons/hicolor/%1x%1/apps/lumivane.png").arg(size));
        QImageReader reader(png);
        EXPECT_EQ(reader.format(), "png") << png.toStdString();
        EXPECT_EQ(reader.size(), QSize(size, size)) << png.toStdString();
    }

    const QList<QByteArray> unit =
        readFile(prefix.filePath("lib/systemd/user/lumivane.service")).split('\n');
    EXPECT_TRUE(unit.contains("ExecStart=" + program.toUtf8() + " --headless"))
        << unit.join('\n').toStdString();

    // Every option the program lists is in the man page, with the program's version.
    QString man = QString::fromUtf8(gunzip(prefix.filePath("share/man/man1/lumivane.1.gz")));
    man.replace("\\-", "-").remove(QRegularExpression("\\\\f[BIRP]"));
    EXPECT_TRUE(man.contains("\"lumivane " + version + "\"")) << man.left(300).toStdString();
    const QString help = QString::fromUtf8(run(prefix.filePath("bin/lumivane"), {"--help"}).out);
    QStringList listed;
    auto options = QRegularExpression("(?<![\\w-])--?[\\w-]+").globalMatch(help);
    while (options.hasNext())
        listed << options.next().captured();
    EXPECT_TRUE(listed.contains("--headless") && listed.contains("--version"))
        << help.toStdString();
    for (const QString& option : listed)
        EXPECT_TRUE(man.contains(option)) << option.toStdString() << " is not in the man page";
    EXPECT_TRUE(man.contains(".SH FILES")) << "the sections written beside --help";

    const QList<QByteArray> copyright =
        readFile(prefix.filePath("share/doc/lumivane/copyright")).split('\n');
    ASSERT_GT(copyright.size(), 10);
    EXPECT_EQ(copyright.first(),
              "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/");
    EXPECT_TRUE(copyright.contains("License: Expat"));
    EXPECT_TRUE(copyright.contains(
        " Permission is hereby granted, free of charge, to any person obtaining a copy"));

    const QByteArray changelog = gunzip(prefix.filePath("share/doc/lumivane/changelog.gz"));
    EXPECT_TRUE(
        changelog.startsWith("lumivane (" + version.toUtf8() + ") unstable; urgency=medium\n"))
        << changelog.toStdString();
}
