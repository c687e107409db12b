// Which records the collection area shows and in which order, the sidebar's counts and the
// count texts of the status bar and the delete confirmation.
#pragma once

#include "models/sort_key.h"
#include "views/sidebar_item.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace vorla {

class Record;

// "Recently Added" reaches back this far; a record added exactly at the limit is not recent.
inline constexpr qint64 kRecentSeconds = 2'592'000;

bool isRecentlyAdded(const Record &record, const QDateTime &now);
// Only the media grade counts: no grade of the scale, or not graded.
bool isUngraded(const Record &record);
bool sidebarKeeps(const Record &record, const SidebarItem &item, const QDateTime &now);

// The search field's text with spaces and tabs trimmed (line breaks stay).
QString searchQuery(const QString &searchText);

// The stored records, newest first: the order the filter walks.
QList<Record *> newestFirst(const QList<Record *> &records);

// The records of `records` that pass the search and the sidebar choice, in the given order.
QList<Record *> filterRecords(const QList<Record *> &records, const QString &searchText,
                              const std::optional<SidebarItem> &sidebar, const QDateTime &now);

struct SidebarCounts {
    qsizetype all = 0;
    qsizetype favorites = 0;
    qsizetype recent = 0;
    qsizetype ungraded = 0;
    QList<std::pair<QString, int>> genres; // by count descending, then name
    QList<std::pair<int, int>> decades; // newest first
};

SidebarCounts sidebarCounts(const QList<Record *> &records, const QDateTime &now);
// The counts of a library less some of its records, both counted at the same moment: what
// counting the rest afresh gives, without visiting it.
SidebarCounts withoutCounts(const SidebarCounts &counts, const SidebarCounts &removed);

// "1 record" / "<n> records".
QString recordCountText(qsizetype count);
// "Fetching metadata <completed> of <total>: <title>".
QString refreshProgressText(qint64 completed, qint64 total, const QString &title);
// "Delete “<title>”?" for one record, else "Delete <n> records?".
QString deleteTitle(const QList<Record *> &records);

} // namespace vorla
