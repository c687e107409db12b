#include "models/store.h"

#include "models/error.h"
#include "models/quoted_file_name.h"
#include "models/record.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <sqlite3.h>

#include <cerrno>
#include <limits>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace vorla {

namespace {

// The stored properties in schema order, after the store's own rowid.
constexpr const char *kColumns =
    "id, title, artist, year, label, catalogNumber, format, country, genres, styles, barcode, "
    "tracklistData, mediaConditionRaw, sleeveConditionRaw, notes, location, purchasePrice, "
    "purchaseDate, rating, isFavorite, dateAdded, coverImageData, thumbnailData, coverRevision, "
    "discogsReleaseID, musicBrainzID, sourceURL";
constexpr int kColumnCount = 27;

// The image columns hold 1 when the image is in record_images and NULL when there is none,
// so a load knows which records have images without reading any image bytes.
constexpr const char *kSchema = R"sql(
CREATE TABLE records (
    id TEXT NOT NULL DEFAULT (upper(hex(randomblob(4))) || '-' || upper(hex(randomblob(2)))
        || '-4' || substr(upper(hex(randomblob(2))), 2) || '-'
        || substr('89AB', 1 + (abs(random()) % 4), 1) || substr(upper(hex(randomblob(2))), 2)
        || '-' || upper(hex(randomblob(6)))),
    title TEXT NOT NULL DEFAULT '',
    artist TEXT NOT NULL DEFAULT '',
    year INTEGER,
    label TEXT NOT NULL DEFAULT '',
    catalogNumber TEXT NOT NULL DEFAULT '',
    format TEXT NOT NULL DEFAULT '',
    country TEXT NOT NULL DEFAULT '',
    genres TEXT NOT NULL DEFAULT '[]',
    styles TEXT NOT NULL DEFAULT '[]',
    barcode TEXT NOT NULL DEFAULT '',
    tracklistData BLOB,
    mediaConditionRaw TEXT NOT NULL DEFAULT '',
    sleeveConditionRaw TEXT NOT NULL DEFAULT '',
    notes TEXT NOT NULL DEFAULT '',
    location TEXT NOT NULL DEFAULT '',
    purchasePrice REAL,
    purchaseDate TEXT,
    rating INTEGER NOT NULL DEFAULT 0,
    isFavorite INTEGER NOT NULL DEFAULT 0,
    dateAdded TEXT NOT NULL DEFAULT (strftime('%Y-%m-%dT%H:%M:%fZ', 'now')),
    coverImageData INTEGER,
    thumbnailData INTEGER,
    coverRevision INTEGER NOT NULL DEFAULT 0,
    discogsReleaseID INTEGER,
    musicBrainzID TEXT,
    sourceURL TEXT
);
CREATE TABLE record_images (
    recordID TEXT NOT NULL,
    kind INTEGER NOT NULL,
    bytes BLOB NOT NULL,
    PRIMARY KEY (recordID, kind)
) WITHOUT ROWID;
CREATE TRIGGER records_delete_images AFTER DELETE ON records BEGIN
    DELETE FROM record_images WHERE recordID = old.id;
END;
)sql";

// Deleting a row frees its images' pages and rewrites a page of the table wherever the row
// lies, so a deletion of more rows than this only lists them as gone; loads leave them out
// and they are deleted later, a few at a time.
constexpr qsizetype kRemovalsDeletedAtOnce = 64;
constexpr const char *kRemovedRecordsSchema = R"sql(
CREATE TABLE removed_records (
    recordRow INTEGER PRIMARY KEY
);
)sql";

enum ImageKindValue { kCoverKind = 0, kThumbnailKind = 1 };

QString quoted(const QString &path)
{
    return quotedFileName(path);
}

QString systemMessage(int error)
{
    return QString::fromStdString(std::generic_category().message(error));
}

// The reason a statement failed in the words of the system where there is one ("No space
// left on device", "Permission denied"), else SQLite's own.
QString failureReason(const SQLite::Exception &e, sqlite3 *db)
{
    const int code = e.getErrorCode() & 0xFF;
    if (code == SQLITE_FULL)
        return systemMessage(ENOSPC);
    if (code == SQLITE_IOERR || code == SQLITE_CANTOPEN || code == SQLITE_PERM
        || code == SQLITE_READONLY) {
        const int error = db ? sqlite3_system_errno(db) : 0;
        if (error != 0)
            return systemMessage(error);
    }
    return QString::fromUtf8(e.what());
}

bool isDamage(const SQLite::Exception &e)
{
    const int code = e.getErrorCode() & 0xFF;
    return code == SQLITE_NOTADB || code == SQLITE_CORRUPT;
}

// Resets a reused statement when a read ends, on every path out of it: a statement left
// mid-step holds its read transaction open, so the log is never checkpointed and, once
// another connection has written, every later write of this one fails as locked.
class ReadScope
{
public:
    explicit ReadScope(SQLite::Statement &statement) : m_statement(statement)
    {
        m_statement.tryReset();
    }
    ~ReadScope() { m_statement.tryReset(); }
    ReadScope(const ReadScope &) = delete;
    ReadScope &operator=(const ReadScope &) = delete;

    SQLite::Statement *operator->() const { return &m_statement; }

private:
    SQLite::Statement &m_statement;
};

// Notes and prices are private: a new library file is readable by its owner only. SQLite
// gives its journal files the mode of the file itself.
void createPrivateFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
}

std::string utf8(const QString &text)
{
    return text.toStdString();
}

// Ids as the records table holds them: upper-case, hyphenated, without braces.
std::string idText(const QUuid &id)
{
    return utf8(id.toString(QUuid::WithoutBraces).toUpper());
}

QString dateText(const QDateTime &date)
{
    return date.toUTC().toString(Qt::ISODateWithMs);
}

// Our own "yyyy-MM-ddTHH:mm:ss.zzzZ" is read directly (a library holds one per record);
// anything else goes through Qt's ISO 8601 reader.
QDateTime parseDate(const char *text, int size)
{
    auto number = [text](int from, int count) {
        int value = 0;
        for (int i = from; i < from + count; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return -1;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    if (size == 24 && text[4] == '-' && text[7] == '-' && text[10] == 'T' && text[13] == ':'
        && text[16] == ':' && text[19] == '.' && text[23] == 'Z') {
        const QDate day(number(0, 4), number(5, 2), number(8, 2));
        const QTime time(number(11, 2), number(14, 2), number(17, 2), number(20, 3));
        if (day.isValid() && time.isValid())
            return QDateTime(day, time, Qt::UTC);
    }
    const QString iso = QString::fromUtf8(text, size);
    QDateTime date = QDateTime::fromString(iso, Qt::ISODateWithMs);
    if (!date.isValid())
        date = QDateTime::fromString(iso, Qt::ISODate);
    return date.toUTC();
}


std::string listText(const QStringList &list)
{
    if (list.isEmpty())
        return "[]";
    return QJsonDocument(QJsonArray::fromStringList(list)).toJson(QJsonDocument::Compact).toStdString();
}

QStringList parseList(const char *data, int size)
{
    if (size <= 2)
        return {};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromRawData(data, size));
    QStringList list;
    for (const QJsonValue &value : document.array()) {
        if (value.isString())
            list.append(value.toString());
    }
    return list;
}

// Values that repeat across a collection (artists, labels, formats, grades, genre lists)
// share one copy in memory.
class Interner
{
public:
    const QString &text(const char *data, int size)
    {
        const auto found = m_texts.constFind(QByteArray::fromRawData(data, size));
        if (found != m_texts.cend())
            return *found;
        return *m_texts.insert(QByteArray(data, size), QString::fromUtf8(data, size));
    }
    const QStringList &list(const char *data, int size)
    {
        const auto found = m_lists.constFind(QByteArray::fromRawData(data, size));
        if (found != m_lists.cend())
            return *found;
        return *m_lists.insert(QByteArray(data, size), parseList(data, size));
    }

private:
    QHash<QByteArray, QString> m_texts;
    QHash<QByteArray, QStringList> m_lists;
};

// One row of the load query, read through SQLite's own API: a library has 100,000 of them.
class Row
{
public:
    explicit Row(sqlite3_stmt *statement) : m_statement(statement) {}
    bool isNull(int i) const { return sqlite3_column_type(m_statement, i) == SQLITE_NULL; }
    qint64 integer(int i) const { return sqlite3_column_int64(m_statement, i); }
    double real(int i) const { return sqlite3_column_double(m_statement, i); }
    const char *data(int i) const
    {
        const unsigned char *text = sqlite3_column_text(m_statement, i);
        return text ? reinterpret_cast<const char *>(text) : "";
    }
    int size(int i) const { return sqlite3_column_bytes(m_statement, i); }
    QString text(int i) const
    {
        const char *d = data(i); // before size(): the byte count is that of the text form
        return QString::fromUtf8(d, size(i));
    }
    std::optional<QString> optionalText(int i) const
    {
        return isNull(i) ? std::nullopt : std::optional<QString>(text(i));
    }
    std::optional<int> optionalInt(int i) const
    {
        if (isNull(i))
            return std::nullopt;
        const qint64 value = integer(i);
        if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
            return std::nullopt;
        return int(value);
    }
    QDateTime date(int i) const
    {
        const char *d = data(i);
        return parseDate(d, size(i));
    }
    const QString &shared(Interner &interner, int i) const
    {
        const char *d = data(i);
        return interner.text(d, size(i));
    }
    const QStringList &sharedList(Interner &interner, int i) const
    {
        const char *d = data(i);
        return interner.list(d, size(i));
    }

private:
    sqlite3_stmt *m_statement;
};

} // namespace

Store::Store(const QString &path) : m_path(path)
{
    const bool inMemory = path == QLatin1String(":memory:");
    const QFileInfo info(path);
    if (!inMemory && info.isDir())
        throw StoreError(QStringLiteral("%1 is a folder, not a library file.").arg(quoted(path)));
    std::string location = utf8(path);
    int flags = SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE;
    if (!inMemory && info.exists()) {
        const bool folderWritable = QFileInfo(info.absolutePath()).isWritable();
        m_readOnly = !info.isWritable() || !folderWritable;
        if (m_readOnly) {
            flags = SQLite::OPEN_READONLY | SQLITE_OPEN_URI;
            // Without a writable folder SQLite cannot make the files a reader of the log
            // needs; with no log left behind the file cannot change under us either.
            const bool logLeft = QFileInfo::exists(path + QStringLiteral("-wal"));
            location = (QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded)
                        + (folderWritable || logLeft ? QString() : QStringLiteral("?immutable=1")))
                           .toStdString();
        }
    } else if (!inMemory && QFileInfo(info.absolutePath()).isDir()) {
        createPrivateFile(path);
    }
    try {
        m_db = std::make_unique<SQLite::Database>(location, flags);
    } catch (const SQLite::Exception &e) {
        throw StoreError(QStringLiteral("The library file %1 cannot be opened (%2).")
                             .arg(quoted(path), failureReason(e, nullptr)));
    }
    openSchema();
    m_loadImage = std::make_unique<SQLite::Statement>(
        *m_db, "SELECT bytes FROM record_images WHERE recordID = ? AND kind = ?");
    m_loadTracklist = std::make_unique<SQLite::Statement>(
        *m_db, "SELECT tracklistData FROM records WHERE rowid = ?");
}

QString Store::readOnlyMessage()
{
    return QCoreApplication::translate("Store", "This library is read-only: changes can't be saved.");
}

Store::~Store() = default;

void Store::openSchema()
{
    int version = 0;
    int tables = 0;
    try {
        // Reads only: nothing is written before the file has been accepted.
        version = m_db->execAndGet("PRAGMA user_version").getInt();
        tables = m_db->execAndGet("SELECT count(*) FROM sqlite_master").getInt();
    } catch (const SQLite::Exception &e) {
        // Only a file SQLite itself calls damaged or foreign is one; a full disk or a denied
        // read is not a reason to give up on a good library.
        if (isDamage(e))
            throw StoreError(QStringLiteral("The library file %1 is damaged or is not a Vorla library (%2).")
                                 .arg(quoted(m_path), QString::fromUtf8(e.what())));
        throw StoreError(QStringLiteral("The library file %1 cannot be opened (%2).")
                             .arg(quoted(m_path), failureReason(e, m_db->getHandle())));
    }
    if (version > kSchemaVersion) {
        throw StoreError(QStringLiteral("The library file %1 was written by a newer version of Vorla "
                                        "(format %2; this version reads format %3).")
                             .arg(quoted(m_path))
                             .arg(version)
                             .arg(kSchemaVersion));
    }
    if (version == 0 && tables > 0) {
        throw StoreError(QStringLiteral("The library file %1 is not a Vorla library.").arg(quoted(m_path)));
    }
    if (version == 0 && m_readOnly) {
        throw StoreError(QStringLiteral("The library file %1 is empty and cannot be written (%2).")
                             .arg(quoted(m_path), systemMessage(EACCES)));
    }
    try {
        if (version > 0) {
            SQLite::Statement columns(*m_db, "SELECT count(*) FROM pragma_table_info('records')");
            columns.executeStep();
            if (columns.getColumn(0).getInt() != kColumnCount)
                throw StoreError(QStringLiteral("The library file %1 is damaged (its records table is not "
                                                "the expected one).")
                                     .arg(quoted(m_path)));
        }
        if (!m_readOnly)
            m_db->exec("PRAGMA journal_mode = WAL");
        m_db->exec("PRAGMA foreign_keys = ON");
        m_db->setBusyTimeout(1000);
        if (version < kSchemaVersion && !m_readOnly) {
            SQLite::Transaction transaction(*m_db, SQLite::TransactionBehavior::IMMEDIATE);
            if (version == 0)
                m_db->exec(kSchema);
            m_db->exec(kRemovedRecordsSchema);
            m_db->exec("PRAGMA user_version = " + std::to_string(kSchemaVersion));
            transaction.commit();
        }
        // A read-only file of the first format lists no removed rows.
        if (version >= 2 || !m_readOnly) {
            m_removedRows
                = m_db->execAndGet("SELECT EXISTS (SELECT 1 FROM removed_records)").getInt() != 0;
        }
    } catch (const SQLite::Exception &e) {
        throw StoreError(QStringLiteral("The library file %1 cannot be opened (%2).")
                             .arg(quoted(m_path), failureReason(e, m_db->getHandle())));
    }
}

std::vector<std::unique_ptr<Record>> Store::loadAll()
{
    std::vector<std::unique_ptr<Record>> records;
    // The tracklist stays in the file like the images; only its presence is read.
    std::string columns = kColumns;
    columns.replace(columns.find("tracklistData"), 13, "tracklistData IS NOT NULL");
    const std::string sql = "SELECT rowid, " + columns + " FROM records"
        + (m_removedRows ? " WHERE rowid NOT IN (SELECT recordRow FROM removed_records)" : "")
        + " ORDER BY rowid";
    sqlite3_stmt *statement = nullptr;
    int status = sqlite3_prepare_v2(m_db->getHandle(), sql.c_str(), -1, &statement, nullptr);
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> finalizer(statement, sqlite3_finalize);
    Interner shared;
    const Row row(statement);
    while (status == SQLITE_OK || status == SQLITE_ROW) {
        status = sqlite3_step(statement);
        if (status != SQLITE_ROW)
            break;
        const QByteArray idText = QByteArray::fromRawData(row.data(1), row.size(1));
        auto record = std::unique_ptr<Record>(new Record(QUuid::fromString(QLatin1StringView(idText)),
                                                         QDateTime()));
        Record &r = *record;
        r.m_rowID = row.integer(0);
        r.m_title = row.text(2);
        r.m_artist = row.shared(shared, 3);
        r.m_year = row.optionalInt(4);
        r.m_label = row.shared(shared, 5);
        r.m_catalogNumber = row.text(6);
        r.m_format = row.shared(shared, 7);
        r.m_country = row.shared(shared, 8);
        r.m_genres = row.sharedList(shared, 9);
        r.m_styles = row.sharedList(shared, 10);
        r.m_barcode = row.text(11);
        r.m_tracklist = Record::StoredBytes{row.integer(12) != 0, false, {}};
        r.m_mediaConditionRaw = row.shared(shared, 13);
        r.m_sleeveConditionRaw = row.shared(shared, 14);
        r.m_notes = row.text(15);
        r.m_location = row.shared(shared, 16);
        if (!row.isNull(17))
            r.m_purchasePrice = row.real(17);
        if (!row.isNull(18))
            r.m_purchaseDate = row.date(18);
        r.m_rating = row.optionalInt(19).value_or(0);
        r.m_isFavorite = row.integer(20) != 0;
        r.m_dateAdded = row.date(21);
        r.m_cover = Record::StoredBytes{!row.isNull(22), false, {}};
        r.m_thumbnail = Record::StoredBytes{!row.isNull(23), false, {}};
        r.m_coverRevision = row.optionalInt(24).value_or(0);
        if (!row.isNull(25))
            r.m_discogsReleaseID = row.integer(25);
        r.m_musicBrainzID = row.optionalText(26);
        r.m_sourceURL = row.optionalText(27);
        records.push_back(std::move(record));
    }
    if (status != SQLITE_DONE) {
        throw StoreError(QStringLiteral("The library file %1 cannot be read (%2).")
                             .arg(quoted(m_path), QString::fromUtf8(sqlite3_errmsg(m_db->getHandle()))));
    }
    return records;
}

std::optional<QByteArray> Store::loadImage(const QUuid &id, bool cover)
{
    try {
        const ReadScope query(*m_loadImage);
        query->bind(1, idText(id));
        query->bind(2, cover ? kCoverKind : kThumbnailKind);
        if (!query->executeStep())
            return std::nullopt;
        const SQLite::Column bytes = query->getColumn(0);
        return QByteArray(static_cast<const char *>(bytes.getBlob()), bytes.getBytes());
    } catch (const SQLite::Exception &) {
        // An unreadable image reads as none; the record's other facts stay usable.
        return std::nullopt;
    }
}

std::optional<QByteArray> Store::loadTracklist(qint64 rowID)
{
    try {
        const ReadScope query(*m_loadTracklist);
        query->bind(1, int64_t(rowID));
        if (!query->executeStep() || query->getColumn(0).isNull())
            return std::nullopt;
        const SQLite::Column bytes = query->getColumn(0);
        return QByteArray(static_cast<const char *>(bytes.getBlob()), bytes.getBytes());
    } catch (const SQLite::Exception &) {
        // Read like an undecodable tracklist: as none.
        return std::nullopt;
    }
}

void Store::bindRecord(SQLite::Statement &s, const Record &r)
{
    s.bind(1, idText(r.m_id));
    s.bind(2, utf8(r.m_title));
    s.bind(3, utf8(r.m_artist));
    r.m_year ? s.bind(4, int64_t(*r.m_year)) : s.bind(4);
    s.bind(5, utf8(r.m_label));
    s.bind(6, utf8(r.m_catalogNumber));
    s.bind(7, utf8(r.m_format));
    s.bind(8, utf8(r.m_country));
    s.bind(9, listText(r.m_genres));
    s.bind(10, listText(r.m_styles));
    s.bind(11, utf8(r.m_barcode));
    const std::optional<QByteArray> tracklist =
        r.m_tracklist.loaded ? (r.m_tracklist.present ? std::optional(r.m_tracklist.bytes) : std::nullopt)
                             : loadTracklist(r.m_rowID);
    if (tracklist)
        s.bind(12, tracklist->constData(), int(tracklist->size()));
    else
        s.bind(12);
    s.bind(13, utf8(r.m_mediaConditionRaw));
    s.bind(14, utf8(r.m_sleeveConditionRaw));
    s.bind(15, utf8(r.m_notes));
    s.bind(16, utf8(r.m_location));
    r.m_purchasePrice ? s.bind(17, *r.m_purchasePrice) : s.bind(17);
    r.m_purchaseDate ? s.bind(18, utf8(dateText(*r.m_purchaseDate))) : s.bind(18);
    s.bind(19, int64_t(r.m_rating));
    s.bind(20, int64_t(r.m_isFavorite ? 1 : 0));
    s.bind(21, utf8(dateText(r.m_dateAdded)));
    // Only the presence of the images is kept here; their bytes go to record_images.
    auto bindImage = [&s](int index, const Record::StoredBytes &slot) {
        slot.present ? s.bind(index, int64_t(1)) : s.bind(index);
    };
    bindImage(22, r.m_cover);
    bindImage(23, r.m_thumbnail);
    s.bind(24, int64_t(r.m_coverRevision));
    r.m_discogsReleaseID ? s.bind(25, int64_t(*r.m_discogsReleaseID)) : s.bind(25);
    r.m_musicBrainzID ? s.bind(26, utf8(*r.m_musicBrainzID)) : s.bind(26);
    r.m_sourceURL ? s.bind(27, utf8(*r.m_sourceURL)) : s.bind(27);
}

void Store::writeImages(const Record &r)
{
    const std::string id = idText(r.m_id);
    SQLite::Statement clear(*m_db, "DELETE FROM record_images WHERE recordID = ?");
    clear.bind(1, id);
    clear.exec();
    SQLite::Statement insert(*m_db, "INSERT INTO record_images (recordID, kind, bytes) VALUES (?, ?, ?)");
    auto write = [&](int kind, const Record::StoredBytes &slot) {
        if (!slot.present || !slot.loaded)
            return;
        insert.reset();
        insert.bind(1, id);
        insert.bind(2, kind);
        insert.bindNoCopy(3, slot.bytes.constData(), int(slot.bytes.size()));
        insert.exec();
    };
    write(kCoverKind, r.m_cover);
    write(kThumbnailKind, r.m_thumbnail);
}

void Store::save(const Changes &changes)
{
    if (m_readOnly)
        throw StoreError(readOnlyMessage());
    std::vector<qint64> rowIDs;
    rowIDs.reserve(size_t(changes.inserted.size()));
    try {
        SQLite::Transaction transaction(*m_db, SQLite::TransactionBehavior::IMMEDIATE);
        const bool listRemovals = changes.removedRows.size() > kRemovalsDeletedAtOnce;
        if (!changes.removedRows.isEmpty()) {
            SQLite::Statement remove(*m_db, listRemovals
                    ? "INSERT OR IGNORE INTO removed_records (recordRow) VALUES (?)"
                    : "DELETE FROM records WHERE rowid = ?");
            for (const qint64 row : changes.removedRows) {
                remove.reset();
                remove.bind(1, int64_t(row));
                remove.exec();
            }
        }
        if (!changes.inserted.isEmpty()) {
            std::string sql = std::string("INSERT INTO records (") + kColumns + ") VALUES (?";
            for (int i = 1; i < kColumnCount; ++i)
                sql += ", ?";
            sql += ")";
            SQLite::Statement insert(*m_db, sql);
            for (const Record *record : changes.inserted) {
                insert.reset();
                bindRecord(insert, *record);
                insert.exec();
                rowIDs.push_back(m_db->getLastInsertRowid());
                if (record->m_cover.present || record->m_thumbnail.present)
                    writeImages(*record);
            }
        }
        if (!changes.updated.isEmpty()) {
            std::string sql = "UPDATE records SET (";
            sql += kColumns;
            sql += ") = (?";
            for (int i = 1; i < kColumnCount; ++i)
                sql += ", ?";
            sql += ") WHERE rowid = ?";
            SQLite::Statement update(*m_db, sql);
            for (const Record *record : changes.updated) {
                update.reset();
                bindRecord(update, *record);
                update.bind(kColumnCount + 1, int64_t(record->m_rowID));
                update.exec();
                if (record->m_imagesChanged)
                    writeImages(*record);
            }
        }
        transaction.commit();
        if (listRemovals)
            m_removedRows = true;
    } catch (const SQLite::Exception &e) {
        throw StoreError(QStringLiteral("The library could not be saved (%1).")
                             .arg(failureReason(e, m_db->getHandle())));
    }

    // Committed: the bytes now live in the store and are read again when asked for.
    auto release = [](Record &record) {
        for (Record::StoredBytes *slot : {&record.m_cover, &record.m_thumbnail, &record.m_tracklist}) {
            if (slot->present && slot->loaded) {
                slot->loaded = false;
                slot->bytes = QByteArray();
            }
        }
        record.m_imagesChanged = false;
    };
    for (qsizetype i = 0; i < changes.inserted.size(); ++i) {
        changes.inserted[i]->m_rowID = rowIDs[size_t(i)];
        release(*changes.inserted[i]);
    }
    for (Record *record : changes.updated)
        release(*record);
}

bool Store::purgeRemoved(int count)
{
    if (!m_removedRows || m_readOnly)
        return false;
    try {
        SQLite::Transaction transaction(*m_db, SQLite::TransactionBehavior::IMMEDIATE);
        SQLite::Statement next(*m_db, "SELECT recordRow FROM removed_records LIMIT ?");
        next.bind(1, count);
        std::vector<int64_t> rows;
        while (next.executeStep())
            rows.push_back(next.getColumn(0).getInt64());
        // The table's trigger deletes the images with each row.
        SQLite::Statement record(*m_db, "DELETE FROM records WHERE rowid = ?");
        SQLite::Statement listed(*m_db, "DELETE FROM removed_records WHERE recordRow = ?");
        for (const int64_t row : rows) {
            record.reset();
            record.bind(1, row);
            record.exec();
            listed.reset();
            listed.bind(1, row);
            listed.exec();
        }
        transaction.commit();
        m_removedRows = rows.size() == size_t(count);
    } catch (const SQLite::Exception &) {
        // Housekeeping only: a busy or full disk keeps the rows listed for a later try.
        return false;
    }
    return m_removedRows;
}

} // namespace vorla
