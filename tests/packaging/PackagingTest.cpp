#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

const QString kPackaging = QStringLiteral(LUMIVANE_SOURCE_DIR "/packaging");

// The validators' packages are among the project's dependencies.
TEST(Packaging, TheDesktopEntryAndTheAppStreamDescriptionAreValidAndTheEntryHandlesLumivaneLinks) {
    const QString entry = kPackaging + "/lumivane.desktop";
    for (const QStringList& run : {QStringList{"desktop-file-validate", entry},
                                   {"appstreamcli", "validate", "--no-net", kPackaging + "/io.github.lumivane.Lumivane.metainfo.xml"}}) {
        const QString path = QStandardPaths::findExecutable(run.first());
        ASSERT_FALSE(path.isEmpty()) << run.first().toStdString() << " is missing: run scripts/install-deps.sh";
        QProcess validator;
        validator.start(path, run.mid(1));
        ASSERT_TRUE(validator.waitForFinished(60000));
        EXPECT_EQ(validator.exitCode(), 0) << validator.readAllStandardOutput().toStdString()
                                           << validator.readAllStandardError().toStdString();
    }
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    EXPECT_TRUE(lines.contains("MimeType=x-scheme-handler/lumivane;"));
    EXPECT_TRUE(lines.contains("Exec=lumivane %u")) << "the link reaches the program as its argument";
}

TEST(Packaging, InstallingPutsTheEntryTheDescriptionAndTheIconsInPlace) {
    QTemporaryDir prefix;
    QProcess install;
    install.start(QStringLiteral("cmake"),
                  {QStringLiteral("--install"), QStringLiteral(LUMIVANE_BINARY_DIR),
                   QStringLiteral("--prefix"), prefix.path()});
    ASSERT_TRUE(install.waitForFinished(60000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();
    for (const char* installed :
         {"share/applications/lumivane.desktop",
          "share/metainfo/io.github.lumivane.Lumivane.metainfo.xml",
          "share/icons/hicolor/scalable/apps/lumivane.svg",
          "share/icons/hicolor/scalable/status/lumivane-tray.svg",
          "share/icons/hicolor/scalable/status/lumivane-tray-attention.svg"})
        EXPECT_TRUE(QFileInfo(QDir(prefix.path()).filePath(QString::fromLatin1(installed))).size() >
                    0)
            << installed;
}
