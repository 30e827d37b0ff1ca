#include "SettingsText.h"

#include <QDir>
#include <QStringList>

#include <cmath>

namespace settingstext {

QList<int> intervalChoices() {
    return {5, 10, 15, 30, 60, 1440};
}

QString intervalLabel(int minutes) {
    if (minutes == 1440)
        return QStringLiteral("Daily");
    if (minutes >= 60)
        return QString::number(minutes / 60) + QLatin1Char('h');
    return QString::number(minutes) + QLatin1Char('m');
}

QString homeRelative(const QString& path, const QString& home) {
    const QString clean = QDir::cleanPath(path);
    const QString base = QDir::cleanPath(home);
    // "/" as home would turn every path into "~…"; "/home/al" must not match "/home/alice".
    if (base.isEmpty() || base == QLatin1String("/"))
        return clean;
    if (clean == base)
        return QStringLiteral("~");
    if (clean.startsWith(base + QLatin1Char('/')))
        return QLatin1Char('~') + clean.mid(base.size());
    return clean;
}

QString rootFolderText(const std::optional<QUrl>& chosen, const QString& defaultRoot,
                       const QString& home) {
    if (chosen && chosen->isLocalFile())
        return homeRelative(chosen->toLocalFile(), home);
    return QStringLiteral("Default — ") + homeRelative(defaultRoot, home);
}

QString locationNote(const QString& defaultRoot, const QString& home) {
    return QStringLiteral("Download folder is organized into: Series, Movies, and Incomplete. "
                          "Default location will be found in ") +
           homeRelative(defaultRoot, home);
}

QString workingFolderNote() {
    return QStringLiteral("Downloads are staged in the /Incomplete/ folder until they are sorted. "
                          "You shouldn't need to touch this.");
}

QString clearConfirmation(const QList<DownloadRecord>& inProgress) {
    const qsizetype n = inProgress.size();
    if (n == 0)
        return QStringLiteral(
            "Nothing is currently downloading, so nothing will be lost. This wipes Lumivane's "
            "private staging folder — already-sorted series in your Root Folder are not "
            "affected.");
    QStringList lines;
    for (const DownloadRecord& row : inProgress)
        lines << QStringLiteral("• %1 %2").arg(row.showName, row.episode);
    return QStringLiteral("This will cancel and delete %1 in-progress download%2:\n\n%3\n\n"
                          "Already-sorted series in your Root Folder are not affected.")
        .arg(n)
        .arg(n == 1 ? QString() : QStringLiteral("s"))
        .arg(lines.join(QLatin1Char('\n')));
}

QString ratioText(double ratio) {
    return QString::number(ratio, 'f', 2);
}

std::optional<double> parseRatio(const QString& typed) {
    QString text = typed.trimmed();
    // A decimal comma is what many keyboards type.
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value < 0 ? 0.0 : value;
}

QString seedingHelp() {
    return QStringLiteral("0.00 = stop sharing as soon as a download finishes (recommended).\n"
                          "Higher = keep sharing until you've uploaded that ratio.\n"
                          "Off = share indefinitely.");
}

QString tmdbKeyNote() {
    return QStringLiteral("Get a free key at <a href=\"%1\">themoviedb.org</a> → Settings → API. "
                          "Enables the episode list drawer on each series.")
        .arg(QLatin1StringView(kTMDBKeyPage));
}

} // namespace settingstext
