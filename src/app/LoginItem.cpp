#include "LoginItem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

LoginItem::LoginItem(QString executable)
    : m_executable(std::move(executable)) {}

QString LoginItem::entryPath() {
    // QStandardPaths reads XDG_CONFIG_HOME and falls back to ~/.config.
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(config).filePath(QStringLiteral("autostart/lumivane.desktop"));
}

bool LoginItem::isEnabled() const {
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    bool inEntry = false;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inEntry = line == QLatin1String("[Desktop Entry]");
        else if (inEntry &&
                 line.section(QLatin1Char('='), 0, 0).trimmed() == QLatin1String("Hidden") &&
                 line.section(QLatin1Char('='), 1)
                         .trimmed()
                         .compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return false;
    }
    return true;
}

bool LoginItem::setEnabled(bool on) {
    const QString path = entryPath();
    if (!on)
        return !QFile::exists(path) || QFile::remove(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QString exec = m_executable;
    // The Exec key's quoting: a path with spaces or specials goes in double quotes.
    if (exec.contains(QRegularExpression(QStringLiteral(R"([\s"'\\$`])")))) {
        exec.replace(QLatin1Char('\\'), QLatin1String("\\\\\\\\"));
        for (const char c : {'"', '`', '$'})
            exec.replace(QLatin1Char(c), QStringLiteral("\\\\") + QLatin1Char(c));
        exec = QLatin1Char('"') + exec + QLatin1Char('"');
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    const QString entry =
        QStringLiteral("[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Lumivane\n"
                       "Comment=Fetches new episodes and movies into your library\n"
                       "Exec=%1\n"
                       "Icon=lumivane\n"
                       "Terminal=false\n"
                       "X-GNOME-Autostart-enabled=true\n")
            .arg(exec);
    file.write(entry.toUtf8());
    return file.commit();
}
