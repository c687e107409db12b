// The main window's operations on the collection as a whole: reading a CSV file into new
// records, writing the whole collection to a CSV file, deleting records after a
// confirmation, and queueing the records that lack metadata. Outcomes reach the user as
// alerts with a short title.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUuid>
#include <QWidget>

#include <functional>

#include "app/run_task.h"
#include "models/record_draft.h"


namespace vorla {

class CollectionDialogs;
class CollectionSelection;
class ModelContext;
class Record;

class CollectionOperations : public QObject
{
    Q_OBJECT
public:
    CollectionOperations(ModelContext *context, CollectionSelection *selection,
                         CollectionDialogs *dialogs, QWidget *window, QObject *parent = nullptr);

    // How records are handed to the background metadata refresher.
    void setStartRefresh(std::function<void(const QList<QUuid> &)> start) { m_startRefresh = std::move(start); }

    // Opens the import panel; `closed` runs when it is answered or cancelled.
    void chooseImportFile(std::function<void()> closed = {});
    // Reads the file on a worker, then inserts its records and tells the outcome in an
    // alert; importFinished() follows.
    void importCSV(const QString &path);
    bool isImporting() const { return m_importing; }

    // Opens the export panel proposing "Vorla Collection.csv"; the text is built from
    // `records` (every record, in display order) only now.
    void chooseExportFile(const QList<Record *> &records, std::function<void()> closed = {});
    void exportCSV(const QString &path, const QString &text);

    // Asks for confirmation, then deletes; `closed` runs when the confirmation is answered.
    void requestDelete(const QList<QUuid> &ids, std::function<void()> closed = {});
    const QList<QUuid> &pendingDelete() const { return m_pendingDelete; }
    void deleteRecords(const QList<QUuid> &ids);

    // Queues every record (newest first) that lacks its cover thumbnail or tracklist and has
    // something to look it up by.
    void fetchMissingMetadata();

signals:
    void recordsDeleted(const QList<QUuid> &ids);
    void importFinished();

private:
    void alert(const QString &title, const QString &message);
    void insertImported(TaskResult<QList<RecordDraft>> &result);

    ModelContext *m_context;
    CollectionSelection *m_selection;
    CollectionDialogs *m_dialogs;
    QPointer<QWidget> m_window;
    std::function<void(const QList<QUuid> &)> m_startRefresh;
    QList<QUuid> m_pendingDelete;
    bool m_importing = false;
};

} // namespace vorla
