// One tracklist entry, and the JSON form in which a record stores its tracklist.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

namespace vorla {

struct Track
{
    // Identity within this run only; never encoded, fresh on every decode.
    QUuid id = QUuid::createUuid();
    QString position;
    QString title;
    QString duration;

    bool operator==(const Track &) const = default;
};

size_t qHash(const Track &track, size_t seed = 0);

// A JSON array of {"position", "title", "duration"} objects; none for an empty list.
std::optional<QByteArray> encodeTracklist(const QList<Track> &tracks);
// The tracks of `data`; empty when it is not a valid tracklist.
QList<Track> decodeTracklist(const QByteArray &data);

} // namespace vorla
