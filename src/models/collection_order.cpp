#include "models/collection_order.h"

#include "models/record.h"

#include <QHashFunctions>

#include <algorithm>
#include <numeric>
#include <utility>

namespace vorla {

namespace {

int orderKey(SortKey key, bool ascending)
{
    return int(key) * 2 + (ascending ? 1 : 0);
}

} // namespace

void CollectionOrder::invalidate()
{
    m_prepared = false;
    m_removed = PointerSet();
    m_entries.clear();
    m_entryIndex.clear();
    m_titleRanks.clear();
    m_labelRanks.clear();
    m_orders.clear();
}

void CollectionOrder::recordsRemoved(const PointerSet &gone)
{
    if (m_prepared)
        m_removed.unite(gone);
}

void CollectionOrder::dropRemoved()
{
    if (m_removed.isEmpty())
        return;
    const PointerSet gone = std::exchange(m_removed, PointerSet());
    // Compacted in place; ranks with gaps still order the rest as before.
    const bool titles = !m_titleRanks.empty();
    const bool labels = !m_labelRanks.empty();
    size_t kept = 0;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (gone.contains(m_entries[i].record))
            continue;
        if (kept != i) {
            m_entries[kept] = std::move(m_entries[i]);
            if (titles)
                m_titleRanks[kept] = m_titleRanks[i];
            if (labels)
                m_labelRanks[kept] = m_labelRanks[i];
        }
        ++kept;
    }
    if (kept == m_entries.size())
        return;
    m_entries.resize(kept);
    if (titles)
        m_titleRanks.resize(kept);
    if (labels)
        m_labelRanks.resize(kept);
    m_entryIndex.clear();
    const auto isGone = [&gone](Record *record) { return gone.contains(record); };
    // The current order shares its list with its cached copy: filtered once, shared again.
    m_current = QList<Record *>();
    for (auto it = m_orders.begin(); it != m_orders.end(); ++it) {
        it->removeIf(isGone);
        if (it.key() == m_currentKey)
            m_current = *it;
    }
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
    dropRemoved();
    if (m_entryIndex.isEmpty()) {
        m_entryIndex.reserve(qsizetype(m_entries.size()));
        for (size_t i = 0; i < m_entries.size(); ++i)
            m_entryIndex.insert(m_entries[i].record, i);
    }
    bool artists = false;
    bool ties = false;
    for (const Record *record : records) {
        const auto found = m_entryIndex.constFind(record);
        // A new date added moves the record in the newest-first order every sort starts from.
        if (found == m_entryIndex.cend() || m_entries[*found].added != record->dateAddedSortKey()) {
            invalidate();
            return;
        }
        Entry &entry = m_entries[*found];
        if (QString artist = record->artistSortKey(); artist != entry.artist) {
            entry.artist = std::move(artist);
            artists = true;
        }
        if (QString title = record->titleSortKey(); title != entry.title) {
            entry.title = std::move(title);
            m_titleRanks.clear();
            ties = true;
        }
        if (record->yearSortKey() != entry.year) {
            entry.year = record->yearSortKey();
            ties = true;
        }
        if (const size_t label = qHash(record->labelSortKey()); label != entry.labelHash) {
            entry.labelHash = label;
            m_labelRanks.clear();
            forgetOrders(SortKey::label);
        }
        if (record->rating() != entry.rating) {
            entry.rating = record->rating();
            forgetOrders(SortKey::rating);
        }
    }
    if (artists)
        rankArtists();
    // Every order ends with the tie-breaking order.
    if (artists || ties) {
        rankTies();
        m_orders.clear();
    }
}

void CollectionOrder::prepare(const QList<Record *> &records)
{
    std::vector<std::pair<qint64, Record *>> newest;
    newest.reserve(size_t(records.size()));
    for (Record *record : records)
        newest.emplace_back(record->dateAddedSortKey(), record);
    std::stable_sort(newest.begin(), newest.end(), [](const auto &a, const auto &b) { return a.first > b.first; });

    m_entries.clear();
    m_entryIndex.clear();
    m_titleRanks.clear();
    m_labelRanks.clear();
    m_entries.reserve(newest.size());
    for (const auto &[added, record] : newest) {
        Entry entry;
        entry.record = record;
        entry.artist = record->artistSortKey();
        entry.title = record->titleSortKey();
        entry.year = record->yearSortKey();
        entry.added = added;
        entry.labelHash = qHash(record->labelSortKey());
        entry.rating = record->rating();
        m_entries.push_back(std::move(entry));
    }
    rankArtists();
    rankTies();
    m_prepared = true;
}

void CollectionOrder::rankArtists()
{
    std::vector<QString> artists;
    artists.reserve(m_entries.size());
    for (const Entry &entry : m_entries)
        artists.push_back(entry.artist);
    const std::vector<qint64> ranks = textRanks(artists);
    for (size_t i = 0; i < m_entries.size(); ++i)
        m_entries[i].artistRank = ranks[i];
}

// The order every sort ends with: artist, year and title ascending; then newest first, the
// order of the entries, which the stable sort keeps.
void CollectionOrder::rankTies()
{
    std::vector<int> ties(m_entries.size());
    std::iota(ties.begin(), ties.end(), 0);
    std::stable_sort(ties.begin(), ties.end(), [this](int a, int b) {
        const Entry &x = m_entries[size_t(a)];
        const Entry &y = m_entries[size_t(b)];
        if (x.artistRank != y.artistRank)
            return x.artistRank < y.artistRank;
        if (x.year != y.year)
            return x.year < y.year;
        return QString::compare(x.title, y.title) < 0;
    });
    for (size_t position = 0; position < ties.size(); ++position)
        m_entries[size_t(ties[position])].tieRank = int(position);
}

std::vector<qint64> CollectionOrder::textRanks(const std::vector<QString> &texts) const
{
    // The first four UTF-16 units as one number order the texts as QString::compare does
    // wherever they differ, so the sort reads the texts themselves only on equal beginnings.
    struct Keyed {
        quint64 prefix;
        int index;
    };
    std::vector<Keyed> keyed(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        const QString &text = texts[i];
        quint64 prefix = 0;
        for (qsizetype unit = 0; unit < 4; ++unit)
            prefix = (prefix << 16) | (unit < text.size() ? text.at(unit).unicode() : 0u);
        keyed[i] = {prefix, int(i)};
    }
    std::sort(keyed.begin(), keyed.end(), [&texts](const Keyed &a, const Keyed &b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        return QString::compare(texts[size_t(a.index)], texts[size_t(b.index)]) < 0;
    });
    std::vector<qint64> ranks(texts.size());
    qint64 rank = -1;
    for (size_t i = 0; i < keyed.size(); ++i) {
        if (i == 0 || keyed[i].prefix != keyed[i - 1].prefix
            || texts[size_t(keyed[i].index)] != texts[size_t(keyed[i - 1].index)])
            ++rank;
        ranks[size_t(keyed[i].index)] = rank;
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
    case SortKey::title:
        if (m_titleRanks.empty()) {
            std::vector<QString> titles;
            titles.reserve(m_entries.size());
            for (const Entry &entry : m_entries)
                titles.push_back(entry.title);
            m_titleRanks = textRanks(titles);
        }
        return m_titleRanks;
    case SortKey::label:
        if (m_labelRanks.empty()) {
            std::vector<QString> labels;
            labels.reserve(m_entries.size());
            for (const Entry &entry : m_entries)
                labels.push_back(entry.record->labelSortKey());
            m_labelRanks = textRanks(labels);
        }
        return m_labelRanks;
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
    dropRemoved();
    if (const auto found = m_orders.constFind(orderKey(key, ascending)); found != m_orders.cend()) {
        m_current = *found;
        m_currentKey = found.key();
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
    m_currentKey = orderKey(key, ascending);
    return m_current;
}

} // namespace vorla
