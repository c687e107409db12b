#include "services/discogs_json.h"

#include "services/json_reader.h"

namespace vorla {

namespace {

using json::Object;

DSearchResult searchResult(const Object &o)
{
    DSearchResult r;
    r.id = o.integer(QStringLiteral("id"));
    r.title = o.optionalText(QStringLiteral("title"));
    r.year = o.optionalText(QStringLiteral("year"));
    r.country = o.optionalText(QStringLiteral("country"));
    r.format = o.optionalTextList(QStringLiteral("format"));
    r.label = o.optionalTextList(QStringLiteral("label"));
    r.catno = o.optionalText(QStringLiteral("catno"));
    r.barcode = o.optionalTextList(QStringLiteral("barcode"));
    r.thumb = o.optionalText(QStringLiteral("thumb"));
    r.coverImage = o.optionalText(QStringLiteral("cover_image"));
    if (const auto community = o.optionalObject(QStringLiteral("community")))
        r.community = DCommunity { community->optionalInteger(QStringLiteral("have")) };
    return r;
}

DArtist artist(const Object &o)
{
    return { o.text(QStringLiteral("name")), o.optionalText(QStringLiteral("anv")),
        o.optionalText(QStringLiteral("join")) };
}

DLabel label(const Object &o)
{
    return { o.text(QStringLiteral("name")), o.optionalText(QStringLiteral("catno")) };
}

DFormat format(const Object &o)
{
    return { o.text(QStringLiteral("name")), o.optionalText(QStringLiteral("qty")),
        o.optionalTextList(QStringLiteral("descriptions")) };
}

DTrack track(const Object &o)
{
    return { o.optionalText(QStringLiteral("position")), o.optionalText(QStringLiteral("title")),
        o.optionalText(QStringLiteral("duration")), o.optionalText(QStringLiteral("type_")) };
}

DImage image(const Object &o)
{
    return { o.text(QStringLiteral("type")), o.text(QStringLiteral("uri")) };
}

DIdentifier identifier(const Object &o)
{
    return { o.text(QStringLiteral("type")), o.text(QStringLiteral("value")) };
}

} // namespace

DSearchResponse decodeDSearchResponse(const QByteArray &bytes)
{
    return { json::parse(bytes).list(QStringLiteral("results"), searchResult) };
}

DRelease decodeDRelease(const QByteArray &bytes)
{
    const Object o = json::parse(bytes);
    DRelease r;
    r.id = o.integer(QStringLiteral("id"));
    r.title = o.text(QStringLiteral("title"));
    r.artists = o.optionalList(QStringLiteral("artists"), artist);
    r.year = o.optionalInteger(QStringLiteral("year"));
    r.released = o.optionalText(QStringLiteral("released"));
    r.country = o.optionalText(QStringLiteral("country"));
    r.genres = o.optionalTextList(QStringLiteral("genres"));
    r.styles = o.optionalTextList(QStringLiteral("styles"));
    r.labels = o.optionalList(QStringLiteral("labels"), label);
    r.formats = o.optionalList(QStringLiteral("formats"), format);
    r.tracklist = o.optionalList(QStringLiteral("tracklist"), track);
    r.images = o.optionalList(QStringLiteral("images"), image);
    r.identifiers = o.optionalList(QStringLiteral("identifiers"), identifier);
    r.uri = o.optionalText(QStringLiteral("uri"));
    return r;
}

DIdentity decodeDIdentity(const QByteArray &bytes)
{
    return { json::parse(bytes).text(QStringLiteral("username")) };
}

} // namespace vorla
