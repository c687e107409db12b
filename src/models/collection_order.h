// Every stored record in display order, kept between updates: typing into the search field
// only filters, and switching the sort key reuses what earlier sorts learnt about the
// records (their sort values and the tie-breaking order) until the records change.
#pragma once

#include "core/pointer_set.h"
#include "models/sort_key.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QUuid>

#include <vector>

namespace vorla {

class Record;

class CollectionOrder
{
public:
    // The records in display order: newest first, then stably by the key and direction, then
    // by artist, year and title ascending.
    const QList<Record *> &sorted(const QList<Record *> &records, SortKey key, bool ascending);
    // Records came or went, or their sort values changed.
    void invalidate();
    // These records are being removed: they leave every order computed so far, which stay
    // valid for the rest. Only their addresses are compared, and only when an order or an
    // edit next needs them, so a deletion does not wait for the orders to be compacted.
    void recordsRemoved(const PointerSet &gone);
    // These records were edited: only what reads a changed value is computed again (a
    // favourite toggle or new notes leave every order as it was, a new rating only the
    // rating orders, a new title the title ranks and the tie-breaking order).
    void recordsEdited(const QList<Record *> &records);

private:
    struct Entry {
        Record *record = nullptr;
        QString artist;
        QString title;
        int year = 0;
        qint64 added = 0;
        // Position in the tie-breaking order: artist, year and title ascending, then newest first.
        int tieRank = 0;
        // Equal artists share a rank, in ascending order.
        qint64 artistRank = 0;
        // What a label or rating edit is compared with; only their own orders read them.
        size_t labelHash = 0;
        int rating = 0;
    };

    void forgetOrders(SortKey key);
    // Takes the records removed since the last call out of the entries and the orders.
    void dropRemoved();

    void prepare(const QList<Record *> &records);
    void rankArtists();
    void rankTies();
    // A number per entry that orders the entries as the key does, ascending.
    std::vector<qint64> primaryValues(SortKey key);
    std::vector<qint64> textRanks(const std::vector<QString> &texts) const;

    bool m_prepared = false;
    std::vector<Entry> m_entries; // newest first
    QHash<const Record *, size_t> m_entryIndex; // built on the first edit
    // Each entry's rank among all titles and labels; empty until a sort needs them.
    std::vector<qint64> m_titleRanks;
    std::vector<qint64> m_labelRanks;
    // Removed but still in the entries and orders. Their addresses stay unique until the
    // next insert, which invalidates everything anyway.
    PointerSet m_removed;
    QHash<int, QList<Record *>> m_orders; // by key and direction
    QList<Record *> m_current;
    int m_currentKey = -1;
};

} // namespace vorla
