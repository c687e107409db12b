#include "views/add_record_duplicates.h"

#include "models/record.h"
#include "models/record_draft.h"
#include "services/barcode.h"
#include "services/release_candidate.h"

#include <QCoreApplication>

namespace vorla {

OwnedReleases::OwnedReleases(const QList<Record *> &records)
{
    for (const Record *record : records) {
        if (record->discogsReleaseID())
            m_discogs.insert(*record->discogsReleaseID());
        if (record->musicBrainzID())
            m_musicBrainz.insert(*record->musicBrainzID());
    }
}

bool OwnedReleases::contains(const ReleaseCandidate &candidate) const
{
    if (candidate.source == MetadataSource::musicBrainz)
        return m_musicBrainz.contains(candidate.sourceID);
    // Compared as decimal text: "0123" or "+123" is no stored id's text.
    bool ok = false;
    const qint64 id = candidate.sourceID.toLongLong(&ok);
    return ok && QString::number(id) == candidate.sourceID && m_discogs.contains(id);
}

qsizetype matchingRecordCount(const QList<Record *> &records, const RecordDraft &draft)
{
    qsizetype count = 0;
    for (const Record *record : records) {
        if (draft.discogsReleaseID && record->discogsReleaseID() == draft.discogsReleaseID)
            ++count;
        else if (draft.musicBrainzID && record->musicBrainzID() == draft.musicBrainzID)
            ++count;
        else if (!draft.barcode.isEmpty() && Barcode::matches(record->barcode(), draft.barcode))
            ++count;
    }
    return count;
}

std::optional<QString> duplicateWarning(qsizetype matches)
{
    if (matches == 0)
        return std::nullopt;
    if (matches == 1) {
        return QCoreApplication::translate("AddRecordSheet",
            "You already have this release in your collection. Adding it again creates a "
            "second copy.");
    }
    return QCoreApplication::translate("AddRecordSheet", "You already have %1 copies of this release.")
        .arg(matches);
}

} // namespace vorla
