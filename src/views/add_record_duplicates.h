// Which releases the collection already holds: the add-record sheet's "In Collection" badge
// and its warning before a second copy is added.
#pragma once

#include <QList>
#include <QSet>
#include <QString>

#include <optional>

namespace vorla {

class Record;
struct RecordDraft;
struct ReleaseCandidate;

// Which of a list of candidates the stored records hold, found in one pass over the records.
class OwnedReleases
{
public:
    OwnedReleases(const QList<Record *> &records, const QList<ReleaseCandidate> &candidates);
    bool contains(const ReleaseCandidate &candidate) const;

private:
    QSet<QString> m_owned;
};

// Records that are the draft's release: the same Discogs id, else the same MusicBrainz id,
// else the same barcode (leading zeros ignored).
qsizetype matchingRecordCount(const QList<Record *> &records, const RecordDraft &draft);
// The warning for that count; none when no record matches.
std::optional<QString> duplicateWarning(qsizetype matches);

} // namespace vorla
