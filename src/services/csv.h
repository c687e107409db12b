// Comma-separated text to a table of fields and back; knows nothing of records.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace vorla {

namespace CSV {

using Row = QStringList;
using Table = QList<Row>;

// Forgiving reader: never fails, accepts LF, CR and CR LF line ends and a leading
// byte-order mark, and drops blank lines. Rows keep their own number of fields.
Table parse(const QString &text);

// Writer: CR LF after every row; fields a spreadsheet would run as a formula get a
// leading apostrophe; fields holding a comma, a quote or a line break are quoted.
QString encode(const Table &rows);

// The whole text read as a floating-point number the way strtod reads it in the C locale
// ("-12.5", "+3", "inf", "0x1p3"), never the user's locale; none when any of it is left over
// or it starts with white space.
std::optional<double> parseFloatingPoint(const QString &text);
bool isFloatingPointNumber(const QString &text);

} // namespace CSV

} // namespace vorla
