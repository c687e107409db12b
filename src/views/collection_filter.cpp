#include "views/collection_filter.h"

#include "models/grading.h"
#include "models/record.h"
#include "core/text_util.h"

#include <QCoreApplication>
#include <QHash>

#include <algorithm>
#include <vector>

namespace vorla {

bool isRecentlyAdded(const Record &record, const QDateTime &now)
{
    return record.dateAdded() > now.addSecs(-kRecentSeconds);
}

bool isUngraded(const Record &record)
{
    const std::optional<Grading> grading = gradingFromRawValue(record.mediaConditionRaw());
    return !grading || *grading == Grading::notGraded;
}

bool sidebarKeeps(const Record &record, const SidebarItem &item, const QDateTime &now)
{
    switch (item.kind) {
    case SidebarItem::Kind::all:
        return true;
    case SidebarItem::Kind::favorites:
        return record.isFavorite();
    case SidebarItem::Kind::recent:
        return isRecentlyAdded(record, now);
    case SidebarItem::Kind::ungraded:
        return isUngraded(record);
    case SidebarItem::Kind::genre:
        return record.genres().contains(item.genre, Qt::CaseSensitive);
    case SidebarItem::Kind::decade:
        return record.year() && *record.year() / 10 * 10 == item.decade;
    }
    return false;
}

QString searchQuery(const QString &searchText)
{
    return TextUtil::trimmedSpacesAndTabs(searchText);
}

QList<Record *> newestFirst(const QList<Record *> &records)
{
    QList<Record *> result = records;
    std::stable_sort(result.begin(), result.end(), [](const Record *a, const Record *b) {
        return a->dateAdded() > b->dateAdded();
    });
    return result;
}

namespace {

// How far ahead of the search the records, and then what the search reads of them, are
// fetched from memory.
constexpr qsizetype kRecordsAhead = 16;
constexpr qsizetype kKeysAhead = 8;

} // namespace

QList<Record *> filterRecords(const QList<Record *> &records, const QString &searchText,
                              const std::optional<SidebarItem> &sidebar, const QDateTime &now)
{
    const QString query = searchQuery(searchText);
    const SidebarItem item = sidebar.value_or(SidebarItem::all());
    QList<Record *> kept;
    const qsizetype count = records.size();
    for (qsizetype i = 0; i < count; ++i) {
        Record *record = records[i];
        if (!query.isEmpty()) {
            // The display order is not the order of the records in memory, so without this
            // the search mostly waits for memory, one record at a time.
            if (i + kRecordsAhead < count)
                records[i + kRecordsAhead]->prefetchSearchMember();
            if (i + kKeysAhead < count)
                records[i + kKeysAhead]->prefetchSearch();
            if (!record->matches(query))
                continue;
        }
        if (sidebarKeeps(*record, item, now))
            kept.append(record);
    }
    return kept;
}

SidebarCounts sidebarCounts(const QList<Record *> &records, const QDateTime &now)
{
    SidebarCounts counts;
    counts.all = records.size();
    const QDateTime recentLimit = now.addSecs(-kRecentSeconds);
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (i + kRecordsAhead < records.size())
            __builtin_prefetch(records[i + kRecordsAhead]);
        const Record *record = records[i];
        counts.favorites += record->isFavorite() ? 1 : 0;
        counts.recent += record->dateAdded() > recentLimit ? 1 : 0;
        counts.ungraded += isUngraded(*record) ? 1 : 0;
    }
    counts.genres = Record::genreCounts(records);
    counts.decades = Record::decadeCounts(records);
    return counts;
}

namespace {

// What is left of each count, in the order the counts came; counts that reach nothing go.
template <typename Key>
QList<std::pair<Key, int>> countsLeft(
    const QList<std::pair<Key, int>> &counts, const QList<std::pair<Key, int>> &removed)
{
    QHash<Key, int> gone;
    for (const auto &[key, count] : removed)
        gone.insert(key, count);
    QList<std::pair<Key, int>> left;
    for (const auto &[key, count] : counts) {
        if (const int rest = count - gone.value(key); rest > 0)
            left.append({ key, rest });
    }
    return left;
}

} // namespace

SidebarCounts withoutCounts(const SidebarCounts &counts, const SidebarCounts &removed)
{
    SidebarCounts rest;
    rest.all = counts.all - removed.all;
    rest.favorites = counts.favorites - removed.favorites;
    rest.recent = counts.recent - removed.recent;
    rest.ungraded = counts.ungraded - removed.ungraded;
    rest.genres = countsLeft(counts.genres, removed.genres);
    // Genres that lost records can fall behind others.
    std::sort(rest.genres.begin(), rest.genres.end(), [](const auto &a, const auto &b) {
        if (a.second != b.second)
            return a.second > b.second;
        return a.first < b.first;
    });
    rest.decades = countsLeft(counts.decades, removed.decades);
    return rest;
}

QString recordCountText(qsizetype count)
{
    if (count == 1)
        return QCoreApplication::translate("Collection", "1 record");
    return QCoreApplication::translate("Collection", "%1 records").arg(count);
}

QString refreshProgressText(qint64 completed, qint64 total, const QString &title)
{
    return QCoreApplication::translate("Collection", "Fetching metadata %1 of %2: %3")
        .arg(completed)
        .arg(total)
        .arg(title);
}

QString deleteTitle(const QList<Record *> &records)
{
    if (records.size() == 1)
        return QCoreApplication::translate("Collection", "Delete \u201C%1\u201D?").arg(records.first()->title());
    return QCoreApplication::translate("Collection", "Delete %1 records?").arg(records.size());
}

} // namespace vorla
