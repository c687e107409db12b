#include "models/model_context.h"

#include "core/pointer_set.h"
#include "models/error.h"
#include "models/record.h"
#include "models/store.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>

namespace vorla {

namespace {

// A deletion is saved as a list of the rows that are gone; the rows and their images are
// taken out of the file afterwards, a few at a time. Each slice takes a few milliseconds of
// the GUI thread, and the pause between them keeps the window responsive.
constexpr int kRowsPurgedPerSlice = 40;
constexpr int kPurgePauseMs = 25;
// The first slice waits until the window has shown what the deletion left.
constexpr int kPurgeStartMs = 1000;
// Quitting finishes what is quick and leaves the rest for the next start.
constexpr qint64 kPurgeAtCloseNs = 300'000'000;

} // namespace

ModelContext::ModelContext(QObject *parent) : ModelContext(QStringLiteral(":memory:"), parent) {}

ModelContext::ModelContext(const QString &path, QObject *parent)
    : QObject(parent), m_store(std::make_unique<Store>(path))
{
    m_owned = m_store->loadAll();
    m_order.reserve(qsizetype(m_owned.size()));
    m_byID.reserve(qsizetype(m_owned.size()));
    for (auto &record : m_owned) {
        record->m_context = this;
        record->prepareSearch();
        m_order.append(record.get());
        m_byID.insert(record->id(), record.get());
    }
    m_autosaveTimer.setSingleShot(true);
    m_autosaveTimer.setInterval(kAutosaveDelayMs);
    connect(&m_autosaveTimer, &QTimer::timeout, this, &ModelContext::autosave);
    m_purgeTimer.setSingleShot(true);
    m_purgeTimer.setInterval(kPurgePauseMs);
    connect(&m_purgeTimer, &QTimer::timeout, this, &ModelContext::purgeRemoved);
    if (m_store->hasRemovedRows())
        m_purgeTimer.start(kPurgeStartMs);
    m_releaseTimer.setSingleShot(true);
    m_releaseTimer.setInterval(kPurgeStartMs);
    connect(&m_releaseTimer, &QTimer::timeout, this, [this] { m_released.clear(); });
    if (QCoreApplication::instance())
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
                &ModelContext::autosave);
}

ModelContext::~ModelContext()
{
    if (hasChanges()) {
        try {
            save();
        } catch (const StoreError &) {
            // Nowhere left to report it; the file keeps its last good state.
        }
    }
    QElapsedTimer purging;
    purging.start();
    while (m_store->purgeRemoved(kRowsPurgedPerSlice) && purging.nsecsElapsed() < kPurgeAtCloseNs) {
    }
    for (auto &record : m_owned)
        record->m_context = nullptr;
}

Record *ModelContext::record(const QUuid &id) const
{
    return m_byID.value(id, nullptr);
}

Record *ModelContext::insert(std::unique_ptr<Record> record)
{
    std::vector<std::unique_ptr<Record>> one;
    one.push_back(std::move(record));
    const QList<Record *> inserted = insert(std::move(one));
    return inserted.isEmpty() ? nullptr : inserted.front();
}

QList<Record *> ModelContext::insert(std::vector<std::unique_ptr<Record>> records)
{
    QList<Record *> inserted;
    QList<QUuid> ids;
    for (auto &owned : records) {
        // A record already owned by a context (or a second copy of an id) is not taken.
        if (!owned || owned->m_context || m_byID.contains(owned->id()))
            continue;
        Record *record = owned.get();
        record->m_context = this;
        record->m_rowID = 0;
        m_owned.push_back(std::move(owned));
        m_order.append(record);
        m_byID.insert(record->id(), record);
        m_inserted.insert(record->id());
        inserted.append(record);
        ids.append(record->id());
    }
    if (!ids.isEmpty()) {
        scheduleSave();
        emit recordsInserted(ids);
    }
    return inserted;
}

void ModelContext::remove(const QUuid &id)
{
    remove(QList<QUuid>{id});
}

void ModelContext::remove(const QList<QUuid> &ids)
{
    QList<QUuid> removedIDs;
    QList<Record *> removed;
    PointerSet gone;
    for (const QUuid &id : ids) {
        Record *record = m_byID.take(id);
        if (!record)
            continue;
        gone.insert(record);
        removed.append(record);
        removedIDs.append(id);
        m_dirty.remove(id);
        if (!m_inserted.remove(id))
            m_removedRows.append(record->m_rowID);
    }
    if (gone.isEmpty())
        return;
    // The owned records are kept in the order of m_order, so one pass compacts both.
    // Removed ones are destroyed well after the signal, so receivers may still read them.
    Q_ASSERT(qsizetype(m_owned.size()) == m_order.size());
    Record **order = m_order.data();
    qsizetype kept = 0;
    for (qsizetype i = 0; i < m_order.size(); ++i) {
        if (gone.contains(order[i])) {
            m_owned[size_t(i)]->m_context = nullptr;
            m_released.push_back(std::move(m_owned[size_t(i)]));
            continue;
        }
        if (kept != i) {
            order[kept] = order[i];
            m_owned[size_t(kept)] = std::move(m_owned[size_t(i)]);
        }
        ++kept;
    }
    m_order.resize(kept);
    m_owned.resize(size_t(kept));
    if (!m_releaseTimer.isActive())
        m_releaseTimer.start();
    scheduleSave();
    // Taking out records that never reached the file can leave nothing that failed to save.
    if (!hasChanges())
        setSaveError(QString());
    emit recordsAboutToBeRemoved(removed);
    emit recordsRemoved(removedIDs);
}

void ModelContext::save()
{
    m_autosaveTimer.stop();
    if (!hasChanges())
        return;
    Store::Changes changes;
    // In load order, as the file holds them; a deletion alone need not visit the library.
    if (!m_inserted.isEmpty() || !m_dirty.isEmpty()) {
        for (Record *record : std::as_const(m_order)) {
            if (m_inserted.contains(record->id()))
                changes.inserted.append(record);
            else if (m_dirty.contains(record->id()))
                changes.updated.append(record);
        }
    }
    changes.removedRows = m_removedRows;
    try {
        m_store->save(changes);
    } catch (const StoreError &error) {
        setSaveError(error.message());
        throw;
    }
    m_inserted.clear();
    m_dirty.clear();
    if (!m_removedRows.isEmpty() && !m_purgeTimer.isActive())
        m_purgeTimer.start(kPurgeStartMs);
    m_removedRows.clear();
    setSaveError(QString());
}

void ModelContext::discardChanges()
{
    m_autosaveTimer.stop();
    m_inserted.clear();
    m_dirty.clear();
    m_removedRows.clear();
    setSaveError(QString());
}

bool ModelContext::isReadOnly() const
{
    return m_store->isReadOnly();
}

void ModelContext::setSaveError(const QString &message)
{
    if (m_saveError == message)
        return;
    m_saveError = message;
    emit saveErrorChanged();
}

bool ModelContext::hasChanges() const
{
    return !m_inserted.isEmpty() || !m_dirty.isEmpty() || !m_removedRows.isEmpty();
}

void ModelContext::recordChanged(Record *record)
{
    if (!m_inserted.contains(record->id()))
        m_dirty.insert(record->id());
    scheduleSave();
    emit recordsChanged({record->id()});
}

std::optional<QByteArray> ModelContext::loadImage(const Record &record, bool cover) const
{
    return m_store->loadImage(record.id(), cover);
}

std::optional<QByteArray> ModelContext::loadTracklist(const Record &record) const
{
    return m_store->loadTracklist(record.m_rowID);
}

void ModelContext::scheduleSave()
{
    if (!m_autosaveTimer.isActive())
        m_autosaveTimer.start();
}

void ModelContext::purgeRemoved()
{
    if (m_store->purgeRemoved(kRowsPurgedPerSlice))
        m_purgeTimer.start(kPurgePauseMs);
}

void ModelContext::autosave()
{
    if (!hasChanges())
        return;
    try {
        save();
    } catch (const StoreError &error) {
        emit autosaveFailed(error.message());
    }
}

} // namespace vorla
