#include "services/musicbrainz_client.h"

#include "services/barcode.h"
#include "services/http.h"
#include "services/lookup_error.h"
#include "services/rate_limiter.h"
#include "services/release_query.h"
#include "core/text_util.h"

#include <QTextBoundaryFinder>
#include <QUrl>
#include <QUrlQuery>

namespace vorla {

bool MusicBrainzClient::isValidID(QStringView text)
{
    if (text.size() != 36)
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != u'-')
                return false;
        } else if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')
                       || (c >= u'A' && c <= u'F'))) {
            return false;
        }
    }
    return true;
}

namespace {

// The characters with a meaning in the service's query syntax, each a whole character.
bool isSyntaxCharacter(QStringView character)
{
    static const QString syntax = QStringLiteral("+-&|!(){}[]^\"~*?:\\/");
    return character.size() == 1 && syntax.contains(character.front());
}

} // namespace

QString MusicBrainzClient::keywords(const QString &text)
{
    // Whole characters: a hyphen carrying a combining mark is not the syntax character.
    QString blanked;
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    for (qsizetype end = characters.toNextBoundary(); end != -1;
         start = end, end = characters.toNextBoundary()) {
        const QStringView character = QStringView(text).sliced(start, end - start);
        if (isSyntaxCharacter(character))
            blanked += u' ';
        else
            blanked += character;
    }
    return blanked.split(u' ', Qt::SkipEmptyParts).join(u' ');
}

QString MusicBrainzClient::phrase(const QString &field, const QString &value)
{
    QString escaped = value;
    escaped.replace(u'\\', QStringLiteral("\\\\"));
    escaped.replace(u'"', QStringLiteral("\\\""));
    return field + QStringLiteral(":\"") + escaped + u'"';
}

QList<ReleaseCandidate> MusicBrainzClient::search(const QString &query, std::stop_token stop) const
{
    RateLimiters::musicBrainz().wait(stop);
    QUrl url(baseURL + QStringLiteral("/release"), QUrl::StrictMode);
    if (!url.isValid())
        throw LookupError::notFound();
    QUrlQuery items;
    items.addQueryItem(QStringLiteral("query"), query);
    items.addQueryItem(QStringLiteral("fmt"), QStringLiteral("json"));
    items.addQueryItem(QStringLiteral("limit"), QStringLiteral("25"));
    url.setQuery(items);
    if (!url.isValid())
        throw LookupError::notFound();
    return parseSearch(HTTP::data(url, {}, stop));
}

QList<ReleaseCandidate> MusicBrainzClient::searchBarcode(
    const QString &barcode, std::stop_token stop) const
{
    for (const QString &variant : Barcode::variants(barcode)) {
        const QList<ReleaseCandidate> found = search(QStringLiteral("barcode:") + variant, stop);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

QList<ReleaseCandidate> MusicBrainzClient::search(
    const ReleaseQuery &query, std::stop_token stop) const
{
    // The label is never searched here.
    QStringList texts;
    const auto withArtist = [&query](QString clause) {
        if (!query.artist.isEmpty())
            clause += QStringLiteral(" AND ") + phrase(QStringLiteral("artist"), query.artist);
        return clause;
    };
    if (!query.catalogNumber.isEmpty())
        texts.append(withArtist(phrase(QStringLiteral("catno"), query.catalogNumber)));
    if (!query.title.isEmpty())
        texts.append(withArtist(phrase(QStringLiteral("release"), query.title)));
    texts.append(keywords(query.freeText()));

    for (const QString &text : uniqued(texts)) {
        if (text.isEmpty())
            continue;
        const QList<ReleaseCandidate> found = search(text, stop);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

RecordDraft MusicBrainzClient::release(const QString &id, std::stop_token stop) const
{
    if (!isValidID(id))
        throw LookupError::notFound();
    const QUrl url(baseURL + QStringLiteral("/release/") + id
            + QStringLiteral("?inc=recordings+labels+artist-credits+genres+release-groups"
                             "&fmt=json"),
        QUrl::StrictMode);
    if (!url.isValid())
        throw LookupError::notFound();
    RateLimiters::musicBrainz().wait(stop);
    return parseRelease(HTTP::data(url, {}, stop));
}

} // namespace vorla
