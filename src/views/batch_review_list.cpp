#include "views/batch_review_list.h"

#include "app/batch_matcher.h"

#include <QApplication>
#include <QEvent>
#include <QScrollBar>
#include <QSet>

#include <algorithm>

namespace vorla {

namespace {

// Until a row was measured: about a line, a title and the details.
constexpr int kEstimatedHeight = 56;
// Measuring the rows that came into sight moves the others; a few rounds settle it.
constexpr int kLayoutRounds = 4;
// Kilobytes of downloaded thumbnails kept: some hundred covers.
constexpr int kThumbnailKilobytes = 16 * 1024;

bool holdsFocus(const QWidget *row)
{
    const QWidget *focus = QApplication::focusWidget();
    return focus && (focus == row || row->isAncestorOf(focus));
}

} // namespace

BatchReviewList::BatchReviewList(
    BatchMatcher *matcher, BatchItemRow::ThumbnailFetch fetch, QThreadPool *pool, QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_matcher(matcher)
    , m_fetch(std::move(fetch))
    , m_pool(pool)
    , m_thumbnails(kThumbnailKilobytes)
{
    setObjectName(QStringLiteral("list"));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::NoFocus);
    verticalScrollBar()->setSingleStep(20);
    m_tops = { 0 };
}

void BatchReviewList::setIDs(const QList<QUuid> &ids)
{
    if (ids != m_ids) {
        m_ids = ids;
        m_indexes.clear();
        m_indexes.reserve(m_ids.size());
        for (qsizetype i = 0; i < m_ids.size(); ++i)
            m_indexes.insert(m_ids.at(i), i);
        updatePositions();
    }
    layoutRows();
}

void BatchReviewList::refreshItem(const QUuid &id)
{
    BatchItemRow *row = m_bound.value(id);
    if (!row)
        return;
    row->refresh();
    if (measure(row))
        reposition();
    layoutRows();
}

void BatchReviewList::refreshAll()
{
    QSet<QUuid> present;
    present.reserve(m_matcher->items().size());
    for (const BatchItem &item : m_matcher->items())
        present.insert(item.id);
    for (auto it = m_heights.begin(); it != m_heights.end();) {
        if (present.contains(it.key())) {
            ++it;
            continue;
        }
        m_measuredTotal -= it.value();
        --m_measuredCount;
        it = m_heights.erase(it);
    }
    bool changed = false;
    for (BatchItemRow *row : std::as_const(m_bound)) {
        // Rows of items that left are released by the next layout.
        if (!present.contains(row->id()))
            continue;
        row->refresh();
        changed |= measure(row);
    }
    if (changed)
        reposition();
    layoutRows();
}

BatchItemRow *BatchReviewList::scrollTo(const QUuid &id)
{
    const qsizetype index = m_indexes.value(id, -1);
    if (index < 0)
        return nullptr;
    QScrollBar *bar = verticalScrollBar();
    for (int round = 0; round < kLayoutRounds; ++round) {
        const int top = m_tops.at(index);
        const int bottom = m_tops.at(index + 1);
        if (top < bar->value())
            bar->setValue(top);
        else if (bottom > bar->value() + viewport()->height())
            bar->setValue(std::min(top, bottom - viewport()->height()));
        layoutRows();
        // Measuring the rows that came into sight may have moved this one.
        if (m_tops.at(index) == top && m_tops.at(index + 1) == bottom)
            break;
    }
    return m_bound.value(id);
}

bool BatchReviewList::viewportEvent(QEvent *event)
{
    const bool result = QAbstractScrollArea::viewportEvent(event);
    if (event->type() == QEvent::Resize) {
        updatePositions();
        layoutRows();
    }
    return result;
}

void BatchReviewList::scrollContentsBy(int dx, int dy)
{
    if (m_laying)
        return;
    // Rows already in sight move with the painted content; only new ones are bound.
    viewport()->scroll(dx, dy);
    layoutRows();
}

int BatchReviewList::heightAt(qsizetype index) const
{
    const auto found = m_heights.constFind(m_ids.at(index));
    if (found != m_heights.constEnd())
        return found.value();
    return m_measuredCount > 0 ? int(m_measuredTotal / m_measuredCount) : kEstimatedHeight;
}

qsizetype BatchReviewList::indexAt(int y) const
{
    if (m_ids.isEmpty())
        return -1;
    const auto after = std::upper_bound(m_tops.cbegin(), m_tops.cend() - 1, y);
    return std::clamp<qsizetype>(after - m_tops.cbegin() - 1, 0, m_ids.size() - 1);
}

void BatchReviewList::updatePositions()
{
    m_tops.resize(m_ids.size() + 1);
    int top = 0;
    for (qsizetype i = 0; i < m_ids.size(); ++i) {
        m_tops[i] = top;
        top += heightAt(i);
    }
    m_tops.last() = top;
    const bool laying = std::exchange(m_laying, true);
    QScrollBar *bar = verticalScrollBar();
    const int page = viewport()->height();
    bar->setPageStep(page);
    bar->setRange(0, std::max(0, top - page));
    m_laying = laying;
}

void BatchReviewList::reposition()
{
    // The row at the top stays where it is while rows above it change their height, and a
    // list scrolled to its end stays there.
    QScrollBar *bar = verticalScrollBar();
    const bool atEnd = bar->value() > 0 && bar->value() == bar->maximum();
    const qsizetype first = indexAt(bar->value());
    const int offset = first < 0 ? 0 : bar->value() - m_tops.at(first);
    updatePositions();
    const bool laying = std::exchange(m_laying, true);
    if (atEnd)
        bar->setValue(bar->maximum());
    else if (first >= 0 && first < m_ids.size())
        bar->setValue(m_tops.at(first) + offset);
    m_laying = laying;
}

bool BatchReviewList::measure(BatchItemRow *row)
{
    // Wrapped labels may need more than the size hint at this width, never less.
    int height = row->sizeHint().height();
    if (row->hasHeightForWidth())
        height = std::max(height, row->heightForWidth(viewport()->width()));
    const auto found = m_heights.find(row->id());
    if (found != m_heights.end()) {
        if (found.value() == height)
            return false;
        m_measuredTotal += height - found.value();
        found.value() = height;
        return true;
    }
    m_heights.insert(row->id(), height);
    m_measuredTotal += height;
    ++m_measuredCount;
    return true;
}

BatchItemRow *BatchReviewList::take(const QUuid &id)
{
    BatchItemRow *row = nullptr;
    if (!m_spare.isEmpty()) {
        row = m_spare.takeLast();
        row->rebind(id);
    } else {
        row = new BatchItemRow(m_matcher, id, m_fetch, m_pool, &m_thumbnails, viewport());
        connect(row, &BatchItemRow::removeRequested, this, &BatchReviewList::removeRequested);
    }
    m_bound.insert(id, row);
    m_boundChanged = true;
    return row;
}

void BatchReviewList::layoutRows()
{
    if (m_laying)
        return;
    m_laying = true;
    QScrollBar *bar = verticalScrollBar();
    for (int round = 0; round < kLayoutRounds; ++round) {
        bool changed = false;
        // Heights depend on the width through wrapped labels.
        if (viewport()->width() != m_measuredWidth) {
            m_measuredWidth = viewport()->width();
            m_heights.clear();
            m_measuredTotal = 0;
            m_measuredCount = 0;
            for (BatchItemRow *row : std::as_const(m_bound))
                measure(row);
            changed = true;
        }
        const qsizetype first = indexAt(bar->value());
        const qsizetype last = indexAt(bar->value() + viewport()->height() - 1);
        // The row with the keyboard focus stays bound while it is listed, so it keeps it.
        for (auto it = m_bound.begin(); it != m_bound.end();) {
            const qsizetype index = m_indexes.value(it.key(), -1);
            if ((index >= first && index <= last && first >= 0)
                || (index >= 0 && holdsFocus(it.value()))) {
                ++it;
                continue;
            }
            // A row re-bound to another item must not keep the focus, or Delete removes that.
            if (holdsFocus(it.value()))
                QApplication::focusWidget()->clearFocus();
            // Hidden only if no row in sight takes it up again: showing a row costs.
            m_spare.append(it.value());
            it = m_bound.erase(it);
            m_boundChanged = true;
        }
        for (qsizetype i = first; i >= 0 && i <= last; ++i) {
            if (!m_bound.contains(m_ids.at(i)))
                changed |= measure(take(m_ids.at(i)));
        }
        if (!changed)
            break;
        reposition();
    }
    for (BatchItemRow *row : std::as_const(m_spare)) {
        if (!row->isHidden())
            row->hide();
    }
    const int width = viewport()->width();
    for (auto it = m_bound.cbegin(); it != m_bound.cend(); ++it) {
        const qsizetype index = m_indexes.value(it.key());
        BatchItemRow *row = it.value();
        row->setGeometry(0, m_tops.at(index) - bar->value(), width, heightAt(index));
        row->setAlternate(index % 2 == 1);
        row->show();
    }
    if (std::exchange(m_boundChanged, false))
        linkFocusChain();
    m_laying = false;
}

void BatchReviewList::linkFocusChain()
{
    // New rows join the end of the window's focus chain; Tab meets them where the list is,
    // after the control before it, in list order.
    QWidget *previous = previousInFocusChain();
    while (previous != this
        && (previous->focusPolicy() == Qt::NoFocus || viewport()->isAncestorOf(previous)))
        previous = previous->previousInFocusChain();
    if (previous == this)
        return;
    QList<BatchItemRow *> rows = m_bound.values();
    std::sort(rows.begin(), rows.end(), [this](BatchItemRow *a, BatchItemRow *b) {
        return m_indexes.value(a->id()) < m_indexes.value(b->id());
    });
    for (BatchItemRow *row : std::as_const(rows)) {
        QWidget::setTabOrder(previous, row);
        previous = row;
        for (QWidget *control : row->findChildren<QWidget *>()) {
            if (control->focusPolicy() == Qt::NoFocus)
                continue;
            QWidget::setTabOrder(previous, control);
            previous = control;
        }
    }
}

bool BatchReviewList::focusNextPrevChild(bool next)
{
    QWidget *focus = QApplication::focusWidget();
    BatchItemRow *from = nullptr;
    for (BatchItemRow *row : std::as_const(m_bound)) {
        if (focus && (focus == row || row->isAncestorOf(focus)))
            from = row;
    }
    if (!from)
        return QAbstractScrollArea::focusNextPrevChild(next);
    const auto step = [next](QWidget *widget) {
        return next ? widget->nextInFocusChain() : widget->previousInFocusChain();
    };
    const auto takesTab = [](const QWidget *widget) {
        return widget->isVisible() && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus);
    };
    QWidget *candidate = step(focus);
    while (candidate != focus && !takesTab(candidate))
        candidate = step(candidate);
    if (from->isAncestorOf(candidate))
        return QAbstractScrollArea::focusNextPrevChild(next);

    // Rows whose controls are all off (lines still waiting) are passed over.
    for (qsizetype index = m_indexes.value(from->id()) + (next ? 1 : -1);
         index >= 0 && index < m_ids.size(); index += next ? 1 : -1) {
        BatchItemRow *to = scrollTo(m_ids.at(index));
        QWidget *target = nullptr;
        for (QWidget *child = to->nextInFocusChain(); to->isAncestorOf(child);
             child = child->nextInFocusChain()) {
            if (takesTab(child)) {
                target = child;
                if (next)
                    break;
            }
        }
        if (target) {
            target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    // Past the ends of the list: the first control outside it.
    for (QWidget *widget = step(focus); widget != focus; widget = step(widget)) {
        if (!viewport()->isAncestorOf(widget) && takesTab(widget)) {
            widget->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return QAbstractScrollArea::focusNextPrevChild(next);
}

} // namespace vorla
