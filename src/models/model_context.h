// The GUI-thread view of the library store: holds every record, inserts and removes them,
// and saves edits automatically (a short coalescing timer, and once more when the
// application quits). Every save is one transaction: all of it or nothing.
#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <QByteArray>
#include <QUuid>

#include <memory>
#include <optional>
#include <vector>

namespace vorla {

class Record;
class Store;

class ModelContext : public QObject
{
    Q_OBJECT
    Q_MOC_INCLUDE("models/record.h")

public:
    // A context on a private in-memory store (tests, diagnostics).
    explicit ModelContext(QObject *parent = nullptr);
    // Opens or creates the store file at `path`; throws StoreError when it cannot.
    explicit ModelContext(const QString &path, QObject *parent = nullptr);
    // Saves pending changes; a failure here cannot be reported and is dropped (the window
    // asks before it quits with changes that failed to save).
    ~ModelContext() override;

    // Every record, in insertion (load) order.
    const QList<Record *> &records() const { return m_order; }
    Record *record(const QUuid &id) const;

    // Takes ownership; the record is written by the next save. Returns the record.
    Record *insert(std::unique_ptr<Record> record);
    QList<Record *> insert(std::vector<std::unique_ptr<Record>> records);
    // Removes and destroys the records; unknown ids are ignored.
    void remove(const QUuid &id);
    void remove(const QList<QUuid> &ids);

    // Writes every pending insert, edit and removal in one transaction; throws StoreError
    // and keeps the changes pending when that fails.
    void save();
    bool hasChanges() const;
    // Forgets every pending change (quitting without saving); the file keeps its last save.
    void discardChanges();

    // The library cannot be written: every save fails with Store::readOnlyMessage().
    bool isReadOnly() const;
    // Why the last save failed, such as "No space left on device"; empty once a save
    // succeeded.
    const QString &saveError() const { return m_saveError; }

    // Delay between an edit and its automatic save.
    static constexpr int kAutosaveDelayMs = 1000;

signals:
    void recordsInserted(const QList<QUuid> &ids);
    // The records have left records() and record(); they are destroyed once recordsRemoved
    // has been told, so observers that hold them let go here.
    void recordsAboutToBeRemoved(const QList<Record *> &records);
    void recordsRemoved(const QList<QUuid> &ids);
    void recordsChanged(const QList<QUuid> &ids);
    // An automatic save failed; the changes stay pending for the next attempt.
    void autosaveFailed(const QString &message);
    // saveError() changed: a save failed, or one succeeded after a failure.
    void saveErrorChanged();

private:
    friend class Record;

    void recordChanged(Record *record);
    std::optional<QByteArray> loadImage(const Record &record, bool cover) const;
    std::optional<QByteArray> loadTracklist(const Record &record) const;
    void autosave();
    void scheduleSave();
    void purgeRemoved();
    void setSaveError(const QString &message);

    std::unique_ptr<Store> m_store;
    std::vector<std::unique_ptr<Record>> m_owned;
    QList<Record *> m_order;
    QHash<QUuid, Record *> m_byID;
    QSet<QUuid> m_inserted;
    QSet<QUuid> m_dirty;
    QList<qint64> m_removedRows;
    QTimer m_autosaveTimer;
    // Takes deleted rows out of the file a few at a time, so a deletion returns at once.
    QTimer m_purgeTimer;
    // Removed records, freed a second later: freeing thousands would hold up the repaint
    // that follows a deletion.
    std::vector<std::unique_ptr<Record>> m_released;
    QTimer m_releaseTimer;
    QString m_saveError;
};

} // namespace vorla
