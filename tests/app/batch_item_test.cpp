#include "app/batch_item.h"

#include <gtest/gtest.h>

using namespace vorla;

namespace {

QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

} // namespace

TEST(BatchItem, ChosenIsTheCandidateWithTheChosenID)
{
    BatchItem item;
    ReleaseCandidate a;
    a.sourceID = u8("1");
    ReleaseCandidate b;
    b.source = MetadataSource::musicBrainz;
    b.sourceID = u8("1");
    item.candidates = { a, b };
    EXPECT_FALSE(item.chosen());
    item.chosenID = u8("musicBrainz:1");
    ASSERT_TRUE(item.chosen());
    EXPECT_EQ(item.chosen()->source, MetadataSource::musicBrainz);
    item.chosenID = u8("discogs:2");
    EXPECT_FALSE(item.chosen());
}

TEST(BatchItem, DoneIsNeitherWaitingNorSearched)
{
    const struct
    {
        BatchItem::Status status;
        bool done;
    } cases[] = {
        { BatchItem::Status::failed(u8("x")), true },
        { BatchItem::Status::pending(), false },
        { BatchItem::Status::searching(), false },
        { BatchItem::Status::matched(), true },
        { BatchItem::Status::needsReview(), true },
        { BatchItem::Status::notFound(), true },
    };
    for (const auto &c : cases) {
        BatchItem item;
        item.status = c.status;
        EXPECT_EQ(item.isDone(), c.done) << int(c.status.kind);
    }
}

TEST(BatchItem, DraftFromTheChosenCandidate)
{
    BatchItem item;
    item.line = u8("Ana Lua - Low Harbour");
    item.query = ReleaseQuery::parse(item.line);
    ReleaseCandidate chosen;
    chosen.sourceID = u8("42");
    chosen.artist = u8("Ana Lua & The Tides");
    chosen.title = u8("Low Harbour");
    chosen.format = u8("Vinyl, LP, Album");
    item.candidates = { chosen };
    item.chosenID = chosen.id();
    const RecordDraft draft = recordDraft(item);
    EXPECT_EQ(draft.artist, chosen.artist);
    EXPECT_EQ(draft.format, chosen.format);
    EXPECT_EQ(draft.discogsReleaseID, 42);
}

TEST(BatchItem, DraftFromTheLineWithoutAChoice)
{
    const struct
    {
        const char *line;
        const char *artist;
        const char *title;
        const char *label;
        const char *catalogNumber;
    } cases[] = {
        { "Ana Lua - Low Harbour", "Ana Lua", "Low Harbour", "", "" },
        { "Harbour Records HR 101", "", "Harbour Records HR 101", "Harbour Records", "HR 101" },
        { "some free words", "", "some free words", "", "" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        BatchItem item;
        item.line = u8(c.line);
        item.query = ReleaseQuery::parse(item.line);
        item.status = BatchItem::Status::notFound();
        const RecordDraft draft = recordDraft(item);
        EXPECT_EQ(draft.artist, u8(c.artist));
        EXPECT_EQ(draft.title, u8(c.title));
        EXPECT_EQ(draft.label, u8(c.label));
        EXPECT_EQ(draft.catalogNumber, u8(c.catalogNumber));
        EXPECT_EQ(draft.format, u8("Vinyl"));
        EXPECT_FALSE(draft.discogsReleaseID);
    }
    BatchItem bare;
    bare.line = u8("shelf.jpg");
    EXPECT_EQ(recordDraft(bare).title, u8("shelf.jpg"));
}

TEST(BatchItem, DraftOfAPhotoTakesItsCatalogNumberAndFirstBarcode)
{
    BatchItem item;
    item.line = u8("shelf.jpg \u00B7 spine 1: Low Harbour ABC-1234");
    item.query.text = u8("Low Harbour ABC-1234 XYZ 1");
    item.query.catalogNumber = u8("from the query");
    PhotoEvidence evidence;
    evidence.lines = { u8("Low Harbour"), u8("ABC-1234") };
    evidence.barcodes = { u8("5012345678901"), u8("4006381333931") };
    item.evidence = evidence;
    RecordDraft draft = recordDraft(item);
    EXPECT_EQ(draft.title, item.query.text);
    EXPECT_EQ(draft.catalogNumber, u8("ABC-1234"));
    EXPECT_EQ(draft.barcode, u8("5012345678901"));

    item.evidence->lines = { u8("Low Harbour") };
    item.evidence->barcodes.clear();
    draft = recordDraft(item);
    EXPECT_EQ(draft.catalogNumber, QString());
    EXPECT_EQ(draft.barcode, QString());
}
