#include "views/currency_format.h"

#include <QLocale>
#include <QRegularExpression>

#include <unicode/ucurr.h>
#include <unicode/unum.h>

#include <cmath>
#include <memory>

namespace vorla::CurrencyFormat {

namespace {

struct FormatCloser {
    void operator()(UNumberFormat *format) const { unum_close(format); }
};
using FormatHandle = std::unique_ptr<UNumberFormat, FormatCloser>;

const UChar *uchars(const QString &text)
{
    return reinterpret_cast<const UChar *>(text.utf16());
}

QString fromUChars(const UChar *text, int32_t length)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(text), length);
}

bool isCurrencyCode(const QString &code)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Z]{3}$"));
    return pattern.match(code).hasMatch();
}

FormatHandle currencyFormat(const QString &code, Precision precision)
{
    if (!isCurrencyCode(code))
        return nullptr;
    const QByteArray locale = QLocale().name().toUtf8();
    UErrorCode status = U_ZERO_ERROR;
    FormatHandle format(unum_open(UNUM_CURRENCY, nullptr, 0, locale.constData(), nullptr, &status));
    if (U_FAILURE(status))
        return nullptr;
    unum_setTextAttribute(format.get(), UNUM_CURRENCY_CODE, uchars(code), 3, &status);
    if (U_FAILURE(status))
        return nullptr;
    if (precision == Precision::wholeUnits) {
        unum_setAttribute(format.get(), UNUM_MIN_FRACTION_DIGITS, 0);
        unum_setAttribute(format.get(), UNUM_MAX_FRACTION_DIGITS, 0);
    }
    return format;
}

std::optional<double> plainNumber(QString text)
{
    // Currency symbols, codes and spaces around the number do not matter here.
    static const QRegularExpression noise(QStringLiteral("[^0-9.,\\-\\x{2212}']"));
    text.remove(noise);
    text.replace(QChar(0x2212), u'-');
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double local = QLocale().toDouble(text, &ok);
    if (ok)
        return local;
    // A comma before the last one or two digits is a decimal point ("2,50"); other commas
    // and apostrophes group thousands.
    static const QRegularExpression decimalComma(QStringLiteral(",(\\d{1,2})$"));
    text.replace(decimalComma, QStringLiteral(".\\1"));
    text.remove(u',');
    text.remove(u'\'');
    const double plain = QLocale::c().toDouble(text, &ok);
    if (ok)
        return plain;
    return std::nullopt;
}

} // namespace

QString format(double amount, const QString &code, Precision precision)
{
    if (FormatHandle format = currencyFormat(code, precision)) {
        UChar buffer[128];
        UErrorCode status = U_ZERO_ERROR;
        const int32_t length = unum_formatDouble(format.get(), amount, buffer, 128, nullptr, &status);
        if (U_SUCCESS(status))
            return fromUChars(buffer, length);
    }
    const int decimals = precision == Precision::wholeUnits ? 0 : 2;
    return code + u' ' + QLocale().toString(amount, 'f', decimals);
}

std::optional<double> parse(const QString &text, const QString &code)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    if (FormatHandle format = currencyFormat(code, Precision::standard)) {
        UErrorCode status = U_ZERO_ERROR;
        int32_t position = 0;
        const double value = unum_parseDouble(
            format.get(), uchars(trimmed), int32_t(trimmed.size()), &position, &status);
        if (U_SUCCESS(status) && position == trimmed.size() && std::isfinite(value))
            return value;
    }
    const std::optional<double> value = plainNumber(trimmed);
    if (value && std::isfinite(*value))
        return value;
    return std::nullopt;
}

QString name(const QString &code)
{
    if (!isCurrencyCode(code))
        return code;
    const QByteArray locale = QLocale().name().toUtf8();
    UErrorCode status = U_ZERO_ERROR;
    UBool isChoiceFormat = false;
    int32_t length = 0;
    const UChar *result = ucurr_getName(uchars(code), locale.constData(), UCURR_LONG_NAME,
        &isChoiceFormat, &length, &status);
    if (U_FAILURE(status) || !result || length == 0)
        return code;
    return fromUChars(result, length);
}

} // namespace vorla::CurrencyFormat
