#include "StorageFiles.h"

#include "Clock.h"
#include "RecordCodecs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

StorageFiles::StorageFiles(QString folder, const Clock& clock)
    : m_folder(std::move(folder))
    , m_clock(clock) {}

QString StorageFiles::path(const char* fileName) const {
    return QDir(m_folder).filePath(QString::fromLatin1(fileName));
}

bool StorageFiles::ensureFolder() const {
    return QDir().mkpath(m_folder);
}

void StorageFiles::removeStaleTemporaries() const {
    // Qt's suffix is six random letters and digits. One made of lower-case letters alone may
    // be a copy the user made ("shows.json.backup"), so it stays.
    static const QRegularExpression temporary(QStringLiteral(
        R"(^((shows|movies|activity|settings|downloads|history)\.json|calendar\.ics)\.(?=[a-z]*[A-Z0-9])[A-Za-z0-9]{6}$)"));
    const QDir folder(m_folder);
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (temporary.match(name).hasMatch())
            QFile::remove(folder.filePath(name));
    }
}

template <typename T>
std::optional<T> StorageFiles::load(const char* fileName,
                                    std::optional<SetAside>* report) const {
    const QString filePath = path(fileName);
    const QFileInfo info(filePath);
    if (report)
        report->reset();
    if (!info.exists() && !info.isSymLink())
        return std::nullopt;

    std::optional<T> decoded;
    SalvageCount count;
    if (info.isFile() && info.size() <= kMaxFileBytes) {
        QFile file(filePath);
        if (file.open(QIODevice::ReadOnly))
            decoded = salvageDocument<T>(file.readAll(), count);
    }
    if (decoded && count.dropped == 0)
        return decoded;

    SetAside aside{QString::fromLatin1(fileName), setAside(filePath), count.kept, count.dropped,
                   !decoded};
    // What could be read goes back at once: a start before the next save would otherwise find
    // no file at all and lose the kept records too.
    if (decoded && !aside.keptCopy.isEmpty())
        write(fileName, encodeDocument(*decoded));
    if (report)
        *report = std::move(aside);
    return decoded;
}

QString StorageFiles::setAside(const QString& filePath) const {
    const QString stamp = m_clock.now().toDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = filePath + QStringLiteral(".unreadable-") + stamp;
    for (int n = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
        target = filePath + QStringLiteral(".unreadable-") + stamp + QLatin1Char('-') +
                 QString::number(n);
    // A failed rename leaves the file where it is; the folder is then unwritable anyway.
    return QDir().rename(filePath, target) ? target : QString();
}

bool StorageFiles::write(const char* fileName, const QByteArray& bytes) const {
    QSaveFile file(path(fileName));
    // Unbuffered, so a full disk fails the write here: Qt 6.4 commits a file whose last
    // buffered bytes could not be written, which would replace a good file by a torn one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool StorageFiles::saveCalendar(const QByteArray& ics) const {
    return write(kCalendar, ics);
}

std::optional<QList<Show>> StorageFiles::loadShows(std::optional<SetAside>* setAside) const {
    return load<QList<Show>>(kShows, setAside);
}
std::optional<QList<Movie>> StorageFiles::loadMovies(std::optional<SetAside>* setAside) const {
    return load<QList<Movie>>(kMovies, setAside);
}
std::optional<QList<ActivityEntry>> StorageFiles::loadActivity(std::optional<SetAside>* setAside) const {
    return load<QList<ActivityEntry>>(kActivity, setAside);
}
std::optional<AppSettings> StorageFiles::loadSettings(std::optional<SetAside>* setAside) const {
    return load<AppSettings>(kSettings, setAside);
}
std::optional<QMap<QString, ActiveDownload>> StorageFiles::loadDownloads(std::optional<SetAside>* setAside) const {
    return load<QMap<QString, ActiveDownload>>(kDownloads, setAside);
}
std::optional<QList<DownloadRecord>> StorageFiles::loadHistory(std::optional<SetAside>* setAside) const {
    return load<QList<DownloadRecord>>(kHistory, setAside);
}

bool StorageFiles::saveShows(const QList<Show>& shows) const {
    return write(kShows, encodeDocument(shows));
}
bool StorageFiles::saveMovies(const QList<Movie>& movies) const {
    return write(kMovies, encodeDocument(movies));
}
bool StorageFiles::saveActivity(const QList<ActivityEntry>& activity) const {
    return write(kActivity, encodeDocument(activity));
}
bool StorageFiles::saveSettings(const AppSettings& settings) const {
    return write(kSettings, encodeDocument(settings));
}
bool StorageFiles::saveDownloads(const QMap<QString, ActiveDownload>& downloads) const {
    return write(kDownloads, encodeDocument(downloads));
}
bool StorageFiles::saveHistory(const QList<DownloadRecord>& history) const {
    return write(kHistory, encodeDocument(history));
}
