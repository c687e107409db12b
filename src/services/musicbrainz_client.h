// Client of the MusicBrainz web service, the fallback source of the lookup facade: barcodes
// and typed queries become candidates, a release id becomes a filled draft whose cover comes
// from the Cover Art Archive.
#pragma once

#include "models/record_draft.h"
#include "services/musicbrainz_json.h"
#include "services/release_candidate.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>
#include <stop_token>

namespace vorla {

struct ReleaseQuery;

// A plain value: every operation stands alone and blocks its (worker) thread until done.
class MusicBrainzClient
{
public:
    // The web service root, HTTPS, path "/ws/2", without a trailing slash.
    QString baseURL;

    // Candidates for the code's digits, then for its UPC-A or EAN-13 twin.
    QList<ReleaseCandidate> searchBarcode(const QString &barcode, std::stop_token stop) const;
    // Candidates of the first search that finds any: catalog number, title, free text.
    QList<ReleaseCandidate> search(const ReleaseQuery &query, std::stop_token stop) const;
    RecordDraft release(const QString &id, std::stop_token stop) const;

    // True for a UUID in its 36-character text form (8-4-4-4-12 hex digits, either case);
    // no trimming, no braces.
    static bool isValidID(QStringView text);
    // Free text as bare search terms: the query syntax characters become spaces, and runs of
    // spaces collapse.
    static QString keywords(const QString &text);
    // field:"value", with backslashes and double quotes escaped.
    static QString phrase(const QString &field, const QString &value);

    static QList<ReleaseCandidate> parseSearch(const QByteArray &bytes);
    static RecordDraft parseRelease(const QByteArray &bytes);

private:
    // One search in the service's query syntax, in the answer's order.
    QList<ReleaseCandidate> search(const QString &query, std::stop_token stop) const;

    static ReleaseCandidate candidate(const MBRelease &release);
    static QString artistString(const std::optional<QList<MBCredit>> &credits);
    static QString formatString(const std::optional<QList<MBMedium>> &media);
};

} // namespace vorla
