#include "views/add_record_duplicates.h"

#include "models/record.h"
#include "models/record_draft.h"
#include "services/barcode.h"
#include "services/release_candidate.h"

#include <QCoreApplication>
#include <QHash>

namespace vorla {

OwnedReleases::OwnedReleases(
    const QList<Record *> &records, const QList<ReleaseCandidate> &candidates)
{
    QHash<qint64, QStringList> discogs;
    QHash<QString, QStringList> musicBrainz;
    for (const ReleaseCandidate &candidate : candidates) {
        if (candidate.source == MetadataSource::musicBrainz) {
            musicBrainz[candidate.sourceID].append(candidate.id());
            continue;
        }
        // Compared as decimal text: "0123" or "+123" is no stored id's text.
        bool ok = false;
        const qint64 id = candidate.sourceID.toLongLong(&ok);
        if (ok && QString::number(id) == candidate.sourceID)
            discogs[id].append(candidate.id());
    }
    for (const Record *record : records) {
        if (!discogs.isEmpty() && record->discogsReleaseID()) {
            if (const auto found = discogs.constFind(*record->discogsReleaseID()); found != discogs.cend())
                m_owned.unite(QSet<QString>(found->begin(), found->end()));
        }
        if (!musicBrainz.isEmpty() && record->musicBrainzID()) {
            if (const auto found = musicBrainz.constFind(*record->musicBrainzID());
                found != musicBrainz.cend())
                m_owned.unite(QSet<QString>(found->begin(), found->end()));
        }
    }
}

bool OwnedReleases::contains(const ReleaseCandidate &candidate) const
{
    return m_owned.contains(candidate.id());
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
