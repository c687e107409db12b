#include "services/musicbrainz_json.h"

#include "services/json_reader.h"
#include "services/musicbrainz_client.h"
#include "core/number_text.h"

#include <algorithm>
#include <limits>

namespace vorla {

namespace {

using json::Object;

MBCredit mbCredit(const Object &o)
{
    return { o.text(QStringLiteral("name")), o.optionalText(QStringLiteral("joinphrase")) };
}

MBLabelInfo mbLabelInfo(const Object &o)
{
    MBLabelInfo info;
    info.catalogNumber = o.optionalText(QStringLiteral("catalog-number"));
    if (const auto label = o.optionalObject(QStringLiteral("label")))
        info.label = MBLabel { label->text(QStringLiteral("name")) };
    return info;
}

MBTrack mbTrack(const Object &o)
{
    return { o.optionalText(QStringLiteral("number")), o.text(QStringLiteral("title")),
        o.optionalInteger(QStringLiteral("length")) };
}

MBMedium mbMedium(const Object &o)
{
    return { o.optionalText(QStringLiteral("format")),
        o.optionalInteger(QStringLiteral("position")),
        o.optionalList(QStringLiteral("tracks"), mbTrack) };
}

MBTag mbTag(const Object &o)
{
    return { o.text(QStringLiteral("name")), o.optionalInteger(QStringLiteral("count")) };
}

MBRelease mbRelease(const Object &o)
{
    MBRelease r;
    r.id = o.text(QStringLiteral("id"));
    r.title = o.text(QStringLiteral("title"));
    r.date = o.optionalText(QStringLiteral("date"));
    r.country = o.optionalText(QStringLiteral("country"));
    r.barcode = o.optionalText(QStringLiteral("barcode"));
    r.artistCredit = o.optionalList(QStringLiteral("artist-credit"), mbCredit);
    r.labelInfo = o.optionalList(QStringLiteral("label-info"), mbLabelInfo);
    r.media = o.optionalList(QStringLiteral("media"), mbMedium);
    r.genres = o.optionalList(QStringLiteral("genres"), mbTag);
    if (const auto group = o.optionalObject(QStringLiteral("release-group")))
        r.releaseGroup = MBReleaseGroup { group->optionalList(QStringLiteral("genres"), mbTag) };
    return r;
}

} // namespace

MBSearch decodeMBSearch(const QByteArray &bytes)
{
    return { json::parse(bytes).list(QStringLiteral("releases"), mbRelease) };
}

MBRelease decodeMBRelease(const QByteArray &bytes)
{
    return mbRelease(json::parse(bytes));
}

// Conversion into the application's values.

namespace {

const QString kCoverArtRoot = QStringLiteral("https://coverartarchive.org");
const QString kWebRoot = QStringLiteral("https://musicbrainz.org");

QUrl coverArt(const QString &id, const QString &size)
{
    return QUrl(
        kCoverArtRoot + QStringLiteral("/release/") + id + QStringLiteral("/front-") + size);
}

std::optional<int> year(const std::optional<QString> &date)
{
    const auto year = date ? NumberText::yearFromText(*date) : std::nullopt;
    if (!year || *year > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(*year);
}

// Only the first label info counts, even when it lacks a label or a catalog number.
std::pair<QString, QString> labelAndCatalogNumber(const std::optional<QList<MBLabelInfo>> &infos)
{
    if (!infos || infos->isEmpty())
        return {};
    const MBLabelInfo &first = infos->first();
    return { first.label ? first.label->name : QString(), first.catalogNumber.value_or(QString()) };
}

// Upper case at the start of every word, lower case elsewhere: "uk garage" -> "Uk Garage".
QString capitalized(const QString &text)
{
    QString result;
    result.reserve(text.size());
    bool wordStart = true;
    for (const QChar c : text) {
        result += wordStart ? c.toUpper() : c.toLower();
        wordStart = !c.isLetterOrNumber() && !c.isMark();
    }
    return result;
}

// The four most voted genres; the release group's list wins whenever it has any.
QStringList genres(const MBRelease &release)
{
    QList<MBTag> tags;
    if (release.releaseGroup && release.releaseGroup->genres
        && !release.releaseGroup->genres->isEmpty())
        tags = *release.releaseGroup->genres;
    else
        tags = release.genres.value_or(QList<MBTag>());
    std::stable_sort(tags.begin(), tags.end(),
        [](const MBTag &a, const MBTag &b) { return a.count.value_or(0) > b.count.value_or(0); });
    QStringList names;
    for (qsizetype i = 0; i < std::min<qsizetype>(tags.size(), 4); ++i)
        names.append(capitalized(tags[i].name));
    return names;
}

QString duration(std::optional<qint64> length)
{
    if (!length || *length < 1)
        return {};
    return QString::asprintf("%lld:%02lld", static_cast<long long>(*length / 60000),
        static_cast<long long>((*length / 1000) % 60));
}

// On a release of several media a plain track number gets its medium's: "2-3"; a side
// letter with a digit ("B2") already tells the disc side.
QList<Track> tracks(const MBRelease &release)
{
    const QList<MBMedium> media = release.media.value_or(QList<MBMedium>());
    QList<Track> tracks;
    for (const MBMedium &medium : media) {
        for (const MBTrack &entry : medium.tracks.value_or(QList<MBTrack>())) {
            Track track;
            track.position = entry.number.value_or(QString());
            if (media.size() >= 2 && NumberText::decimalInteger(track.position))
                track.position
                    = QString::number(medium.position.value_or(1)) + u'-' + track.position;
            track.title = entry.title;
            track.duration = duration(entry.length);
            tracks.append(track);
        }
    }
    return tracks;
}

} // namespace

QList<ReleaseCandidate> MusicBrainzClient::parseSearch(const QByteArray &bytes)
{
    QList<ReleaseCandidate> candidates;
    for (const MBRelease &release : decodeMBSearch(bytes).releases) {
        if (isValidID(release.id))
            candidates.append(candidate(release));
    }
    return candidates;
}

RecordDraft MusicBrainzClient::parseRelease(const QByteArray &bytes)
{
    const MBRelease release = decodeMBRelease(bytes);
    RecordDraft draft;
    draft.title = release.title;
    draft.artist = artistString(release.artistCredit);
    draft.year = year(release.date);
    draft.country = release.country.value_or(QString());
    draft.barcode = release.barcode.value_or(QString());
    std::tie(draft.label, draft.catalogNumber) = labelAndCatalogNumber(release.labelInfo);
    draft.format = formatString(release.media);
    draft.genres = genres(release);
    draft.tracks = tracks(release);
    draft.coverURL = coverArt(release.id, QStringLiteral("500"));
    draft.musicBrainzID = release.id;
    draft.sourceURL = kWebRoot + QStringLiteral("/release/") + release.id;
    return draft;
}

ReleaseCandidate MusicBrainzClient::candidate(const MBRelease &release)
{
    ReleaseCandidate c;
    c.source = MetadataSource::musicBrainz;
    c.sourceID = release.id;
    c.title = release.title;
    c.artist = artistString(release.artistCredit);
    c.year = year(release.date);
    std::tie(c.label, c.catalogNumber) = labelAndCatalogNumber(release.labelInfo);
    c.format = formatString(release.media);
    c.country = release.country.value_or(QString());
    c.barcode = release.barcode.value_or(QString());
    c.thumbnailURL = coverArt(release.id, QStringLiteral("250"));
    c.coverURL = coverArt(release.id, QStringLiteral("500"));
    c.webURL = QUrl(kWebRoot + QStringLiteral("/release/") + release.id);
    return c;
}

QString MusicBrainzClient::artistString(const std::optional<QList<MBCredit>> &credits)
{
    QString text;
    for (const MBCredit &credit : credits.value_or(QList<MBCredit>()))
        text += credit.name + credit.joinphrase.value_or(QString());
    return text;
}

// "2×12" Vinyl + CD": media counted per format name, in the order of first appearance.
QString MusicBrainzClient::formatString(const std::optional<QList<MBMedium>> &media)
{
    QStringList names;
    QList<int> counts;
    for (const MBMedium &medium : media.value_or(QList<MBMedium>())) {
        const QString name = medium.format.value_or(QStringLiteral("Unknown"));
        const qsizetype index = names.indexOf(name);
        if (index < 0) {
            names.append(name);
            counts.append(1);
        } else {
            ++counts[index];
        }
    }
    QStringList texts;
    for (qsizetype i = 0; i < names.size(); ++i)
        texts.append(counts[i] >= 2 ? QString::number(counts[i]) + u'\u00D7' + names[i] : names[i]);
    return texts.join(QStringLiteral(" + "));
}

} // namespace vorla
