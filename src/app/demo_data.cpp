#include "app/demo_data.h"

#include "models/error.h"
#include "models/model_context.h"
#include "models/record.h"

#include <memory>
#include <vector>

namespace vorla {

namespace DemoData {

namespace {

using namespace Qt::StringLiterals;

struct Album
{
    const char *artist;
    const char *title;
    int year;
    const char *label;
    const char *catalogNumber;
    QStringList genres;
    const char *barcode;
    Grading grading;
    int rating;
    bool favorite;
};

const Album kAlbums[] = {
    { "Marta Quill", "Harbor Lights", 1971, "Meridian Records", "MR-1042", { u"Rock"_s, u"Folk"_s },
        "074641234568", Grading::veryGoodPlus, 5, true },
    { "The Low Tides", "Northern Static", 1983, "Coldwater", "CW 207", { u"Electronic"_s }, "",
        Grading::veryGood, 5, true },
    { "Ada Brennan Quartet", "Blue Hour Sessions", 1959, "Lantern Jazz", "LJ-3310", { u"Jazz"_s }, "",
        Grading::nearMint, 4, false },
    { "Kestrel", "Paper Satellites", 1977, "Orbit Sound", "OS 5501", { u"Rock"_s, u"Electronic"_s },
        "050993432104", Grading::mint, 4, false },
    { "Dee Marlowe", "Southside Letters", 1994, "Crate Street", "CS-094", { u"Hip Hop"_s, u"Soul"_s }, "",
        Grading::veryGoodPlus, 5, false },
    { "Juniper & The Lamps", "Glasshouse", 1968, "Fernleaf", "FL 1138", { u"Rock"_s, u"Soul"_s }, "",
        Grading::veryGood, 4, false },
    { "Nils Aurora", "Midnight Transit", 2003, "Polar Grid", "PG-12", { u"Electronic"_s, u"Jazz"_s },
        "088119876501", Grading::nearMint, 5, true },
    { "The Gilded Owls", "Late Summer Parade", 1965, "Brightwater", "BW 4402", { u"Rock"_s, u"Folk"_s },
        "", Grading::goodPlus, 3, false },
};

constexpr qint64 kDaySeconds = 86400;

} // namespace

void seedIfEmpty(ModelContext &context)
{
    if (!context.records().isEmpty())
        return;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    std::vector<std::unique_ptr<Record>> records;
    int i = 0;
    for (const Album &album : kAlbums) {
        auto record = std::make_unique<Record>();
        record->setArtist(QString::fromUtf8(album.artist));
        record->setTitle(QString::fromUtf8(album.title));
        record->setYear(album.year);
        record->setLabel(QString::fromUtf8(album.label));
        record->setCatalogNumber(QString::fromUtf8(album.catalogNumber));
        record->setGenres(album.genres);
        record->setBarcode(QString::fromUtf8(album.barcode));
        record->setFormat(QStringLiteral("Vinyl, LP, Album"));
        record->setMediaCondition(album.grading);
        record->setSleeveCondition(album.grading);
        record->setRating(album.rating);
        record->setIsFavorite(album.favorite);
        record->setPurchasePrice(18.0 + 3.0 * i);
        record->setDateAdded(now.addSecs(-qint64(i) * 9 * kDaySeconds));
        if (i == 0) {
            record->setTracks({
                Track { QUuid::createUuid(), QStringLiteral("A1"),
                    QStringLiteral("Lanterns on the Quay"), QStringLiteral("2:43") },
                Track { QUuid::createUuid(), QStringLiteral("A2"),
                    QStringLiteral("Salt and Silver"), QStringLiteral("4:14") },
                Track { QUuid::createUuid(), QStringLiteral("A3"), QStringLiteral("Tidewater"),
                    QStringLiteral("2:02") },
            });
            record->setLocation(QStringLiteral("Shelf A, row 2"));
            record->setNotes(QStringLiteral(
                "First pressing in the gatefold sleeve; the cover has light ring wear."));
        }
        records.push_back(std::move(record));
        ++i;
    }
    context.insert(std::move(records));
    try {
        context.save();
    } catch (const StoreError &) {
        // Left to the automatic save; nothing reaches the user.
    }
}

} // namespace DemoData

} // namespace vorla
