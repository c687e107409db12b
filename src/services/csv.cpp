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

std::optional<double> parseFloatingPoint(QStringView text)
{
    if (text.isEmpty())
        return std::nullopt;
    const QChar first = text.front();
    if (first == u' ' || first == u'\t' || first == u'\n' || first == u'\v' || first == u'\f'
        || first == u'\r')
        return std::nullopt;
    // strtod reads ASCII only, so anything else already ends the number; short texts (all
    // real numbers) stay on the stack.
    char buffer[64];
    if (text.size() >= qsizetype(sizeof buffer))
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == 0 || c > 0x7F)
            return std::nullopt;
        buffer[i] = char(c);
    }
    buffer[text.size()] = '\0';
    char *end = nullptr;
    const double value = strtod_l(buffer, &end, cLocale());
    if (end == buffer || end != buffer + text.size())
        return std::nullopt;
    return value;
}

bool isFloatingPointNumber(QStringView text)
{
    return parseFloatingPoint(text).has_value();
}

Reader::Reader(QStringView text) : m_text(text) { }

bool Reader::readRow(Row &row)
{
    const qsizetype size = m_text.size();
    while (m_position < size) {
        row.resize(0); // keeps the capacity, unlike clear()
        if (readLine(row))
            return true;
    }
    return false;
}

// Reads up to the end of one row (or of the text); false when that row is blank.
bool Reader::readLine(Row &row)
{
    QString field;
    bool quoted = false;
    const qsizetype size = m_text.size();

    // Plain characters are copied into the field in runs, not one by one.
    qsizetype runStart = m_position;
    const auto flushRun = [&](qsizetype end) {
        if (end > runStart)
            field.append(m_text.sliced(runStart, end - runStart));
    };

    qsizetype i = m_position;
    bool rowEnded = false;
    for (; i < size && !rowEnded; ++i) {
        const QChar c = m_text[i];
        if (quoted) {
            if (c != kQuote)
                continue;
            flushRun(i);
            if (i + 1 < size && m_text[i + 1] == kQuote) {
                field.append(kQuote);
                ++i;
            } else {
                quoted = false;
            }
            runStart = i + 1;
            continue;
        }
        if (c == kQuote) {
            flushRun(i);
            quoted = true;
            runStart = i + 1;
        } else if (c == kComma) {
            flushRun(i);
            row.append(std::exchange(field, QString()));
            runStart = i + 1;
        } else if (c == kLineFeed || c == kCarriageReturn) {
            flushRun(i);
            if (c == kCarriageReturn && i + 1 < size && m_text[i + 1] == kLineFeed)
                ++i;
            rowEnded = true;
        } else if (c == kByteOrderMark && i == runStart && field.isEmpty() && row.isEmpty()
            && m_finishedRows == 0) {
            // A byte-order mark only counts as such before anything else was read.
            runStart = i + 1;
        }
    }
    m_position = i;
    if (!rowEnded) {
        flushRun(size);
        // At the end of the text an empty last line is no row at all.
        if (field.isEmpty() && row.isEmpty())
            return false;
    }
    row.append(field);
    ++m_finishedRows;
    // Blank lines carry no row; a line holding only a comma does.
    return !(row.size() == 1 && row.front().isEmpty());
}

Table parse(const QString &text)
{
    Table rows;
    Reader reader(text);
    Row row;
    while (reader.readRow(row)) {
        rows.append(row);
        row = Row();
        row.reserve(rows.back().size());
    }
    return rows;
}

void appendRow(QString &text, std::span<const QString> row)
{
    bool firstField = true;
    for (const QString &field : row) {
        if (!firstField)
            text.append(kComma);
        firstField = false;

        const bool guarded
            = !field.isEmpty() && startsFormula(field.front()) && !isFloatingPointNumber(field);
        const bool quoted = needsQuoting(field);
        if (quoted)
            text.append(kQuote);
        if (guarded)
            text.append(u'\'');
        if (quoted) {
            qsizetype runStart = 0;
            for (qsizetype i = 0; i < field.size(); ++i) {
                if (field[i] == kQuote) {
                    text.append(QStringView(field).sliced(runStart, i + 1 - runStart));
                    text.append(kQuote);
                    runStart = i + 1;
                }
            }
            text.append(QStringView(field).sliced(runStart));
            text.append(kQuote);
        } else {
            text.append(field);
        }
    }
    text.append(QLatin1String("\r\n"));
}

QString encode(const Table &rows)
{
    QString text;
    for (const Row &row : rows)
        appendRow(text, row);
    if (rows.isEmpty())
        text.append(QLatin1String("\r\n"));
    return text;
}

} // namespace CSV

} // namespace vorla
