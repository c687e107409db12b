#include "services/collection_csv.h"

#include "models/record.h"
#include "models/record_draft.h"
#include "services/csv.h"
#include "services/musicbrainz_client.h"
#include "services/text_util.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
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

// The calendar day of a moment in local time, "yyyy-MM-dd".
QString calendarDay(const QDateTime &moment)
{
    if (!moment.isValid())
        return {};
    const QDate day = moment.toLocalTime().date();
    return QString::asprintf("%04d-%02d-%02d", day.year(), day.month(), day.day());
}

QStringList exportRow(const Record &record)
{
    QStringList row;
    row.reserve(kFieldCount);
    row << record.artist() << record.title() << record.label() << record.catalogNumber()
        << record.format() << (record.year() ? number(*record.year()) : QString())
        << record.country() << record.genres().join(QStringLiteral("; "))
        << record.styles().join(QStringLiteral("; ")) << record.barcode()
        << rawValue(record.mediaCondition()) << rawValue(record.sleeveCondition())
        << (record.rating() >= 1 ? number(record.rating()) : QString())
        << (record.isFavorite() ? QStringLiteral("Yes") : QString()) << record.location()
        << (record.purchasePrice() ? QString::number(*record.purchasePrice(), 'f', 2) : QString())
        << (record.purchaseDate() ? calendarDay(*record.purchaseDate()) : QString())
        << calendarDay(record.dateAdded()) << record.notes()
        << (record.discogsReleaseID() ? number(*record.discogsReleaseID()) : QString())
        << record.musicBrainzID().value_or(QString());
    return row;
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
    QString text = value;
    // "2,50": with no full stop, a comma before the last one or two digits is the decimal
    // point; "1,234" keeps its comma as a thousands separator.
    if (!text.contains(u'.')) {
        const qsizetype comma = text.lastIndexOf(u',');
        const qsizetype decimals = text.size() - comma - 1;
        if (comma >= 0 && (decimals == 1 || decimals == 2)
            && std::all_of(text.begin() + comma + 1, text.end(), isAsciiDigit))
            text[comma] = u'.';
    }
    QString kept;
    kept.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        if (c == U'.' || QChar::isNumber(c))
            kept.append(QString::fromUcs4(&c, 1));
    }
    return CSV::parseFloatingPoint(kept);
}

std::optional<QDateTime> localMoment(QDate date, QTime time)
{
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    const QDateTime local(date, time, Qt::LocalTime);
    if (!local.isValid())
        return std::nullopt;
    return local.toUTC();
}

int captured(const QRegularExpressionMatch &match, int group)
{
    return match.capturedView(group).toInt();
}

// The internet date-time form first, then the local-time patterns "yyyy-MM-dd HH:mm:ss",
// "yyyy-MM-dd", "MM/dd/yyyy" and "dd/MM/yyyy"; the first that gives a real date wins.
std::optional<QDateTime> parseDate(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;

    static const QRegularExpression internetDateTime(QStringLiteral(
        "^(\\d{4})-(\\d{2})-(\\d{2})T(\\d{2}):(\\d{2}):(\\d{2})(?:Z|([+-])(\\d{2}):(\\d{2}))$"));
    if (const QRegularExpressionMatch m = internetDateTime.match(text); m.hasMatch()) {
        const QDate date(captured(m, 1), captured(m, 2), captured(m, 3));
        const QTime time(captured(m, 4), captured(m, 5), captured(m, 6));
        int offset = 0;
        if (m.hasCaptured(7)) {
            offset = (captured(m, 8) * 60 + captured(m, 9)) * 60;
            if (m.capturedView(7) == u"-")
                offset = -offset;
        }
        if (date.isValid() && time.isValid() && std::abs(offset) < 24 * 3600)
            return QDateTime(date, time, QTimeZone(offset)).toUTC();
    }

    static const QRegularExpression dateAndTime(QStringLiteral(
        "^(\\d{4})-(\\d{1,2})-(\\d{1,2}) (\\d{1,2}):(\\d{1,2}):(\\d{1,2})$"));
    if (const QRegularExpressionMatch m = dateAndTime.match(text); m.hasMatch()) {
        if (auto moment = localMoment(QDate(captured(m, 1), captured(m, 2), captured(m, 3)),
                QTime(captured(m, 4), captured(m, 5), captured(m, 6))))
            return moment;
    }
    static const QRegularExpression isoDay(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})$"));
    if (const QRegularExpressionMatch m = isoDay.match(text); m.hasMatch()) {
        if (auto moment
            = localMoment(QDate(captured(m, 1), captured(m, 2), captured(m, 3)), QTime(0, 0)))
            return moment;
    }
    static const QRegularExpression slashDay(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{4})$"));
    if (const QRegularExpressionMatch m = slashDay.match(text); m.hasMatch()) {
        // Month first, then day first.
        if (auto moment
            = localMoment(QDate(captured(m, 3), captured(m, 1), captured(m, 2)), QTime(0, 0)))
            return moment;
        if (auto moment
            = localMoment(QDate(captured(m, 3), captured(m, 2), captured(m, 1)), QTime(0, 0)))
            return moment;
    }
    return std::nullopt;
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
        QString cell = TextUtil::trimmedWhitespaceAndNewlines(m_row[column]);
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
        static const QRegularExpression separator(QStringLiteral("[;,]"));
        for (const QString &piece : value(field).split(separator)) {
            const QString item = TextUtil::trimmedSpacesAndTabs(piece);
            if (!item.isEmpty())
                items.append(item);
        }
        return items;
    }

private:
    const std::array<qsizetype, kFieldCount> &m_columns;
    const CSV::Row &m_row;
};

std::optional<RecordDraft> draftFromRow(const RowReader &cells)
{
    RecordDraft draft;
    draft.artist = TextUtil::cleanArtistName(cells.value(Field::artist));
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
    draft.isFavorite = yes.contains(cells.value(Field::favorite).toLower());
    draft.purchasePrice = parsePrice(cells.value(Field::price));
    draft.purchaseDate = parseDate(cells.value(Field::purchaseDate));
    draft.dateAdded = parseDate(cells.value(Field::dateAdded));
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
    CSV::Table table;
    table.reserve(records.size() + 1);
    CSV::Row header;
    for (const FieldText &field : kFields)
        header.append(QString::fromLatin1(field.header));
    table.append(header);
    for (const Record *record : records)
        table.append(exportRow(*record));
    return CSV::encode(table);
}

QList<RecordDraft> importDrafts(const QString &text)
{
    const CSV::Table rows = CSV::parse(text);
    if (rows.isEmpty())
        throw CSVImportError();

    // The first column with a meaning wins; unknown headers are ignored.
    std::array<qsizetype, kFieldCount> columns;
    columns.fill(-1);
    const CSV::Row &header = rows.front();
    for (qsizetype i = 0; i < header.size(); ++i) {
        if (const auto field = fieldForHeader(header[i]); field && columns[int(*field)] < 0)
            columns[int(*field)] = i;
    }
    if (columns[int(Field::artist)] < 0 && columns[int(Field::title)] < 0)
        throw CSVImportError();

    QList<RecordDraft> drafts;
    drafts.reserve(rows.size() - 1);
    for (qsizetype i = 1; i < rows.size(); ++i) {
        if (auto draft = draftFromRow(RowReader(columns, rows[i])))
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
