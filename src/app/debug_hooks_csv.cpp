// The CSV import check: imports a collection file and prints one line per draft; writes nothing.
#include "app/debug_hooks.h"

#include "models/record_draft.h"
#include "services/collection_csv.h"

#include <QTextStream>

namespace vorla {

int DebugHooks::csvRoundTrip(const QString &path, QTextStream &out)
{
    // Failures escape as Error and are printed by the dispatch as "Error: <message>".
    const QList<RecordDraft> drafts = CollectionCSV::importFile(path);
    for (const RecordDraft &draft : drafts) {
        out << draft.artist << QStringLiteral(" \u2014 ") << draft.title << " ["
            << (draft.year ? QString::number(*draft.year) : QStringLiteral("?")) << "] "
            << draft.catalogNumber << " media=" << shortLabel(draft.mediaCondition)
            << " sleeve=" << shortLabel(draft.sleeveCondition)
            << " genres=" << listDescription(draft.genres) << " discogs="
            << (draft.discogsReleaseID ? QString::number(*draft.discogsReleaseID)
                                       : QStringLiteral("-"))
            << '\n';
    }
    return 0;
}

} // namespace vorla
