// The store's face of the working folder. Clearing it: DownloadDesk cancels, WorkingFolder empties.

#include "DownloadDesk.h"
#include "WatchlistStore.h"
#include "WorkingFolder.h"

QString WatchlistStore::workingFolderPath() const {
    return m_workingFolder->path();
}

const QString& WatchlistStore::workingFolderSizeLabel() const {
    return m_workingFolder->sizeLabel();
}

QCoro::Task<> WatchlistStore::refreshWorkingFolderSize() {
    return m_workingFolder->refreshSize();
}

QCoro::Task<bool> WatchlistStore::tidyLeftoverTorrents() {
    return m_workingFolder->tidyLeftovers();
}

QCoro::Task<> WatchlistStore::clearWorkingFolder() {
    return m_downloadDesk->clearWorkingFolder();
}
