// Client of the Discogs web API: barcodes and typed queries become candidates, a release id
// becomes a filled draft, a token becomes the name of the user who owns it.
#pragma once

#include "models/record_draft.h"
#include "services/discogs_json.h"
#include "services/http.h"
#include "services/release_candidate.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <optional>
#include <stop_token>

namespace vorla {

class RateLimiter;
struct ReleaseQuery;

// A plain value: every operation stands alone and blocks its (worker) thread until done.
struct DiscogsClient
{
    // Absent or empty: anonymous. Sent as given (the token store trims it).
    std::optional<QString> token;
    // The API root, HTTPS, without a trailing slash; request paths are appended unchanged.
    QString baseURL;

    // Candidates for the code's digits, then for its UPC-A or EAN-13 twin; in the answer's order.
    QList<ReleaseCandidate> searchBarcode(const QString &barcode, std::stop_token stop) const;
    // Candidates of the first of up to four ever broader searches that finds any, most owned
    // first.
    QList<ReleaseCandidate> search(const ReleaseQuery &query, std::stop_token stop) const;
    RecordDraft release(qint64 id, std::stop_token stop) const;
    // The Discogs user name that owns the token; takes no rate-limiter slot.
    QString identity(std::stop_token stop) const;

    static QList<ReleaseCandidate> parseSearch(const QByteArray &bytes);
    static RecordDraft parseRelease(const QByteArray &bytes);
    static QString artistString(const QList<DArtist> &artists);
    static QString formatString(const QList<DFormat> &formats);
    // Stable: most owners first, an unknown count as 0, ties in their given order.
    static QList<ReleaseCandidate> mostOwnedFirst(QList<ReleaseCandidate> candidates);

private:
    // Parameter name to value; QMap keeps the names sorted, which is the order they are sent.
    using Parameters = QMap<QString, QString>;

    QList<ReleaseCandidate> search(const Parameters &parameters, std::stop_token stop) const;
    // "Authorization" when there is a token of at least one character; else none.
    HttpHeaders headers() const;
    // The shared limiter of authenticated requests, or of anonymous ones.
    RateLimiter &limiter() const;
};

} // namespace vorla
