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
    // The records or their sort values changed.
    void invalidate();

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
    };

    void prepare(const QList<Record *> &records);
    // A number per entry that orders the entries as the key does, ascending.
    std::vector<qint64> primaryValues(SortKey key);
    std::vector<qint64> textRanks(const std::vector<QString> &texts) const;

    bool m_prepared = false;
    std::vector<Entry> m_entries; // newest first
    QHash<int, QList<Record *>> m_orders; // by key and direction
    QList<Record *> m_current;
};

} // namespace vorla
