// Comma-separated text to a table of fields and back; knows nothing of records.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <span>

class QIODevice;

namespace vorla {

namespace CSV {

using Row = QStringList;
using Table = QList<Row>;

// The reader of parse() one row at a time, for large files: it holds no table. The text must
// outlive it.
class Reader
{
public:
    explicit Reader(QStringView text);
    // The next row that is not a blank line; false at the end of the text.
    bool readRow(Row &row);

private:
    QStringView m_text;
    qsizetype m_position = 0;
    qsizetype m_finishedRows = 0; // blank lines included
};

// The same reader over UTF-8 bytes read from a device a piece at a time: memory holds the
// piece and the row being read, never the whole file.
class StreamReader
{
public:
    enum class Failure { none, tooLarge, unreadable, notUtf8 };

    // Reads at most `maxBytes` bytes from `device`, which must outlive the reader.
    StreamReader(QIODevice &device, qint64 maxBytes);
    // The next row that is not a blank line; false at the end or when reading failed.
    bool readRow(Row &row);
    Failure failure() const { return m_failure; }

private:
    bool fill();

    QIODevice &m_device;
    qint64 m_maxBytes;
    qint64 m_bytesRead = 0;
    QByteArray m_pending; // the start of a UTF-8 sequence that the next piece completes
    QString m_buffer;
    qsizetype m_position = 0;
    qsizetype m_finishedRows = 0;
    bool m_atEnd = false;
    bool m_invalidAhead = false; // the buffer ends where the bytes stop being UTF-8
    Failure m_failure = Failure::none;
};

// Forgiving reader: never fails, accepts LF, CR and CR LF line ends and a leading
// byte-order mark, and drops blank lines. Rows keep their own number of fields.
Table parse(const QString &text);

// The formula guard, one rule for both directions: the writer puts an apostrophe before a
// field that starts with "=", "+", "-", "@", a tab, a carriage return or an apostrophe (a
// plain number excepted); the collection file's reader drops one leading apostrophe before
// exactly those characters, so a value survives any number of round trips.
bool isGuardedStart(QChar c);

// Writer: CR LF after every row; fields a spreadsheet would run as a formula get a
// leading apostrophe; fields holding a comma, a quote or a line break are quoted.
QString encode(const Table &rows);
// One row of encode(), CR LF included, appended to `text`: for writers that stream rows.
void appendRow(QString &text, std::span<const QString> row);

// The whole text read as a floating-point number the way strtod reads it in the C locale
// ("-12.5", "+3", "inf", "0x1p3"), never the user's locale; none when any of it is left over
// or it starts with white space.
std::optional<double> parseFloatingPoint(QStringView text);
bool isFloatingPointNumber(QStringView text);

} // namespace CSV

} // namespace vorla
