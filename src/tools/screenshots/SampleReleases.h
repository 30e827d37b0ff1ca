#pragma once

#include "model/SearchResult.h"

#include <QString>

#include <optional>

// A release as the release search makes it from a Torrents-CSV answer, uploaded 2026-01-01;
// `h` fills the info hash. None when the index client would drop the answer (a hash that is
// not hexadecimal).
std::optional<SearchResult> sampleRelease(const QString& title, char h, int seeders,
                                          qint64 sizeBytes = 1'500'000'000, int sourceID = 1);
