#include "services/release_candidate.h"

#include "core/number_text.h"
#include "models/record_draft.h"

#include <QHashFunctions>

#include <limits>

namespace vorla {

QString rawValue(MetadataSource source)
{
    return source == MetadataSource::discogs ? QStringLiteral("discogs")
                                             : QStringLiteral("musicBrainz");
}

std::optional<MetadataSource> metadataSourceFromRawValue(QStringView text)
{
    if (text == u"discogs")
        return MetadataSource::discogs;
    if (text == u"musicBrainz")
        return MetadataSource::musicBrainz;
    return std::nullopt;
}

namespace {

template <typename T>
size_t hashOptional(size_t seed, const std::optional<T> &value)
{
    return value ? qHashMulti(seed, 1, *value) : qHashMulti(seed, 0);
}

} // namespace

size_t qHash(const ReleaseCandidate &c, size_t seed)
{
    seed = qHashMulti(seed, rawValue(c.source), c.sourceID, c.title, c.artist);
    seed = hashOptional(seed, c.year);
    seed = qHashMulti(seed, c.label, c.catalogNumber, c.format, c.country, c.barcode);
    seed = hashOptional(seed, c.thumbnailURL);
    seed = hashOptional(seed, c.coverURL);
    seed = hashOptional(seed, c.webURL);
    return hashOptional(seed, c.owners);
}

RecordDraft draftFromCandidate(const ReleaseCandidate &candidate)
{
    RecordDraft draft;
    draft.title = candidate.title;
    draft.artist = candidate.artist;
    draft.label = candidate.label;
    draft.catalogNumber = candidate.catalogNumber;
    draft.format = candidate.format;
    draft.country = candidate.country;
    draft.barcode = candidate.barcode;
    draft.coverURL = candidate.coverURL;
    if (candidate.year && *candidate.year >= std::numeric_limits<int>::min()
        && *candidate.year <= std::numeric_limits<int>::max())
        draft.year = int(*candidate.year);
    if (candidate.webURL)
        draft.sourceURL = candidate.webURL->toString(QUrl::FullyEncoded);
    if (candidate.source == MetadataSource::discogs)
        draft.discogsReleaseID = NumberText::decimalInteger(candidate.sourceID);
    else
        draft.musicBrainzID = candidate.sourceID;
    return draft;
}

} // namespace vorla
