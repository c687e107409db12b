#include "services/csv.h"

#include <QByteArray>
#include <QIODevice>
#include <QStringDecoder>

#include <algorithm>
#include <cstdlib>
#include <utility>
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

// The smallest piece read at once; a row longer than the buffer doubles the next read, so
// a huge quoted field is not parsed over and over.
constexpr qint64 kPieceBytes = 1024 * 1024;

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

namespace {

enum class Line { row, blank, incomplete };

// Reads one row from `position`. With `final` false a row that runs to the end of `text` may
// go on in text not yet read: then nothing is consumed and the result is incomplete.
Line readLine(QStringView text, qsizetype &position, qsizetype &finishedRows, Row &row, bool final)
{
    QString field;
    bool quoted = false;
    const qsizetype size = text.size();

    // Plain characters are copied into the field in runs, not one by one.
    qsizetype runStart = position;
    const auto flushRun = [&](qsizetype end) {
        if (end > runStart)
            field.append(text.sliced(runStart, end - runStart));
    };

    qsizetype i = position;
    bool rowEnded = false;
    for (; i < size && !rowEnded; ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c != kQuote)
                continue;
            if (i + 1 == size && !final)
                return Line::incomplete; // a doubled quote may follow
            flushRun(i);
            if (i + 1 < size && text[i + 1] == kQuote) {
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
            if (c == kCarriageReturn && i + 1 == size && !final)
                return Line::incomplete; // its line feed may follow
            flushRun(i);
            if (c == kCarriageReturn && i + 1 < size && text[i + 1] == kLineFeed)
                ++i;
            rowEnded = true;
        } else if (c == kByteOrderMark && i == runStart && field.isEmpty() && row.isEmpty()
            && finishedRows == 0) {
            // A byte-order mark only counts as such before anything else was read.
            runStart = i + 1;
        }
    }
    if (!rowEnded && !final)
        return Line::incomplete;
    position = i;
    if (!rowEnded) {
        flushRun(size);
        // At the end of the text an empty last line is no row at all.
        if (field.isEmpty() && row.isEmpty())
            return Line::blank;
    }
    row.append(field);
    ++finishedRows;
    // Blank lines carry no row; a line holding only a comma does.
    return row.size() == 1 && row.front().isEmpty() ? Line::blank : Line::row;
}

// Where the complete UTF-8 sequences of `bytes` end: a sequence cut by the end of a piece
// waits for the next one.
qsizetype completeSequencesEnd(const QByteArray &bytes)
{
    const qsizetype size = bytes.size();
    for (qsizetype back = 1; back <= 4 && back <= size; ++back) {
        const uchar c = uchar(bytes[size - back]);
        if ((c & 0xC0) == 0x80)
            continue; // continuation byte
        const qsizetype length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return length > back ? size - back : size;
    }
    return size;
}

// How many leading bytes of `bytes` are well-formed UTF-8 (no overlong forms, surrogates or
// values past U+10FFFF).
qsizetype validUtf8Prefix(const QByteArray &bytes)
{
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        const uchar c = data[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        qsizetype length = 0;
        uchar low = 0x80;
        uchar high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        } else {
            return i;
        }
        if (i + length > size || data[i + 1] < low || data[i + 1] > high)
            return i;
        for (qsizetype k = 2; k < length; ++k) {
            if ((data[i + k] & 0xC0) != 0x80)
                return i;
        }
        i += length;
    }
    return i;
}

} // namespace

Reader::Reader(QStringView text) : m_text(text) { }

bool Reader::readRow(Row &row)
{
    while (m_position < m_text.size()) {
        row.resize(0); // keeps the capacity, unlike clear()
        if (readLine(m_text, m_position, m_finishedRows, row, true) == Line::row)
            return true;
    }
    return false;
}

StreamReader::StreamReader(QIODevice &device, qint64 maxBytes)
    : m_device(device)
    , m_maxBytes(maxBytes)
{
}

bool StreamReader::readRow(Row &row)
{
    while (m_failure == Failure::none) {
        if (m_position >= m_buffer.size() && m_atEnd)
            return false;
        row.resize(0);
        const Line line = readLine(m_buffer, m_position, m_finishedRows, row, m_atEnd);
        if (line == Line::row)
            return true;
        if (line == Line::incomplete && m_invalidAhead) {
            // The rows before a bad byte were read; the file fails where it stops being text.
            m_failure = Failure::notUtf8;
            return false;
        }
        if (line == Line::incomplete && !fill())
            return false;
    }
    return false;
}

// Appends the next piece of the device to the buffer; false when reading failed.
bool StreamReader::fill()
{
    m_buffer.remove(0, m_position);
    m_position = 0;
    const qint64 want = std::max<qint64>(kPieceBytes, m_buffer.size());
    const qint64 room = std::min(want, m_maxBytes - m_bytesRead + 1);
    QByteArray bytes = std::exchange(m_pending, QByteArray());
    const qsizetype kept = bytes.size();
    bytes.resize(kept + room);
    const qint64 read = m_device.read(bytes.data() + kept, room);
    if (read < 0) {
        m_failure = Failure::unreadable;
        return false;
    }
    bytes.truncate(kept + read);
    m_bytesRead += read;
    if (m_bytesRead > m_maxBytes) {
        m_failure = Failure::tooLarge;
        return false;
    }
    m_atEnd = read == 0;
    const qsizetype end = m_atEnd ? bytes.size() : completeSequencesEnd(bytes);
    m_pending = bytes.sliced(end);
    bytes.truncate(end);
    const qsizetype valid = validUtf8Prefix(bytes);
    if (valid < bytes.size()) {
        m_invalidAhead = true;
        m_atEnd = false;
        bytes.truncate(valid);
    }
    QStringDecoder decoder(QStringDecoder::Utf8,
        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    m_buffer.append(decoder.decode(bytes));
    return true;
}

bool isGuardedStart(QChar c)
{
    return c == u'=' || c == u'+' || c == u'-' || c == u'@' || c == u'\t' || c == u'\r'
        || c == u'\'';
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
            = !field.isEmpty() && isGuardedStart(field.front()) && !isFloatingPointNumber(field);
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
