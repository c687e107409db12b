#include "app/lookup_command.h"

#include "app/debug_hooks.h"
#include "models/error.h"
#include "services/barcode.h"
#include "services/metadata_service.h"
#include "services/release_query.h"

#include <QTextStream>

namespace vorla {

namespace DebugHooks {

namespace {

const QString kDash = QStringLiteral(" \u2014 ");

// Nothing but digits, at least 8 of them.
bool isBarcode(const QString &text)
{
    const QString digits = Barcode::digits(text);
    return digits.size() >= 8 && digits.size() == text.size();
}

QString sourceName(MetadataSource source)
{
    return source == MetadataSource::discogs ? QStringLiteral("Discogs")
                                             : QStringLiteral("MusicBrainz");
}

void printCandidate(const ReleaseCandidate &c, QTextStream &out)
{
    out << "  [" << sourceName(c.source) << "] " << c.artist << kDash << c.title << " ("
        << (c.year ? QString::number(*c.year) : QStringLiteral("?")) << ") " << c.format << " | "
        << c.label << ' ' << c.catalogNumber << " | " << c.country << '\n';
}

void printDraft(const RecordDraft &d, QTextStream &out)
{
    out << '\n'
        << "Details: " << d.artist << kDash << d.title << ' '
        << (d.year ? QString::number(*d.year) : QString()) << '\n';
    out << "  Label: " << d.label << ' ' << d.catalogNumber << "  Format: " << d.format
        << "  Country: " << d.country << '\n';
    out << "  Genres: " << d.genres.join(QStringLiteral(", "))
        << "  Styles: " << d.styles.join(QStringLiteral(", ")) << '\n';
    out << "  Barcode: " << d.barcode << "  Source: " << d.sourceURL.value_or(QStringLiteral("-"))
        << '\n';
    if (d.coverImageData)
        out << "  Cover: " << d.coverImageData->size() << " bytes\n";
    else
        out << "  Cover: none\n";
    for (const Track &track : d.tracks)
        out << "    " << track.position << '\t' << track.title << '\t' << track.duration << '\n';
}

} // namespace

void printLookup(
    const MetadataService &service, const QString &text, QTextStream &out, std::stop_token stop)
{
    const bool hasToken = service.discogsToken && !service.discogsToken->isEmpty();
    out << "Sources: Discogs=" << (hasToken ? "on" : "off (no token)")
        << " MusicBrainz=" << (service.useMusicBrainz ? "true" : "false") << '\n';

    QList<ReleaseCandidate> candidates;
    try {
        if (isBarcode(text)) {
            candidates = service.lookup(text, stop);
        } else {
            const ReleaseQuery query = ReleaseQuery::parse(text);
            if (!query.freeText().isEmpty())
                candidates = service.search(query, stop);
        }
    } catch (const Error &error) {
        out << "Error: " << error.message() << '\n';
        return;
    }

    out << candidates.size() << " result(s)\n";
    for (qsizetype i = 0; i < std::min<qsizetype>(candidates.size(), 8); ++i)
        printCandidate(candidates[i], out);
    if (candidates.isEmpty())
        return;

    try {
        printDraft(service.details(candidates.first(), stop), out);
    } catch (const Error &error) {
        out << "Error: " << error.message() << '\n';
    }
}

int lookup(const QString &text, QTextStream &out)
{
    printLookup(MetadataService::current(), text, out);
    return 0;
}

} // namespace DebugHooks

} // namespace vorla
