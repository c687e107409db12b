#include "services/csv.h"

#include <QByteArray>

#include <utility>
#include <cstdlib>
#include <locale.h>

namespace vorla {

namespace CSV {

namespace {

constexpr QChar kQuote = u'"';
constexpr QChar kComma = u',';
constexpr QChar kLineFeed = u'\n';
constexpr QChar kCarriageReturn = u'\r';
constexpr QChar kByteOrderMark = QChar(0xFEFF);

// strtod must not follow the user's locale: "2.5" has to read the same everywhere.
locale_t cLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return locale;
}

bool startsFormula(QChar c)
{
    return c == u'=' || c == u'+' || c == u'-' || c == u'@' || c == u'\t' || c == u'\r';
}

bool needsQuoting(const QString &field)
{
    for (const QChar c : field) {
        if (c == kComma || c == kQuote || c == kLineFeed || c == kCarriageReturn)
            return true;
    }
    return false;
}

} // namespace

std::optional<double> parseFloatingPoint(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    const QChar first = text.front();
    if (first == u' ' || first == u'\t' || first == u'\n' || first == u'\v' || first == u'\f'
        || first == u'\r')
        return std::nullopt;
    const QByteArray bytes = text.toUtf8();
    const char *begin = bytes.constData();
    char *end = nullptr;
    const double value = strtod_l(begin, &end, cLocale());
    // An embedded NUL stops strtod early, so such a text is not a number either.
    if (end == begin || end != begin + bytes.size())
        return std::nullopt;
    return value;
}

bool isFloatingPointNumber(const QString &text)
{
    return parseFloatingPoint(text).has_value();
}

Table parse(const QString &text)
{
    Table rows;
    Row row;
    QString field;
    bool quoted = false;

    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == kQuote) {
                if (i + 1 < size && text.at(i + 1) == kQuote) {
                    field.append(kQuote);
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field.append(c);
            }
            continue;
        }
        if (c == kQuote) {
            quoted = true;
        } else if (c == kComma) {
            row.append(std::exchange(field, QString()));
        } else if (c == kLineFeed || c == kCarriageReturn) {
            if (c == kCarriageReturn && i + 1 < size && text.at(i + 1) == kLineFeed)
                ++i;
            row.append(std::exchange(field, QString()));
            rows.append(std::exchange(row, Row()));
        } else if (c == kByteOrderMark && field.isEmpty() && row.isEmpty() && rows.isEmpty()) {
            // A byte-order mark only counts as such at the very start of the text.
        } else {
            field.append(c);
        }
    }
    if (!field.isEmpty() || !row.isEmpty()) {
        row.append(field);
        rows.append(row);
    }

    // Blank lines carry no row; a line holding only a comma does.
    rows.removeIf([](const Row &r) { return r.size() == 1 && r.front().isEmpty(); });
    return rows;
}

QString encode(const Table &rows)
{
    QString text;
    for (const Row &row : rows) {
        bool firstField = true;
        for (const QString &value : row) {
            if (!firstField)
                text.append(kComma);
            firstField = false;

            QString field = value;
            if (!field.isEmpty() && startsFormula(field.front()) && !isFloatingPointNumber(field))
                field.prepend(u'\'');
            if (needsQuoting(field)) {
                field.replace(kQuote, QStringLiteral("\"\""));
                text.append(kQuote).append(field).append(kQuote);
            } else {
                text.append(field);
            }
        }
        text.append(u"\r\n");
    }
    if (rows.isEmpty())
        text.append(u"\r\n");
    return text;
}

} // namespace CSV

} // namespace vorla
