#include "views/batch_review_filter.h"

#include <QCoreApplication>

namespace vorla {

namespace BatchReview {

using Kind = BatchItem::Status::Kind;

QString title(Filter filter)
{
    switch (filter) {
    case Filter::all:
        return QCoreApplication::translate("BatchReview", "All");
    case Filter::added:
        return QCoreApplication::translate("BatchReview", "Added");
    case Filter::review:
        return QCoreApplication::translate("BatchReview", "Needs Review");
    case Filter::notFound:
        return QCoreApplication::translate("BatchReview", "Not Found");
    case Filter::matched:
        return QCoreApplication::translate("BatchReview", "Matched");
    }
    return {};
}

bool belongs(const BatchItem &item, Filter filter)
{
    const Kind kind = item.status.kind;
    switch (filter) {
    case Filter::all:
        return true;
    case Filter::added:
        return item.isAdded();
    case Filter::review:
        return kind == Kind::needsReview || kind == Kind::failed;
    case Filter::notFound:
        return kind == Kind::notFound;
    case Filter::matched:
        return kind == Kind::matched && !item.isAdded();
    }
    return false;
}

QList<QUuid> filteredIDs(const QList<BatchItem> &items, Filter filter)
{
    QList<QUuid> ids;
    ids.reserve(items.size());
    for (const BatchItem &item : items) {
        if (belongs(item, filter))
            ids.append(item.id);
    }
    return ids;
}

int count(const QList<BatchItem> &items, Filter filter)
{
    int n = 0;
    for (const BatchItem &item : items)
        n += belongs(item, filter) ? 1 : 0;
    return n;
}

QString summary(const QList<BatchItem> &items)
{
    const int matched = count(items, Filter::matched);
    const int review = count(items, Filter::review);
    const int notFound = count(items, Filter::notFound);
    const int added = count(items, Filter::added);
    QStringList parts {
        QCoreApplication::translate("BatchReview", "%1 matched").arg(matched),
        QCoreApplication::translate("BatchReview", "%1 to review").arg(review),
        QCoreApplication::translate("BatchReview", "%1 not found").arg(notFound),
    };
    if (added > 0)
        parts.append(QCoreApplication::translate("BatchReview", "%1 added automatically").arg(added));
    return parts.join(QStringLiteral(" \u00b7 "));
}

int includedCount(const QList<BatchItem> &items)
{
    int n = 0;
    for (const BatchItem &item : items)
        n += item.include && item.isDone() && !item.isAdded() ? 1 : 0;
    return n;
}

QSet<QUuid> addedAndSkipped(const QList<BatchItem> &items)
{
    QSet<QUuid> ids;
    for (const BatchItem &item : items) {
        if (!item.include && item.isDone())
            ids.insert(item.id);
    }
    return ids;
}

} // namespace BatchReview

} // namespace vorla
