// Decides which release a record seen in a photo is: the photo's text cut into comparable
// words, candidates scored and ranked against it, and the searches that find them. All but
// match() are pure; everything is safe on any thread.
#pragma once

#include "models/track.h"
#include "scanner/photo_evidence.h"
#include "scanner/photo_match_sources.h"
#include "services/release_candidate.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>
#include <stop_token>

namespace vorla::PhotoMatcher {

// Words left out of keyword searches.
const QSet<QString> &searchNoise();
// Words that carry no identity of a release.
const QSet<QString> &noiseWords();

// The lower-cased words of a text, diacritics folded and "&" read as "and", split at every
// character that is neither a letter nor a number; in text order, repeats included.
QStringList tokens(const QString &text);

// At most three keyword search texts from the evidence's lines, first query first.
QStringList keywordQueries(const PhotoEvidence &evidence);

// The score of one candidate against one evidence.
struct Score
{
    // Confirmed by the evidence: a matching barcode, most of title and artist read, or the
    // catalog number with half of title or artist. Never without a usable title.
    bool certain = false;
    // Shares of the artist's and the title's significant words found in the evidence.
    double artist = 0;
    double title = 0;
    // A catalog number read in the evidence equals the candidate's.
    bool catalogNumber = false;
    // Share of the evidence's own words found in the candidate.
    double coverage = 0;

    double sum() const;
    bool operator==(const Score &) const = default;
};

// Not certain is below certain; then the smaller sum is below.
bool operator<(const Score &a, const Score &b);

// The ranked result of matching one evidence.
struct Outcome
{
    QList<ReleaseCandidate> candidates;
    // The first of candidates; none when there are none.
    std::optional<ReleaseCandidate> best;
    // The record may be added without asking.
    bool isCertain = false;
};

// tokens() of a title or an artist without the words that carry no identity, unless only
// such words are left; a trailing "(2)" is dropped first.
QStringList significantTokens(const QString &text);
// Levenshtein distance counted in characters (grapheme clusters).
int editDistance(const QString &a, const QString &b);

Score score(const ReleaseCandidate &candidate, const PhotoEvidence &evidence);
// The same candidates, best first; equal scores keep their order.
QList<ReleaseCandidate> rank(
    const QList<ReleaseCandidate> &candidates, const PhotoEvidence &evidence);
// The first of a ranked list is certain and no different release is about as certain; a
// barcode that several candidates carry does not tell them apart.
bool isUnambiguouslyCertain(const QList<ReleaseCandidate> &ranked, const PhotoEvidence &evidence);
// Enough of the track titles are read in full in the evidence.
bool tracklistConfirms(const QList<Track> &tracks, const PhotoEvidence &evidence);

// Finds the release the evidence shows: asks the sources by barcode, catalog number and
// keywords one request at a time, stops at the first unambiguous certain match, and lets
// the tracklists of the two best candidates decide last. At most barcodes + 5 searches + 2
// tracklists. Failed requests are passed over; when nothing was found and a request failed,
// the last failure is thrown. A stop request ends it with CancelledError before any further
// request. Blocks its worker thread.
Outcome match(const PhotoEvidence &evidence, const Sources &sources, std::stop_token stop);

} // namespace vorla::PhotoMatcher
