#pragma once

#include "model/ActiveDownload.h"
#include "model/ActivityEntry.h"
#include "model/AppSettings.h"
#include "model/DownloadRecord.h"
#include "model/Movie.h"
#include "model/Show.h"

#include <QList>
#include <QMap>
#include <QString>

#include <cstdint>

class FakeTmdb;
class FakeTransmission;

// A well-used installation: series with long download lists, movies, a full activity log and
// history, and torrents still being followed. Built from a seed, so a failing run can be
// repeated; written and read through the product's own codecs.
struct RealisticLibrary {
    struct Size {
        int series = 100;
        int movies = 50;
        int downloads = 20; // followed torrents, a quarter of them movies
    };

    QList<Show> shows;
    QList<Movie> movies;
    QList<ActivityEntry> activity;
    AppSettings settings;
    QMap<QString, ActiveDownload> downloads;
    QList<DownloadRecord> history;

    static RealisticLibrary generate(Size size, std::uint32_t seed);

    // The six files, as the store writes them; false when one could not be written.
    bool writeTo(const QString& storageFolder) const;

    // TMDB knows every series: its air summary and a current season with aired and coming
    // episodes around `today`.
    void describeTo(FakeTmdb& tmdb, QDate today) const;
    // The daemon holds every followed torrent, half done, with peers: a healthy download.
    void loadInto(FakeTransmission& daemon) const;
};

// A 40-character lower-case info hash drawn from `n`.
QString madeUpHash(std::uint64_t n);
