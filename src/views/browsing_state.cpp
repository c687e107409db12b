#include "views/browsing_state.h"

#include "app/app_settings.h"
#include "core/pointer_set.h"
#include "models/model_context.h"
#include "models/record.h"
#include "views/collection_filter.h"

#include <QDateTime>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace vorla {

BrowsingState::BrowsingState(ModelContext *context, QObject *parent)
    : QObject(parent)
    , m_context(context)
{
    // The order first, so it is right when the collection is filtered again.
    connect(m_context, &ModelContext::recordsInserted, this, [this] { m_order.invalidate(); });
    // Removed records leave the orders and the visible list at once, so nothing holds them
    // after they are destroyed. What is left is still filtered and ordered as it was, so
    // nothing is filtered again.
    connect(m_context, &ModelContext::recordsAboutToBeRemoved, this,
        [this](const QList<Record *> &removed) {
            const PointerSet gone(removed);
            m_order.recordsRemoved(gone);
            const qsizetype before = m_visible.size();
            m_visible.removeIf([&gone](const Record *record) { return gone.contains(record); });
            if (m_visible.size() != before)
                scheduleVisibleChanged();
        });
    connect(m_context, &ModelContext::recordsChanged, this, [this](const QList<QUuid> &ids) {
        QList<Record *> edited;
        for (const QUuid &id : ids) {
            if (Record *record = m_context->record(id))
                edited.append(record);
        }
        m_order.recordsEdited(edited);
    });
    // A new or edited record can match the search, so the next search starts afresh.
    for (auto signal : { &ModelContext::recordsInserted, &ModelContext::recordsChanged }) {
        connect(m_context, signal, this, [this] {
            m_filtered.reset();
            scheduleUpdate();
        });
    }
    connect(&AppSettings::shared(), &AppSettings::valueChanged, this, [this](const QString &key) {
        if (key == AppSettings::sortKeyKey || key == AppSettings::sortAscendingKey) {
            m_filtered.reset();
            scheduleUpdate();
            emit sortChanged();
        }
    });
    recompute();
}

void BrowsingState::setSidebar(const std::optional<SidebarItem> &item)
{
    if (m_sidebar == item)
        return;
    m_sidebar = item;
    scheduleUpdate();
    emit sidebarChanged();
}

void BrowsingState::setSearchText(const QString &text)
{
    if (m_searchText == text)
        return;
    m_searchText = text;
    scheduleUpdate();
    emit searchTextChanged();
}

SortKey BrowsingState::sortKey() const
{
    return AppSettings::shared().sortKey();
}

bool BrowsingState::sortAscending() const
{
    return AppSettings::shared().sortAscending();
}

void BrowsingState::setSort(SortKey key, bool ascending)
{
    AppSettings::shared().setSortKey(key);
    AppSettings::shared().setSortAscending(ascending);
}

void BrowsingState::setSelection(const QSet<QUuid> &ids)
{
    if (m_selection == ids)
        return;
    m_selection = ids;
    emit selectionChanged();
}

QList<QUuid> BrowsingState::visibleSelection() const
{
    QList<QUuid> result;
    if (m_selection.isEmpty())
        return result;
    for (const Record *record : m_visible) {
        if (m_selection.contains(record->id()))
            result.append(record->id());
    }
    return result;
}

QList<Record *> BrowsingState::selectedRecords() const
{
    QList<Record *> selected;
    for (const QUuid &id : m_selection) {
        if (Record *record = m_context->record(id))
            selected.append(record);
    }
    // Ties are rare but must not follow the set's hash order.
    std::sort(selected.begin(), selected.end(), [](const Record *a, const Record *b) {
        if (a->dateAdded() != b->dateAdded())
            return a->dateAdded() > b->dateAdded();
        return a->id() < b->id();
    });
    return selected;
}

void BrowsingState::setPendingDelete(const QList<QUuid> &ids)
{
    if (m_pendingDelete == ids)
        return;
    m_pendingDelete = ids;
    emit pendingDeleteChanged();
}

QList<Record *> BrowsingState::displayOrder()
{
    return m_order.sorted(m_context->records(), sortKey(), sortAscending());
}

void BrowsingState::scheduleUpdate()
{
    if (m_updateScheduled)
        return;
    m_updateScheduled = true;
    QTimer::singleShot(0, this, &BrowsingState::update);
}

void BrowsingState::scheduleVisibleChanged()
{
    if (m_visibleChangeScheduled)
        return;
    m_visibleChangeScheduled = true;
    QTimer::singleShot(0, this, [this] {
        // A recompute on its way tells the views itself.
        if (std::exchange(m_visibleChangeScheduled, false) && !m_updateScheduled)
            emit visibleRecordsChanged();
    });
}

void BrowsingState::update()
{
    if (!m_updateScheduled)
        return;
    recompute();
}

void BrowsingState::recompute()
{
    m_updateScheduled = false;
    m_visibleChangeScheduled = false;
    // A longer search keeps a subset of what the shorter one kept, in the same order, so
    // typing on only filters what is shown.
    const QString query = searchQuery(m_searchText);
    const bool narrowing
        = m_filtered && m_filtered->sidebar == m_sidebar && query.contains(m_filtered->query);
    const QList<Record *> candidates = narrowing ? m_visible : displayOrder();
    m_visible = filterRecords(candidates, m_searchText, m_sidebar, QDateTime::currentDateTimeUtc());
    m_filtered = FilterInput { query, m_sidebar };
    emit visibleRecordsChanged();
}

} // namespace vorla
