// Prices in the collection's currency, written and read the way the user's locale does
// (ICU), for any ISO 4217 code.
#pragma once

#include <QString>

#include <optional>

namespace vorla::CurrencyFormat {

enum class Precision { standard, wholeUnits };

// "$12.50", "12,50 €", or with wholeUnits "$21". A code ICU does not know is shown as
// the code before the number.
QString format(double amount, const QString &code, Precision precision = Precision::standard);

// The amount in a typed price: the locale's currency notation, or a plain number in the
// locale's or in C notation (a comma before the last one or two digits is a decimal point).
// None for blank or unreadable text.
std::optional<double> parse(const QString &text, const QString &code);

// The currency's name in the user's locale ("Euro"), or the code itself when it has none.
QString name(const QString &code);

} // namespace vorla::CurrencyFormat
