// The rows of the batch review: real row widgets only for the items in sight, re-bound to other
// items as the list scrolls, placed by each item's measured height (an estimate until the item
// was first in sight). Filtering and scrolling cost what is visible, not the whole list.
#pragma once

#include "views/batch_item_row.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QList>
#include <QUuid>

class QThreadPool;

namespace vorla {

class BatchMatcher;

class BatchReviewList : public QAbstractScrollArea
{
    Q_OBJECT

public:
    BatchReviewList(BatchMatcher *matcher, BatchItemRow::ThumbnailFetch fetch, QThreadPool *pool,
        QWidget *parent = nullptr);

    // The items listed, in order.
    const QList<QUuid> &ids() const { return m_ids; }
    bool contains(const QUuid &id) const { return m_indexes.contains(id); }
    // Lists these items; rows of items that stay in sight keep their widgets.
    void setIDs(const QList<QUuid> &ids);
    // The item changed in the matcher: its row, if in sight, shows it and is measured again.
    void refreshItem(const QUuid &id);
    // Items may have come, gone or changed: every row in sight shows its item anew.
    void refreshAll();
    // Scrolls until the item's row is in sight and returns it; null when the item is not listed.
    BatchItemRow *scrollTo(const QUuid &id);
    // The row showing the item now, or null when it is out of sight.
    BatchItemRow *boundRow(const QUuid &id) const { return m_bound.value(id); }

signals:
    // A row's context menu or the Delete key asked to take its item off the list.
    void removeRequested(const QUuid &id);

protected:
    bool viewportEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    // Rows are recycled, so the focus chain does not follow the list: Tab out of a row goes
    // to the row after it in the list, and past the ends to the controls around the list.
    bool focusNextPrevChild(bool next) override;

private:
    int heightAt(qsizetype index) const;
    // The row at that height of the list, clamped to the list; -1 when it is empty.
    qsizetype indexAt(int y) const;
    void updatePositions();
    void reposition();
    void layoutRows();
    void linkFocusChain();
    BatchItemRow *take(const QUuid &id);
    bool measure(BatchItemRow *row);

    BatchMatcher *m_matcher;
    BatchItemRow::ThumbnailFetch m_fetch;
    QThreadPool *m_pool;
    BatchItemRow::ThumbnailCache m_thumbnails;
    QList<QUuid> m_ids;
    QHash<QUuid, qsizetype> m_indexes;
    // Heights measured when the item was last in sight, at the viewport's width then.
    QHash<QUuid, int> m_heights;
    int m_measuredWidth = -1;
    qint64 m_measuredTotal = 0;
    int m_measuredCount = 0;
    // m_tops[i] is where row i starts; the last entry is the height of the whole list.
    QList<int> m_tops;
    QHash<QUuid, BatchItemRow *> m_bound;
    QList<BatchItemRow *> m_spare;
    bool m_laying = false;
    bool m_boundChanged = false;
};

} // namespace vorla
