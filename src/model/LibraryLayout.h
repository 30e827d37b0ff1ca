#pragma once

#include <QString>

#include <optional>

// The library's folders below its root: "Series/<series>/Season_NN", "Movies/<title>", and the
// download daemon's working folder "Incomplete". The one place that spells these names.
class LibraryLayout {
public:
    explicit LibraryLayout(QString root)
        : m_root(std::move(root)) {}

    const QString& root() const { return m_root; }
    QString seriesFolder() const;  // <root>/Series
    QString moviesFolder() const;  // <root>/Movies
    QString workingFolder() const; // <root>/Incomplete

    // "Season_01"
    static QString seasonFolderName(int season);

    // Why `root` cannot hold a library (it cannot be created, is not a folder, or refuses a
    // file), or none when it can. Creates the folder when it is missing.
    static std::optional<QString> unusableReason(const QString& root);

    bool operator==(const LibraryLayout&) const = default;

private:
    QString m_root;
};
