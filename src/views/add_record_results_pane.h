// The add-record sheet's list of candidate releases: one row per candidate with its
// thumbnail, facts and source, a badge on releases already in the collection, and the
// failure of the last lookup above the list.
#pragma once

#include "views/add_record_state.h"

#include <QWidget>

#include <memory>
#include <stop_token>

class QLabel;
class QListWidget;
class QThreadPool;

namespace vorla {

class AddRecordServices;
class ModelContext;

class AddRecordResultsPane : public QWidget
{
    Q_OBJECT

public:
    AddRecordResultsPane(AddRecordState *state, ModelContext *context,
        std::shared_ptr<const AddRecordServices> services, QThreadPool *pool,
        QWidget *parent = nullptr);
    ~AddRecordResultsPane() override;

    // Year, country and format, the empty ones left out, joined with " · ".
    static QString detailsLine(const ReleaseCandidate &candidate);

    QListWidget *list() const { return m_list; }
    // The row shows the "In Collection" badge.
    bool isOwned(int row) const;
    // Gives up the downloads of the rows' thumbnails.
    void stopThumbnails();

signals:
    // A row was double-clicked.
    void chooseRequested(const ReleaseCandidate &candidate);

private:
    void rebuild();
    void showSelection();

    AddRecordState *m_state;
    ModelContext *m_context;
    std::shared_ptr<const AddRecordServices> m_services;
    QThreadPool *m_pool;
    QLabel *m_failure = nullptr;
    QListWidget *m_list = nullptr;
    // Stops the thumbnail downloads of the rows shown before.
    std::stop_source m_thumbnails;
};

} // namespace vorla
