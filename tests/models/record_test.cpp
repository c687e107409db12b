#include "models/model_context.h"
#include "models/record.h"
#include "models/record_draft.h"
#include "test_images.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace vorla;

TEST(Record, NewRecordHasDefaults)
{
    const QDateTime before = QDateTime::currentDateTimeUtc();
    Record record;
    EXPECT_FALSE(record.id().isNull());
    EXPECT_TRUE(record.title().isEmpty());
    EXPECT_TRUE(record.genres().isEmpty());
    EXPECT_EQ(record.year(), std::nullopt);
    EXPECT_EQ(record.rating(), 0);
    EXPECT_FALSE(record.isFavorite());
    EXPECT_EQ(record.coverRevision(), 0);
    EXPECT_FALSE(record.hasCoverImageData());
    EXPECT_TRUE(record.tracks().isEmpty());
    EXPECT_GE(record.dateAdded(), before);
    EXPECT_LE(record.dateAdded(), QDateTime::currentDateTimeUtc());
    EXPECT_NE(Record().id(), record.id());
}

TEST(Record, GradesReadThroughRawValues)
{
    Record record;
    record.setMediaConditionRaw(QStringLiteral("Mint"));
    EXPECT_EQ(record.mediaCondition(), Grading::notGraded);
    record.setSleeveCondition(Grading::veryGoodPlus);
    EXPECT_EQ(record.sleeveConditionRaw(), QStringLiteral("VG+"));
    EXPECT_EQ(record.sleeveCondition(), Grading::veryGoodPlus);
}

TEST(Record, SourceName)
{
    Record record;
    EXPECT_EQ(record.sourceName(), std::nullopt);
    record.setMusicBrainzID(QString());
    EXPECT_EQ(record.sourceName(), QStringLiteral("MusicBrainz"));
    record.setDiscogsReleaseID(0);
    EXPECT_EQ(record.sourceName(), QStringLiteral("Discogs"));
}

TEST(Record, SortKeys)
{
    const struct { const char *text; const char *key; } cases[] = {
        {"The Example Band", "example band"},
        {"  the  end", " end"},
        {"Theory", "theory"},
        {"\tTHE X ", "x"},
        {"The", "the"},
    };
    Record record;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        record.setArtist(QString::fromUtf8(c.text));
        record.setTitle(QString::fromUtf8(c.text));
        EXPECT_EQ(record.artistSortKey(), QString::fromUtf8(c.key));
        EXPECT_EQ(record.titleSortKey(), QString::fromUtf8(c.key));
    }
    record.setLabel(QStringLiteral(" The Label"));
    EXPECT_EQ(record.labelSortKey(), QStringLiteral(" the label"));
    EXPECT_EQ(record.yearSortKey(), 0);
}

TEST(Record, MatchesSearch)
{
    Record record;
    record.setTitle(QStringLiteral("Blue Train"));
    record.setGenres({QStringLiteral("Jazz")});
    record.setStyles({QStringLiteral("Hard Bop")});
    record.setNotes(QStringLiteral("Signed ÉDITION"));
    EXPECT_TRUE(record.matches(QStringLiteral("blue")));
    EXPECT_TRUE(record.matches(QStringLiteral("hard bop")));
    EXPECT_TRUE(record.matches(QStringLiteral("JAZZ")));
    EXPECT_TRUE(record.matches(QStringLiteral("édition")));
    EXPECT_FALSE(record.matches(QStringLiteral("edition")));
    EXPECT_FALSE(record.matches(QStringLiteral("197")));
    EXPECT_FALSE(record.matches(QString()));
    record.setYear(1977);
    EXPECT_TRUE(record.matches(QStringLiteral("197")));
}

TEST(Record, GenreAndDecadeCounts)
{
    std::vector<std::unique_ptr<Record>> owned;
    QList<Record *> records;
    auto add = [&](QStringList genres, std::optional<int> year) {
        owned.push_back(std::make_unique<Record>());
        owned.back()->setGenres(genres);
        owned.back()->setYear(year);
        records.append(owned.back().get());
    };
    EXPECT_TRUE(Record::genreCounts(records).isEmpty());
    add({QStringLiteral("Rock"), QStringLiteral("Jazz")}, 1960);
    add({QStringLiteral("Rock")}, 1969);
    add({QStringLiteral("Blues"), QStringLiteral("jazz")}, 2000);
    add({}, std::nullopt);
    const QList<std::pair<QString, int>> genres = {
        {QStringLiteral("Rock"), 2}, {QStringLiteral("Blues"), 1}, {QStringLiteral("Jazz"), 1},
        {QStringLiteral("jazz"), 1}};
    EXPECT_EQ(Record::genreCounts(records), genres);
    const QList<std::pair<int, int>> decades = {{2000, 1}, {1960, 2}};
    EXPECT_EQ(Record::decadeCounts(records), decades);
}

TEST(Record, SetCoverDownscalesAndCounts)
{
    Record record;
    record.setCover(test::encodedImage(3000, 1500));
    ASSERT_TRUE(record.hasCoverImageData());
    const QImage cover = QImage::fromData(*record.coverImageData());
    EXPECT_EQ(cover.size(), QSize(1200, 600));
    const QImage thumbnail = QImage::fromData(*record.thumbnailData());
    EXPECT_EQ(thumbnail.size(), QSize(400, 200));
    EXPECT_EQ(record.coverRevision(), 1);

    record.setCover(QByteArray("not an image"));
    EXPECT_FALSE(record.hasCoverImageData());
    EXPECT_FALSE(record.hasThumbnailData());
    EXPECT_EQ(record.coverRevision(), 2);

    record.setCover(std::nullopt);
    EXPECT_EQ(record.coverImageData(), std::nullopt);
    EXPECT_EQ(record.coverRevision(), 3);
}

TEST(Record, PreparedCoverIsWhatMetadataStores)
{
    EXPECT_EQ(Record::prepareCover(QByteArray("not an image")), std::nullopt);
    const std::optional<Record::PreparedCover> prepared
        = Record::prepareCover(test::encodedImage(3000, 1500));
    ASSERT_TRUE(prepared);
    EXPECT_EQ(QImage::fromData(prepared->cover).size(), QSize(1200, 600));
    EXPECT_EQ(QImage::fromData(prepared->thumbnail).size(), QSize(400, 200));

    Record record;
    RecordDraft draft;
    draft.coverImageData = QByteArray("bytes the worker already turned into the cover");
    record.applyReleaseMetadata(draft, prepared);
    EXPECT_EQ(record.coverImageData(), prepared->cover);
    EXPECT_EQ(record.thumbnailData(), prepared->thumbnail);
    EXPECT_EQ(record.coverRevision(), 1);

    // No prepared cover (the download was no image): the cover stays.
    record.applyReleaseMetadata(draft, std::nullopt);
    EXPECT_EQ(record.coverImageData(), prepared->cover);
    EXPECT_EQ(record.coverRevision(), 1);
}

TEST(Record, SearchComparesComposedText)
{
    const QString decomposed = QStringLiteral("Cafe\u0301 Tacvba");
    const QString composed = QStringLiteral("Caf\u00e9 Tacvba");
    for (const QString &stored : {decomposed, composed}) {
        Record record;
        record.setTitle(stored);
        SCOPED_TRACE(stored.toStdString());
        // Accents count, however either side spells them.
        EXPECT_TRUE(record.matches(QStringLiteral("caf\u00e9")));
        EXPECT_TRUE(record.matches(QStringLiteral("CAFE\u0301")));
        EXPECT_FALSE(record.matches(QStringLiteral("cafe")));
        EXPECT_TRUE(record.matches(QStringLiteral("tacvba")));
    }
}

TEST(Record, SearchFoldsCaseBeyondASCII)
{
    Record record;
    record.setTitle(QStringLiteral("\u212Aelvin Stra\u00dfe \u00c9t\u00c9"));
    EXPECT_TRUE(record.matches(QStringLiteral("kelvin")));  // Kelvin sign folds to k
    EXPECT_TRUE(record.matches(QStringLiteral("\u00e9t\u00e9")));
    EXPECT_TRUE(record.matches(QStringLiteral("STRA\u00dfE")));
    EXPECT_FALSE(record.matches(QStringLiteral("ete")));
    EXPECT_FALSE(record.matches(QStringLiteral("kelvin stra\u00dfe  ")));
}

TEST(Record, SearchStaysWithinOneTextAndFollowsEdits)
{
    Record record;
    record.setTitle(QStringLiteral("Blue"));
    record.setArtist(QStringLiteral("Note"));
    record.setGenres({QStringLiteral("Jazz"), QStringLiteral("Funk")});
    record.setStyles({QStringLiteral("Caf\u00e9s")});
    const struct { const char *search; bool expected; } cases[] = {
        {"bluenote", false}, {"blue note", false}, {"jazzfunk", false}, {"znote", false},
        {"ue", true}, {"NOTE", true}, {"unk", true}, {"caf", true}, {"cafs", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.search);
        EXPECT_EQ(record.matches(QString::fromLatin1(c.search)), c.expected);
    }
    record.setTitle(QStringLiteral("Red"));
    EXPECT_FALSE(record.matches(QStringLiteral("blue")));
    EXPECT_TRUE(record.matches(QStringLiteral("red")));
    record.setStyles({});
    EXPECT_FALSE(record.matches(QStringLiteral("caf")));
}

TEST(Record, LoadedRecordsAreSearchable)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vorla.store"));
    {
        ModelContext context(path);
        auto record = std::make_unique<Record>();
        record->setLabel(QStringLiteral("Blue Note"));
        record->setLocation(QStringLiteral("Shelf \u212A"));
        context.insert(std::move(record));
        context.save();
    }
    ModelContext context(path);
    ASSERT_EQ(context.records().size(), 1);
    const Record &loaded = *context.records().front();
    EXPECT_TRUE(loaded.matches(QStringLiteral("blue n")));
    EXPECT_TRUE(loaded.matches(QStringLiteral("shelf k")));
    EXPECT_FALSE(loaded.matches(QStringLiteral("blue notes")));
}
