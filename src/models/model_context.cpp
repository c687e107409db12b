#include "models/model_context.h"

#include "models/record.h"
#include "models/error.h"

#include <QCoreApplication>

#include <algorithm>

namespace vorla {

// Placeholder until the SQLite store lands: an in-memory context keeps everything in Record.
class Store
{
};

ModelContext::ModelContext(QObject *parent) : QObject(parent)
{
    m_autosaveTimer.setSingleShot(true);
    m_autosaveTimer.setInterval(kAutosaveDelayMs);
    connect(&m_autosaveTimer, &QTimer::timeout, this, &ModelContext::autosave);
    if (QCoreApplication::instance())
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
                &ModelContext::autosave);
}

ModelContext::ModelContext(const QString &path, QObject *parent) : ModelContext(parent)
{
    Q_UNUSED(path);
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
        if (!owned || m_byID.contains(owned->id()))
            continue;
        Record *record = owned.get();
        record->m_context = this;
        m_owned.push_back(std::move(owned));
        m_order.append(record);
        m_byID.insert(record->id(), record);
        m_inserted.insert(record->id());
        m_removed.remove(record->id());
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
    QSet<QUuid> gone;
    for (const QUuid &id : ids) {
        if (!m_byID.contains(id))
            continue;
        gone.insert(id);
        m_byID.remove(id);
        m_dirty.remove(id);
        if (!m_inserted.remove(id))
            m_removed.insert(id);
    }
    if (gone.isEmpty())
        return;
    m_order.removeIf([&gone](const Record *r) { return gone.contains(r->id()); });
    std::vector<std::unique_ptr<Record>> destroyed;
    for (auto &owned : m_owned) {
        if (gone.contains(owned->id())) {
            owned->m_context = nullptr;
            destroyed.push_back(std::move(owned));
        }
    }
    std::erase(m_owned, nullptr);
    scheduleSave();
    QList<QUuid> removedIDs;
    for (const QUuid &id : ids) {
        if (gone.contains(id) && !removedIDs.contains(id))
            removedIDs.append(id);
    }
    emit recordsRemoved(removedIDs);
}

void ModelContext::save()
{
    m_inserted.clear();
    m_dirty.clear();
    m_removed.clear();
    m_autosaveTimer.stop();
}

bool ModelContext::hasChanges() const
{
    return !m_inserted.isEmpty() || !m_dirty.isEmpty() || !m_removed.isEmpty();
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
    Q_UNUSED(record);
    Q_UNUSED(cover);
    return std::nullopt;
}

void ModelContext::scheduleSave()
{
    if (!m_autosaveTimer.isActive())
        m_autosaveTimer.start();
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
