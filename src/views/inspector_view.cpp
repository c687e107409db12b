#include "views/inspector_view.h"

#include "models/model_context.h"
#include "models/record.h"
#include "views/collection_statistics_view.h"
#include "views/multi_selection_view.h"
#include "views/record_detail_view.h"

#include <algorithm>

namespace vorla {

InspectorView::InspectorView(ModelContext *context, AppSettings &settings, RecordActions actions,
    MetadataRefresher::LookupFactory makeLookup, QWidget *parent)
    : QStackedWidget(parent)
    , m_context(context)
    , m_settings(settings)
    , m_actions(std::move(actions))
    , m_makeLookup(std::move(makeLookup))
{
    setObjectName(QStringLiteral("inspector"));
    m_statistics = new CollectionStatsView(context, settings, this);
    addWidget(m_statistics);
    m_multi = new MultiSelectionView(context, m_actions, this);
    addWidget(m_multi);
    auto reconsider = [this](const QList<QUuid> &ids) {
        for (const QUuid &id : ids) {
            if (m_selection.contains(id)) {
                update();
                return;
            }
        }
    };
    connect(context, &ModelContext::recordsRemoved, this, reconsider);
    connect(context, &ModelContext::recordsInserted, this, reconsider);
    update();
}

void InspectorView::setSelection(const QSet<QUuid> &ids)
{
    if (m_selection == ids)
        return;
    m_selection = ids;
    update();
}

void InspectorView::update()
{
    QList<Record *> selected;
    if (m_context) {
        for (const QUuid &id : std::as_const(m_selection)) {
            if (Record *record = m_context->record(id))
                selected.append(record);
        }
    }
    // Newest first, as the library lists them; ties must not follow the set's hash order.
    std::sort(selected.begin(), selected.end(), [](const Record *a, const Record *b) {
        if (a->dateAdded() != b->dateAdded())
            return a->dateAdded() > b->dateAdded();
        return a->id() < b->id();
    });

    if (selected.size() == 1) {
        const QUuid id = selected.first()->id();
        // A new record starts with a fresh view; the same one keeps its state.
        if (!m_detail || m_detail->recordID() != id) {
            auto *fresh = new RecordDetailView(m_context, id, m_actions, m_makeLookup, m_settings, this);
            addWidget(fresh);
            setCurrentWidget(fresh);
            if (m_detail) {
                removeWidget(m_detail);
                m_detail->deleteLater();
            }
            m_detail = fresh;
        }
        setCurrentWidget(m_detail);
        m_page = Page::detail;
        return;
    }
    if (m_detail) {
        removeWidget(m_detail);
        m_detail->deleteLater();
        m_detail = nullptr;
    }
    if (selected.size() > 1) {
        QList<QUuid> ids;
        ids.reserve(selected.size());
        for (const Record *record : std::as_const(selected))
            ids.append(record->id());
        m_multi->setRecords(ids);
        setCurrentWidget(m_multi);
        m_page = Page::multiSelection;
        return;
    }
    setCurrentWidget(m_statistics);
    m_page = Page::statistics;
}

} // namespace vorla
