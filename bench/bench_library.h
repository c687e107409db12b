// What the benchmark programs share: plausible generated records and the process's
// resident memory.
#pragma once

#include "models/record.h"
#include "models/track.h"

#include <QFile>

#include <memory>
#include <random>
#include <vector>

namespace vorla::bench {

// A large real collection.
inline constexpr int kLibrarySize = 100000;

inline double residentMB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

// Plausible records: varied texts, a genre, two styles, an 8-track tracklist.
inline std::unique_ptr<Record> makeRecord(std::mt19937 &random, int n)
{
    static const char *const words[] = {"Blue", "Night", "River", "Echo", "Golden", "Silent",
                                        "Summer", "Electric", "Midnight", "Paper", "Stone", "Velvet"};
    static const char *const genres[] = {"Rock", "Jazz", "Electronic", "Funk / Soul", "Pop",
                                         "Classical", "Hip Hop", "Folk, World, & Country"};
    auto word = [&] { return QString::fromLatin1(words[random() % std::size(words)]); };
    auto record = std::make_unique<Record>();
    record->setTitle(word() + u' ' + word() + u' ' + QString::number(n));
    // About 20,000 artists and 2,000 labels, as in a large real collection.
    record->setArtist((random() % 4 == 0 ? QStringLiteral("The ") : QString()) + word() + u' '
                      + word() + QStringLiteral("s ") + QString::number(random() % 20000));
    record->setYear(1950 + int(random() % 75));
    record->setLabel(word() + QStringLiteral(" Records ") + QString::number(random() % 2000));
    record->setCatalogNumber(QStringLiteral("CAT-%1").arg(n));
    record->setFormat(QStringLiteral("Vinyl, LP, Album"));
    record->setCountry(QStringLiteral("UK"));
    record->setGenres({QString::fromLatin1(genres[random() % std::size(genres)])});
    record->setStyles({word(), word()});
    record->setBarcode(QString::number(500000000000LL + n));
    QList<Track> tracks;
    for (int t = 0; t < 8; ++t)
        tracks.append(Track{QUuid(), QStringLiteral("%1%2").arg(t < 4 ? u'A' : u'B').arg(t % 4 + 1),
                            word() + u' ' + word(), QStringLiteral("4:%1").arg(10 + t)});
    record->setTracks(tracks);
    record->setMediaCondition(Grading::veryGoodPlus);
    record->setRating(int(random() % 6));
    record->setDiscogsReleaseID(1000000 + n);
    record->setSourceURL(QStringLiteral("https://www.discogs.com/release/%1").arg(1000000 + n));
    return record;
}

inline std::vector<std::unique_ptr<Record>> makeRecords(int count, int offset)
{
    std::mt19937 random(42 + offset);
    std::vector<std::unique_ptr<Record>> records;
    records.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        records.push_back(makeRecord(random, offset + i));
    return records;
}

} // namespace vorla::bench
