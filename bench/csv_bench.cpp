// The whole-collection CSV file: export of 100,000 records, and import of that file; then
// the memory the window's import path takes for that file, and what refusing a file of a
// million short rows and one of 500 MB costs, each measured in a fresh process.
#include "models/error.h"
#include "models/model_context.h"
#include "models/record.h"
#include "models/record_draft.h"
#include "services/collection_csv.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimeZone>

#include <benchmark/benchmark.h>

#include <cstdio>
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

// The same file read from disk as the window and the import check read it: as a stream.
void importCollectionFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("collection.csv"));
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(CollectionCSV::exportRecords(collection().records).toUtf8());
    }
    qsizetype drafts = 0;
    for (auto _ : state) {
        const QList<RecordDraft> imported = CollectionCSV::importFile(path);
        drafts = imported.size();
        benchmark::DoNotOptimize(imported.data());
    }
    state.counters["drafts"] = double(drafts);
}
BENCHMARK(importCollectionFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

double statusMB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

// The window's import path in this fresh process: read and parse the file, make and insert
// the records, save them into a new library.
int importPeak(const QString &file, const QString &store)
{
    const double startMB = statusMB("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    QString outcome;
    try {
        const QList<RecordDraft> drafts = CollectionCSV::importFile(file);
        ModelContext context(store);
        std::vector<std::unique_ptr<Record>> records;
        records.reserve(size_t(drafts.size()));
        for (const RecordDraft &draft : drafts) {
            auto record = std::make_unique<Record>();
            draft.apply(*record);
            records.push_back(std::move(record));
        }
        context.insert(std::move(records));
        context.save();
        outcome = QStringLiteral("%1 records imported").arg(context.records().size());
    } catch (const Error &error) {
        outcome = QStringLiteral("refused: ") + error.message();
    }
    std::printf("%.2f s, peak %.0f MB above the start; %s\n", timer.nsecsElapsed() / 1e9,
                statusMB("VmHWM:") - startMB, outcome.toUtf8().constData());
    return 0;
}

void measureImports()
{
    QTemporaryDir dir;
    const auto write = [&dir](const QString &name, const QByteArray &bytes) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    };
    const QString collectionFile = write(QStringLiteral("collection.csv"),
        CollectionCSV::exportRecords(collection().records).toUtf8());
    QByteArray shortRows = "Artist,Title\n";
    shortRows.reserve(10 * 1000 * 1000 + 32);
    for (int i = 0; i < 1000000; ++i)
        shortRows += "Artist " + QByteArray::number(i % 100) + ",T\n";
    const QString millionFile = write(QStringLiteral("million.csv"), shortRows);
    const QString hugeFile = dir.filePath(QStringLiteral("huge.csv"));
    {
        QFile file(hugeFile);
        file.open(QIODevice::WriteOnly);
        file.write("Artist,Title\n");
        file.resize(qint64(500) * 1000 * 1000);
    }
    const struct {
        const char *what;
        QString file;
    } cases[] = {
        {"100,000-record collection file", collectionFile},
        {"1,000,000 short rows", millionFile},
        {"500 MB file", hugeFile},
    };
    for (const auto &c : cases) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
            {QStringLiteral("--import-peak"), c.file,
             dir.filePath(QStringLiteral("%1.store").arg(qHash(c.file)))});
        child.waitForFinished(-1);
        std::printf("import of the %s (%.1f MB): %s", c.what, QFileInfo(c.file).size() / 1e6,
                    child.readAllStandardOutput().constData());
    }
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--import-peak") == 0)
        return importPeak(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    measureImports();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
