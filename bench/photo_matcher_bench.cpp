// Photo matching's own cost: scoring and ranking a pool of 200 search candidates against the
// evidence of one spine read as 12 lines, and the certainty test that follows each search.
#include "scanner/photo_matcher.h"

#include <benchmark/benchmark.h>

using namespace vorla;

namespace {

PhotoEvidence twelveLines()
{
    PhotoEvidence evidence;
    evidence.kind = PhotoEvidence::Kind::cover;
    evidence.lines = {
        QStringLiteral("STEREO"),
        QStringLiteral("ANA LÚA & THE TIDES"),
        QStringLiteral("Low Harbour"),
        QStringLiteral("SIDE A 1. Northbound 2. Lanterns 3. Gulls Over Water"),
        QStringLiteral("SIDE B 1. Ferries 2. Eastward 3. The Long Pier"),
        QStringLiteral("Produced by Marta Quell"),
        QStringLiteral("Recorded at Saltworks Studio, Harwich"),
        QStringLiteral("ABC-1234"),
        QStringLiteral("Harbour Records Ltd"),
        QStringLiteral("Made in England"),
        QStringLiteral("All rights reserved. Unauthorised copying prohibited."),
        QStringLiteral("Digitally remastered 2014"),
    };
    evidence.barcodes = { QStringLiteral("5012345678901") };
    return evidence;
}

// Search results as a keyword search brings them: pressings of the album, other albums of
// the artist, and unrelated releases that share a word.
QList<ReleaseCandidate> pool(bool distinct)
{
    const QStringList artists = { QStringLiteral("Ana Lua & The Tides"), QStringLiteral("Ana Lua"),
        QStringLiteral("The Tides (2)"), QStringLiteral("Harbour Lights"),
        QStringLiteral("Various Artists"), QStringLiteral("Marta Quell Ensemble") };
    const QStringList titles = { QStringLiteral("Low Harbour"), QStringLiteral("Northbound"),
        QStringLiteral("Lanterns On The Pier"), QStringLiteral("Gulls"),
        QStringLiteral("Eastward Ferries"), QStringLiteral("Harbour Songs Vol. 2"),
        QStringLiteral("The Saltworks Sessions"), QStringLiteral("Long Pier (Deluxe Edition)") };
    QList<ReleaseCandidate> candidates;
    for (int i = 0; i < 200; ++i) {
        ReleaseCandidate c;
        c.sourceID = QString::number(1000 + i);
        c.artist = artists[i % artists.size()];
        c.title = titles[(i / artists.size()) % titles.size()];
        if (distinct) {
            // No two share an artist, a title or a label: nothing scored is met twice.
            c.artist += QStringLiteral(" Quartet %1").arg(i);
            c.title += QStringLiteral(" Take %1").arg(i);
        }
        c.label = i % 3 == 0 ? QStringLiteral("Harbour Records") : QStringLiteral("Saltworks");
        if (distinct)
            c.label += QStringLiteral(" %1").arg(i);
        c.catalogNumber = QStringLiteral("ABC-%1").arg(1200 + i);
        c.barcode = i % 4 == 0 ? QStringLiteral("50123456%1").arg(10000 + i) : QString();
        c.format = QStringLiteral("Vinyl, LP, Album");
        candidates.append(c);
    }
    return candidates;
}

// Search results as they come: pressings and albums that share artists, titles and labels.
void rankPool(benchmark::State &state)
{
    const PhotoEvidence evidence = twelveLines();
    const QList<ReleaseCandidate> candidates = pool(false);
    for (auto _ : state)
        benchmark::DoNotOptimize(PhotoMatcher::rank(candidates, evidence));
}
BENCHMARK(rankPool)->Unit(benchmark::kMillisecond);

// The worst case: every candidate's texts are new.
void rankDistinctPool(benchmark::State &state)
{
    const PhotoEvidence evidence = twelveLines();
    const QList<ReleaseCandidate> candidates = pool(true);
    for (auto _ : state)
        benchmark::DoNotOptimize(PhotoMatcher::rank(candidates, evidence));
}
BENCHMARK(rankDistinctPool)->Unit(benchmark::kMillisecond);

void rankAndDecide(benchmark::State &state)
{
    const PhotoEvidence evidence = twelveLines();
    const QList<ReleaseCandidate> candidates = pool(false);
    for (auto _ : state) {
        const QList<ReleaseCandidate> ranked = PhotoMatcher::rank(candidates, evidence);
        benchmark::DoNotOptimize(PhotoMatcher::isUnambiguouslyCertain(ranked, evidence));
    }
}
BENCHMARK(rankAndDecide)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
