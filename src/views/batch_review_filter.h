// What the batch review list shows under each filter, and the counts and tally it derives
// from the matcher's list. Plain functions over the items, so each change recounts in one pass.
#pragma once

#include "app/batch_item.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QUuid>

#include <array>

namespace vorla {

namespace BatchReview {

enum class Filter { all, added, review, notFound, matched };

inline constexpr std::array<Filter, 5> allFilters
    = { Filter::all, Filter::added, Filter::review, Filter::notFound, Filter::matched };

// The title: "All", "Added", "Needs Review", "Not Found", "Matched" (translated).
QString title(Filter filter);
bool belongs(const BatchItem &item, Filter filter);
QList<QUuid> filteredIDs(const QList<BatchItem> &items, Filter filter);
int count(const QList<BatchItem> &items, Filter filter);

// "<m> matched · <r> to review · <n> not found", then " · <a> added automatically" when a > 0.
QString summary(const QList<BatchItem> &items);
// What the add button would store: included, done, not added yet.
int includedCount(const QList<BatchItem> &items);
// The done items switched off (automatically added ones among them).
QSet<QUuid> addedAndSkipped(const QList<BatchItem> &items);

} // namespace BatchReview

} // namespace vorla
