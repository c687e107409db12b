#include "views/collection_operations.h"

#include "views/collection_dialogs.h"
#include "views/collection_filter.h"
#include "views/collection_selection.h"

#include "app/metadata_refresher.h"
#include "app/run_task.h"
#include "models/error.h"
#include "models/model_context.h"
#include "models/record.h"
#include "models/record_draft.h"
#include "services/collection_csv.h"

#include <QCoreApplication>

#include <memory>
#include <vector>

namespace vorla {

CollectionOperations::CollectionOperations(ModelContext *context, CollectionSelection *selection,
                                           CollectionDialogs *dialogs, QWidget *window, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_selection(selection)
    , m_dialogs(dialogs)
    , m_window(window)
{
}

void CollectionOperations::alert(const QString &title, const QString &message)
{
    m_dialogs->showAlert(m_window, title, message);
}

void CollectionOperations::chooseImportFile(std::function<void()> closed)
{
    QPointer<CollectionOperations> self(this);
    m_dialogs->chooseImportFile(m_window, [self, closed](std::optional<QString> path) {
        if (closed)
            closed();
        if (self && path)
            self->importCSV(*path);
    });
}

void CollectionOperations::importCSV(const QString &path)
{
    // The file is read and parsed on a worker; the records are made and inserted here.
    m_importing = true;
    runTask(this, {}, [path](std::stop_token) { return CollectionCSV::importFile(path); },
        [this](TaskResult<QList<RecordDraft>> result) {
            m_importing = false;
            insertImported(result);
            emit importFinished();
        });
}

void CollectionOperations::insertImported(TaskResult<QList<RecordDraft>> &result)
{
    QList<RecordDraft> drafts;
    try {
        drafts = std::move(result.get());
    } catch (const Error &error) {
        alert(tr("Import Failed"), error.message());
        return;
    } catch (const std::bad_alloc &) {
        alert(tr("Import Failed"), tr("There is not enough memory to read this file."));
        return;
    }

    std::vector<std::unique_ptr<Record>> records;
    records.reserve(size_t(drafts.size()));
    qsizetype identified = 0;
    for (const RecordDraft &draft : std::as_const(drafts)) {
        auto record = std::make_unique<Record>();
        draft.apply(*record);
        records.push_back(std::move(record));
        if (draft.discogsReleaseID || draft.musicBrainzID || !draft.barcode.isEmpty())
            ++identified;
    }
    QList<QUuid> inserted;
    for (Record *record : m_context->insert(std::move(records)))
        inserted.append(record->id());
    try {
        m_context->save();
    } catch (const Error &error) {
        // Take the unsaved records out again, so that importing the file once more after
        // the problem is fixed does not add every record twice.
        m_context->remove(inserted);
        alert(tr("Import Failed"), error.message());
        return;
    }

    const QString title = drafts.size() == 1
        ? tr("Imported 1 record")
        : QCoreApplication::translate("CollectionOperations", "Imported %1 records").arg(drafts.size());
    const QString message = identified > 0
        ? QCoreApplication::translate("CollectionOperations",
                                      "Choose File \u25B8 Fetch Missing Metadata & Artwork to download "
                                      "covers and tracklists for %1 of them.")
              .arg(identified)
        : tr("Records without a barcode or release ID can be refreshed individually after you add one.");
    alert(title, message);
}

void CollectionOperations::chooseExportFile(const QList<Record *> &records, std::function<void()> closed)
{
    const QString text = CollectionCSV::exportRecords(records);
    QPointer<CollectionOperations> self(this);
    m_dialogs->chooseExportFile(m_window, QStringLiteral("Vorla Collection.csv"),
                                [self, closed, text](std::optional<QString> path) {
                                    if (closed)
                                        closed();
                                    if (self && path)
                                        self->exportCSV(*path, text);
                                });
}

void CollectionOperations::exportCSV(const QString &path, const QString &text)
{
    try {
        CSVDocument{text}.write(path);
    } catch (const Error &error) {
        alert(tr("Export Failed"), error.message());
    }
}

void CollectionOperations::requestDelete(const QList<QUuid> &ids, std::function<void()> closed)
{
    if (ids.isEmpty() || !m_pendingDelete.isEmpty())
        return;
    QList<Record *> records;
    for (const QUuid &id : ids) {
        if (Record *record = m_context->record(id))
            records.append(record);
    }
    if (records.isEmpty()) {
        if (closed)
            closed();
        return;
    }
    m_pendingDelete = ids;
    QPointer<CollectionOperations> self(this);
    m_dialogs->confirmDelete(m_window, deleteTitle(records), tr("This can't be undone."), [self, closed](bool confirmed) {
        if (!self)
            return;
        const QList<QUuid> pending = self->m_pendingDelete;
        self->m_pendingDelete.clear();
        if (confirmed)
            self->deleteRecords(pending);
        if (closed)
            closed();
    });
}

void CollectionOperations::deleteRecords(const QList<QUuid> &ids)
{
    // One change of the selection for the whole batch: every change re-syncs the views.
    QSet<QUuid> selected = m_selection->ids();
    for (const QUuid &id : ids)
        selected.remove(id);
    m_selection->setIds(selected);
    m_context->remove(ids);
    m_pendingDelete.clear();
    emit recordsDeleted(ids);
    try {
        m_context->save();
    } catch (const Error &error) {
        // The records are gone from the window; the next save tries to remove them again.
        alert(tr("Delete Failed"), error.message());
    }
}

void CollectionOperations::fetchMissingMetadata()
{
    QList<QUuid> ids;
    for (const Record *record : newestFirst(m_context->records())) {
        if (MetadataRefresher::needsMetadata(*record))
            ids.append(record->id());
    }
    if (ids.isEmpty()) {
        alert(tr("Nothing to Fetch"),
              tr("Every record with a barcode or release ID already has artwork and a tracklist."));
        return;
    }
    if (m_startRefresh)
        m_startRefresh(ids);
}

} // namespace vorla
