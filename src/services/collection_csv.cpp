#include "services/collection_csv.h"

#include "models/record.h"
#include "models/record_draft.h"
#include "services/csv.h"
#include "services/musicbrainz_client.h"
#include "core/text_util.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QVarLengthArray>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTimeZone>

#include <algorithm>
#include <array>
#include <limits>
#include <optional>

namespace vorla {

namespace {

// The release pages that looked-up drafts carry as their source address.
const QString kDiscogsWebRoot = QStringLiteral("https://www.discogs.com");
const QString kMusicBrainzWebRoot = QStringLiteral("https://musicbrainz.org");

// Larger files are not a record collection; reading them whole would only exhaust memory.
constexpr qint64 kMaxFileBytes = qint64(512) * 1024 * 1024;

enum class Field {
    artist,
    title,
    label,
    catalogNumber,
    format,
    year,
    country,
    genres,
    styles,
    barcode,
    media,
    sleeve,
    rating,
    favorite,
    location,
    price,
    purchaseDate,
    dateAdded,
    notes,
    discogsID,
    musicBrainzID,
};
constexpr int kFieldCount = 21;

struct FieldText
{
    const char *header;
    std::initializer_list<const char *> aliases; // lower case; the first is the header's
};

const std::array<FieldText, kFieldCount> kFields = {{
    {"Artist", {"artist", "artists"}},
    {"Title", {"title", "album", "release title"}},
    {"Label", {"label", "labels"}},
    {"Catalog #", {"catalog #", "catalog#", "catalog number", "catno", "cat#", "cat #", "cat no"}},
    {"Format", {"format"}},
    {"Year", {"year", "released", "release year"}},
    {"Country", {"country"}},
    {"Genres", {"genres", "genre"}},
    {"Styles", {"styles", "style"}},
    {"Barcode", {"barcode", "upc", "ean"}},
    {"Media Condition", {"media condition", "collection media condition", "media"}},
    {"Sleeve Condition", {"sleeve condition", "collection sleeve condition", "sleeve"}},
    {"Rating", {"rating"}},
    {"Favorite", {"favorite", "favourite"}},
    {"Location", {"location", "shelf"}},
    {"Purchase Price", {"purchase price", "price", "paid"}},
    {"Purchase Date", {"purchase date", "purchased"}},
    {"Date Added", {"date added", "added"}},
    {"Notes", {"notes", "collection notes"}},
    {"Discogs Release ID", {"discogs release id", "release_id", "discogs id"}},
    {"MusicBrainz ID", {"musicbrainz id", "mbid"}},
}};

std::optional<Field> fieldForHeader(const QString &cell)
{
    const QString key = TextUtil::trimmedSpacesAndTabs(cell).toLower();
    for (int i = 0; i < kFieldCount; ++i) {
        for (const char *alias : kFields[i].aliases) {
            if (key == QLatin1String(alias))
                return Field(i);
        }
    }
    return std::nullopt;
}

QString number(qint64 value)
{
    return QString::number(value);
}

// The calendar day of a moment in local time. Converting every date of a large collection
// to local time is slow, so the offset from UTC is kept per UTC day, for the days on which
// it does not change.
class LocalCalendar
{
public:
    QDate localDate(const QDateTime &moment)
    {
        const QDateTime utc = moment.toUTC();
        const QDate utcDay = utc.date();
        auto cached = m_offsets.constFind(utcDay);
        if (cached == m_offsets.cend())
            cached = m_offsets.insert(utcDay, steadyOffset(utcDay));
        if (!*cached)
            return moment.toLocalTime().date();
        return utc.addSecs(**cached).date();
    }

private:
    static std::optional<int> steadyOffset(QDate utcDay)
    {
        const QDateTime start(utcDay, QTime(0, 0), QTimeZone::utc());
        const int offset = start.toLocalTime().offsetFromUtc();
        if (start.addDays(1).toLocalTime().offsetFromUtc() != offset)
            return std::nullopt;
        return offset;
    }

    QHash<QDate, std::optional<int>> m_offsets;
};

// "yyyy-MM-dd" of the moment's local calendar day.
QString calendarDay(const QDateTime &moment, LocalCalendar &calendar)
{
    if (!moment.isValid())
        return {};
    const QDate day = calendar.localDate(moment);
    const int year = day.year();
    if (year < 0 || year > 9999)
        return day.toString(u"yyyy-MM-dd");
    const char16_t text[10] = {
        char16_t(u'0' + year / 1000), char16_t(u'0' + year / 100 % 10),
        char16_t(u'0' + year / 10 % 10), char16_t(u'0' + year % 10), u'-',
        char16_t(u'0' + day.month() / 10), char16_t(u'0' + day.month() % 10), u'-',
        char16_t(u'0' + day.day() / 10), char16_t(u'0' + day.day() % 10),
    };
    return QString(reinterpret_cast<const QChar *>(text), 10);
}

using ExportRow = std::array<QString, kFieldCount>;

void fillRow(ExportRow &row, const Record &record, LocalCalendar &calendar)
{
    const auto set = [&row](Field field, const QString &value) { row[int(field)] = value; };
    set(Field::artist, record.artist());
    set(Field::title, record.title());
    set(Field::label, record.label());
    set(Field::catalogNumber, record.catalogNumber());
    set(Field::format, record.format());
    set(Field::year, record.year() ? number(*record.year()) : QString());
    set(Field::country, record.country());
    set(Field::genres, record.genres().join(QStringLiteral("; ")));
    set(Field::styles, record.styles().join(QStringLiteral("; ")));
    set(Field::barcode, record.barcode());
    set(Field::media, rawValue(record.mediaCondition()));
    set(Field::sleeve, rawValue(record.sleeveCondition()));
    set(Field::rating, record.rating() >= 1 ? number(record.rating()) : QString());
    set(Field::favorite, record.isFavorite() ? QStringLiteral("Yes") : QString());
    set(Field::location, record.location());
    set(Field::price,
        record.purchasePrice() ? QString::number(*record.purchasePrice(), 'f', 2) : QString());
    set(Field::purchaseDate,
        record.purchaseDate() ? calendarDay(*record.purchaseDate(), calendar) : QString());
    set(Field::dateAdded, calendarDay(record.dateAdded(), calendar));
    set(Field::notes, record.notes());
    set(Field::discogsID,
        record.discogsReleaseID() ? number(*record.discogsReleaseID()) : QString());
    set(Field::musicBrainzID, record.musicBrainzID().value_or(QString()));
}

// A decimal integer with an optional sign and ASCII digits only; none on overflow.
std::optional<qint64> parseInteger(QStringView text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c - u'0';
        if (value > (std::numeric_limits<qint64>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

std::optional<int> parseYear(const QString &value)
{
    if (value.size() < 4)
        return std::nullopt;
    const std::optional<qint64> year = parseInteger(QStringView(value).first(4));
    if (!year || *year <= 1800)
        return std::nullopt;
    return int(*year);
}

int parseRating(const QString &value)
{
    return int(std::clamp<qint64>(parseInteger(value).value_or(0), 0, 5));
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

std::optional<double> parsePrice(const QString &value)
{
    // "2,50": with no full stop, a comma before the last one or two digits is the decimal
    // point; "1,234" keeps its comma as a thousands separator.
    qsizetype decimalComma = -1;
    if (!value.contains(u'.')) {
        const qsizetype comma = value.lastIndexOf(u',');
        const qsizetype decimals = value.size() - comma - 1;
        if (comma >= 0 && (decimals == 1 || decimals == 2)
            && std::all_of(value.begin() + comma + 1, value.end(), isAsciiDigit))
            decimalComma = comma;
    }
    // Only numeric characters and full stops count; currency signs, spaces and the rest go.
    QVarLengthArray<char16_t, 64> kept;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (i == decimalComma || c == u'.') {
            kept.append(u'.');
        } else if (c.isHighSurrogate() && i + 1 < value.size()
            && value[i + 1].isLowSurrogate()) {
            const char32_t scalar = QChar::surrogateToUcs4(c, value[i + 1]);
            if (QChar::isNumber(scalar)) {
                kept.append(c.unicode());
                kept.append(value[i + 1].unicode());
            }
            ++i;
        } else if (c.isNumber()) {
            kept.append(c.unicode());
        }
    }
    return CSV::parseFloatingPoint(QStringView(kept.constData(), kept.size()));
}

// Reads the fixed-layout date forms of the import without regular expressions: a file of
// 100,000 records holds 200,000 dates.
class DateScanner
{
public:
    explicit DateScanner(QStringView text) : m_text(text) { }

    // minDigits to maxDigits ASCII digits.
    std::optional<int> number(int minDigits, int maxDigits)
    {
        int value = 0;
        int digits = 0;
        while (digits < maxDigits && m_position < m_text.size() && m_text[m_position] >= u'0'
            && m_text[m_position] <= u'9') {
            value = value * 10 + (m_text[m_position].unicode() - u'0');
            ++m_position;
            ++digits;
        }
        if (digits < minDigits)
            return std::nullopt;
        return value;
    }
    bool skip(char16_t c)
    {
        if (m_position < m_text.size() && m_text[m_position] == c) {
            ++m_position;
            return true;
        }
        return false;
    }
    bool atEnd() const { return m_position == m_text.size(); }

private:
    QStringView m_text;
    qsizetype m_position = 0;
};

// "yyyy-MM-ddTHH:mm:ss" followed by "Z" or a "+hh:mm" / "-hh:mm" offset from UTC.
std::optional<QDateTime> parseInternetDateTime(QStringView text)
{
    DateScanner scan(text);
    const auto year = scan.number(4, 4);
    if (!year || !scan.skip(u'-'))
        return std::nullopt;
    const auto month = scan.number(2, 2);
    if (!month || !scan.skip(u'-'))
        return std::nullopt;
    const auto day = scan.number(2, 2);
    if (!day || !scan.skip(u'T'))
        return std::nullopt;
    const auto hour = scan.number(2, 2);
    if (!hour || !scan.skip(u':'))
        return std::nullopt;
    const auto minute = scan.number(2, 2);
    if (!minute || !scan.skip(u':'))
        return std::nullopt;
    const auto second = scan.number(2, 2);
    if (!second)
        return std::nullopt;
    int offset = 0;
    if (!scan.skip(u'Z')) {
        const bool ahead = scan.skip(u'+');
        if (!ahead && !scan.skip(u'-'))
            return std::nullopt;
        const auto offsetHours = scan.number(2, 2);
        if (!offsetHours || !scan.skip(u':'))
            return std::nullopt;
        const auto offsetMinutes = scan.number(2, 2);
        if (!offsetMinutes || *offsetHours > 23 || *offsetMinutes > 59)
            return std::nullopt;
        offset = (*offsetHours * 60 + *offsetMinutes) * 60 * (ahead ? 1 : -1);
    }
    const QDate date(*year, *month, *day);
    const QTime time(*hour, *minute, *second);
    if (!scan.atEnd() || !date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time, QTimeZone(offset)).toUTC();
}

// The date patterns read in the current time zone, each over the whole text, first match
// winning. Local midnights repeat a lot in a collection, so they are kept per day.
class LocalDateReader
{
public:
    std::optional<QDateTime> read(QStringView text)
    {
        // "yyyy-MM-dd HH:mm:ss" and "yyyy-MM-dd"
        {
            DateScanner scan(text);
            const auto year = scan.number(4, 4);
            const auto month = year && scan.skip(u'-') ? scan.number(1, 2) : std::nullopt;
            const auto day = month && scan.skip(u'-') ? scan.number(1, 2) : std::nullopt;
            if (day && scan.atEnd()) {
                if (auto moment = midnight(QDate(*year, *month, *day)))
                    return moment;
            } else if (day && scan.skip(u' ')) {
                const auto hour = scan.number(1, 2);
                const auto minute = hour && scan.skip(u':') ? scan.number(1, 2) : std::nullopt;
                const auto second = minute && scan.skip(u':') ? scan.number(1, 2) : std::nullopt;
                if (second && scan.atEnd()) {
                    if (auto moment = localMoment(QDate(*year, *month, *day),
                            QTime(*hour, *minute, *second)))
                        return moment;
                }
            }
        }
        // "MM/dd/yyyy", then "dd/MM/yyyy"
        DateScanner scan(text);
        const auto first = scan.number(1, 2);
        const auto second = first && scan.skip(u'/') ? scan.number(1, 2) : std::nullopt;
        const auto year = second && scan.skip(u'/') ? scan.number(4, 4) : std::nullopt;
        if (!year || !scan.atEnd())
            return std::nullopt;
        if (auto moment = midnight(QDate(*year, *first, *second)))
            return moment;
        return midnight(QDate(*year, *second, *first));
    }

private:
    static std::optional<QDateTime> localMoment(QDate date, QTime time)
    {
        if (!date.isValid() || !time.isValid())
            return std::nullopt;
        const QDateTime local(date, time, Qt::LocalTime);
        if (!local.isValid())
            return std::nullopt;
        return local.toUTC();
    }

    std::optional<QDateTime> midnight(QDate date)
    {
        if (!date.isValid())
            return std::nullopt;
        const auto cached = m_midnights.constFind(date);
        if (cached != m_midnights.cend())
            return *cached;
        const std::optional<QDateTime> moment = localMoment(date, QTime(0, 0));
        m_midnights.insert(date, moment);
        return moment;
    }

    QHash<QDate, std::optional<QDateTime>> m_midnights;
};

// The internet date-time form first, then the local-time patterns "yyyy-MM-dd HH:mm:ss",
// "yyyy-MM-dd", "MM/dd/yyyy" and "dd/MM/yyyy"; the first that gives a real date wins.
std::optional<QDateTime> parseDate(const QString &text, LocalDateReader &local)
{
    if (text.isEmpty())
        return std::nullopt;
    if (auto moment = parseInternetDateTime(text))
        return moment;
    return local.read(text);
}

class RowReader
{
public:
    RowReader(const std::array<qsizetype, kFieldCount> &columns, const CSV::Row &row)
        : m_columns(columns)
        , m_row(row)
    {
    }

    // The cell trimmed of white space and line breaks, without the formula guard's apostrophe.
    QString value(Field field) const
    {
        const qsizetype column = m_columns[int(field)];
        if (column < 0 || column >= m_row.size())
            return {};
        const QString &raw = m_row[column];
        // Most cells need no trimming; they are shared, not copied.
        QString cell = !raw.isEmpty() && (raw.front().isSpace() || raw.back().isSpace())
            ? TextUtil::trimmedWhitespaceAndNewlines(raw)
            : raw;
        if (cell.size() >= 2 && cell[0] == u'\'') {
            const QChar next = cell[1];
            if (next == u'=' || next == u'+' || next == u'-' || next == u'@')
                cell.remove(0, 1);
        }
        return cell;
    }

    QStringList list(Field field) const
    {
        QStringList items;
        const QString text = value(field);
        const QStringView view(text);
        qsizetype start = 0;
        for (qsizetype i = 0; i <= view.size(); ++i) {
            if (i < view.size() && view[i] != u';' && view[i] != u',')
                continue;
            const QString item = TextUtil::trimmedSpacesAndTabs(view.sliced(start, i - start));
            if (!item.isEmpty())
                items.append(item);
            start = i + 1;
        }
        return items;
    }

private:
    const std::array<qsizetype, kFieldCount> &m_columns;
    const CSV::Row &m_row;
};

std::optional<RecordDraft> draftFromRow(const RowReader &cells, LocalDateReader &dates)
{
    RecordDraft draft;
    // A value is trimmed already, so only a closing parenthesis leaves anything to clean.
    const QString artist = cells.value(Field::artist);
    draft.artist = artist.endsWith(u')') ? TextUtil::cleanArtistName(artist) : artist;
    draft.title = cells.value(Field::title);
    if (TextUtil::trimmedSpacesAndTabs(draft.title).isEmpty()
        && TextUtil::trimmedSpacesAndTabs(draft.artist).isEmpty())
        return std::nullopt;

    draft.label = cells.value(Field::label);
    draft.catalogNumber = cells.value(Field::catalogNumber);
    draft.country = cells.value(Field::country);
    draft.barcode = cells.value(Field::barcode);
    draft.location = cells.value(Field::location);
    draft.notes = cells.value(Field::notes);
    draft.format = cells.value(Field::format);
    draft.year = parseYear(cells.value(Field::year));
    draft.genres = cells.list(Field::genres);
    draft.styles = cells.list(Field::styles);
    draft.mediaCondition = gradingParsing(cells.value(Field::media));
    draft.sleeveCondition = gradingParsing(cells.value(Field::sleeve));
    draft.rating = parseRating(cells.value(Field::rating));
    static const QStringList yes = {QStringLiteral("yes"), QStringLiteral("true"),
        QStringLiteral("1"), QStringLiteral("y"), QStringLiteral("x")};
    draft.isFavorite = yes.contains(cells.value(Field::favorite), Qt::CaseInsensitive);
    draft.purchasePrice = parsePrice(cells.value(Field::price));
    draft.purchaseDate = parseDate(cells.value(Field::purchaseDate), dates);
    draft.dateAdded = parseDate(cells.value(Field::dateAdded), dates);
    draft.discogsReleaseID = parseInteger(cells.value(Field::discogsID));
    const QString musicBrainzID = cells.value(Field::musicBrainzID);
    if (MusicBrainzClient::isValidID(musicBrainzID))
        draft.musicBrainzID = musicBrainzID;

    if (draft.discogsReleaseID)
        draft.sourceURL = kDiscogsWebRoot + QStringLiteral("/release/") + number(*draft.discogsReleaseID);
    else if (draft.musicBrainzID)
        draft.sourceURL = kMusicBrainzWebRoot + QStringLiteral("/release/") + *draft.musicBrainzID;
    return draft;
}

} // namespace

CSVImportError::CSVImportError(Kind kind)
    : Error(QCoreApplication::translate("CSVImportError",
        "This file doesn't look like a record collection. It needs at least an Artist or "
        "Title column."))
    , m_kind(kind)
{
}

namespace CollectionCSV {

QString exportRecords(const QList<Record *> &records)
{
    QString text;
    // About the size of a typical row, so the text is rarely copied while it grows.
    text.reserve(256 + records.size() * 256);
    ExportRow row;
    LocalCalendar calendar;
    for (int i = 0; i < kFieldCount; ++i)
        row[i] = QString::fromLatin1(kFields[i].header);
    CSV::appendRow(text, row);
    for (const Record *record : records) {
        fillRow(row, *record, calendar);
        CSV::appendRow(text, row);
    }
    return text;
}

QList<RecordDraft> importDrafts(const QString &text)
{
    // Rows are read one at a time: a large file never exists twice in memory as a table.
    CSV::Reader reader(text);
    CSV::Row header;
    if (!reader.readRow(header))
        throw CSVImportError();

    // The first column with a meaning wins; unknown headers are ignored.
    std::array<qsizetype, kFieldCount> columns;
    columns.fill(-1);
    for (qsizetype i = 0; i < header.size(); ++i) {
        if (const auto field = fieldForHeader(header[i]); field && columns[int(*field)] < 0)
            columns[int(*field)] = i;
    }
    if (columns[int(Field::artist)] < 0 && columns[int(Field::title)] < 0)
        throw CSVImportError();

    // Growing a list of 100,000 drafts step by step would move every draft many times.
    QList<RecordDraft> drafts;
    const qsizetype lineFeeds = text.count(u'\n');
    drafts.reserve(lineFeeds > 0 ? lineFeeds : text.count(u'\r'));
    LocalDateReader dates;
    CSV::Row row;
    row.reserve(header.size());
    while (reader.readRow(row)) {
        if (auto draft = draftFromRow(RowReader(columns, row), dates))
            drafts.append(std::move(*draft));
    }
    return drafts;
}

} // namespace CollectionCSV

QString CSVDocument::readText(const QString &path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (!info.exists()) {
        throw Error(QCoreApplication::translate("CSVDocument",
            "The file \u201c%1\u201d couldn\u2019t be opened because there is no such file.")
                .arg(name));
    }
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        throw Error(QCoreApplication::translate("CSVDocument",
            "The file \u201c%1\u201d couldn\u2019t be opened.").arg(name));
    }
    if (file.size() > kMaxFileBytes) {
        throw Error(QCoreApplication::translate("CSVDocument",
            "The file \u201c%1\u201d is too large to be a record collection.").arg(name));
    }
    const QByteArray bytes = file.readAll();
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        throw Error(QCoreApplication::translate("CSVDocument",
            "The file \u201c%1\u201d couldn\u2019t be opened because it isn\u2019t UTF-8 text.")
                .arg(name));
    }
    return text;
}

CSVDocument CSVDocument::read(const QString &path)
{
    try {
        return {readText(path)};
    } catch (const Error &) {
        // An unreadable file is read as an empty one; the import then reports it.
        return {};
    }
}

void CSVDocument::write(const QString &path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(fileContents()) != fileContents().size()
        || !file.commit()) {
        throw Error(QCoreApplication::translate("CSVDocument",
            "The file \u201c%1\u201d couldn\u2019t be saved: %2")
                .arg(QFileInfo(path).fileName(), file.errorString()));
    }
}

} // namespace vorla
