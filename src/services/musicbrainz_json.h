// The parts of the MusicBrainz web service's JSON answers that Vorla reads, with strict
// decoders: unlisted members are ignored, a required one missing or of the wrong type, or an
// optional one of the wrong type, throws DecodingError.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace vorla {

struct MBCredit
{
    QString name; // as credited
    std::optional<QString> joinphrase;
};

struct MBLabel
{
    QString name;
};

struct MBLabelInfo
{
    std::optional<QString> catalogNumber; // "catalog-number"
    std::optional<MBLabel> label;
};

struct MBTrack
{
    std::optional<QString> number; // as printed: "A1", "3", "03"
    QString title;
    std::optional<qint64> length; // milliseconds
};

struct MBMedium
{
    std::optional<QString> format;
    std::optional<qint64> position; // the medium's number within the release, from 1
    std::optional<QList<MBTrack>> tracks;
};

struct MBTag
{
    QString name;
    std::optional<qint64> count;
};

struct MBReleaseGroup
{
    std::optional<QList<MBTag>> genres;
};

// One release: a search hit, or the whole answer of a release request.
struct MBRelease
{
    QString id;
    QString title;
    std::optional<QString> date; // year first
    std::optional<QString> country;
    std::optional<QString> barcode;
    std::optional<QList<MBCredit>> artistCredit; // "artist-credit"
    std::optional<QList<MBLabelInfo>> labelInfo; // "label-info"
    std::optional<QList<MBMedium>> media;
    std::optional<QList<MBTag>> genres;
    std::optional<MBReleaseGroup> releaseGroup; // "release-group"
};

struct MBSearch
{
    QList<MBRelease> releases;
};

MBSearch decodeMBSearch(const QByteArray &bytes);
MBRelease decodeMBRelease(const QByteArray &bytes);

} // namespace vorla
