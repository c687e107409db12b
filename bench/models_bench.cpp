// The collection model at 100,000 records without images: opening the library, searching,
// sorting, and saving 10,000 new records at once. Resident memory is reported as counters.
#include "bench_library.h"
#include "models/collection_order.h"
#include "models/model_context.h"
#include "models/record.h"
#include "models/sort_key.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

using namespace vorla;
using namespace vorla::bench;

namespace {

constexpr int kBatchSize = 10000;

// The 100,000-record library file, written once per run.
const QString &libraryPath()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("Vorla.store"));
        {
            ModelContext context(file);
            context.insert(makeRecords(kLibrarySize, 0));
            context.save();
        }
        malloc_trim(0);
        return file;
    }();
    return path;
}

// Opens the library in a fresh process, so its resident memory is that of a real start:
// the program itself, Qt, and every record loaded.
void BM_OpenLibrary(benchmark::State &state)
{
    const QString &path = libraryPath();
    double rss = 0;
    double cpu = 0;
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--open-library"), path});
        child.waitForFinished(-1);
        const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
        if (figures.size() != 3) {
            state.SkipWithError("the opening process failed");
            return;
        }
        state.SetIterationTime(figures[0].toDouble() / 1000.0);
        cpu = figures[1].toDouble();
        rss = figures[2].toDouble();
    }
    state.counters["records"] = kLibrarySize;
    state.counters["cpu_ms"] = cpu;
    state.counters["rss_MB"] = rss;
}
BENCHMARK(BM_OpenLibrary)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

int openLibrary(const QString &path)
{
    // CPU time as well as wall time: on a busy machine the wall clock also counts waiting.
    auto cpuMs = [] {
        timespec now{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
    };
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = cpuMs();
    ModelContext context(path);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    std::printf("%.1f %.1f %.1f\n", ms, cpuMs() - cpuStart, residentMB());
    return context.records().size() == kLibrarySize ? 0 : 1;
}

ModelContext &loadedLibrary()
{
    static ModelContext context(libraryPath());
    return context;
}

void BM_MatchesSearch(benchmark::State &state)
{
    const QList<Record *> &records = loadedLibrary().records();
    // A word that never occurs makes every record test every text.
    const QString search = state.range(0) ? QStringLiteral("velvet") : QStringLiteral("zzzq");
    for (auto _ : state) {
        qsizetype hits = 0;
        for (const Record *record : records)
            hits += record->matches(search);
        benchmark::DoNotOptimize(hits);
    }
}
BENCHMARK(BM_MatchesSearch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Sort(benchmark::State &state)
{
    const SortKey key = allSortKeys[size_t(state.range(0))];
    state.SetLabel(rawValue(key).toStdString());
    // Switching to the key in the order the app keeps: prepared by an earlier sort by
    // another key (as the window's first showing does), this key's order not yet computed.
    const QList<Record *> &records = loadedLibrary().records();
    const SortKey earlier = key == SortKey::artist ? SortKey::dateAdded : SortKey::artist;
    for (auto _ : state) {
        state.PauseTiming();
        auto order = std::make_unique<CollectionOrder>();
        order->sorted(records, earlier, true);
        state.ResumeTiming();
        const QList<Record *> &sorted = order->sorted(records, key, true);
        benchmark::DoNotOptimize(sorted.front());
        state.PauseTiming();
        order.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Sort)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

// The first sort after the records were loaded or inserted: the order learns every
// record's sort values and the tie-breaking order, then sorts by artist.
void BM_FirstSort(benchmark::State &state)
{
    const QList<Record *> &records = loadedLibrary().records();
    for (auto _ : state) {
        auto order = std::make_unique<CollectionOrder>();
        benchmark::DoNotOptimize(order->sorted(records, SortKey::artist, true).front());
        state.PauseTiming();
        order.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstSort)->Unit(benchmark::kMillisecond);

void BM_InsertAndSave(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        auto context = std::make_unique<ModelContext>(dir.filePath(QStringLiteral("Vorla.store")));
        std::vector<std::unique_ptr<Record>> batch = makeRecords(kBatchSize, kLibrarySize);
        state.ResumeTiming();
        context->insert(std::move(batch));
        context->save();
        state.PauseTiming();
        context.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_InsertAndSave)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--open-library") == 0)
        return openLibrary(QString::fromLocal8Bit(argv[2]));
    // Writes the library to a file of your choice, for profiling an open on its own.
    if (argc == 3 && std::strcmp(argv[1], "--write-library") == 0) {
        ModelContext context(QString::fromLocal8Bit(argv[2]));
        context.insert(makeRecords(kLibrarySize, 0));
        context.save();
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
