#include "app/sample_batch_items.h"

namespace vorla {

namespace DebugHooks {

namespace {

ReleaseCandidate pressing(const char *id, const char *artist, const char *title, qint64 year,
    const char *label, const char *catalogNumber, const char *country)
{
    ReleaseCandidate candidate;
    candidate.source = MetadataSource::discogs;
    candidate.sourceID = QString::fromLatin1(id);
    candidate.artist = QString::fromUtf8(artist);
    candidate.title = QString::fromUtf8(title);
    candidate.year = year;
    candidate.label = QString::fromUtf8(label);
    candidate.catalogNumber = QString::fromLatin1(catalogNumber);
    candidate.country = QString::fromLatin1(country);
    candidate.format = QStringLiteral("Vinyl, LP, Album");
    return candidate;
}

BatchItem item(const char *line, BatchItem::Status status, QList<ReleaseCandidate> candidates,
    bool include = true)
{
    BatchItem result;
    result.line = QString::fromUtf8(line);
    result.query = ReleaseQuery::parse(result.line);
    result.status = status;
    result.candidates = std::move(candidates);
    if (!result.candidates.isEmpty())
        result.chosenID = QStringLiteral("discogs:") + result.candidates.first().sourceID;
    result.include = include;
    return result;
}

} // namespace

QList<BatchItem> sampleBatchItems()
{
    using Status = BatchItem::Status;
    return {
        item("Marta Kell - Northern Lights", Status::matched(),
            { pressing("1", "Marta Kell", "Northern Lights", 1979, "Harbour Records", "HR 1107", "US"),
                pressing("2", "Marta Kell", "Northern Lights", 1979, "Harbour Records", "HRL 5521",
                    "UK") }),
        item("CB 4410", Status::matched(),
            { pressing("3", "The Cobalt Five", "Blue Hours", 1964, "Cobalt Blue", "CB 4410", "US") }),
        item("songs for rain", Status::needsReview(),
            { pressing("4", "Iris Vane", "Songs for the Rain", 1983, "Meridian", "MER 207", "UK"),
                pressing("5", "Iris Vane", "Songs for the Rain", 1984, "Meridian", "MR-88120", "US") }),
        item("Glass Orchard Society - Unheard Tapes", Status::notFound(), {}, false),
        item("Delia Ross - Low Tide", Status::searching(), {}),
        item("The Paper Hours - Signals", Status::pending(), {}),
    };
}

} // namespace DebugHooks

} // namespace vorla
