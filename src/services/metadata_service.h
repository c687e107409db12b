// The one entry point through which the application asks the web services about releases:
// Discogs first, MusicBrainz only when Discogs found nothing (or failed) and the user allows
// it, never a mix of both; vinyl first; a chosen candidate becomes a full draft with its cover.
#pragma once

#include "models/record_draft.h"
#include "models/track.h"
#include "services/release_candidate.h"

#include <QList>
#include <QString>
#include <QUrl>
#include <QVariant>

#include <optional>
#include <stop_token>

namespace vorla {

struct ReleaseQuery;

// A plain value, built by current() for each lookup or run of lookups and safe to copy into
// any thread. Every operation blocks its worker thread until done and must not run on the GUI
// thread; all but attachCover() throw LookupError, NetworkError, DecodingError or, once
// `stop` is requested, CancelledError.
struct MetadataService
{
    // The Discogs token in force when the value was built.
    std::optional<QString> discogsToken;
    // Whether MusicBrainz may be asked when Discogs gives nothing.
    bool useMusicBrainz = true;

    static inline const QString kDiscogsRoot = QStringLiteral("https://api.discogs.com");
    static inline const QString kMusicBrainzRoot = QStringLiteral("https://musicbrainz.org/ws/2");
    // The settings key of the MusicBrainz fallback; absent means allowed.
    static inline const QString kUseMusicBrainzKey = QStringLiteral("useMusicBrainz");
    // The stored value of that key: a bool, or the text an INI file keeps a bool as;
    // anything else (nothing stored included) counts as allowed.
    static bool useMusicBrainzSetting(const QVariant &stored);

    // The token from DiscogsToken::value() and the fallback setting from QSettings, read now.
    static MetadataService current();

    QList<ReleaseCandidate> search(const ReleaseQuery &query, std::stop_token stop) const;
    QList<ReleaseCandidate> lookup(const QString &barcode, std::stop_token stop) const;
    // The candidate's release with the candidate's barcode where the release has none, and
    // its cover when one could be downloaded.
    RecordDraft details(const ReleaseCandidate &candidate, std::stop_token stop) const;
    QList<Track> tracklist(const ReleaseCandidate &candidate, std::stop_token stop) const;
    // A stored record's metadata looked up again from its Discogs id, else its MusicBrainz id,
    // else the first hit for its barcode; none when there is nothing to look up or no hit.
    // An empty MusicBrainz id counts as none.
    std::optional<RecordDraft> refreshedMetadata(std::optional<qint64> discogsID,
        const std::optional<QString> &musicBrainzID, const QString &barcode,
        std::stop_token stop) const;
    // Downloads the draft's cover URL, else the fallback, into coverImageData (setting
    // coverChanged) when the answer is an image. Never throws; no rate limiter.
    void attachCover(
        RecordDraft &draft, const std::optional<QUrl> &fallback, std::stop_token stop) const;
};

} // namespace vorla
