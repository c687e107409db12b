// Every stored record in display order, kept between updates: typing into the search field
// only filters, and switching the sort key reuses what earlier sorts learnt about the
// records (their sort values and the tie-breaking order) until the records change.
#pragma once

#include "models/sort_key.h"

#include <QHash>
#include <QList>
#include <QString>

#include <vector>

namespace vorla {

class Record;

class CollectionOrder
{
public:
    // The records in display order: the same as sortForDisplay(newestFirst(records)).
    const QList<Record *> &sorted(const QList<Record *> &records, SortKey key, bool ascending);
    // Records came or went, or their sort values changed.
    void invalidate();
    // These records were edited: the orders are kept unless a value they sort by changed
    // (a favourite toggle or new notes leave every order as it was).
    void recordsEdited(const QList<Record *> &records);

private:
    struct Entry {
        Record *record = nullptr;
        QString artist;
        QString title;
        int year = 0;
        // Position in the tie-breaking order: artist, year and title ascending, then newest first.
        int tieRank = 0;
        // Equal artists share a rank, in ascending order.
        int artistRank = 0;
        // Of every value a sort reads, to tell an edit that moves the record from one that
        // does not.
        size_t sortValuesHash = 0;
    };

    static size_t sortValuesHash(const Record &record);

    void prepare(const QList<Record *> &records);
    // A number per entry that orders the entries as the key does, ascending.
    std::vector<qint64> primaryValues(SortKey key);
    std::vector<qint64> textRanks(const std::vector<QString> &texts) const;

    bool m_prepared = false;
    std::vector<Entry> m_entries; // newest first
    QHash<const Record *, size_t> m_entryIndex; // built on the first edit
    QHash<int, QList<Record *>> m_orders; // by key and direction
    QList<Record *> m_current;
};

} // namespace vorla
