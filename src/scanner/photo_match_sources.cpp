#include "scanner/photo_match_sources.h"

#include "services/metadata_service.h"

namespace vorla::PhotoMatcher {

Sources Sources::from(const MetadataService &service)
{
    Sources sources;
    sources.lookupBarcode = [service](const QString &barcode, std::stop_token stop) {
        return service.lookup(barcode, stop);
    };
    sources.search = [service](const ReleaseQuery &query, std::stop_token stop) {
        if (query.freeText().isEmpty())
            return QList<ReleaseCandidate>();
        return service.search(query, stop);
    };
    sources.tracklist = [service](const ReleaseCandidate &candidate, std::stop_token stop) {
        return service.tracklist(candidate, stop);
    };
    return sources;
}

} // namespace vorla::PhotoMatcher
