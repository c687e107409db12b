// Text routines for retail product codes (EAN-8, UPC-A, EAN-13) shared by scanning,
// recognition, lookups and matching. Pure; safe on any thread.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace vorla::Barcode {

// The ASCII digits 0-9 of `text`, in order; everything else (other scripts' digits too) dropped.
QString digits(QStringView text);
// 8, 12 or 13 ASCII digits and nothing else, with a correct GTIN check digit.
bool hasValidChecksum(QStringView text);
// The forms to search for: the digits, then the EAN-13 form of a UPC-A code or the UPC-A
// form of an EAN-13 code starting with 0. Empty when there are no digits.
QStringList variants(QStringView text);
// The same code once leading zeros are ignored; empty or all-zero codes never match.
bool matches(QStringView a, QStringView b);

} // namespace vorla::Barcode
