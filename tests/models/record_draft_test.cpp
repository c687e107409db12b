#include "models/record.h"
#include "models/record_draft.h"
#include "test_images.h"

#include <gtest/gtest.h>

using namespace vorla;

TEST(RecordDraft, Defaults)
{
    const RecordDraft draft;
    EXPECT_EQ(draft.format, QStringLiteral("Vinyl, LP"));
    EXPECT_TRUE(draft.title.isEmpty());
    EXPECT_EQ(draft.mediaCondition, Grading::notGraded);
    EXPECT_FALSE(draft.coverChanged);
    EXPECT_FALSE(draft.isValid());
}

TEST(RecordDraft, Validity)
{
    RecordDraft draft;
    draft.title = QStringLiteral(" \t ");
    draft.artist = QStringLiteral("\u00a0");
    EXPECT_FALSE(draft.isValid());
    draft.title = QStringLiteral("\n");
    EXPECT_TRUE(draft.isValid());
    draft.title.clear();
    draft.artist = QStringLiteral(" x ");
    EXPECT_TRUE(draft.isValid());
}

TEST(RecordDraft, ApplyWritesFieldsAndTrimsOnlyTitleAndArtist)
{
    Record record;
    record.setDiscogsReleaseID(9);
    record.setNotes(QStringLiteral("old"));
    const QDateTime added = record.dateAdded();
    RecordDraft draft;
    draft.title = QStringLiteral(" Title ");
    draft.artist = QStringLiteral("\tArtist\n");
    draft.label = QStringLiteral(" X ");
    draft.tracks = {Track{QUuid::createUuid(), QString(), QString(), QStringLiteral("3:00")},
                    Track{QUuid::createUuid(), QStringLiteral(" "), QString(), QString()},
                    Track{QUuid::createUuid(), QString(), QStringLiteral("Song"), QString()}};
    draft.mediaCondition = Grading::good;
    draft.rating = 4;
    draft.apply(record);
    EXPECT_EQ(record.title(), QStringLiteral("Title"));
    EXPECT_EQ(record.artist(), QStringLiteral("Artist\n"));
    EXPECT_EQ(record.label(), QStringLiteral(" X "));
    EXPECT_EQ(record.tracks().size(), 2);
    EXPECT_EQ(record.mediaConditionRaw(), QStringLiteral("G"));
    EXPECT_EQ(record.rating(), 4);
    EXPECT_TRUE(record.notes().isEmpty());
    EXPECT_EQ(record.discogsReleaseID(), std::nullopt);
    EXPECT_EQ(record.dateAdded(), added);

    draft.tracks = {Track{}};
    draft.apply(record);
    EXPECT_EQ(record.tracklistData(), std::nullopt);
}

TEST(RecordDraft, ApplyCoverRules)
{
    const QByteArray image = test::encodedImage(50, 50);
    Record record;
    RecordDraft draft;
    draft.coverImageData = image;
    draft.apply(record); // no cover yet: adopts the draft's bytes
    ASSERT_TRUE(record.hasCoverImageData());
    EXPECT_EQ(record.coverRevision(), 1);
    const QByteArray cover = *record.coverImageData();

    draft.coverImageData = test::encodedImage(60, 60, "PNG", Qt::blue);
    draft.apply(record); // has a cover, not changed: left alone
    EXPECT_EQ(record.coverImageData(), cover);
    EXPECT_EQ(record.coverRevision(), 1);

    draft.coverChanged = true;
    draft.coverImageData.reset();
    draft.apply(record); // changed with no bytes: removed
    EXPECT_FALSE(record.hasCoverImageData());
    EXPECT_FALSE(record.hasThumbnailData());
    EXPECT_EQ(record.coverRevision(), 2);
}

TEST(RecordDraft, APreparedCoverStoresWhatApplyingTheBytesStores)
{
    const struct {
        const char *name;
        bool recordHasCover;
        bool coverChanged;
        std::optional<QByteArray> bytes;
    } cases[] = {
        { "a new photo", true, true, test::encodedImage(1600, 1000, "JPEG") },
        { "a first cover", false, false, test::encodedImage(300, 300) },
        { "unreadable bytes", true, true, QByteArray("not an image") },
        { "removed", true, true, std::nullopt },
        { "kept", true, false, test::encodedImage(60, 60) },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        RecordDraft draft;
        draft.coverChanged = c.coverChanged;
        draft.coverImageData = c.bytes;
        Record direct;
        Record prepared;
        if (c.recordHasCover) {
            direct.setCover(test::encodedImage(40, 40, "PNG", Qt::green));
            prepared.setCover(test::encodedImage(40, 40, "PNG", Qt::green));
        }
        draft.apply(direct);
        draft.apply(prepared,
            c.bytes ? std::optional(PreparedDraftCover::prepare(*c.bytes)) : std::nullopt);
        EXPECT_EQ(prepared.coverImageData(), direct.coverImageData());
        EXPECT_EQ(prepared.thumbnailData(), direct.thumbnailData());
        EXPECT_EQ(prepared.coverRevision(), direct.coverRevision());
    }
}

TEST(RecordDraft, ApplyTakesThePreparedCoverOnlyForItsOwnBytes)
{
    RecordDraft draft;
    draft.coverChanged = true;
    draft.coverImageData = test::encodedImage(50, 50);
    // Marked bytes show that applying did not prepare the cover again.
    const PreparedDraftCover marked { *draft.coverImageData,
        Record::PreparedCover { QByteArray("cover"), QByteArray("thumbnail") } };
    Record record;
    draft.apply(record, marked);
    EXPECT_EQ(record.coverImageData(), QByteArray("cover"));
    EXPECT_EQ(record.thumbnailData(), QByteArray("thumbnail"));
    EXPECT_EQ(record.coverRevision(), 1);

    // Prepared from other bytes: the draft's own are prepared here.
    draft.coverImageData = test::encodedImage(60, 60, "PNG", Qt::blue);
    draft.apply(record, marked);
    EXPECT_EQ(record.coverImageData(), Record::prepareCover(*draft.coverImageData)->cover);
    EXPECT_EQ(record.coverRevision(), 2);
}

TEST(RecordDraft, RoundTripThroughRecordChangesNothing)
{
    Record record;
    record.setTitle(QStringLiteral("Title"));
    record.setArtist(QStringLiteral("Artist"));
    record.setYear(1980);
    record.setGenres({QStringLiteral("Rock")});
    record.setTracks({Track{QUuid::createUuid(), QStringLiteral("A1"), QStringLiteral("x"), QString()}});
    record.setMediaConditionRaw(QStringLiteral("odd"));
    record.setPurchasePrice(12.5);
    record.setPurchaseDate(QDateTime::fromMSecsSinceEpoch(1000, Qt::UTC));
    record.setMusicBrainzID(QStringLiteral("mb"));
    record.setCover(test::encodedImage(40, 40));
    const QByteArray tracklist = *record.tracklistData();
    const QByteArray cover = *record.coverImageData();

    RecordDraft(record).apply(record);
    EXPECT_EQ(record.title(), QStringLiteral("Title"));
    EXPECT_EQ(record.year(), 1980);
    EXPECT_EQ(record.tracklistData(), tracklist);
    EXPECT_EQ(record.coverImageData(), cover);
    EXPECT_EQ(record.coverRevision(), 1);
    EXPECT_EQ(record.purchasePrice(), 12.5);
    EXPECT_EQ(record.musicBrainzID(), QStringLiteral("mb"));
    // An unknown raw grade reads back as not graded.
    EXPECT_EQ(record.mediaConditionRaw(), QString());
}

TEST(RecordDraft, ReleaseMetadataOnlyFills)
{
    Record record;
    record.setTitle(QStringLiteral("Kept"));
    record.setBarcode(QStringLiteral("123"));
    record.setNotes(QStringLiteral("mine"));
    record.setRating(5);
    record.setCover(test::encodedImage(30, 30));
    const QByteArray cover = *record.coverImageData();

    RecordDraft empty;
    empty.format.clear();
    record.applyReleaseMetadata(empty);
    EXPECT_EQ(record.title(), QStringLiteral("Kept"));
    EXPECT_EQ(record.coverRevision(), 1);

    RecordDraft found;
    found.title = QStringLiteral(" ");
    found.barcode = QStringLiteral("999");
    found.year = 1999;
    found.genres = {QStringLiteral("Pop")};
    found.tracks = {Track{}};
    found.discogsReleaseID = 42;
    found.rating = 1;
    found.notes = QStringLiteral("theirs");
    found.coverImageData = QByteArray("not an image");
    record.applyReleaseMetadata(found);
    EXPECT_EQ(record.title(), QStringLiteral(" "));
    EXPECT_EQ(record.barcode(), QStringLiteral("123"));
    EXPECT_EQ(record.year(), 1999);
    EXPECT_EQ(record.genres(), QStringList{QStringLiteral("Pop")});
    EXPECT_EQ(record.tracks().size(), 1); // blank tracks are not filtered here
    EXPECT_EQ(record.discogsReleaseID(), 42);
    EXPECT_EQ(record.rating(), 5);
    EXPECT_EQ(record.notes(), QStringLiteral("mine"));
    // Bytes that are no image leave the good cover in place.
    EXPECT_EQ(record.coverImageData(), cover);
    EXPECT_EQ(record.coverRevision(), 1);

    found.coverImageData = test::encodedImage(30, 30, "PNG", Qt::green);
    record.applyReleaseMetadata(found);
    EXPECT_NE(record.coverImageData(), cover);
    EXPECT_EQ(record.coverRevision(), 2);

    Record bare;
    found.barcode = QStringLiteral("999");
    bare.applyReleaseMetadata(found);
    EXPECT_EQ(bare.barcode(), QStringLiteral("999"));
}
