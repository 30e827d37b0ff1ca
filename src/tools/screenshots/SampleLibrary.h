#pragma once

#include "model/Timestamp.h"

#include <QString>

// Writes the sample watchlist the pictures show into `storageFolder`, as of `now`.
// False when a file could not be written.
bool writeSampleLibrary(const QString& storageFolder, const QString& libraryRoot, Timestamp now);
