// The whole-collection CSV file: export of 100,000 records, and import of that file.
#include "models/record.h"
#include "models/record_draft.h"
#include "services/collection_csv.h"

#include <QCoreApplication>
#include <QTimeZone>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

using namespace vorla;

namespace {

constexpr int kRecords = 100000;

// A varied collection: quoted notes, formula-looking artists, lists, grades, dates and ids.
struct Collection
{
    std::vector<std::unique_ptr<Record>> owned;
    QList<Record *> records;

    Collection()
    {
        const Grading grades[] = {Grading::mint, Grading::nearMint, Grading::veryGoodPlus,
            Grading::veryGood, Grading::notGraded};
        const QDateTime start(QDate(2015, 1, 1), QTime(12, 0), QTimeZone::utc());
        for (int i = 0; i < kRecords; ++i) {
            auto record = std::make_unique<Record>();
            record->setArtist(i % 50 == 0 ? QStringLiteral("=Artist %1").arg(i)
                                          : QStringLiteral("Artist %1").arg(i % 5000));
            record->setTitle(QStringLiteral("Title number %1").arg(i));
            record->setLabel(QStringLiteral("Label %1").arg(i % 300));
            record->setCatalogNumber(QStringLiteral("CAT-%1").arg(i));
            record->setFormat(QStringLiteral("Vinyl, LP, Album"));
            record->setYear(1950 + i % 70);
            record->setCountry(QStringLiteral("UK"));
            record->setGenres({QStringLiteral("Rock"), QStringLiteral("Folk, World, & Country")});
            record->setStyles({QStringLiteral("Psychedelic Rock")});
            record->setBarcode(QStringLiteral("50332810%1").arg(i % 100000, 5, 10, QChar(u'0')));
            record->setMediaCondition(grades[i % 5]);
            record->setSleeveCondition(grades[(i + 2) % 5]);
            record->setRating(i % 6);
            record->setIsFavorite(i % 7 == 0);
            record->setLocation(QStringLiteral("Shelf %1").arg(i % 40));
            record->setPurchasePrice(5.0 + (i % 4000) / 100.0);
            record->setPurchaseDate(start.addDays(i % 3000));
            record->setDateAdded(start.addDays(i % 3650));
            record->setNotes(i % 3 == 0 ? QStringLiteral("Bought at \"the fair\",\nsecond line")
                                        : QString());
            record->setDiscogsReleaseID(1000000 + i);
            records.append(record.get());
            owned.push_back(std::move(record));
        }
    }
};

const Collection &collection()
{
    static const Collection instance;
    return instance;
}

void exportCollection(benchmark::State &state)
{
    const QList<Record *> &records = collection().records;
    for (auto _ : state) {
        const QString text = CollectionCSV::exportRecords(records);
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["records"] = double(records.size());
    state.counters["file_MB"] = double(CollectionCSV::exportRecords(records).toUtf8().size()) / 1e6;
}
BENCHMARK(exportCollection)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void importCollection(benchmark::State &state)
{
    const QString text = CollectionCSV::exportRecords(collection().records);
    qsizetype drafts = 0;
    for (auto _ : state) {
        const QList<RecordDraft> imported = CollectionCSV::importDrafts(text);
        drafts = imported.size();
        benchmark::DoNotOptimize(imported.data());
    }
    state.counters["drafts"] = double(drafts);
}
BENCHMARK(importCollection)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
