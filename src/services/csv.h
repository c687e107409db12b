// Comma-separated text to a table of fields and back; knows nothing of records.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <span>

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
    bool readLine(Row &row);

    QStringView m_text;
    qsizetype m_position = 0;
    qsizetype m_finishedRows = 0; // blank lines included
};

// Forgiving reader: never fails, accepts LF, CR and CR LF line ends and a leading
// byte-order mark, and drops blank lines. Rows keep their own number of fields.
Table parse(const QString &text);

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
