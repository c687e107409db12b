#include "views/collection_order.h"

#include "models/record.h"

#include <QHashFunctions>

#include <algorithm>
#include <limits>
#include <numeric>

namespace vorla {

namespace {

int orderKey(SortKey key, bool ascending)
{
    return int(key) * 2 + (ascending ? 1 : 0);
}

// Newest first as QDateTime orders them: an invalid date after every valid one.
qint64 addedOrder(const Record &record)
{
    const QDateTime &added = record.dateAdded();
    return added.isValid() ? added.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
}

} // namespace

void CollectionOrder::invalidate()
{
    m_prepared = false;
    m_entries.clear();
    m_entryIndex.clear();
    m_orders.clear();
}

size_t CollectionOrder::tieValuesHash(const Record &record)
{
    return qHashMulti(0, record.artistSortKey(), record.titleSortKey(), record.yearSortKey(),
                      addedOrder(record));
}

void CollectionOrder::forgetOrders(SortKey key)
{
    m_orders.remove(orderKey(key, true));
    m_orders.remove(orderKey(key, false));
}

void CollectionOrder::recordsEdited(const QList<Record *> &records)
{
    if (!m_prepared)
        return;
    if (m_entryIndex.isEmpty()) {
        m_entryIndex.reserve(qsizetype(m_entries.size()));
        for (size_t i = 0; i < m_entries.size(); ++i)
            m_entryIndex.insert(m_entries[i].record, i);
    }
    for (const Record *record : records) {
        const auto found = m_entryIndex.constFind(record);
        if (found == m_entryIndex.cend() || m_entries[*found].tieValuesHash != tieValuesHash(*record)) {
            invalidate();
            return;
        }
        Entry &entry = m_entries[*found];
        if (const size_t label = qHash(record->labelSortKey()); label != entry.labelHash) {
            entry.labelHash = label;
            forgetOrders(SortKey::label);
        }
        if (record->rating() != entry.rating) {
            entry.rating = record->rating();
            forgetOrders(SortKey::rating);
        }
    }
}

void CollectionOrder::prepare(const QList<Record *> &records)
{
    std::vector<std::pair<qint64, Record *>> newest;
    newest.reserve(size_t(records.size()));
    for (Record *record : records)
        newest.emplace_back(addedOrder(*record), record);
    std::stable_sort(newest.begin(), newest.end(), [](const auto &a, const auto &b) { return a.first > b.first; });

    m_entries.clear();
    m_entryIndex.clear();
    m_entries.reserve(newest.size());
    for (const auto &[added, record] : newest) {
        Entry entry;
        entry.record = record;
        entry.artist = record->artistSortKey();
        entry.title = record->titleSortKey();
        entry.year = record->yearSortKey();
        entry.tieValuesHash = tieValuesHash(*record);
        entry.labelHash = qHash(record->labelSortKey());
        entry.rating = record->rating();
        m_entries.push_back(std::move(entry));
    }

    // The tie-breaking order every sort ends with; its artist runs give the artist ranks.
    std::vector<int> ties(m_entries.size());
    std::iota(ties.begin(), ties.end(), 0);
    std::stable_sort(ties.begin(), ties.end(), [this](int a, int b) {
        const Entry &x = m_entries[size_t(a)];
        const Entry &y = m_entries[size_t(b)];
        if (const int order = QString::compare(x.artist, y.artist); order != 0)
            return order < 0;
        if (x.year != y.year)
            return x.year < y.year;
        return QString::compare(x.title, y.title) < 0;
    });
    int artistRank = -1;
    const QString *artist = nullptr;
    for (size_t position = 0; position < ties.size(); ++position) {
        Entry &entry = m_entries[size_t(ties[position])];
        if (!artist || *artist != entry.artist)
            ++artistRank;
        artist = &entry.artist;
        entry.tieRank = int(position);
        entry.artistRank = artistRank;
    }
    m_prepared = true;
}

std::vector<qint64> CollectionOrder::textRanks(const std::vector<QString> &texts) const
{
    std::vector<int> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&texts](int a, int b) { return QString::compare(texts[size_t(a)], texts[size_t(b)]) < 0; });
    std::vector<qint64> ranks(texts.size());
    qint64 rank = -1;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i == 0 || texts[size_t(order[i])] != texts[size_t(order[i - 1])])
            ++rank;
        ranks[size_t(order[i])] = rank;
    }
    return ranks;
}

std::vector<qint64> CollectionOrder::primaryValues(SortKey key)
{
    std::vector<qint64> values;
    values.reserve(m_entries.size());
    switch (key) {
    case SortKey::artist:
        for (const Entry &entry : m_entries)
            values.push_back(entry.artistRank);
        return values;
    case SortKey::title: {
        std::vector<QString> titles;
        titles.reserve(m_entries.size());
        for (const Entry &entry : m_entries)
            titles.push_back(entry.title);
        return textRanks(titles);
    }
    case SortKey::label: {
        std::vector<QString> labels;
        labels.reserve(m_entries.size());
        for (const Entry &entry : m_entries)
            labels.push_back(entry.record->labelSortKey());
        return textRanks(labels);
    }
    case SortKey::year:
        for (const Entry &entry : m_entries)
            values.push_back(entry.year);
        return values;
    case SortKey::dateAdded:
        for (const Entry &entry : m_entries)
            values.push_back(entry.record->dateAdded().toMSecsSinceEpoch());
        return values;
    case SortKey::rating:
        for (const Entry &entry : m_entries)
            values.push_back(entry.record->rating());
        return values;
    }
    return values;
}

const QList<Record *> &CollectionOrder::sorted(const QList<Record *> &records, SortKey key, bool ascending)
{
    if (!m_prepared)
        prepare(records);
    if (const auto found = m_orders.constFind(orderKey(key, ascending)); found != m_orders.cend()) {
        m_current = *found;
        return m_current;
    }

    // The chosen key in its direction, then the tie-breaking order: a total order, so the
    // sort need not be stable.
    const std::vector<qint64> primary = primaryValues(key);
    std::vector<int> order(m_entries.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const qint64 x = primary[size_t(a)];
        const qint64 y = primary[size_t(b)];
        if (x != y)
            return ascending ? x < y : x > y;
        return m_entries[size_t(a)].tieRank < m_entries[size_t(b)].tieRank;
    });
    QList<Record *> result;
    result.reserve(qsizetype(order.size()));
    for (int index : order)
        result.append(m_entries[size_t(index)].record);
    m_orders.insert(orderKey(key, ascending), result);
    m_current = std::move(result);
    return m_current;
}

} // namespace vorla
