// The orders in which the collection can be listed, and their comparators.
#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace vorla {

class Record;

enum class SortKey { artist, title, year, label, dateAdded, rating };

inline constexpr std::array<SortKey, 6> allSortKeys = {
    SortKey::artist, SortKey::title, SortKey::year, SortKey::label, SortKey::dateAdded, SortKey::rating,
};

// The properties of Record a comparator can be built on (stored ones, then derived ones).
enum class RecordKeyPath {
    id, title, artist, year, label, catalogNumber, format, country, genres, styles, barcode,
    tracklistData, mediaConditionRaw, sleeveConditionRaw, notes, location, purchasePrice,
    purchaseDate, rating, isFavorite, dateAdded, coverImageData, thumbnailData, coverRevision,
    discogsReleaseID, musicBrainzID, sourceURL,
    mediaCondition, sleeveCondition, tracks, sourceName,
    artistSortKey, titleSortKey, yearSortKey, labelSortKey,
};

QString rawValue(SortKey key);        // "artist", "dateAdded", ...
QString displayName(SortKey key);     // "Artist", "Date Added", ...
std::optional<SortKey> sortKeyFromRawValue(QStringView text);

// Compares records by one key's value; no tie-break of its own.
struct RecordComparator
{
    SortKey key = SortKey::artist;
    bool ascending = true;

    RecordKeyPath keyPath() const;
    // True when `a` goes before `b`.
    bool operator()(const Record &a, const Record &b) const;
    bool operator()(const Record *a, const Record *b) const { return (*this)(*a, *b); }
};

RecordComparator comparator(SortKey key, bool ascending);
// The key whose comparator compares `keyPath`; none for any other property.
std::optional<SortKey> sortKeyFromKeyPath(RecordKeyPath keyPath);

} // namespace vorla
