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

// The service ids of the stored records, gathered once for a whole list of candidates.
class OwnedReleases
{
public:
    explicit OwnedReleases(const QList<Record *> &records);
    bool contains(const ReleaseCandidate &candidate) const;

private:
    QSet<qint64> m_discogs;
    QSet<QString> m_musicBrainz;
};

// Records that are the draft's release: the same Discogs id, else the same MusicBrainz id,
// else the same barcode (leading zeros ignored).
qsizetype matchingRecordCount(const QList<Record *> &records, const RecordDraft &draft);
// The warning for that count; none when no record matches.
std::optional<QString> duplicateWarning(qsizetype matches);

} // namespace vorla
