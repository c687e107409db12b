#include "services/collection_csv.h"

#include "models/record.h"
#include "models/record_draft.h"
#include "services/csv.h"

#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

using namespace vorla;

namespace {

QString text(const char *utf8) { return QString::fromUtf8(utf8); }

const char *kHeader = "Artist,Title,Label,Catalog #,Format,Year,Country,Genres,Styles,Barcode,"
                      "Media Condition,Sleeve Condition,Rating,Favorite,Location,Purchase Price,"
                      "Purchase Date,Date Added,Notes,Discogs Release ID,MusicBrainz ID";

const char *kUnrecognized = "This file doesn't look like a record collection. It needs at least "
                            "an Artist or Title column.";

// The one draft of a file with an Artist column and one more column.
RecordDraft importCell(const char *header, const QString &cell)
{
    QString quoted = cell;
    quoted.replace(u'"', QStringLiteral("\"\""));
    const QString file = text("Artist,%1\r\nSomeone,\"%2\"\r\n").arg(text(header), quoted);
    const QList<RecordDraft> drafts = CollectionCSV::importDrafts(file);
    EXPECT_EQ(drafts.size(), 1);
    return drafts.value(0);
}

QDateTime localMidnight(int year, int month, int day)
{
    return QDateTime(QDate(year, month, day), QTime(0, 0), Qt::LocalTime).toUTC();
}

// Runs a test body in a POSIX time zone (no tz database needed) and restores the old one.
class TimeZoneScope
{
public:
    explicit TimeZoneScope(const char *zone)
        : m_had(qEnvironmentVariableIsSet("TZ"))
        , m_old(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~TimeZoneScope()
    {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    bool m_had;
    QByteArray m_old;
};

} // namespace

TEST(CollectionCSV, MapsHeaderAliases)
{
    {
        const auto drafts = CollectionCSV::importDrafts(text("Album,Artists\nTago Mago,Can\n"));
        ASSERT_EQ(drafts.size(), 1);
        EXPECT_EQ(drafts[0].title, text("Tago Mago"));
        EXPECT_EQ(drafts[0].artist, text("Can"));
    }
    {
        const auto drafts = CollectionCSV::importDrafts(text(" ARTIST \t,Cat No,MBID\nCan,UAS 1,x\n"));
        ASSERT_EQ(drafts.size(), 1);
        EXPECT_EQ(drafts[0].artist, text("Can"));
        EXPECT_EQ(drafts[0].catalogNumber, text("UAS 1"));
    }
    {
        // The first column with a meaning wins.
        const auto drafts = CollectionCSV::importDrafts(text("Artist,Title,Artist\nCan,Soon,Faust\n"));
        ASSERT_EQ(drafts.size(), 1);
        EXPECT_EQ(drafts[0].artist, text("Can"));
    }
}

TEST(CollectionCSV, RejectsFilesWithoutArtistOrTitle)
{
    for (const char *file : {"", "\n\n\r\n", "Label,Year\nHarvest,1970\n", "Artist Name\nCan\n"}) {
        SCOPED_TRACE(file);
        try {
            CollectionCSV::importDrafts(text(file));
            ADD_FAILURE() << "no error";
        } catch (const CSVImportError &error) {
            EXPECT_EQ(error.kind(), CSVImportError::Kind::unrecognized);
            EXPECT_EQ(error.message(), text(kUnrecognized));
        }
    }
    EXPECT_TRUE(CollectionCSV::importDrafts(text("Title\r\n")).isEmpty());
}

TEST(CollectionCSV, ReadsRowsForgivingly)
{
    const auto drafts = CollectionCSV::importDrafts(
        text("Artist,Title,Year,Label\n,,,\nCan\n , Tago Mago \nNico (2),\"Chelsea\nGirl\"\n"));
    ASSERT_EQ(drafts.size(), 3);
    EXPECT_EQ(drafts[0].artist, text("Can"));
    EXPECT_EQ(drafts[0].title, QString());
    EXPECT_EQ(drafts[0].label, QString());
    EXPECT_EQ(drafts[0].format, QString());
    EXPECT_EQ(drafts[1].title, text("Tago Mago"));
    EXPECT_EQ(drafts[2].artist, text("Nico"));
    EXPECT_EQ(drafts[2].title, text("Chelsea\nGirl"));
}

TEST(CollectionCSV, ReadsCellValues)
{
    using Check = std::function<void(const RecordDraft &)>;
    const struct {
        const char *header;
        const char *cell;
        Check check;
    } cases[] = {
        {"Year", "1979-05-12", [](auto &d) { EXPECT_EQ(d.year, 1979); }},
        {"Year", "1979-05-00", [](auto &d) { EXPECT_EQ(d.year, 1979); }},
        {"Year", "1801", [](auto &d) { EXPECT_EQ(d.year, 1801); }},
        {"Year", "1800", [](auto &d) { EXPECT_EQ(d.year, std::nullopt); }},
        {"Year", "79", [](auto &d) { EXPECT_EQ(d.year, std::nullopt); }},
        {"Year", "c. 1980", [](auto &d) { EXPECT_EQ(d.year, std::nullopt); }},
        {"Year", "+1979", [](auto &d) { EXPECT_EQ(d.year, std::nullopt); }},
        {"Year", "", [](auto &d) { EXPECT_EQ(d.year, std::nullopt); }},
        {"Rating", "7", [](auto &d) { EXPECT_EQ(d.rating, 5); }},
        {"Rating", "3", [](auto &d) { EXPECT_EQ(d.rating, 3); }},
        {"Rating", "+4", [](auto &d) { EXPECT_EQ(d.rating, 4); }},
        {"Rating", "-2", [](auto &d) { EXPECT_EQ(d.rating, 0); }},
        {"Rating", "4.5", [](auto &d) { EXPECT_EQ(d.rating, 0); }},
        {"Rating", "99999999999999999999", [](auto &d) { EXPECT_EQ(d.rating, 0); }},
        {"Favorite", "X", [](auto &d) { EXPECT_TRUE(d.isFavorite); }},
        {"Favourite", "TRUE", [](auto &d) { EXPECT_TRUE(d.isFavorite); }},
        {"Favorite", "1", [](auto &d) { EXPECT_TRUE(d.isFavorite); }},
        {"Favorite", "no", [](auto &d) { EXPECT_FALSE(d.isFavorite); }},
        {"Favorite", "", [](auto &d) { EXPECT_FALSE(d.isFavorite); }},
        {"Price", "$18.00", [](auto &d) { EXPECT_EQ(d.purchasePrice, 18.0); }},
        {"Price", "2,50", [](auto &d) { EXPECT_EQ(d.purchasePrice, 2.5); }},
        {"Price", "7,5", [](auto &d) { EXPECT_EQ(d.purchasePrice, 7.5); }},
        {"Price", "\xE2\x82\xAC 12,99", [](auto &d) { EXPECT_EQ(d.purchasePrice, 12.99); }},
        {"Price", "1,234", [](auto &d) { EXPECT_EQ(d.purchasePrice, 1234.0); }},
        {"Price", "1,234.56", [](auto &d) { EXPECT_EQ(d.purchasePrice, 1234.56); }},
        {"Price", "-5", [](auto &d) { EXPECT_EQ(d.purchasePrice, 5.0); }},
        {"Price", "1.2.3", [](auto &d) { EXPECT_EQ(d.purchasePrice, std::nullopt); }},
        {"Price", "free", [](auto &d) { EXPECT_EQ(d.purchasePrice, std::nullopt); }},
        {"Price", "", [](auto &d) { EXPECT_EQ(d.purchasePrice, std::nullopt); }},
        {"Genres", "Rock; Jazz,  Blues ;;", [](auto &d) {
             EXPECT_EQ(d.genres, QStringList({u"Rock"_s, u"Jazz"_s, u"Blues"_s}));
         }},
        {"Style", "", [](auto &d) { EXPECT_TRUE(d.styles.isEmpty()); }},
        {"Media", "VG+", [](auto &d) { EXPECT_EQ(d.mediaCondition, Grading::veryGoodPlus); }},
        {"Collection Sleeve Condition", "Near Mint (NM or M-)",
         [](auto &d) { EXPECT_EQ(d.sleeveCondition, Grading::nearMint); }},
        {"Notes", "'=cmd", [](auto &d) { EXPECT_EQ(d.notes, text("=cmd")); }},
        {"Notes", "'@home", [](auto &d) { EXPECT_EQ(d.notes, text("@home")); }},
        {"Notes", "'hello", [](auto &d) { EXPECT_EQ(d.notes, text("'hello")); }},
        {"Notes", "  two\nlines \r\n", [](auto &d) { EXPECT_EQ(d.notes, text("two\nlines")); }},
        {"Format", "", [](auto &d) { EXPECT_EQ(d.format, QString()); }},
        {"Format", "Vinyl, 7\"", [](auto &d) { EXPECT_EQ(d.format, text("Vinyl, 7\"")); }},
        {"Discogs Release ID", "1234", [](auto &d) {
             EXPECT_EQ(d.discogsReleaseID, 1234);
             EXPECT_EQ(d.sourceURL, text("https://www.discogs.com/release/1234"));
         }},
        {"Discogs ID", "12a", [](auto &d) {
             EXPECT_EQ(d.discogsReleaseID, std::nullopt);
             EXPECT_EQ(d.sourceURL, std::nullopt);
         }},
        {"MBID", "0f4ad4a5-79a6-4a4f-9a3e-6e1c3b1b6b0c", [](auto &d) {
             EXPECT_EQ(d.musicBrainzID, text("0f4ad4a5-79a6-4a4f-9a3e-6e1c3b1b6b0c"));
             EXPECT_EQ(d.sourceURL,
                 text("https://musicbrainz.org/release/0f4ad4a5-79a6-4a4f-9a3e-6e1c3b1b6b0c"));
         }},
        {"MusicBrainz ID", "not-an-id", [](auto &d) {
             EXPECT_EQ(d.musicBrainzID, std::nullopt);
             EXPECT_EQ(d.sourceURL, std::nullopt);
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.header) + ": " + c.cell);
        c.check(importCell(c.header, text(c.cell)));
    }
}

TEST(CollectionCSV, CleansArtistAndPrefersDiscogsSource)
{
    const auto drafts = CollectionCSV::importDrafts(
        text("Artist,Discogs Release ID,MusicBrainz ID\nNirvana (2),99,"
             "0f4ad4a5-79a6-4a4f-9a3e-6e1c3b1b6b0c\n"));
    ASSERT_EQ(drafts.size(), 1);
    EXPECT_EQ(drafts[0].artist, text("Nirvana"));
    EXPECT_EQ(drafts[0].sourceURL, text("https://www.discogs.com/release/99"));
    EXPECT_TRUE(drafts[0].musicBrainzID.has_value());
}

TEST(CollectionCSV, ReadsDates)
{
    TimeZoneScope zone("JST-9");
    const struct {
        const char *cell;
        std::optional<QDateTime> expected;
    } cases[] = {
        {"2024-03-05", localMidnight(2024, 3, 5)},
        {"2024-03-05T10:00:00Z", QDateTime(QDate(2024, 3, 5), QTime(10, 0), QTimeZone::utc())},
        {"2024-03-05T10:00:00+02:00", QDateTime(QDate(2024, 3, 5), QTime(8, 0), QTimeZone::utc())},
        {"2024-03-05 14:30:15",
         QDateTime(QDate(2024, 3, 5), QTime(14, 30, 15), Qt::LocalTime).toUTC()},
        {"13/05/2024", localMidnight(2024, 5, 13)},
        {"05/03/2024", localMidnight(2024, 5, 3)},
        {"2024-02-30", std::nullopt},
        {"2024-03-05T25:00:00Z", std::nullopt},
        {"yesterday", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.cell);
        const RecordDraft draft = importCell("Purchase Date", text(c.cell));
        EXPECT_EQ(draft.purchaseDate, c.expected);
        EXPECT_EQ(importCell("Added", text(c.cell)).dateAdded, c.expected);
    }
}

TEST(CollectionCSV, ExportsHeaderAndValues)
{
    EXPECT_EQ(CollectionCSV::exportRecords({}), text(kHeader) + QStringLiteral("\r\n"));

    Record record;
    record.setArtist(text("Can"));
    record.setTitle(text("Tago Mago"));
    record.setPurchasePrice(18.0);
    record.setDateAdded(QDateTime(QDate(2024, 1, 2), QTime(12, 0), QTimeZone::utc()));
    Record other;
    other.setArtist(text("=Evil, Inc."));
    other.setTitle(text("Say \"hi\""));
    other.setYear(1971);
    other.setGenres({u"Rock"_s, u"Krautrock"_s});
    other.setMediaConditionRaw(text("VG+"));
    other.setSleeveConditionRaw(text("nonsense"));
    other.setRating(4);
    other.setIsFavorite(true);
    other.setPurchasePrice(7.5);
    other.setPurchaseDate(QDateTime(QDate(2023, 6, 1), QTime(12, 0), QTimeZone::utc()));
    other.setDateAdded(QDateTime(QDate(2024, 1, 2), QTime(12, 0), QTimeZone::utc()));
    other.setDiscogsReleaseID(42);
    other.setMusicBrainzID(text("id"));

    TimeZoneScope zone("UTC0");
    const QStringList lines
        = CollectionCSV::exportRecords({&record, &other}).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], text(kHeader));
    EXPECT_EQ(lines[1], text("Can,Tago Mago,,,,,,,,,,,,,,18.00,,2024-01-02,,,"));
    EXPECT_EQ(lines[2],
        text("\"'=Evil, Inc.\",\"Say \"\"hi\"\"\",,,,1971,,Rock; Krautrock,,,VG+,,4,Yes,,7.50,"
             "2023-06-01,2024-01-02,,42,id"));
    EXPECT_EQ(lines[3], QString());
}

TEST(CollectionCSV, ExportedDatesKeepTheirDayEastOfUtc)
{
    // Half past midnight in Tokyo is the previous day in UTC.
    TimeZoneScope zone("JST-9");
    Record record;
    record.setTitle(text("Tago Mago"));
    const QDateTime moment = QDateTime(QDate(2024, 3, 5), QTime(0, 30), Qt::LocalTime).toUTC();
    record.setPurchaseDate(moment);
    record.setDateAdded(moment);

    const QString exported = CollectionCSV::exportRecords({&record});
    EXPECT_TRUE(exported.contains(u",2024-03-05,2024-03-05,")) << exported.toStdString();
    const auto drafts = CollectionCSV::importDrafts(exported);
    ASSERT_EQ(drafts.size(), 1);
    EXPECT_EQ(drafts[0].purchaseDate, localMidnight(2024, 3, 5));
    EXPECT_EQ(drafts[0].dateAdded, localMidnight(2024, 3, 5));
}

TEST(CollectionCSV, ExportedDaysFollowDaylightSavingChanges)
{
    // Central Europe moves to UTC+2 at 01:00 UTC on 31 March 2024.
    TimeZoneScope zone("CET-1CEST,M3.5.0,M10.5.0/3");
    const struct {
        QDateTime moment;
        const char *day;
    } cases[] = {
        {QDateTime(QDate(2024, 3, 30), QTime(23, 30), QTimeZone::utc()), "2024-03-31"},
        {QDateTime(QDate(2024, 3, 31), QTime(0, 30), QTimeZone::utc()), "2024-03-31"},
        {QDateTime(QDate(2024, 3, 31), QTime(22, 30), QTimeZone::utc()), "2024-04-01"},
        {QDateTime(QDate(2024, 3, 31), QTime(21, 30), QTimeZone::utc()), "2024-03-31"},
        {QDateTime(QDate(2024, 7, 1), QTime(22, 30), QTimeZone::utc()), "2024-07-02"},
    };
    std::vector<std::unique_ptr<Record>> owned;
    QList<Record *> records;
    for (const auto &c : cases) {
        auto record = std::make_unique<Record>();
        record->setTitle(text("x"));
        record->setPurchaseDate(c.moment);
        records.append(record.get());
        owned.push_back(std::move(record));
    }
    const QList<CSV::Row> rows = CSV::parse(CollectionCSV::exportRecords(records));
    ASSERT_EQ(rows.size(), qsizetype(std::size(cases)) + 1);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].day);
        EXPECT_EQ(rows[qsizetype(i) + 1].value(16), text(cases[i].day));
    }
}

TEST(CollectionCSV, RoundTripKeepsEveryExportedField)
{
    TimeZoneScope zone("EST5");
    std::vector<std::unique_ptr<Record>> owned;
    auto add = [&owned]() -> Record & { return *owned.emplace_back(std::make_unique<Record>()); };

    Record &full = add();
    full.setArtist(text("Sigur R\xC3\xB3s"));
    full.setTitle(text("( )"));
    full.setLabel(text("FatCat"));
    full.setCatalogNumber(text("FATCD22"));
    full.setFormat(text("Vinyl, LP, Album"));
    full.setYear(2002);
    full.setCountry(text("UK"));
    full.setGenres({u"Rock"_s, u"Folk, Country"_s});
    full.setStyles({u"Post Rock"_s});
    full.setBarcode(text("5033281002210"));
    full.setMediaCondition(Grading::nearMint);
    full.setSleeveCondition(Grading::veryGood);
    full.setRating(5);
    full.setIsFavorite(true);
    full.setLocation(text("Shelf 3, left"));
    full.setPurchasePrice(24.999);
    full.setPurchaseDate(QDateTime(QDate(2020, 12, 31), QTime(23, 0), Qt::LocalTime).toUTC());
    full.setNotes(text("  \"Untitled\" tracks\nsecond line  "));
    full.setDiscogsReleaseID(123456);
    full.setMusicBrainzID(text("0f4ad4a5-79a6-4a4f-9a3e-6e1c3b1b6b0c"));

    Record &formula = add();
    formula.setArtist(text("+44 (2)"));
    formula.setTitle(text("-"));
    formula.setNotes(text("@mention =1+1"));
    formula.setYear(1800);
    formula.setMusicBrainzID(text("bad"));

    Record &empty = add();
    empty.setTitle(text("  "));

    Record &minimal = add();
    minimal.setTitle(text("Untitled"));

    QList<Record *> records;
    for (const auto &record : owned)
        records.append(record.get());
    const QList<RecordDraft> drafts = CollectionCSV::importDrafts(CollectionCSV::exportRecords(records));
    ASSERT_EQ(drafts.size(), 3);

    const RecordDraft &a = drafts[0];
    EXPECT_EQ(a.artist, full.artist());
    EXPECT_EQ(a.title, full.title());
    EXPECT_EQ(a.label, full.label());
    EXPECT_EQ(a.catalogNumber, full.catalogNumber());
    EXPECT_EQ(a.format, full.format());
    EXPECT_EQ(a.year, full.year());
    EXPECT_EQ(a.country, full.country());
    EXPECT_EQ(a.genres, QStringList({u"Rock"_s, u"Folk"_s, u"Country"_s}));
    EXPECT_EQ(a.styles, full.styles());
    EXPECT_EQ(a.barcode, full.barcode());
    EXPECT_EQ(a.mediaCondition, Grading::nearMint);
    EXPECT_EQ(a.sleeveCondition, Grading::veryGood);
    EXPECT_EQ(a.rating, 5);
    EXPECT_TRUE(a.isFavorite);
    EXPECT_EQ(a.location, full.location());
    EXPECT_EQ(a.purchasePrice, 25.0);
    EXPECT_EQ(a.purchaseDate, localMidnight(2020, 12, 31));
    EXPECT_EQ(a.dateAdded, QDateTime(full.dateAdded().toLocalTime().date(), QTime(0, 0), Qt::LocalTime).toUTC());
    EXPECT_EQ(a.notes, text("\"Untitled\" tracks\nsecond line"));
    EXPECT_EQ(a.discogsReleaseID, 123456);
    EXPECT_EQ(a.musicBrainzID, full.musicBrainzID());
    EXPECT_EQ(a.sourceURL, text("https://www.discogs.com/release/123456"));
    EXPECT_TRUE(a.tracks.isEmpty());
    EXPECT_FALSE(a.coverImageData.has_value());

    const RecordDraft &b = drafts[1];
    EXPECT_EQ(b.artist, text("+44"));
    EXPECT_EQ(b.title, text("-"));
    EXPECT_EQ(b.notes, text("@mention =1+1"));
    EXPECT_EQ(b.year, std::nullopt);
    EXPECT_EQ(b.musicBrainzID, std::nullopt);
    EXPECT_EQ(b.sourceURL, std::nullopt);
    EXPECT_EQ(b.purchasePrice, std::nullopt);
    EXPECT_EQ(b.purchaseDate, std::nullopt);
    EXPECT_EQ(b.rating, 0);

    EXPECT_EQ(drafts[2].title, text("Untitled"));
    EXPECT_EQ(drafts[2].format, QString());
}

TEST(CSVDocument, ReadsAndWritesUtf8)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vorla Collection.csv"));
    const CSVDocument document{text("Artist\r\nSigur R\xC3\xB3s\r\n")};
    document.write(path);
    EXPECT_EQ(CSVDocument::read(path).text, document.text);
    EXPECT_EQ(document.fileContents(), QByteArray("Artist\r\nSigur R\xC3\xB3s\r\n"));

    QFile invalid(dir.filePath(QStringLiteral("latin1.csv")));
    ASSERT_TRUE(invalid.open(QIODevice::WriteOnly));
    invalid.write("Artist\nSigur R\xF3s\n");
    invalid.close();
    EXPECT_EQ(CSVDocument::read(invalid.fileName()).text, QString());
    EXPECT_THROW(CSVDocument::readText(invalid.fileName()), Error);
    EXPECT_EQ(CSVDocument::read(dir.filePath(QStringLiteral("missing.csv"))).text, QString());
    EXPECT_THROW(document.write(dir.filePath(QStringLiteral("no/such/folder.csv"))), Error);
}
