// The three lookups photo matching may ask: normally the web services through the lookup
// facade, during replay a file of recorded searches. Matching cannot tell the two apart.
#pragma once

#include "models/track.h"
#include "services/release_candidate.h"
#include "services/release_query.h"

#include <QList>
#include <QString>

#include <functional>
#include <stop_token>

namespace vorla {

struct MetadataService;

namespace PhotoMatcher {

// Each lookup blocks its worker thread and may throw; a stop request ends it with
// CancelledError. They are called from worker threads and must be safe there.
struct Sources
{
    std::function<QList<ReleaseCandidate>(const QString &barcode, std::stop_token)> lookupBarcode;
    std::function<QList<ReleaseCandidate>(const ReleaseQuery &query, std::stop_token)> search;
    std::function<QList<Track>(const ReleaseCandidate &candidate, std::stop_token)> tracklist;

    // The facade's lookups with that service's token and MusicBrainz setting; a query without
    // free text is answered with nothing, without a request.
    static Sources from(const MetadataService &service);
};

} // namespace PhotoMatcher

} // namespace vorla
