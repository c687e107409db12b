#include "services/release_candidate.h"

#include <QHashFunctions>

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

} // namespace vorla
