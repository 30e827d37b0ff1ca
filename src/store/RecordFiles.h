#pragma once

#include "model/StorageFiles.h"

#include <array>
#include <functional>

// The six files behind the records. A write that fails is not fatal: memory stays
// authoritative, the file stays marked, and the next write that works also writes every marked
// file, so no change waits for its file's next change or is lost at a restart.
class RecordFiles {
public:
    enum class File : quint8 { shows, movies, activity, settings, downloads, history };
    using Writer = std::function<bool(StorageFiles&)>;

    explicit RecordFiles(StorageFiles& files)
        : m_files(files) {}

    // How a file is written from the records in memory.
    void setWriter(File file, Writer writer) { m_writers.at(index(file)) = std::move(writer); }
    void save(File file);
    // A last chance for files whose last write failed.
    void retryUnsaved();

private:
    static constexpr std::size_t kFiles = 6;
    static std::size_t index(File file) { return static_cast<std::size_t>(file); }
    bool write(std::size_t i) { return m_writers.at(i) && m_writers.at(i)(m_files); }

    StorageFiles& m_files;
    std::array<Writer, kFiles> m_writers;
    quint8 m_unsaved = 0; // bit per file whose last write failed
};
