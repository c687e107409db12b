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

} // namespace vorla
