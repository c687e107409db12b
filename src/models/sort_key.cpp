#include "models/sort_key.h"

#include "models/record.h"

#include <algorithm>
#include <vector>

namespace vorla {

QString rawValue(SortKey key)
{
    switch (key) {
    case SortKey::artist: return QStringLiteral("artist");
    case SortKey::title: return QStringLiteral("title");
    case SortKey::year: return QStringLiteral("year");
    case SortKey::label: return QStringLiteral("label");
    case SortKey::dateAdded: return QStringLiteral("dateAdded");
    case SortKey::rating: return QStringLiteral("rating");
    }
    return QString();
}

QString displayName(SortKey key)
{
    switch (key) {
    case SortKey::artist: return QStringLiteral("Artist");
    case SortKey::title: return QStringLiteral("Title");
    case SortKey::year: return QStringLiteral("Year");
    case SortKey::label: return QStringLiteral("Label");
    case SortKey::dateAdded: return QStringLiteral("Date Added");
    case SortKey::rating: return QStringLiteral("Rating");
    }
    return QString();
}

std::optional<SortKey> sortKeyFromRawValue(QStringView text)
{
    for (SortKey key : allSortKeys) {
        if (text == rawValue(key))
            return key;
    }
    return std::nullopt;
}

RecordKeyPath RecordComparator::keyPath() const
{
    switch (key) {
    case SortKey::artist: return RecordKeyPath::artistSortKey;
    case SortKey::title: return RecordKeyPath::titleSortKey;
    case SortKey::year: return RecordKeyPath::yearSortKey;
    case SortKey::label: return RecordKeyPath::labelSortKey;
    case SortKey::dateAdded: return RecordKeyPath::dateAdded;
    case SortKey::rating: return RecordKeyPath::rating;
    }
    return RecordKeyPath::artistSortKey;
}

namespace {

// -1, 0 or 1 comparing the key's values of a and b in forward order.
int compareValues(SortKey key, const Record &a, const Record &b)
{
    auto order = [](const auto &x, const auto &y) { return x < y ? -1 : (y < x ? 1 : 0); };
    switch (key) {
    case SortKey::artist: return order(a.artistSortKey(), b.artistSortKey());
    case SortKey::title: return order(a.titleSortKey(), b.titleSortKey());
    case SortKey::year: return order(a.yearSortKey(), b.yearSortKey());
    case SortKey::label: return order(a.labelSortKey(), b.labelSortKey());
    case SortKey::dateAdded: return order(a.dateAdded(), b.dateAdded());
    case SortKey::rating: return order(a.rating(), b.rating());
    }
    return 0;
}

template <typename Value>
void sortByValue(QList<Record *> &records, bool ascending, Value value)
{
    using V = decltype(value(*records.front()));
    std::vector<std::pair<V, Record *>> keyed;
    keyed.reserve(records.size());
    for (Record *record : records)
        keyed.emplace_back(value(*record), record);
    if (ascending)
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto &x, const auto &y) { return x.first < y.first; });
    else
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto &x, const auto &y) { return y.first < x.first; });
    for (qsizetype i = 0; i < records.size(); ++i)
        records[i] = keyed[size_t(i)].second;
}

// Text keys: all keys in one buffer, each led by its first four code units packed into an
// integer, so most comparisons touch neither the heap nor the buffer.
void sortByText(QList<Record *> &records, bool ascending, QString (Record::*value)() const)
{
    struct Keyed
    {
        quint64 prefix;
        qsizetype offset;
        qsizetype length;
        Record *record;
    };
    QString buffer;
    std::vector<Keyed> keyed;
    keyed.reserve(size_t(records.size()));
    for (Record *record : records) {
        const QString key = (record->*value)();
        quint64 prefix = 0;
        for (qsizetype i = 0; i < 4; ++i)
            prefix = (prefix << 16) | (i < key.size() ? key[i].unicode() : 0);
        keyed.push_back(Keyed{prefix, buffer.size(), key.size(), record});
        buffer.append(key);
    }
    const QStringView all(buffer);
    auto less = [all](const Keyed &x, const Keyed &y) {
        if (x.prefix != y.prefix)
            return x.prefix < y.prefix;
        return all.sliced(x.offset, x.length).compare(all.sliced(y.offset, y.length)) < 0;
    };
    if (ascending)
        std::stable_sort(keyed.begin(), keyed.end(), less);
    else
        std::stable_sort(keyed.begin(), keyed.end(),
                         [&less](const Keyed &x, const Keyed &y) { return less(y, x); });
    for (qsizetype i = 0; i < records.size(); ++i)
        records[i] = keyed[size_t(i)].record;
}

} // namespace

bool RecordComparator::operator()(const Record &a, const Record &b) const
{
    const int c = compareValues(key, a, b);
    return ascending ? c < 0 : c > 0;
}

RecordComparator comparator(SortKey key, bool ascending)
{
    return RecordComparator{key, ascending};
}

std::optional<SortKey> sortKeyFromKeyPath(RecordKeyPath keyPath)
{
    for (SortKey key : allSortKeys) {
        if (comparator(key, true).keyPath() == keyPath)
            return key;
    }
    return std::nullopt;
}

void sortRecords(QList<Record *> &records, SortKey key, bool ascending)
{
    if (records.size() < 2)
        return;
    switch (key) {
    case SortKey::artist:
        sortByText(records, ascending, &Record::artistSortKey);
        break;
    case SortKey::title:
        sortByText(records, ascending, &Record::titleSortKey);
        break;
    case SortKey::year:
        sortByValue(records, ascending, [](const Record &r) { return r.yearSortKey(); });
        break;
    case SortKey::label:
        sortByText(records, ascending, &Record::labelSortKey);
        break;
    case SortKey::dateAdded:
        sortByValue(records, ascending,
                    [](const Record &r) { return r.dateAdded().toMSecsSinceEpoch(); });
        break;
    case SortKey::rating:
        sortByValue(records, ascending, [](const Record &r) { return r.rating(); });
        break;
    }
}

} // namespace vorla
