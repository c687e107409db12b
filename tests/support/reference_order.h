// The display order computed the plain way: each record's compared values, one stable sort.
// The tests hold the app's own order against it.
#pragma once

#include "models/record.h"
#include "models/sort_key.h"

#include <QList>

#include <algorithm>
#include <vector>

namespace vorla::reference {

// Each record's compared values, computed once per sort rather than once per comparison.
// The chosen key is either a text or a number; only the one the key needs is filled.
struct SortEntry {
    QString primaryText;
    qint64 primaryNumber = 0;
    QString artist;
    int year = 0;
    QString title;
    Record *record = nullptr;
};

inline bool isTextKey(SortKey key)
{
    return key == SortKey::artist || key == SortKey::title || key == SortKey::label;
}

inline void fillPrimary(SortEntry &entry, const Record &record, SortKey key)
{
    switch (key) {
    case SortKey::artist:
        entry.primaryText = entry.artist;
        return;
    case SortKey::title:
        entry.primaryText = entry.title;
        return;
    case SortKey::label:
        entry.primaryText = record.labelSortKey();
        return;
    case SortKey::year:
        entry.primaryNumber = entry.year;
        return;
    case SortKey::dateAdded:
        entry.primaryNumber = record.dateAdded().toMSecsSinceEpoch();
        return;
    case SortKey::rating:
        entry.primaryNumber = record.rating();
        return;
    }
}

inline void sortForDisplay(QList<Record *> &records, SortKey key, bool ascending)
{
    std::vector<SortEntry> entries;
    entries.reserve(records.size());
    for (Record *record : std::as_const(records)) {
        SortEntry entry;
        entry.artist = record->artistSortKey();
        entry.year = record->yearSortKey();
        entry.title = record->titleSortKey();
        entry.record = record;
        fillPrimary(entry, *record, key);
        entries.push_back(std::move(entry));
    }
    const bool text = isTextKey(key);
    std::stable_sort(entries.begin(), entries.end(), [ascending, text](const SortEntry &a, const SortEntry &b) {
        const int order = text ? QString::compare(a.primaryText, b.primaryText)
                               : (a.primaryNumber < b.primaryNumber ? -1 : (a.primaryNumber > b.primaryNumber ? 1 : 0));
        if (order != 0)
            return ascending ? order < 0 : order > 0;
        if (const int byArtist = QString::compare(a.artist, b.artist); byArtist != 0)
            return byArtist < 0;
        if (a.year != b.year)
            return a.year < b.year;
        return QString::compare(a.title, b.title) < 0;
    });
    for (qsizetype i = 0; i < records.size(); ++i)
        records[i] = entries[size_t(i)].record;
}

// The stored records, newest first, then in display order.
inline QList<Record *> displayOrder(const QList<Record *> &records, SortKey key, bool ascending)
{
    QList<Record *> result = records;
    std::stable_sort(result.begin(), result.end(), [](const Record *a, const Record *b) {
        return a->dateAdded() > b->dateAdded();
    });
    sortForDisplay(result, key, ascending);
    return result;
}

} // namespace vorla::reference
