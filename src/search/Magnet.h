#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QUrl>

#include <optional>

// Magnet-link helpers shared by the index clients, the feed checker and the engine.
// A release is identified everywhere by the info hash these read.

// The 14 public UDP trackers every magnet we hand on carries.
const QStringList& defaultTrackers();

// 40 hexadecimal or 32 base32 characters, either case.
bool isWellFormedInfoHash(QStringView hash);

// "magnet:?xt=urn:btih:<hash>&dn=<name>" plus the default trackers. None when the hash is not
// a well-formed info hash: indexes hand us the hash as text and it goes into the link raw.
std::optional<QUrl> makeMagnet(const QString& infoHash, const QString& displayName);

// The magnet with every default tracker it does not already name appended.
QUrl addingDefaultTrackers(const QUrl& magnet);

// The lower-cased hash of the first "xt" item when it is a "urn:btih:" value.
std::optional<QString> infoHash(const QUrl& fromMagnet);

// A link an index may hand on: a magnet whose info hash is well formed. Anything else could
// make the daemon fetch an arbitrary address.
bool isAcceptableIndexMagnet(const QUrl& magnet);
