// The SQLite file behind a ModelContext: one table of records (the 27 stored properties in
// order), their cover and thumbnail bytes in a side table; images and tracklists are read on
// demand. Internal to the models layer; GUI code goes through ModelContext.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUuid>

#include <memory>
#include <optional>
#include <vector>

namespace SQLite {
class Database;
class Statement;
} // namespace SQLite

namespace vorla {

class Record;

class Store
{
public:
    // The schema version this build writes; files of a newer version are refused.
    static constexpr int kSchemaVersion = 2;

    // Opens or creates the file at `path` (":memory:" for a private in-memory store);
    // throws StoreError for a folder, a damaged or foreign file, or a newer schema. A file
    // or folder that cannot be written opens read-only. A new file is private to its owner.
    explicit Store(const QString &path);
    ~Store();

    // Every stored record, in row order; image bytes are left in the store.
    std::vector<std::unique_ptr<Record>> loadAll();
    std::optional<QByteArray> loadImage(const QUuid &id, bool cover);
    std::optional<QByteArray> loadTracklist(qint64 rowID);

    struct Changes
    {
        QList<Record *> inserted;
        QList<Record *> updated;
        QList<qint64> removedRows;
    };
    // Writes all changes in one transaction, or nothing (throws StoreError). On success the
    // inserted records get their row ids and written image bytes are released from memory.
    // A read-only store refuses every save with readOnlyMessage().
    void save(const Changes &changes);
    bool isReadOnly() const { return m_readOnly; }

    // A save that removes many rows only lists them as gone, which costs little however many
    // there are; this takes up to `count` of them and their images out of the file, in a
    // transaction of its own, and returns whether some are left. A failure is not reported:
    // they wait for the next call, and stay out of every load meanwhile.
    bool purgeRemoved(int count);
    bool hasRemovedRows() const { return m_removedRows; }
    static QString readOnlyMessage();

private:
    void openSchema();
    void bindRecord(SQLite::Statement &statement, const Record &record);
    void writeImages(const Record &record);

    QString m_path;
    bool m_readOnly = false;
    // Rows listed as gone may still be in the file.
    bool m_removedRows = false;
    std::unique_ptr<SQLite::Database> m_db;
    std::unique_ptr<SQLite::Statement> m_loadImage;
    std::unique_ptr<SQLite::Statement> m_loadTracklist;
};

} // namespace vorla
