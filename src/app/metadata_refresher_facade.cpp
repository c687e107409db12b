// The refresher's link to the lookup facade.
#include "app/metadata_refresher.h"

#include "services/metadata_service.h"

#include <memory>
#include <mutex>

namespace vorla {

MetadataRefresher::LookupFactory MetadataRefresher::facadeLookup()
{
    return [] {
        // Built once per run, on the first lookup's worker thread: reading the token may
        // wait on the keyring, which the GUI thread must not.
        struct Run
        {
            std::once_flag once;
            std::optional<MetadataService> service;
        };
        auto run = std::make_shared<Run>();
        return [run](std::optional<qint64> discogsID, std::optional<QString> musicBrainzID,
                   QString barcode, std::stop_token stop) {
            std::call_once(run->once, [&] { run->service = MetadataService::current(); });
            return run->service->refreshedMetadata(discogsID, musicBrainzID, barcode, stop);
        };
    };
}

} // namespace vorla
