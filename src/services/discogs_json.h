// The parts of the Discogs API's JSON answers that Vorla reads, with strict decoders:
// members not listed here are ignored, a required one missing or of the wrong type throws
// DecodingError, and an optional one of the wrong type throws too.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace vorla {

struct DCommunity
{
    std::optional<qint64> have;
};

// One hit of "/database/search".
struct DSearchResult
{
    qint64 id = 0;
    std::optional<QString> title; // the artist credit, " - " and the release title
    std::optional<QString> year;
    std::optional<QString> country;
    std::optional<QStringList> format;
    std::optional<QStringList> label;
    std::optional<QString> catno;
    std::optional<QStringList> barcode;
    std::optional<QString> thumb;
    std::optional<QString> coverImage; // "cover_image"
    std::optional<DCommunity> community;
};

struct DSearchResponse
{
    QList<DSearchResult> results;
};

struct DArtist
{
    QString name;
    std::optional<QString> anv; // a variant of the name, shown instead of it when not blank
    std::optional<QString> join;
};

struct DLabel
{
    QString name;
    std::optional<QString> catno;
};

struct DFormat
{
    QString name;
    std::optional<QString> qty; // a count written as text
    std::optional<QStringList> descriptions;
};

struct DTrack
{
    std::optional<QString> position;
    std::optional<QString> title;
    std::optional<QString> duration;
    std::optional<QString> type; // "type_": "track", or e.g. "heading" for a side title
};

struct DImage
{
    QString type;
    QString uri;
};

struct DIdentifier
{
    QString type;
    QString value;
};

// The answer of "/releases/<id>".
struct DRelease
{
    qint64 id = 0;
    QString title;
    std::optional<QList<DArtist>> artists;
    std::optional<qint64> year;
    std::optional<QString> released;
    std::optional<QString> country;
    std::optional<QStringList> genres;
    std::optional<QStringList> styles;
    std::optional<QList<DLabel>> labels;
    std::optional<QList<DFormat>> formats;
    std::optional<QList<DTrack>> tracklist;
    std::optional<QList<DImage>> images;
    std::optional<QList<DIdentifier>> identifiers;
    std::optional<QString> uri;
};

// The answer of "/oauth/identity".
struct DIdentity
{
    QString username;
};

DSearchResponse decodeDSearchResponse(const QByteArray &bytes);
DRelease decodeDRelease(const QByteArray &bytes);
DIdentity decodeDIdentity(const QByteArray &bytes);

} // namespace vorla
