// Numbers read from text fields the way both web clients and the model read them.
#pragma once

#include <QStringView>

#include <optional>

namespace vorla::NumberText {

// A decimal integer: an optional "+" or "-", then ASCII digits only; none on overflow.
std::optional<qint64> decimalInteger(QStringView text);
// The year that a date written year first starts with: its first four characters as a
// decimal integer above 1800, else none ("1969-03-00" and "1977" give a year, "19xx" not).
std::optional<qint64> yearFromText(QStringView text);

} // namespace vorla::NumberText
