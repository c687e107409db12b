#include "services/discogs_json.h"

#include "services/barcode.h"
#include "services/discogs_client.h"
#include "services/http.h"
#include "services/json_reader.h"
#include "core/number_text.h"
#include "core/text_util.h"

#include <algorithm>
#include <limits>

namespace vorla {

namespace {

using json::Object;

DSearchResult dSearchResult(const Object &o)
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

DArtist dArtist(const Object &o)
{
    return { o.text(QStringLiteral("name")), o.optionalText(QStringLiteral("anv")),
        o.optionalText(QStringLiteral("join")) };
}

DLabel dLabel(const Object &o)
{
    return { o.text(QStringLiteral("name")), o.optionalText(QStringLiteral("catno")) };
}

DFormat dFormat(const Object &o)
{
    return { o.text(QStringLiteral("name")), o.optionalText(QStringLiteral("qty")),
        o.optionalTextList(QStringLiteral("descriptions")) };
}

DTrack dTrack(const Object &o)
{
    return { o.optionalText(QStringLiteral("position")), o.optionalText(QStringLiteral("title")),
        o.optionalText(QStringLiteral("duration")), o.optionalText(QStringLiteral("type_")) };
}

DImage dImage(const Object &o)
{
    return { o.text(QStringLiteral("type")), o.text(QStringLiteral("uri")) };
}

DIdentifier dIdentifier(const Object &o)
{
    return { o.text(QStringLiteral("type")), o.text(QStringLiteral("value")) };
}

} // namespace

DSearchResponse decodeDSearchResponse(const QByteArray &bytes)
{
    return { json::parse(bytes).list(QStringLiteral("results"), dSearchResult) };
}

DRelease decodeDRelease(const QByteArray &bytes)
{
    const Object o = json::parse(bytes);
    DRelease r;
    r.id = o.integer(QStringLiteral("id"));
    r.title = o.text(QStringLiteral("title"));
    r.artists = o.optionalList(QStringLiteral("artists"), dArtist);
    r.year = o.optionalInteger(QStringLiteral("year"));
    r.released = o.optionalText(QStringLiteral("released"));
    r.country = o.optionalText(QStringLiteral("country"));
    r.genres = o.optionalTextList(QStringLiteral("genres"));
    r.styles = o.optionalTextList(QStringLiteral("styles"));
    r.labels = o.optionalList(QStringLiteral("labels"), dLabel);
    r.formats = o.optionalList(QStringLiteral("formats"), dFormat);
    r.tracklist = o.optionalList(QStringLiteral("tracklist"), dTrack);
    r.images = o.optionalList(QStringLiteral("images"), dImage);
    r.identifiers = o.optionalList(QStringLiteral("identifiers"), dIdentifier);
    r.uri = o.optionalText(QStringLiteral("uri"));
    return r;
}

DIdentity decodeDIdentity(const QByteArray &bytes)
{
    return { json::parse(bytes).text(QStringLiteral("username")) };
}

// Conversion into the application's values.

namespace {

const QString kWebOrigin = QStringLiteral("https://www.discogs.com");

QString webPage(qint64 id)
{
    return kWebOrigin + QStringLiteral("/release/") + QString::number(id);
}

std::optional<int> yearOf(std::optional<qint64> year)
{
    if (!year || *year > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(*year);
}

// One barcode of a hit: the first with a valid check digit, else the first of 8 digits or more.
QString candidateBarcode(const std::optional<QStringList> &barcodes)
{
    QStringList digits;
    for (const QString &barcode : barcodes.value_or(QStringList()))
        digits.append(Barcode::digits(barcode));
    for (const QString &code : digits) {
        if (Barcode::hasValidChecksum(code))
            return code;
    }
    for (const QString &code : digits) {
        if (code.size() > 7)
            return code;
    }
    return {};
}

ReleaseCandidate candidate(const DSearchResult &hit)
{
    ReleaseCandidate c;
    c.source = MetadataSource::discogs;
    c.sourceID = QString::number(hit.id);
    // The hit's title is the artist credit, " - " and the release title.
    const QString title = hit.title.value_or(QString());
    const qsizetype dash = title.indexOf(QStringLiteral(" - "));
    if (dash >= 0) {
        c.artist = TextUtil::cleanArtistName(title.left(dash));
        c.title = title.mid(dash + 3);
    } else {
        c.title = title;
    }
    c.year = hit.year ? NumberText::yearFromText(*hit.year) : std::nullopt;
    if (hit.label && !hit.label->isEmpty())
        c.label = TextUtil::cleanArtistName(hit.label->first());
    c.catalogNumber = hit.catno.value_or(QString());
    c.format = hit.format.value_or(QStringList()).join(QStringLiteral(", "));
    c.country = hit.country.value_or(QString());
    c.barcode = candidateBarcode(hit.barcode);
    c.thumbnailURL = URL::https(hit.thumb);
    c.coverURL = URL::https(hit.coverImage);
    c.webURL = QUrl(webPage(hit.id));
    c.owners = hit.community ? hit.community->have : std::nullopt;
    return c;
}

} // namespace

QList<ReleaseCandidate> DiscogsClient::parseSearch(const QByteArray &bytes)
{
    const DSearchResponse response = decodeDSearchResponse(bytes);
    QList<ReleaseCandidate> candidates;
    candidates.reserve(response.results.size());
    for (const DSearchResult &hit : response.results)
        candidates.append(candidate(hit));
    return candidates;
}

RecordDraft DiscogsClient::parseRelease(const QByteArray &bytes)
{
    const DRelease release = decodeDRelease(bytes);
    RecordDraft draft;
    draft.title = release.title;
    draft.artist = artistString(release.artists.value_or(QList<DArtist>()));
    if (release.year && *release.year > 0)
        draft.year = yearOf(release.year);
    else if (release.released)
        draft.year = yearOf(NumberText::yearFromText(*release.released));
    draft.country = release.country.value_or(QString());
    draft.genres = release.genres.value_or(QStringList());
    draft.styles = release.styles.value_or(QStringList());
    if (release.labels && !release.labels->isEmpty()) {
        draft.label = TextUtil::cleanArtistName(release.labels->first().name);
        draft.catalogNumber = release.labels->first().catno.value_or(QString());
    }
    draft.format = formatString(release.formats.value_or(QList<DFormat>()));

    const QList<DIdentifier> identifiers = release.identifiers.value_or(QList<DIdentifier>());
    const auto barcode = std::find_if(identifiers.begin(), identifiers.end(),
        [](const DIdentifier &i) { return i.type == u"Barcode"; });
    if (barcode != identifiers.end())
        draft.barcode = Barcode::digits(barcode->value);

    // Headings and index rows are no tracks; a row without a type is.
    for (const DTrack &row : release.tracklist.value_or(QList<DTrack>())) {
        if (row.type.value_or(QStringLiteral("track")) != u"track")
            continue;
        Track track;
        track.position = row.position.value_or(QString());
        track.title = row.title.value_or(QString());
        track.duration = row.duration.value_or(QString());
        draft.tracks.append(track);
    }

    const QList<DImage> images = release.images.value_or(QList<DImage>());
    if (!images.isEmpty()) {
        const auto primary = std::find_if(
            images.begin(), images.end(), [](const DImage &i) { return i.type == u"primary"; });
        draft.coverURL = URL::https((primary != images.end() ? *primary : images.first()).uri);
    }

    draft.discogsReleaseID = release.id;
    const std::optional<QUrl> page = URL::https(release.uri);
    draft.sourceURL = page ? page->toString() : webPage(release.id);
    return draft;
}

QString DiscogsClient::artistString(const QList<DArtist> &artists)
{
    QString text;
    for (qsizetype i = 0; i < artists.size(); ++i) {
        const DArtist &artist = artists[i];
        const QString variant = TextUtil::trimmedSpacesAndTabs(artist.anv.value_or(QString()));
        // Discogs appends "(2)" to artists who share a name.
        text += TextUtil::cleanArtistName(variant.isEmpty() ? artist.name : variant);
        if (i + 1 == artists.size())
            break;
        const QString join = TextUtil::trimmedSpacesAndTabs(artist.join.value_or(QString()));
        text += join.isEmpty() || join == u"," ? QStringLiteral(", ") : u' ' + join + u' ';
    }
    return text;
}

QString DiscogsClient::formatString(const QList<DFormat> &formats)
{
    QStringList texts;
    for (const DFormat &format : formats) {
        const auto quantity = NumberText::decimalInteger(format.qty.value_or(QStringLiteral("1")));
        QStringList parts { quantity && *quantity >= 2
                ? QString::number(*quantity) + u'\u00D7' + format.name
                : format.name };
        parts += format.descriptions.value_or(QStringList());
        texts.append(parts.join(QStringLiteral(", ")));
    }
    return texts.join(QStringLiteral(" + "));
}

QList<ReleaseCandidate> DiscogsClient::mostOwnedFirst(QList<ReleaseCandidate> candidates)
{
    std::stable_sort(candidates.begin(), candidates.end(),
        [](const ReleaseCandidate &a, const ReleaseCandidate &b) {
            return a.owners.value_or(0) > b.owners.value_or(0);
        });
    return candidates;
}

} // namespace vorla
