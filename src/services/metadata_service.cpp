#include "services/metadata_service.h"

#include "services/barcode.h"
#include "services/discogs_client.h"
#include "services/discogs_token.h"
#include "services/http.h"
#include "services/lookup_error.h"
#include "services/musicbrainz_client.h"
#include "core/number_text.h"
#include "services/release_query.h"

#include <QBuffer>
#include <QImageReader>
#include <QSettings>

#include <algorithm>
#include <exception>

namespace vorla {

namespace {

// A truth value as QSettings gives it back: a bool set in this run, or the text an INI file
// stores a bool as. Anything else counts as not set.
std::optional<bool> truthValue(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        if (value.toString() == u"true")
            return true;
        if (value.toString() == u"false")
            return false;
    }
    return std::nullopt;
}

// Candidates of one service, vinyl first, otherwise in the service's order.
QList<ReleaseCandidate> vinylFirst(QList<ReleaseCandidate> candidates)
{
    std::stable_partition(candidates.begin(), candidates.end(), [](const ReleaseCandidate &c) {
        return c.format.contains(QStringLiteral("vinyl"), Qt::CaseInsensitive);
    });
    return candidates;
}

// Discogs first; MusicBrainz only when Discogs gave nothing. When neither gives a candidate,
// the Discogs failure is reported before the MusicBrainz one.
template <typename AskDiscogs, typename AskMusicBrainz>
QList<ReleaseCandidate> gather(
    bool useMusicBrainz, AskDiscogs askDiscogs, AskMusicBrainz askMusicBrainz)
{
    QList<ReleaseCandidate> candidates;
    std::exception_ptr failure;
    try {
        candidates = askDiscogs();
    } catch (const CancelledError &) {
        throw;
    } catch (const Error &) {
        failure = std::current_exception();
    }
    if (candidates.isEmpty() && useMusicBrainz) {
        try {
            candidates = askMusicBrainz();
        } catch (const CancelledError &) {
            throw;
        } catch (const Error &) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    if (candidates.isEmpty() && failure)
        std::rethrow_exception(failure);
    return vinylFirst(candidates);
}

bool isImage(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return reader.canRead() && reader.imageCount() != 0;
}

DiscogsClient discogsClient(const MetadataService &service)
{
    return DiscogsClient { service.discogsToken, MetadataService::kDiscogsRoot };
}

MusicBrainzClient musicBrainzClient()
{
    return MusicBrainzClient { MetadataService::kMusicBrainzRoot };
}

// The candidate's release from its own service; nothing else is tried.
RecordDraft fetchRelease(
    const MetadataService &service, const ReleaseCandidate &candidate, std::stop_token stop)
{
    if (candidate.source == MetadataSource::musicBrainz)
        return musicBrainzClient().release(candidate.sourceID, stop);
    const auto id = NumberText::decimalInteger(candidate.sourceID);
    if (!id)
        throw LookupError::notFound();
    return discogsClient(service).release(*id, stop);
}

} // namespace

MetadataService MetadataService::current()
{
    MetadataService service;
    service.useMusicBrainz = truthValue(QSettings().value(kUseMusicBrainzKey)).value_or(true);
    service.discogsToken = DiscogsToken::value();
    return service;
}

QList<ReleaseCandidate> MetadataService::search(
    const ReleaseQuery &query, std::stop_token stop) const
{
    return gather(
        useMusicBrainz, [&] { return discogsClient(*this).search(query, stop); },
        [&] { return musicBrainzClient().search(query, stop); });
}

QList<ReleaseCandidate> MetadataService::lookup(const QString &barcode, std::stop_token stop) const
{
    return gather(
        useMusicBrainz, [&] { return discogsClient(*this).searchBarcode(barcode, stop); },
        [&] { return musicBrainzClient().searchBarcode(barcode, stop); });
}

RecordDraft MetadataService::details(const ReleaseCandidate &candidate, std::stop_token stop) const
{
    RecordDraft draft = fetchRelease(*this, candidate, stop);
    if (draft.barcode.isEmpty())
        draft.barcode = candidate.barcode;
    attachCover(draft, candidate.coverURL, stop);
    return draft;
}

QList<Track> MetadataService::tracklist(
    const ReleaseCandidate &candidate, std::stop_token stop) const
{
    return fetchRelease(*this, candidate, stop).tracks;
}

std::optional<RecordDraft> MetadataService::refreshedMetadata(std::optional<qint64> discogsID,
    const std::optional<QString> &musicBrainzID, const QString &barcode, std::stop_token stop) const
{
    if (discogsID) {
        RecordDraft draft = discogsClient(*this).release(*discogsID, stop);
        attachCover(draft, std::nullopt, stop);
        return draft;
    }
    // An empty id is no id: it must not block the barcode for good.
    if (musicBrainzID && !musicBrainzID->isEmpty()) {
        RecordDraft draft = musicBrainzClient().release(*musicBrainzID, stop);
        attachCover(draft, std::nullopt, stop);
        return draft;
    }
    if (Barcode::digits(barcode).isEmpty())
        return std::nullopt;
    const QList<ReleaseCandidate> candidates = lookup(barcode, stop);
    if (candidates.isEmpty())
        return std::nullopt;
    return details(candidates.first(), stop);
}

void MetadataService::attachCover(
    RecordDraft &draft, const std::optional<QUrl> &fallback, std::stop_token stop) const
{
    QList<QUrl> urls;
    if (draft.coverURL)
        urls.append(*draft.coverURL);
    if (fallback)
        urls.append(*fallback);
    for (const QUrl &url : urls) {
        if (stop.stop_requested())
            return;
        QByteArray bytes;
        try {
            bytes = HTTP::data(url, {}, stop);
        } catch (const Error &) {
            // A missing cover never fails a lookup.
            continue;
        }
        if (isImage(bytes)) {
            draft.coverImageData = bytes;
            draft.coverChanged = true;
            return;
        }
    }
}

} // namespace vorla
