// The inspector column: the record detail view for one selected record, the multi-selection
// view for several, the collection statistics for none. Selected ids that no longer name a
// stored record are ignored.
#pragma once

#include "app/metadata_refresher.h"
#include "views/record_actions.h"

#include <QList>
#include <QPointer>
#include <QSet>
#include <QStackedWidget>
#include <QUuid>

namespace vorla {

class AppSettings;
class CollectionStatsView;
class ModelContext;
class MultiSelectionView;
class RecordDetailView;

class InspectorView : public QStackedWidget
{
    Q_OBJECT

public:
    InspectorView(ModelContext *context, AppSettings &settings, RecordActions actions,
        MetadataRefresher::LookupFactory makeLookup, QWidget *parent = nullptr);

    void setSelection(const QSet<QUuid> &ids);
    QSet<QUuid> selection() const { return m_selection; }

    enum class Page { statistics, multiSelection, detail };
    Page page() const { return m_page; }
    // Null unless the page is detail.
    RecordDetailView *detailView() const { return m_detail; }
    MultiSelectionView *multiSelectionView() const { return m_multi; }
    CollectionStatsView *statisticsView() const { return m_statistics; }

private:
    void update();

    QPointer<ModelContext> m_context;
    AppSettings &m_settings;
    RecordActions m_actions;
    MetadataRefresher::LookupFactory m_makeLookup;
    QSet<QUuid> m_selection;
    Page m_page = Page::statistics;
    CollectionStatsView *m_statistics = nullptr;
    MultiSelectionView *m_multi = nullptr;
    RecordDetailView *m_detail = nullptr;
};

} // namespace vorla
