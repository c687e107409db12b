// The batch matcher's link to the photo analyzer, the lookup facade and the replay of
// recorded searches.
#include "app/batch_matcher.h"

#include "app/debug_hooks.h"
#include "scanner/photo_analyzer.h"
#include "services/metadata_service.h"

#include <memory>
#include <mutex>

namespace vorla {

namespace {

// The facade as one worker sees it: built once, on the worker's first lookup, because
// reading the token may wait on the keyring, which the GUI thread must not.
class WorkerService
{
public:
    const MetadataService &get()
    {
        std::call_once(m_once, [this] { m_service = MetadataService::current(); });
        return *m_service;
    }

private:
    std::once_flag m_once;
    std::optional<MetadataService> m_service;
};

// The recorded searches when replay is on, else the facade's lookups. Asked on the worker
// thread, so the recording is read there, on the first photo match of the run.
PhotoMatcher::Sources photoSources(
    const std::shared_ptr<WorkerService> &service, const BatchMatcher::Replay &replay)
{
    const auto sources = [service, replay] {
        if (std::optional<PhotoMatcher::Sources> recorded = replay())
            return *recorded;
        return PhotoMatcher::Sources::from(service->get());
    };
    PhotoMatcher::Sources result;
    result.lookupBarcode = [sources](const QString &barcode, std::stop_token stop) {
        return sources().lookupBarcode(barcode, stop);
    };
    result.search = [sources](const ReleaseQuery &query, std::stop_token stop) {
        return sources().search(query, stop);
    };
    result.tracklist = [sources](const ReleaseCandidate &candidate, std::stop_token stop) {
        return sources().tracklist(candidate, stop);
    };
    return result;
}

} // namespace

BatchMatcher::Lookups BatchMatcher::facadeLookups(Replay replay)
{
    auto service = std::make_shared<WorkerService>();
    Lookups lookups;
    lookups.search = [service](const ReleaseQuery &query, std::stop_token stop) {
        return service->get().search(query, stop);
    };
    lookups.photoSources = photoSources(service, std::move(replay));
    return lookups;
}

BatchMatcher::Backend BatchMatcher::liveBackend()
{
    Backend backend;
    backend.analyze = [](const QUrl &url, PhotoLayout layout, std::stop_token stop) {
        // Only local files can be read; anything else fails as an unreadable photo.
        return PhotoAnalyzer::analyze(url.toLocalFile(), layout, stop);
    };
    backend.lookups = [] { return facadeLookups(&DebugHooks::replaySources); };
    return backend;
}

} // namespace vorla
