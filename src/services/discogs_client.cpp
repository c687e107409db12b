#include "services/discogs_client.h"

#include "services/barcode.h"
#include "services/lookup_error.h"
#include "services/rate_limiter.h"
#include "services/release_query.h"
#include "core/text_util.h"

#include <QStringList>

namespace vorla {

namespace {

// Merged into every text search, never into barcode searches.
const QMap<QString, QString> kSearchParameters = {
    { QStringLiteral("type"), QStringLiteral("release") },
    { QStringLiteral("format"), QStringLiteral("Vinyl") },
    { QStringLiteral("per_page"), QStringLiteral("40") },
};

QUrl endpoint(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        throw LookupError::notFound();
    return url;
}

} // namespace

HttpHeaders DiscogsClient::headers() const
{
    if (!token || token->isEmpty())
        return {};
    return { { QByteArrayLiteral("Authorization"), "Discogs token=" + token->toUtf8() } };
}

RateLimiter &DiscogsClient::limiter() const
{
    return headers().isEmpty() ? RateLimiters::discogsAnonymous()
                               : RateLimiters::discogsAuthenticated();
}

QList<ReleaseCandidate> DiscogsClient::search(
    const Parameters &parameters, std::stop_token stop) const
{
    QUrl url = endpoint(baseURL + QStringLiteral("/database/search"));
    // Every reserved character percent-encoded: a bare "+" would reach Discogs as a space.
    QStringList items;
    for (auto it = parameters.begin(); it != parameters.end(); ++it)
        items.append(QString::fromLatin1(
            QUrl::toPercentEncoding(it.key()) + '=' + QUrl::toPercentEncoding(it.value())));
    url.setQuery(items.join(u'&'), QUrl::StrictMode);
    if (!url.isValid())
        throw LookupError::notFound();

    const HttpHeaders headers = this->headers();
    limiter().wait(stop);
    try {
        return parseSearch(HTTP::data(url, headers, stop));
    } catch (const LookupError &error) {
        // Some searches need a token; say so instead of "rejected token" when there is none.
        if (error.kind() == LookupError::Kind::unauthorized && headers.isEmpty())
            throw LookupError::missingToken();
        throw;
    }
}

QList<ReleaseCandidate> DiscogsClient::searchBarcode(
    const QString &barcode, std::stop_token stop) const
{
    for (const QString &variant : Barcode::variants(barcode)) {
        const QList<ReleaseCandidate> found
            = search(Parameters { { QStringLiteral("barcode"), variant },
                         { QStringLiteral("type"), QStringLiteral("release") },
                         { QStringLiteral("per_page"), QStringLiteral("25") } },
                stop);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

QList<ReleaseCandidate> DiscogsClient::search(const ReleaseQuery &query, std::stop_token stop) const
{
    QList<Parameters> sets;
    if (!query.catalogNumber.isEmpty()) {
        Parameters set { { QStringLiteral("catno"), query.catalogNumber } };
        if (!query.artist.isEmpty())
            set.insert(QStringLiteral("artist"), query.artist);
        if (!query.label.isEmpty())
            set.insert(QStringLiteral("label"), query.label);
        sets.append(set);
        if (set.size() >= 2)
            sets.append(Parameters { { QStringLiteral("catno"), query.catalogNumber } });
    }
    if (!query.title.isEmpty()) {
        Parameters set { { QStringLiteral("release_title"), query.title } };
        if (!query.artist.isEmpty())
            set.insert(QStringLiteral("artist"), query.artist);
        sets.append(set);
    }
    sets.append(Parameters { { QStringLiteral("q"), query.freeText() } });

    for (Parameters set : uniqued(sets)) {
        for (auto it = kSearchParameters.begin(); it != kSearchParameters.end(); ++it) {
            if (!set.contains(it.key()))
                set.insert(it.key(), it.value());
        }
        const QList<ReleaseCandidate> found = search(set, stop);
        if (!found.isEmpty())
            return mostOwnedFirst(found);
    }
    return {};
}

RecordDraft DiscogsClient::release(qint64 id, std::stop_token stop) const
{
    if (id < 1)
        throw LookupError::notFound();
    const QUrl url = endpoint(baseURL + QStringLiteral("/releases/") + QString::number(id));
    const HttpHeaders headers = this->headers();
    limiter().wait(stop);
    return parseRelease(HTTP::data(url, headers, stop));
}

QString DiscogsClient::identity(std::stop_token stop) const
{
    const HttpHeaders headers = this->headers();
    if (headers.isEmpty())
        throw LookupError::missingToken();
    const QUrl url = endpoint(baseURL + QStringLiteral("/oauth/identity"));
    return decodeDIdentity(HTTP::data(url, headers, stop)).username;
}

} // namespace vorla
