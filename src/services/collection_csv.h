// The collection file: the whole collection as one comma-separated file that spreadsheets and
// other collection tools open, written from records and read back into drafts.
#pragma once

#include "models/error.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace vorla {

class Record;
struct RecordDraft;

// The error of the import's contents.
class CSVImportError : public Error
{
public:
    // unrecognized: no header with an Artist or a Title column; tooManyRecords: more than
    // CollectionCSV::kMaxRecords records.
    enum class Kind { unrecognized, tooManyRecords };

    explicit CSVImportError(Kind kind = Kind::unrecognized);
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

namespace CollectionCSV {

// What one import takes at most: the records (more would only exhaust memory and the
// user's patience) and the bytes of the file, for every reader of collection files.
constexpr qsizetype kMaxRecords = 250'000;
constexpr qint64 kMaxFileBytes = qint64(128) * 1024 * 1024;

// The file's text: the 21-column header row, then one row per record in the given order.
// Dates are written as their calendar day in local time, the zone the import reads them in.
// (`export` is a C++ keyword.)
QString exportRecords(const QList<Record *> &records);

// One draft per data row that has a title or an artist, in file order; columns are found by
// their header text in any order. Throws CSVImportError.
QList<RecordDraft> importDrafts(const QString &text);

// The collection file at `path`, read as a stream of UTF-8 rows: the one reader of the
// window's import and of the import check. Throws Error when the file is missing, a folder,
// unreadable, over kMaxFileBytes or not UTF-8, and CSVImportError for its contents. Runs on
// any thread.
QList<RecordDraft> importFile(const QString &path);

} // namespace CollectionCSV

// The document the exporter writes and the importer reads: UTF-8 text, no byte-order mark.
struct CSVDocument
{
    QString text;

    // Never fails: a file that cannot be read or is not UTF-8 gives an empty text.
    static CSVDocument read(const QString &path);
    // The file's text; throws Error when it cannot be read or is not valid UTF-8.
    static QString readText(const QString &path);

    QByteArray fileContents() const { return text.toUtf8(); }
    // Replaces the file in one step; throws Error when it cannot be written.
    void write(const QString &path) const;
};

} // namespace vorla
