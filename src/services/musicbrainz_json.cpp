#include "services/musicbrainz_json.h"

#include "services/json_reader.h"

namespace vorla {

namespace {

using json::Object;

MBCredit credit(const Object &o)
{
    return { o.text(QStringLiteral("name")), o.optionalText(QStringLiteral("joinphrase")) };
}

MBLabelInfo labelInfo(const Object &o)
{
    MBLabelInfo info;
    info.catalogNumber = o.optionalText(QStringLiteral("catalog-number"));
    if (const auto label = o.optionalObject(QStringLiteral("label")))
        info.label = MBLabel { label->text(QStringLiteral("name")) };
    return info;
}

MBTrack track(const Object &o)
{
    return { o.optionalText(QStringLiteral("number")), o.text(QStringLiteral("title")),
        o.optionalInteger(QStringLiteral("length")) };
}

MBMedium medium(const Object &o)
{
    return { o.optionalText(QStringLiteral("format")),
        o.optionalInteger(QStringLiteral("position")),
        o.optionalList(QStringLiteral("tracks"), track) };
}

MBTag tag(const Object &o)
{
    return { o.text(QStringLiteral("name")), o.optionalInteger(QStringLiteral("count")) };
}

MBRelease release(const Object &o)
{
    MBRelease r;
    r.id = o.text(QStringLiteral("id"));
    r.title = o.text(QStringLiteral("title"));
    r.date = o.optionalText(QStringLiteral("date"));
    r.country = o.optionalText(QStringLiteral("country"));
    r.barcode = o.optionalText(QStringLiteral("barcode"));
    r.artistCredit = o.optionalList(QStringLiteral("artist-credit"), credit);
    r.labelInfo = o.optionalList(QStringLiteral("label-info"), labelInfo);
    r.media = o.optionalList(QStringLiteral("media"), medium);
    r.genres = o.optionalList(QStringLiteral("genres"), tag);
    if (const auto group = o.optionalObject(QStringLiteral("release-group")))
        r.releaseGroup = MBReleaseGroup { group->optionalList(QStringLiteral("genres"), tag) };
    return r;
}

} // namespace

MBSearch decodeMBSearch(const QByteArray &bytes)
{
    return { json::parse(bytes).list(QStringLiteral("releases"), release) };
}

MBRelease decodeMBRelease(const QByteArray &bytes)
{
    return release(json::parse(bytes));
}

} // namespace vorla
